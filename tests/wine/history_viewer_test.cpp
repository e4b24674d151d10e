// The history viewer driven by control id: its rows, Restore only where an undo exists,
// sorting with the stored sort column, column widths kept, and Clear File.
#include "explorer/history_viewer.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

#include "common/history.h"
#include "common/store.h"
#include "common/win32/files.h"
#include "core/history_record.h"
#include "explorer/explorer_state.h"
#include "explorer/list_view.h"
#include "explorer_ids.h"
#include "file_bytes.h"
#include "test_process.h"
#include "wine_test_env.h"

namespace obrivo::explorer {
namespace {

using namespace std::chrono_literals;
using test::WaitUntil;

constexpr int kStartRemove = 0, kNewProgram = 6, kHiddenDelete = 29;

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
      const bool undoExists = c.event >= 0 && core::IsRestorableEvent(c.event) &&
                              static_cast<bool>(HistoryRestoreFor(c.event));
      EXPECT_EQ(RestoreEnabled(dialog), undoExists);
      // A row that cannot be restored is not restored by a double-click either.
      ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_RESTORE, BN_CLICKED), 0);
    }
    EXPECT_EQ(RowCount(list), 4);
  });
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
