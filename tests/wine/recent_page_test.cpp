// The Recent page driven by control id: one fixture program per category, each shown once with
// its category's Type text and a first-detected date, the action button labelled for the selected
// row's category, and the button doing that category's own action before the list is gathered
// again. A program whose file is gone is not listed.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "browser_test_env.h"
#include "common/history.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/registry.h"
#include "common/win32/wide.h"
#include "explorer/explorer_state.h"
#include "explorer/list_view.h"
#include "explorer/sheet.h"
#include "explorer_driver.h"
#include "explorer_ids.h"
#include "test_process.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kStats[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats";
constexpr char kHelperClass[] = "{7A1B2C3D-0000-4000-8000-0000000000A1}";
constexpr char kControlClass[] = "{7A1B2C3D-0000-4000-8000-0000000000C1}";
constexpr int kRecentPage = 6060;

class RecentPage : public SandboxedTest {
 protected:
  void SetUp() override {
    SandboxedTest::SetUp();
    explorer::CreateSharedResources(common::App().instance);
    ASSERT_TRUE(common::ClearHistoryFile());
    folder_ = common::ProgramFolder();
    const std::wstring helper =
        HostToWine(EnvVar(L"OBRIVO_BIN_DIR")) + L"\\obrivo_test_helper.exe";
    for (const char* name : {"recent run.exe", "recent helper.dll", "recent control.ocx",
                             "recent sleeper.exe"})
      ASSERT_TRUE(::CopyFileW(helper.c_str(), win32::Wide(File(name)).c_str(), FALSE)) << name;
    Set(HKEY_CURRENT_USER, kRun, "Recent Run", "\"" + File("recent run.exe") + "\" -x");
    Set(HKEY_CURRENT_USER, kRun, "Recent Gone", File("recent gone.exe"));
    Set(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kHelperClass, "", "Recent Helper");
    Set(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kHelperClass + "\\InprocServer32", "",
        File("recent helper.dll"));
    ASSERT_TRUE(win32::CreateKey(HKEY_LOCAL_MACHINE, Helper(), KEY_WRITE));
    Set(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kControlClass, "", "Recent Control");
    Set(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kControlClass + "\\InprocServer32", "",
        File("recent control.ocx"));
    ASSERT_TRUE(win32::CreateKey(HKEY_CURRENT_USER, std::string(kStats) + "\\" + kControlClass,
                                 KEY_WRITE));
    sleeper_ = Process(win32::Wide(File("recent sleeper.exe")), L"wait");
    ASSERT_TRUE(sleeper_.started());
  }
  void TearDown() override {
    sleeper_.Kill();
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, win32::Wide(kRun).c_str(), L"Recent Run");
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, win32::Wide(kRun).c_str(), L"Recent Gone");
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, win32::Wide(Helper()).c_str());
    ::RegDeleteTreeW(HKEY_CURRENT_USER,
                     win32::Wide(std::string(kStats) + "\\" + kControlClass).c_str());
    for (const char* name : {"recent run.exe", "recent helper.dll", "recent control.ocx",
                             "recent sleeper.exe"})
      ::DeleteFileW(win32::Wide(File(name)).c_str());
    common::ClearHistoryFile();
    explorer::ReleaseSharedResources();
  }

  static void Set(HKEY hive, const std::string& path, const std::string& name,
                  const std::string& text) {
    ASSERT_TRUE(common::WriteStoreString(hive, path, name, text));
  }
  static std::string Helper() { return std::string(kBhoKey) + "\\" + kHelperClass; }
  std::string File(const char* name) const { return folder_ + "\\" + name; }

  std::string folder_;
  Process sleeper_;
};

// The rows of `file`, in list order.
std::vector<int> RowsOf(HWND list, const std::string& file) {
  std::vector<int> rows;
  for (int row = 0; row < explorer::RowCount(list); ++row)
    if (explorer::CellText(list, row, 0) == file) rows.push_back(row);
  return rows;
}

TEST_F(RecentPage, EachCategorysRowCarriesItsOwnActionAndTheListIsGatheredAgainAfterIt) {
  struct Case {
    const char* file;
    const char* type;
    const wchar_t* button;  // empty: no action for the category
    int answer;             // the question's answer; 0 when none is asked
    std::function<bool()> done;
  };
  const Case cases[] = {
      {"recent control.ocx", "ACTIVEX", L"", 0, nullptr},
      {"recent helper.dll", "IE HELPER", L"&Remove", IDYES,
       [&] { return !win32::OpenKey(HKEY_LOCAL_MACHINE, Helper(), KEY_READ); }},
      {"recent run.exe", "STARTUP", L"&Remove", 0,
       [&] {
         return common::ReadStoreString(kRun, HKEY_CURRENT_USER, "Recent Run", 512).empty();
       }},
      {"recent sleeper.exe", "ACTIVE", L"&Kill Task", 0, [&] { return !sleeper_.Running(); }},
  };
  RunSheet(kRecentPage, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    HWND button = ::GetDlgItem(page, IDC_RECENT_ACTION);
    EXPECT_TRUE(RowsOf(list, "recent gone.exe").empty()) << "a program whose file is gone";
    EXPECT_FALSE(::IsWindowVisible(button));

    // Nothing selected: the action says a row must be chosen and changes nothing.
    SelectRows(list, {});
    ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_RECENT_ACTION, BN_CLICKED), 0);
    EXPECT_NE(DismissMessageBox(L"Obrivo Help").find(L"No selection has been made."),
              std::wstring::npos);

    for (const Case& c : cases) {
      SCOPED_TRACE(c.file);
      std::vector<int> rows = RowsOf(list, c.file);
      ASSERT_EQ(rows.size(), 1u) << [&] {
        std::string all;
        for (int row = 0; row < explorer::RowCount(list); ++row)
          all += explorer::CellText(list, row, 0) + "|" + explorer::CellText(list, row, 3) + "\n";
        return all;
      }();
      EXPECT_EQ(explorer::CellText(list, rows[0], 3), c.type);
      EXPECT_FALSE(explorer::CellText(list, rows[0], 4).empty()) << "first detected";
      SelectRows(list, rows);
      // The status line names the resolved program path (the product keeps those upper case).
      const std::wstring status = WindowText(explorer::SheetStatusBar());
      EXPECT_EQ(::_wcsicmp(status.c_str(), win32::Wide(File(c.file)).c_str()), 0)
          << win32::Narrow(status);
      if (std::wstring(c.button).empty()) {
        EXPECT_FALSE(::IsWindowVisible(button));
        continue;
      }
      ASSERT_TRUE(::IsWindowVisible(button));
      EXPECT_EQ(WindowText(button), c.button);
      if (std::string(c.file) == "recent helper.dll") {
        // Shown on the page before the first action, for the developers' guide.
        SaveDesktopScreenshot(L"recent-page.bmp", ::GetParent(page));
      }
      PostClick(page, IDC_RECENT_ACTION);
      if (c.answer != 0) AnswerQuestion(c.answer, page);
      EXPECT_TRUE(WaitUntil(c.done)) << "the category's action did not happen";
      EXPECT_TRUE(WaitUntil([&] { return RowsOf(list, c.file).empty(); }))
          << "the list is gathered again";
    }
  });
}

// A first-detected date, once given, is the date of every later gathering.
TEST_F(RecentPage, TheFirstDetectedDateStaysFromOneGatheringToTheNext) {
  std::string first;
  RunSheet(kRecentPage, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    const std::vector<int> rows = RowsOf(list, "recent run.exe");
    ASSERT_EQ(rows.size(), 1u);
    first = explorer::CellText(list, rows[0], 4);
  });
  ASSERT_FALSE(first.empty());
  // Backdate the entry's record: a later gathering must show it, not today.
  win32::UniqueKey detected =
      win32::OpenKey(HKEY_CURRENT_USER, "Software\\Tolvane\\Detected\\Startup", KEY_ALL_ACCESS);
  ASSERT_TRUE(detected);
  std::wstring record;
  for (DWORD i = 0;; ++i) {
    wchar_t name[512];
    DWORD length = 512;
    if (::RegEnumValueW(detected.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    if (std::wstring(name, length).find(L"recent run.exe") != std::wstring::npos)
      record.assign(name, length);
  }
  ASSERT_FALSE(record.empty());
  const wchar_t kOld[] = L"1/2/2003";
  ASSERT_EQ(::RegSetValueExW(detected.get(), record.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(kOld), sizeof kOld),
            ERROR_SUCCESS);
  RunSheet(kRecentPage, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    const std::vector<int> rows = RowsOf(list, "recent run.exe");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(explorer::CellText(list, rows[0], 4), "1/2/2003");
  });
}

}  // namespace
}  // namespace obrivo::test
