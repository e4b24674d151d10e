// The IE Helpers page driven by control id: what its rows show, the location line, Remove with
// its question (No keeps, Yes deletes the registration, a failed deletion is said), and the sort
// kept under SortIEHelper.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browser/ie_helpers.h"
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
#include "file_bytes.h"
#include "menu_ids.h"
#include "pending_deletions.h"
#include "test_process.h"
#include "browser_test_env.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

constexpr char kClassA[] = "{3B4C5D6E-0000-4000-8000-00000000000A}";
constexpr char kClassB[] = "{3B4C5D6E-0000-4000-8000-00000000000B}";
constexpr char kClassC[] = "{3B4C5D6E-0000-4000-8000-00000000000C}";

class IEHelpersPage : public SandboxedTest {
 protected:
  void SetUp() override {
    SandboxedTest::SetUp();
    explorer::CreateSharedResources(common::App().instance);
    ASSERT_TRUE(common::ClearHistoryFile());
    product_ = win32::Narrow(HostToWine(EnvVar(L"OBRIVO_BIN_DIR"))) + "\\version_os_product.dll";
    // A BHO of a file with version information, a toolbar of an unregistered class and an
    // extension that names an icon of its own.
    Set(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kClassA + "\\InprocServer32", "", product_);
    ASSERT_TRUE(win32::CreateKey(HKEY_LOCAL_MACHINE, std::string(kBhoKey) + "\\" + kClassA, KEY_WRITE));
    Set(HKEY_LOCAL_MACHINE, kToolbarKey, kClassB, "");
    const std::string extension = std::string(kExtensionsKey) + "\\" + kClassC;
    Set(HKEY_LOCAL_MACHINE, extension, "ButtonText", "Clip Notes");
    Set(HKEY_LOCAL_MACHINE, extension, "Exec", "C:\\Clip\\clipnotes.exe");
    Set(HKEY_LOCAL_MACHINE, extension, "HotIcon", "C:\\Clip\\clip.ico");
  }
  void TearDown() override {
    common::ClearHistoryFile();
    explorer::ReleaseSharedResources();
  }

  static void Set(HKEY hive, const std::string& path, const std::string& name,
                  const std::string& text) {
    ASSERT_TRUE(common::WriteStoreString(hive, path, name, text));
  }

  static void ClickHeader(HWND page, HWND list, int column) {
    NMLISTVIEW click{};
    click.hdr = {list, static_cast<UINT_PTR>(IDC_PAGE_LIST), static_cast<UINT>(LVN_COLUMNCLICK)};
    click.iItem = -1;
    click.iSubItem = column;
    ::SendMessageW(page, WM_NOTIFY, IDC_PAGE_LIST, reinterpret_cast<LPARAM>(&click));
  }

  static std::vector<std::string> Column(HWND list, int column) {
    std::vector<std::string> cells;
    for (int row = 0; row < explorer::RowCount(list); ++row)
      cells.push_back(explorer::CellText(list, row, column));
    return cells;
  }

  std::string product_;
};

TEST_F(IEHelpersPage, RowsShowNameProgramCompanyTypeAndDateAndTheLocation) {
  const struct {
    const char* title;
    std::string program, company, type;
    std::wstring location;
  } rows[] = {
      {"Fixture Shell Component", "version_os_product.dll", "Fixture Systems", "BHO",
       L"Location: HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper "
       L"Objects\\{3B4C5D6E-0000-4000-8000-00000000000A}"},
      {kClassB, "", "", "TOOLBAR",
       L"Location: HKLM\\SOFTWARE\\Microsoft\\Internet "
       L"Explorer\\Toolbar\\{3B4C5D6E-0000-4000-8000-00000000000B}"},
      {"Clip Notes", "clipnotes.exe", "", "EXTENSION",
       L"Location: HKLM\\SOFTWARE\\Microsoft\\Internet "
       L"Explorer\\Extensions\\{3B4C5D6E-0000-4000-8000-00000000000C}"},
  };
  RunSheet(6040, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    ASSERT_EQ(explorer::RowCount(list), 3);
    for (const auto& r : rows) {
      SCOPED_TRACE(r.title);
      const int row = RowOf(list, r.title);
      ASSERT_GE(row, 0);
      EXPECT_EQ(explorer::CellText(list, row, 1), r.program);
      EXPECT_EQ(explorer::CellText(list, row, 2), r.company);
      EXPECT_EQ(explorer::CellText(list, row, 3), r.type);
      SelectRows(list, {row});
      EXPECT_EQ(WindowText(explorer::SheetStatusBar()), r.location);
    }
    // Only an existing file is dated.
    EXPECT_FALSE(explorer::CellText(list, RowOf(list, "Fixture Shell Component"), 4).empty());
    SelectRows(list, {RowOf(list, "Clip Notes")});
    SaveDesktopScreenshot(L"explorer-ie-helpers-page.bmp", ::GetParent(page));

    // Each header click sorts by its column, flips its direction and keeps column + 1.
    const std::vector<std::string> ascending = {"BHO", "EXTENSION", "TOOLBAR"};
    const std::vector<std::string> descending = {"TOOLBAR", "EXTENSION", "BHO"};
    ClickHeader(page, list, 3);
    EXPECT_EQ(StoredOption("SortIEHelper"), "4");
    const std::vector<std::string> first = Column(list, 3);
    EXPECT_TRUE(first == ascending || first == descending);
    ClickHeader(page, list, 3);
    EXPECT_EQ(Column(list, 3), first == ascending ? descending : ascending);
    ClickHeader(page, list, 0);
    EXPECT_EQ(StoredOption("SortIEHelper"), "1");
  });
}

TEST_F(IEHelpersPage, RemoveAsksWithTheTitleAndNoKeepsYesDeletes) {
  RunSheet(6040, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    SelectRows(list, {});
    PostClick(page, IDC_REMOVE);
    EXPECT_NE(DismissMessageBox(L"Obrivo Help").find(L"No selection has been made."),
              std::wstring::npos);

    SelectRows(list, {RowOf(list, "Clip Notes")});
    PostClick(page, IDC_REMOVE);
    const std::wstring question = AnswerQuestion(IDNO, page);
    EXPECT_NE(question.find(L"You have chosen to remove Clip Notes from the Windows registry."),
              std::wstring::npos)
        << win32::Narrow(question);
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kExtensionsKey) + "\\" + kClassC));
    EXPECT_EQ(common::LoadHistory(), 0u);

    SelectRows(list, {RowOf(list, "Clip Notes")});
    PostClick(page, IDC_REMOVE);
    AnswerQuestion(IDYES, page);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kExtensionsKey) + "\\" + kClassC));
    EXPECT_EQ(RowOf(list, "Clip Notes"), -1) << "the list is refilled";
    EXPECT_EQ(explorer::RowCount(list), 2);
    EXPECT_EQ(common::LoadHistory(), 1u);
  });
}

TEST_F(IEHelpersPage, ARemovalThatFailsIsSaidAndTheRowStays) {
  win32::UniqueKey key = win32::OpenKey(HKEY_LOCAL_MACHINE, std::string(kBhoKey) + "\\" + kClassA,
                                        KEY_ALL_ACCESS | WRITE_DAC);
  ASSERT_TRUE(key);
  SetKeyDacl(key.get(), L"D:(D;;KA;;;WD)");
  std::wstring said;
  RunSheet(6040, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    SelectRows(list, {RowOf(list, "Fixture Shell Component")});
    PostClick(page, IDC_REMOVE);
    AnswerQuestion(IDYES, page);
    said = DismissMessageBox(L"Obrivo Help");
    EXPECT_GE(RowOf(list, "Fixture Shell Component"), 0);
  });
  SetKeyDacl(key.get(), L"D:(A;;KA;;;WD)");
  EXPECT_NE(said.find(L"could not be removed"), std::wstring::npos) << win32::Narrow(said);
  EXPECT_EQ(common::LoadHistory(), 0u);
}

// The file the add-on loads, by its whole path with the space in it.
TEST_F(IEHelpersPage, DeleteFileOnRebootSchedulesTheAddOnsFile) {
  PendingDeletions pending;
  const std::string file = common::ProgramFolder() + "\\doomed helper.dll";
  ASSERT_TRUE(WriteBytes(file, "x"));
  Set(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kClassB + "\\InprocServer32", "", file);
  ASSERT_FALSE(pending.Lists(file));
  RunSheet(6040, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    const int row = RowOf(list, "doomed helper.dll");
    ASSERT_GE(row, 0) << ::testing::PrintToString(Column(list, 0));
    SelectRows(list, {row});
    ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(IDM_DELETE_ON_REBOOT, 0), 0);
    AnswerQuestion(IDYES, page);
    // A failure would be said in a message box of its own.
    if (HWND said = FindShownDialog(L"Obrivo Help")) {
      ADD_FAILURE() << win32::Narrow(WindowText(::GetDlgItem(said, 0xFFFF)));
      ::PostMessageW(said, WM_COMMAND, IDOK, 0);
    }
  });
  EXPECT_TRUE(pending.Lists(file));
  ::DeleteFileW(win32::Wide(file).c_str());
}

}  // namespace
}  // namespace obrivo::test
