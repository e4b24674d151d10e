// The history viewer driven by control id: its rows, Restore only where an undo exists,
// sorting with the stored sort column, column widths kept, and Clear File.
#include "explorer/history_viewer.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

#include "browser/ie_helpers.h"
#include "common/history.h"
#include "common/items.h"
#include "common/store.h"
#include "common/win32/files.h"
#include "core/history_record.h"
#include "explorer/explorer_state.h"
#include "explorer/list_view.h"
#include "explorer_ids.h"
#include "file_bytes.h"
#include "startup/startup_actions.h"
#include "test_process.h"
#include "wine_test_env.h"

namespace obrivo::explorer {
namespace {

using namespace std::chrono_literals;
using test::WaitUntil;

constexpr int kStartRemove = 0, kStartDisable = 1, kStartEnable = 2, kNewProgram = 6,
              kHiddenDelete = 29;
constexpr int kCurrentRun = 11;

struct Row {
  std::string title, action, command;
  bool operator==(const Row&) const = default;
};

class HistoryViewer : public test::SandboxedTest {
 protected:
  // The history file lies beside this test program, which has that folder to itself while
  // it runs (the data-folder lock).
  void SetUp() override {
    SandboxedTest::SetUp();
    CreateSharedResources(common::App().instance);
    ASSERT_TRUE(common::ClearHistoryFile());
  }
  void TearDown() override {
    common::ClearHistoryFile();
    ReleaseSharedResources();
  }

  // Opens the viewer on this thread while `drive` works it from another.
  static void Run(const std::function<void(HWND dialog, HWND list)>& drive) {
    std::thread driver([&] {
      HWND dialog = nullptr;
      WaitUntil([&] { return (dialog = ::FindWindowW(L"#32770", L"Obrivo History")) != nullptr; },
                10s);
      if (!dialog) {
        ADD_FAILURE() << "the history viewer did not open";
        return;
      }
      drive(dialog, ::GetDlgItem(dialog, IDC_PAGE_LIST));
      ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    ShowHistoryViewer(nullptr);
    driver.join();
  }

  static std::vector<Row> Rows(HWND list) {
    std::vector<Row> rows;
    for (int r = 0; r < RowCount(list); ++r)
      rows.push_back({CellText(list, r, 0), CellText(list, r, 1), CellText(list, r, 2)});
    return rows;
  }

  static void ClickHeader(HWND dialog, HWND list, int column) {
    NMLISTVIEW notice{};
    notice.hdr.hwndFrom = list;
    notice.hdr.idFrom = IDC_PAGE_LIST;
    notice.hdr.code = LVN_COLUMNCLICK;
    notice.iItem = -1;
    notice.iSubItem = column;
    ::SendMessageW(dialog, WM_NOTIFY, IDC_PAGE_LIST, reinterpret_cast<LPARAM>(&notice));
  }

  static int RowOf(HWND list, const std::string& title) {
    for (int r = 0; r < RowCount(list); ++r)
      if (CellText(list, r, 0) == title) return r;
    ADD_FAILURE() << "no row titled " << title;
    return -1;
  }

  // The row selected by its first click, then the second click of a double-click on its label,
  // which the list turns into NM_DBLCLK for that row.
  static void DoubleClick(HWND list, int row) {
    SelectRow(list, row);
    RECT r{};
    r.left = LVIR_LABEL;
    ASSERT_TRUE(::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                               reinterpret_cast<LPARAM>(&r)));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ::SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  }

  static bool RestoreEnabled(HWND dialog) {
    return ::IsWindowEnabled(::GetDlgItem(dialog, IDC_HISTORY_RESTORE)) != FALSE;
  }

  // A line as another program (or a person with an editor) may have left it.
  static void AppendRawLine(const std::string& line) {
    ASSERT_TRUE(test::WriteBytes(common::HistoryFilePath(), line + "\r\n", true));
  }
};

TEST_F(HistoryViewer, RowsShowEveryRecordAndRestoreOnlyWhereAnUndoExists) {
  ASSERT_TRUE(common::WriteHistory(kNewProgram, 1, "Beta", "C:\\beta.exe", "a program"));
  ASSERT_TRUE(common::WriteHistory(kStartRemove, 1, "Alpha", "C:\\alpha.exe", ""));
  ASSERT_TRUE(common::WriteHistory(kHiddenDelete, 370, "Gamma", "C:\\gamma.dat", ""));
  // Names in neither table, and too few fields: still a row, never one that restores.
  AppendRawLine("01/02/2020  3:04 PM\t*START_Bogus\tTYPE_Bogus\tDelta");

  Run([&](HWND dialog, HWND list) {
    EXPECT_EQ(Rows(list), (std::vector<Row>{{"Beta", "START_Alert", "MACHINE_RUN"},
                                            {"Alpha", "*START_Remove", "MACHINE_RUN"},
                                            {"Gamma", "*HIDDEN_DeleteFile", "TYPE_HIDDEN"},
                                            {"Delta", "LOG_UNKNOWN", "TYPE_UNKNOWN"}}));
    const struct {
      int row, event;
    } cases[] = {{0, kNewProgram}, {1, kStartRemove}, {2, kHiddenDelete}, {3, -1}};
    for (const auto& c : cases) {
      SCOPED_TRACE(c.row);
      SelectRow(list, c.row);
      // Gamma's copy was never kept in the vault: no undo is offered for it.
      const bool undoExists = c.event >= 0 && c.event != kHiddenDelete &&
                              static_cast<bool>(HistoryRestoreFor(c.event));
      EXPECT_EQ(RestoreEnabled(dialog), undoExists);
      if (undoExists) continue;
      // The command reaching a row without an undo (as a keyboard accelerator could) does
      // nothing. Sent, so that it is handled before the next row is selected.
      ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_RESTORE, BN_CLICKED), 0);
      EXPECT_EQ(RowCount(list), 4);
    }
  });
}

// Events 1 and 2 carry no "*", yet they have an undo: Restore is offered for them as a
// double-click is, and either reverses the disable or the enable the row records, only ever back.
// Rows are found by title, so the order they stand in does not matter.
TEST_F(HistoryViewer, RestoreAndDoubleClickReverseADisableAndAnEnable) {
  const std::string runKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::string paused = "C:\\Tools\\paused.exe -tray", resumed = "C:\\Tools\\resumed.exe";
  ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, runKey, "Paused", paused));
  ASSERT_TRUE(startup::ToggleStartupEntry("Paused", paused, "", kCurrentRun));
  ASSERT_TRUE(startup::IsStartupEntryDisabled(kCurrentRun, "Paused"));
  ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, runKey, "Resumed", resumed));
  ASSERT_TRUE(common::WriteHistory(kStartDisable, kCurrentRun, "Paused", paused, ""));
  ASSERT_TRUE(common::WriteHistory(kStartEnable, kCurrentRun, "Resumed", resumed, ""));
  ASSERT_TRUE(common::WriteHistory(kNewProgram, kCurrentRun, "Other", "C:\\other.exe", ""));
  const auto inRun = [&](const char* name) { return ValueExists(HKEY_CURRENT_USER, runKey, name); };

  Run([&](HWND dialog, HWND list) {
    for (const char* title : {"Paused", "Resumed"}) {
      SCOPED_TRACE(title);
      SelectRow(list, RowOf(list, title));
      EXPECT_TRUE(RestoreEnabled(dialog));
    }

    SelectRow(list, RowOf(list, "Paused"));
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_RESTORE, BN_CLICKED), 0);
    EXPECT_FALSE(startup::IsStartupEntryDisabled(kCurrentRun, "Paused")) << "the disable reversed";
    EXPECT_EQ(common::ReadStoreString(runKey, HKEY_CURRENT_USER, "Paused", 260), paused);

    DoubleClick(list, RowOf(list, "Resumed"));
    EXPECT_TRUE(startup::IsStartupEntryDisabled(kCurrentRun, "Resumed")) << "the enable reversed";
    EXPECT_FALSE(inRun("Resumed"));

    DoubleClick(list, RowOf(list, "Paused"));  // already back: stays enabled
    EXPECT_FALSE(startup::IsStartupEntryDisabled(kCurrentRun, "Paused"));

    SelectRow(list, RowOf(list, "Other"));  // nothing to undo
    EXPECT_FALSE(RestoreEnabled(dialog));
    DoubleClick(list, RowOf(list, "Other"));
    EXPECT_EQ(RowCount(list), 3);
  });
}

// A removed add-on (event 3): Restore is offered for its row as a double-click is, and pressing
// it writes the saved registration back.
TEST_F(HistoryViewer, RestoreWritesBackARemovedAddOn) {
  const std::string bho =
      "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\"
      "{4D5E6F70-0000-4000-8000-00000000000A}";
  ASSERT_TRUE(common::WriteStoreString(
      HKEY_CLASSES_ROOT, "CLSID\\{4D5E6F70-0000-4000-8000-00000000000A}\\InprocServer32", "",
      "C:\\Add-ons\\restored.dll"));
  ASSERT_TRUE(common::WriteStoreString(HKEY_LOCAL_MACHINE, bho, "NoExplorer", "1"));
  ASSERT_EQ(browser::EnumIEHelpers(), 1u);
  ASSERT_TRUE(browser::RemoveIEHelper(common::Items().At(0)).removed);
  ASSERT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, bho));

  Run([&](HWND dialog, HWND list) {
    ASSERT_EQ(RowCount(list), 1);
    SelectRow(list, 0);
    EXPECT_TRUE(RestoreEnabled(dialog));
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_RESTORE, BN_CLICKED), 0);
  });
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, bho));
  EXPECT_EQ(common::ReadStoreString(bho, HKEY_LOCAL_MACHINE, "NoExplorer", 16), "1");
}

TEST_F(HistoryViewer, HeaderClicksSortBothWaysAndTheSortColumnIsStored) {
  for (const char* title : {"Beta", "alpha", "Gamma"})
    ASSERT_TRUE(common::WriteHistory(kNewProgram, 1, title, "C:\\x.exe", ""));
  const auto titles = [](HWND list) {
    std::vector<std::string> t;
    for (int r = 0; r < RowCount(list); ++r) t.push_back(CellText(list, r, 0));
    return t;
  };
  Run([&](HWND dialog, HWND list) {
    ClickHeader(dialog, list, 0);
    EXPECT_EQ(titles(list), (std::vector<std::string>{"alpha", "Beta", "Gamma"}));
    ClickHeader(dialog, list, 0);
    EXPECT_EQ(titles(list), (std::vector<std::string>{"Gamma", "Beta", "alpha"}));
    EXPECT_EQ(common::ReadOption("SortHistory", 0), 1);
    ClickHeader(dialog, list, 1);
    EXPECT_EQ(common::ReadOption("SortHistory", 0), 2);
  });
  // The stored column sorts the rows when the viewer opens.
  common::WriteOption("SortHistory", 1);
  Run([&](HWND, HWND list) {
    EXPECT_EQ(titles(list), (std::vector<std::string>{"alpha", "Beta", "Gamma"}));
  });
}

TEST_F(HistoryViewer, ColumnWidthsAreKeptUnderTheViewersOwnCode) {
  Run([](HWND, HWND list) { ListView_SetColumnWidth(list, 2, 123); });
  EXPECT_EQ(common::ReadOption("Column60412", 0), 123);
  Run([](HWND, HWND list) { EXPECT_EQ(ListView_GetColumnWidth(list, 2), 123); });
}

TEST_F(HistoryViewer, ClearFileEmptiesTheListAndRemovesTheFile) {
  ASSERT_TRUE(common::WriteHistory(kNewProgram, 1, "Beta", "C:\\beta.exe", ""));
  Run([](HWND dialog, HWND list) {
    ASSERT_EQ(RowCount(list), 1);
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_CLEAR, BN_CLICKED), 0);
    EXPECT_EQ(RowCount(list), 0);
    EXPECT_FALSE(win32::IsExistingFile(common::HistoryFilePath()));
  });
}

}  // namespace
}  // namespace obrivo::explorer
