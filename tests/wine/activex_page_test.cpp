// The ActiveX page driven by control id: what its rows show, Disable with its question and Enable
// on the selected rows, a write that fails said, and the two boxes that choose what is listed.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "common/app.h"
#include "common/history.h"
#include "common/store.h"
#include "common/win32/registry.h"
#include "common/win32/system.h"
#include "common/win32/wide.h"
#include "core/options.h"
#include "explorer/explorer_state.h"
#include "explorer/list_view.h"
#include "explorer_driver.h"
#include "explorer_ids.h"
#include "services_test_env.h"
#include "test_process.h"
#include "browser_test_env.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

constexpr char kClassA[] = "{8D9EAFB0-0000-4000-8000-00000000000A}";
constexpr char kClassB[] = "{8D9EAFB0-0000-4000-8000-00000000000B}";
constexpr char kClassC[] = "{8D9EAFB0-0000-4000-8000-00000000000C}";

constexpr char kStats[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats";
constexpr char kCompatibility[] = "SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility";
constexpr int kClassColumn = 5, kStateColumn = 3;

class ActiveXPage : public SandboxedTest {
 protected:
  void SetUp() override {
    SandboxedTest::SetUp();
    explorer::CreateSharedResources(common::App().instance);
    ASSERT_TRUE(common::ClearHistoryFile());
    for (const auto option : {core::OptionId::ActiveXListAll, core::OptionId::HideMicrosoftActiveX})
      common::App().options.Set(option, 0);
    product_ = win32::Narrow(HostToWine(EnvVar(L"OBRIVO_BIN_DIR"))) + "\\version_os_product.dll";
    // A used control of a file with version information, a used one already disabled, and one
    // the compatibility list alone names.
    AddControl(kClassA, product_, "");
    AddControl(kClassB, "C:\\Controls\\chart.ocx", "Chart Control");
    SetFlags(kClassB, 0x401);
    Set(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kClassC + "\\InprocServer32", "",
        "C:\\Controls\\listed only.ocx");
    SetFlags(kClassC, 0);
  }
  void TearDown() override {
    common::ClearHistoryFile();
    explorer::ReleaseSharedResources();
  }

  static void Set(HKEY hive, const std::string& path, const std::string& name,
                  const std::string& text) {
    ASSERT_TRUE(common::WriteStoreString(hive, path, name, text));
  }
  static void AddControl(const std::string& clsid, const std::string& file,
                         const std::string& text) {
    Set(HKEY_CLASSES_ROOT, "CLSID\\" + clsid, "", text);
    Set(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32", "", file);
    ASSERT_TRUE(win32::CreateKey(HKEY_CURRENT_USER, std::string(kStats) + "\\" + clsid, KEY_WRITE));
  }
  static std::string Compatibility(const std::string& clsid) {
    return std::string(kCompatibility) + "\\" + clsid;
  }
  static void SetFlags(const std::string& clsid, DWORD flags) {
    std::vector<BYTE> bytes(sizeof flags);
    std::memcpy(bytes.data(), &flags, sizeof flags);
    SetRaw(HKEY_LOCAL_MACHINE, Compatibility(clsid), "Compatibility Flags", REG_DWORD, bytes);
  }
  static DWORD Flags(const std::string& clsid) {
    const win32::UniqueKey key = win32::OpenKey(HKEY_LOCAL_MACHINE, Compatibility(clsid), KEY_READ);
    const auto value = key ? win32::QueryValue(key.get(), "Compatibility Flags") : std::nullopt;
    DWORD flags = 0;
    if (value && value->data.size() == sizeof flags) std::memcpy(&flags, value->data.data(), 4);
    return flags;
  }
  // The row whose CLSID column reads `clsid`; -1 when none does.
  static int RowOfClass(HWND list, const std::string& clsid) {
    for (int row = 0; row < explorer::RowCount(list); ++row)
      if (explorer::CellText(list, row, kClassColumn) == clsid) return row;
    return -1;
  }
  static std::vector<std::string> Classes(HWND list) {
    std::vector<std::string> cells;
    for (int row = 0; row < explorer::RowCount(list); ++row)
      cells.push_back(explorer::CellText(list, row, kClassColumn));
    std::sort(cells.begin(), cells.end());
    return cells;
  }

  std::string product_;
};

TEST_F(ActiveXPage, RowsShowModuleCommandCompanyStateDateAndClass) {
  const struct {
    const char* clsid;
    std::string title, command, company, state;
  } rows[] = {
      {kClassA, "Fixture Shell Component", "version_os_product.dll", "Fixture Systems", "Enabled"},
      {kClassB, "Chart Control", "chart.ocx", "", "Disabled"},
  };
  RunSheet(6056, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    EXPECT_EQ(Classes(list), (std::vector<std::string>{kClassA, kClassB}))
        << "only the controls the browser used";
    for (const auto& r : rows) {
      SCOPED_TRACE(r.clsid);
      const int row = RowOfClass(list, r.clsid);
      ASSERT_GE(row, 0);
      EXPECT_EQ(explorer::CellText(list, row, 0), r.title);
      EXPECT_EQ(explorer::CellText(list, row, 1), r.command);
      EXPECT_EQ(explorer::CellText(list, row, 2), r.company);
      EXPECT_EQ(explorer::CellText(list, row, kStateColumn), r.state);
      // Dated by the class, whether its file exists or not.
      EXPECT_FALSE(explorer::CellText(list, row, 4).empty());
    }
    SelectRows(list, {RowOfClass(list, kClassB)});
    SaveDesktopScreenshot(L"explorer-activex-page.bmp", ::GetParent(page));
  });
}

TEST_F(ActiveXPage, DisableAsksForEachRowAndEnableDoesNot) {
  RunSheet(6056, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    SelectRows(list, {});
    for (const int button : {IDC_DISABLE, IDC_ENABLE}) {
      PostClick(page, button);
      EXPECT_NE(DismissMessageBox(L"Obrivo Help").find(L"No selection has been made."),
                std::wstring::npos);
    }

    SelectRows(list, {RowOfClass(list, kClassA)});
    PostClick(page, IDC_DISABLE);
    const std::wstring question = AnswerQuestion(IDNO, page);
    EXPECT_NE(question.find(L"Disabling an ActiveX control may cause"), std::wstring::npos)
        << win32::Narrow(question);
    EXPECT_EQ(Flags(kClassA), 0u);
    EXPECT_EQ(common::LoadHistory(), 0u);

    SelectRows(list, {RowOfClass(list, kClassA)});
    PostClick(page, IDC_DISABLE);
    AnswerQuestion(IDYES, page);
    EXPECT_EQ(Flags(kClassA), 0x400u);
    EXPECT_EQ(explorer::CellText(list, RowOfClass(list, kClassA), kStateColumn), "Disabled")
        << "the list is refilled";

    // Both rows at once, without a question; the other bits stay.
    SelectRows(list, {RowOfClass(list, kClassA), RowOfClass(list, kClassB)});
    Click(page, IDC_ENABLE);
    EXPECT_EQ(Flags(kClassA), 0u);
    EXPECT_EQ(Flags(kClassB), 0x001u);
    for (const char* clsid : {kClassA, kClassB})
      EXPECT_EQ(explorer::CellText(list, RowOfClass(list, clsid), kStateColumn), "Enabled");
  });
  EXPECT_EQ(common::LoadHistory(), 3u);
}

TEST_F(ActiveXPage, AKillBitThatCannotBeWrittenIsSaidAndTheStateStays) {
  win32::UniqueKey key =
      win32::OpenKey(HKEY_LOCAL_MACHINE, Compatibility(kClassB), KEY_ALL_ACCESS | WRITE_DAC);
  ASSERT_TRUE(key);
  // Readable by everyone, writable by nobody: the state shows, and cannot change.
  SetKeyDacl(key.get(), L"D:(A;;KR;;;WD)");
  std::wstring said;
  RunSheet(6056, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    SelectRows(list, {RowOfClass(list, kClassB)});
    PostClick(page, IDC_ENABLE);
    said = DismissMessageBox(L"Obrivo Help");
    EXPECT_EQ(explorer::CellText(list, RowOfClass(list, kClassB), kStateColumn), "Disabled");
  });
  SetKeyDacl(key.get(), L"D:(A;;KA;;;WD)");
  EXPECT_NE(said.find(L"Chart Control\" could not be enabled"), std::wstring::npos)
      << win32::Narrow(said);
  EXPECT_EQ(common::LoadHistory(), 0u);
}

// Each box stores its option and refills the list: list-all adds the compatibility list's
// controls; non-Microsoft-only leaves out a file of Microsoft's in the Windows folder, and not a
// file that only claims the company.
TEST_F(ActiveXPage, TheBoxesChooseWhatIsListedAndAreKept) {
  const std::string id = std::to_string(::GetCurrentProcessId());
  const std::string claiming =
      win32::Narrow(HostToWine(EnvVar(L"OBRIVO_BIN_DIR"))) + "\\version_microsoft_company.dll";
  const PlacedCopy inside(claiming, win32::WindowsDirectory() + "\\ObrivoPage" + id + "\\ms.ocx");
  const PlacedCopy outside(claiming, "C:\\ProgramData\\ObrivoPage" + id + "\\claims.ocx");
  ASSERT_TRUE(inside.copied() && outside.copied());
  constexpr char kInside[] = "{8D9EAFB0-0000-4000-8000-0000000000D1}";
  constexpr char kOutside[] = "{8D9EAFB0-0000-4000-8000-0000000000D2}";
  AddControl(kInside, inside.path(), "");
  AddControl(kOutside, outside.path(), "");

  RunSheet(6056, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    EXPECT_FALSE(IsChecked(page, IDC_ACTIVEX_LIST_ALL));
    EXPECT_FALSE(IsChecked(page, IDC_HIDE_MICROSOFT));
    EXPECT_EQ(Classes(list), (std::vector<std::string>{kClassA, kClassB, kInside, kOutside}));

    Click(page, IDC_ACTIVEX_LIST_ALL);
    EXPECT_EQ(StoredOption("ActiveXListAll"), "1");
    EXPECT_EQ(Classes(list),
              (std::vector<std::string>{kClassA, kClassB, kClassB, kClassC, kInside, kOutside}))
        << "a control in both places is listed twice";

    Click(page, IDC_HIDE_MICROSOFT);
    EXPECT_EQ(StoredOption("HideMicrosoftActiveX"), "1");
    EXPECT_EQ(RowOfClass(list, kInside), -1);
    EXPECT_GE(RowOfClass(list, kOutside), 0) << "the company alone proves nothing";

    Click(page, IDC_ACTIVEX_LIST_ALL);
    Click(page, IDC_HIDE_MICROSOFT);
    EXPECT_EQ(StoredOption("ActiveXListAll"), "0");
    EXPECT_EQ(StoredOption("HideMicrosoftActiveX"), "0");
    EXPECT_EQ(Classes(list), (std::vector<std::string>{kClassA, kClassB, kInside, kOutside}));
  });
}

// Clicking a column header sorts by it and keeps column + 1.
TEST_F(ActiveXPage, TheSortIsKeptUnderSortActiveX) {
  RunSheet(6056, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    NMLISTVIEW click{};
    click.hdr = {list, static_cast<UINT_PTR>(IDC_PAGE_LIST), static_cast<UINT>(LVN_COLUMNCLICK)};
    click.iItem = -1;
    click.iSubItem = kClassColumn;
    ::SendMessageW(page, WM_NOTIFY, IDC_PAGE_LIST, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(StoredOption("SortActiveX"), "6");
    const std::string first = explorer::CellText(list, 0, kClassColumn);
    ::SendMessageW(page, WM_NOTIFY, IDC_PAGE_LIST, reinterpret_cast<LPARAM>(&click));
    EXPECT_NE(explorer::CellText(list, 0, kClassColumn), first) << "the direction flips";
  });
}

}  // namespace
}  // namespace obrivo::test
