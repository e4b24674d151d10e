// The Active Tasks page opened in the test process and driven by control id: the running
// programs with their columns, Refresh, and Kill Task on the selected rows of a re-sorted list.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "common/first_detected.h"
#include "common/history.h"
#include "common/items.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/wide.h"
#include "core/text.h"
#include "explorer/explorer_state.h"
#include "explorer/list_view.h"
#include "explorer/sheet.h"
#include "explorer_ids.h"
#include "running_copies.h"
#include "system/processes.h"
#include "test_process.h"
#include "wine_test_env.h"

namespace obrivo::explorer {
namespace {

using namespace std::chrono_literals;
using test::WaitUntil;

constexpr int kModule = 0, kDescription = 1, kCompany = 2, kDetected = 3;

class ActiveTasksPage : public test::SandboxedTest {
 protected:
  void SetUp() override {
    SandboxedTest::SetUp();
    CreateSharedResources(common::App().instance);
    common::ClearHistoryFile();
  }
  void TearDown() override {
    copies_.EndAll();
    common::ClearHistoryFile();
    ReleaseSharedResources();
  }

  test::Process& Run(const std::string& name, const std::string& source,
                     const std::string& subfolder = {}) {
    test::Process& p = copies_.Run(name, source, subfolder);
    EXPECT_TRUE(p.started()) << name;
    return p;
  }
  test::Process& Start(const std::string& path) {
    test::Process& p = copies_.Start(path);
    EXPECT_TRUE(p.started()) << path;
    return p;
  }

  // Opens the sheet on the Active Tasks page on this thread while `drive` works the page.
  static void OnPage(const std::function<void(HWND page, HWND list)>& drive) {
    std::thread driver([&] {
      HWND sheet = nullptr;
      WaitUntil([&] { return (sheet = Explorer().sheet) != nullptr; }, 10s);
      HWND page = sheet ? PropSheet_GetCurrentPageHwnd(sheet) : nullptr;
      if (page)
        drive(page, ::GetDlgItem(page, IDC_PAGE_LIST));
      else
        ADD_FAILURE() << "the page did not open";
      if (sheet) ::PostMessageW(sheet, WM_CLOSE, 0, 0);
    });
    OpenSheet(6029);
    driver.join();
  }

  test::RunningCopies copies_{common::ProgramFolder() + "\\page-tasks"};
  const std::string& folder_ = copies_.folder();
  const std::string& plain_ = copies_.plain();
  const std::string& described_ = copies_.described();
};

// The rows, each as its cells.
std::vector<std::vector<std::string>> Rows(HWND list) {
  std::vector<std::vector<std::string>> rows;
  for (int row = 0; row < RowCount(list); ++row) {
    std::vector<std::string> cells;
    for (int column = 0; column < ColumnCount(list); ++column)
      cells.push_back(CellText(list, row, column));
    rows.push_back(cells);
  }
  return rows;
}

// The row showing `module` (and `description`, when given); -1 when none does.
int RowOf(HWND list, const std::string& module, const std::string& description = {}) {
  for (int row = 0; row < RowCount(list); ++row)
    if (CellText(list, row, kModule) == module &&
        (description.empty() || CellText(list, row, kDescription) == description))
      return row;
  return -1;
}

void Click(HWND page, int id) {
  ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(page, id)));
}

void ClickHeader(HWND page, HWND list, int column) {
  NMLISTVIEW click{};
  click.hdr = {list, static_cast<UINT_PTR>(IDC_PAGE_LIST), static_cast<UINT>(LVN_COLUMNCLICK)};
  click.iItem = -1;
  click.iSubItem = column;
  ::SendMessageW(page, WM_NOTIFY, IDC_PAGE_LIST, reinterpret_cast<LPARAM>(&click));
}

void Select(HWND list, int row, bool selected) {
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED;
  state.state = selected ? LVIS_SELECTED : 0;
  ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&state));
}

TEST_F(ActiveTasksPage, ListsRunningProgramsWithTheirColumnsAndRefreshes) {
  const std::string path = folder_ + "\\zz-listed.exe";
  Run("zz-listed.exe", described_);
  OnPage([&](HWND page, HWND list) {
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ColumnCount(list), 4);
    const int row = RowOf(list, "zz-listed.exe");
    ASSERT_GE(row, 0) << "the running program has its row";
    EXPECT_EQ(CellText(list, row, kDescription), "Waiting Fixture Program");
    EXPECT_EQ(CellText(list, row, kCompany), "Fixture Works");
    const std::string today = core::TruncateChars(common::LocalDateTimeNow(), 24);
    EXPECT_EQ(CellText(list, row, kDetected), today) << "dated now, when it had no date";
    EXPECT_EQ(common::LookupFirstDetected(600, path), today);
    for (const auto& cells : Rows(list)) {
      EXPECT_FALSE(cells[kModule].empty());
      EXPECT_EQ(cells[kModule].find('\\'), std::string::npos) << "the file name only";
    }
    // The same file twice is one row.
    Start(path);
    Run("zz-late.exe", plain_);
    EXPECT_EQ(RowOf(list, "zz-late.exe"), -1) << "not before Refresh";
    Click(page, IDC_REFRESH);
    EXPECT_TRUE(WaitUntil([&] { return RowOf(list, "zz-late.exe") >= 0; }, 10s));
    int listed = 0;
    for (const auto& cells : Rows(list)) listed += cells[kModule] == "zz-listed.exe";
    EXPECT_EQ(listed, 1);
    EXPECT_EQ(CellText(list, RowOf(list, "zz-late.exe"), kDescription), "zz-late");
    EXPECT_EQ(CellText(list, RowOf(list, "zz-late.exe"), kCompany), "");
  });
}

TEST_F(ActiveTasksPage, KillTaskEndsTheProgramsOfTheSelectedRowsAfterResorting) {
  test::Process& alpha = Run("zz-alpha.exe", described_);
  test::Process& beta = Run("zz-beta.exe", described_);
  test::Process& gamma = Run("zz-gamma.exe", described_);
  // Two programs with one file name in two folders: the row chosen ends its own program.
  test::Process& twinA = Run("zz-twin.exe", plain_, "a");
  test::Process& twinB = Run("zz-twin.exe", described_, "b");
  OnPage([&](HWND page, HWND list) {
    ASSERT_NE(list, nullptr);
    for (const char* module : {"zz-alpha.exe", "zz-beta.exe", "zz-gamma.exe"})
      ASSERT_GE(RowOf(list, module), 0) << module;
    ASSERT_GE(RowOf(list, "zz-twin.exe", "zz-twin"), 0);
    ASSERT_GE(RowOf(list, "zz-twin.exe", "Waiting Fixture Program"), 0);

    // No selection: message 57, nothing ends.
    Click(page, IDC_KILL_TASK);
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = ::FindWindowW(L"#32770", L"Obrivo Help")); }, 5s));
    EXPECT_NE(test::WindowText(::GetDlgItem(box, 0xFFFF)).find(L"No selection has been made."),
              std::wstring::npos);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([] { return !::FindWindowW(L"#32770", L"Obrivo Help"); }, 5s));

    // Module, then Module again: descending, so rows no longer stand at their items' places.
    ClickHeader(page, list, kModule);
    ClickHeader(page, list, kModule);
    EXPECT_EQ(common::ReadOption("SortActiveTask", 0), 1);
    const int rowAlpha = RowOf(list, "zz-alpha.exe");
    const int rowGamma = RowOf(list, "zz-gamma.exe");
    const int rowTwin = RowOf(list, "zz-twin.exe", "Waiting Fixture Program");
    ASSERT_LT(rowGamma, rowAlpha) << "sorted descending";
    EXPECT_TRUE(RowItemIndex(list, rowAlpha) != rowAlpha ||
                RowItemIndex(list, rowGamma) != rowGamma)
        << "the sort moved the rows away from their items";
    for (int row = 0; row < RowCount(list); ++row) Select(list, row, false);
    for (int row : {rowAlpha, rowGamma, rowTwin}) Select(list, row, true);
    Click(page, IDC_KILL_TASK);
    EXPECT_TRUE(WaitUntil([&] { return RowOf(list, "zz-alpha.exe") < 0; }, 10s))
        << "refilled without the ended programs";
    EXPECT_EQ(::FindWindowW(L"#32770", L"Obrivo Help"), nullptr) << "no confirmation";
  });
  EXPECT_EQ(alpha.WaitForExit(5s), 1u);
  EXPECT_EQ(gamma.WaitForExit(5s), 1u);
  EXPECT_EQ(twinB.WaitForExit(5s), 1u);
  EXPECT_TRUE(beta.Running()) << "not selected";
  EXPECT_TRUE(twinA.Running()) << "same file name, another program";

  // One record per ended program, in row order.
  ASSERT_EQ(common::LoadHistory(), 3u);
  std::vector<std::string> recorded;
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(common::ItemFlag(i), 5);
    EXPECT_EQ(common::ItemType(i), 600);
    EXPECT_EQ(common::ItemTitle(i), "Waiting Fixture Program");
    recorded.push_back(common::ItemPath(i));
  }
  EXPECT_EQ(recorded,
            (std::vector<std::string>{folder_ + "\\b\\zz-twin.exe", folder_ + "\\zz-gamma.exe",
                                      folder_ + "\\zz-alpha.exe"}));
}

// The Info window's Kill Task ends the row's own process, whatever arguments it was started with,
// and records the kill as the page's button does.
TEST_F(ActiveTasksPage, InfoWindowKillTaskEndsTheRowsProcess) {
  test::Process& shown = Run("zz-info.exe", described_);  // started with an argument
  OnPage([&](HWND page, HWND list) {
    ASSERT_NE(list, nullptr);
    const int row = RowOf(list, "zz-info.exe");
    ASSERT_GE(row, 0);
    for (int r = 0; r < RowCount(list); ++r) Select(list, r, r == row);
    ::PostMessageW(::GetDlgItem(page, IDC_INFO), BM_CLICK, 0, 0);
    HWND info = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
          info = ::FindWindowW(L"#32770", L"Waiting Fixture Program");
          return info && ::IsWindowVisible(info);
        },
        10s));
    EXPECT_EQ(test::WindowText(::GetDlgItem(info, IDC_INFO_STATUS)), L"Running");
    ::SendMessageW(info, WM_COMMAND, MAKEWPARAM(IDC_INFO_KILL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(info, IDC_INFO_KILL)));
    EXPECT_EQ(shown.WaitForExit(5s), 1u);
    EXPECT_EQ(test::WindowText(::GetDlgItem(info, IDC_INFO_STATUS)), L"Ready");
    ::PostMessageW(info, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(info); }, 10s));
  });
  ASSERT_EQ(common::LoadHistory(), 1u);
  EXPECT_EQ(common::ItemFlag(0), 5);
  EXPECT_EQ(common::ItemPath(0), folder_ + "\\zz-info.exe");
}

}  // namespace
}  // namespace obrivo::explorer
