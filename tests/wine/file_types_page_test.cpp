// The File Types page driven by control id: what its rows show, Add with its refusals (the dialog
// stays open after one) and Remove, which needs a row and stops watching its extension.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "common/items.h"
#include "core/text.h"
#include "explorer/explorer_state.h"
#include "explorer/list_view.h"
#include "explorer/sheet.h"
#include "explorer_driver.h"
#include "explorer_ids.h"
#include "file_types/associations.h"
#include "file_types_env.h"
#include "test_process.h"

namespace obrivo::test {
namespace {

constexpr int kFileTypesPage = 6042;
constexpr wchar_t kAddTitle[] = L"Add File Type Extension";

class FileTypesPage : public FileTypesTest {
 protected:
  void SetUp() override {
    FileTypesTest::SetUp();
    explorer::CreateSharedResources(common::App().instance);
    SetSystem(".txt", "txtfile", "C:\\windows\\system32\\notepad.exe %1");
    Text(HKEY_LOCAL_MACHINE, std::string(kMachineClasses) + "txtfile", "", "Text Document");
    SetProgId(".txt", "Ed.Text", "C:\\Ed\\ed.exe \"%1\"");
    SetSystem(".exe", "exefile", "\"%1\" %*");
    SetSystem(".zip", "zipfile", "C:\\Zip\\zip.exe \"%1\"");
    SetList("TXT;exe;");
    file_types::InitFileTypeBaseline();
  }
  void TearDown() override { explorer::ReleaseSharedResources(); }

  // Types `text` into the open Add dialog and presses Add.
  static void AddTyped(HWND dialog, const wchar_t* text) {
    ::SetDlgItemTextW(dialog, IDC_ADD_FILE_TYPE_EDIT, text);
    PostClick(dialog, IDOK);
  }
};

TEST_F(FileTypesPage, RowsShowCommandClassExtensionAndType) {
  const struct {
    int row;
    const char* title;
    const char* command;
    const char* cls;
    const char* extension;
    const char* type;
  } rows[] = {
      {0, "Text Document", "NOTEPAD.EXE", "txtfile", ".TXT", "System"},
      {1, "ed", "ED.EXE", "Ed.Text", ".TXT", "Explorer"},  // no description: the file's name
      {2, "%1 %*", "Executable", "exefile", ".exe", "System"},
  };
  StoreOption("SortFileType", "0");
  RunSheet(kFileTypesPage, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    ASSERT_EQ(explorer::RowCount(list), 3);
    for (const auto& r : rows) {
      SCOPED_TRACE(r.cls);
      int row = -1;
      for (int i = 0; i < explorer::RowCount(list); ++i)
        if (explorer::CellText(list, i, 3) == r.cls) row = i;
      ASSERT_GE(row, 0);
      EXPECT_EQ(explorer::CellText(list, row, 0), r.title);
      EXPECT_TRUE(core::EqualsNoCase(explorer::CellText(list, row, 1), r.command))
          << explorer::CellText(list, row, 1);
      EXPECT_EQ(explorer::CellText(list, row, 4), r.extension);
      EXPECT_EQ(explorer::CellText(list, row, 5), r.type);
    }
    SelectRows(list, {RowOf(list, "Text Document")});
    SaveDesktopScreenshot(L"explorer-file-types-page.bmp", ::GetParent(page));
  });
}

// Whatever sort is stored, showing the page groups the rows by class; the next click on Title
// then sorts them descending.
TEST_F(FileTypesPage, ShowingThePageSortsByClassAndTitleNextSortsDescending) {
  StoreOption("SortFileType", "1");
  RunSheet(kFileTypesPage, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    ASSERT_EQ(explorer::RowCount(list), 3);
    EXPECT_EQ(explorer::CellText(list, 0, 3), "Ed.Text");
    EXPECT_EQ(explorer::CellText(list, 1, 3), "exefile");
    EXPECT_EQ(explorer::CellText(list, 2, 3), "txtfile");
    NMLISTVIEW click{};
    click.hdr = {list, static_cast<UINT_PTR>(IDC_PAGE_LIST), static_cast<UINT>(LVN_COLUMNCLICK)};
    click.iItem = -1;
    click.iSubItem = 0;
    ::SendMessageW(page, WM_NOTIFY, IDC_PAGE_LIST, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(explorer::CellText(list, 0, 0), "Text Document");
    EXPECT_EQ(explorer::CellText(list, 1, 0), "ed");
    EXPECT_EQ(explorer::CellText(list, 2, 0), "%1 %*");
  });
}

TEST_F(FileTypesPage, AddRefusesWhatIsWatchedAndAddsANewExtension) {
  RunSheet(kFileTypesPage, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    PostClick(page, IDC_ADD);
    HWND dialog = WaitForDialog(kAddTitle);
    ASSERT_NE(dialog, nullptr);
    AddTyped(dialog, L".txt");
    EXPECT_NE(DismissMessageBox(L"Obrivo Help").find(L"already being monitored"),
              std::wstring::npos);
    EXPECT_TRUE(::IsWindow(dialog)) << "the dialog stays open after a refusal";
    AddTyped(dialog, L" .Zip ");
    EXPECT_TRUE(WaitUntilHandled(dialog, page));
    EXPECT_EQ(Stored("Class", ""), "TXT;exe;Zip;");
    bool listed = false;
    for (int i = 0; i < explorer::RowCount(list); ++i)
      listed = listed || explorer::CellText(list, i, 4) == ".Zip";
    EXPECT_TRUE(listed) << "the list is refilled";
  });
}

TEST_F(FileTypesPage, RemoveNeedsARowAndStopsWatchingItsExtension) {
  RunSheet(kFileTypesPage, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    SelectRows(list, {});
    PostClick(page, IDC_REMOVE);
    EXPECT_NE(DismissMessageBox(L"Obrivo Help").find(L"No selection has been made."),
              std::wstring::npos);
    SelectRows(list, {RowOf(list, "Text Document")});
    Click(page, IDC_REMOVE);
    EXPECT_EQ(explorer::RowCount(list), 1) << "both rows of .TXT go";
    EXPECT_EQ(Stored("Class", ""), "exe;");
    EXPECT_EQ(Stored("Ext", ".TXT"), "");
  });
  EXPECT_EQ(SystemCommand("txtfile"), "C:\\windows\\system32\\notepad.exe %1");
}

}  // namespace
}  // namespace obrivo::test
