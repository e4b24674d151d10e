// The Scheduled Tasks page opened in the test process and driven by control id: its columns for
// work items and folder tasks, Remove with its question, a removal that fails, and the status
// line of a scheduler that cannot run.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "common/history.h"
#include "common/items.h"
#include "common/store.h"
#include "common/utilities.h"
#include "core/history_codes.h"
#include "core/text.h"
#include "explorer/explorer_state.h"
#include "explorer/list_view.h"
#include "explorer/sheet.h"
#include "explorer_driver.h"
#include "explorer_ids.h"
#include "system/scheduled_tasks.h"
#include "system/task_baseline.h"
#include "system/task_sources.h"
#include "task_fixtures.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

constexpr int kPageCode = 6039;
constexpr int kProgram = 1, kCompany = 2, kNextRun = 3, kLastRun = 4;  // column 0 is the name

std::wstring StatusText() {
  HWND bar = explorer::SheetStatusBar();
  if (!bar) return L"<no status bar>";
  wchar_t text[512] = {};
  ::SendMessageW(bar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
  return text;
}

std::string ColumnHeading(HWND list, int column) {
  wchar_t text[64] = {};
  LVCOLUMNW c{};
  c.mask = LVCF_TEXT;
  c.pszText = text;
  c.cchTextMax = 64;
  ::SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&c));
  return win32::Narrow(text);
}

bool Listed(std::string_view name) {
  for (const system::ScheduledTask& task : system::ListScheduledTasks().tasks)
    if (task.name == name) return true;
  return false;
}

void PostCommand(HWND page, int id) {
  ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(page, id)));
}

class ScheduledTasksPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    common::InitApp(core::Program::Explorer, ::GetModuleHandleW(nullptr));
    common::App().languageId = 9;
    explorer::CreateSharedResources(common::App().instance);
    ASSERT_EQ(system::StartScheduler(), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_TRUE(common::ClearHistoryFile());
  }
  void TearDown() override { explorer::ReleaseSharedResources(); }

  RegistrySandbox sandbox_{RegistrySandbox::Hives::CurrentUser};
};

TEST_F(ScheduledTasksPageTest, ShowsWorkItemsAndFolderTasksInTheirColumns) {
  const std::string program = win32::ModuleFileName();  // has a file, so an icon
  const FixtureWorkItem workItem({L"tasktest-page", L"C:\\Tools\\agent.exe", L"",
                                  At(2099, 2, 3, 0, 5)});
  const FixtureWorkItem ownProgram({L"tasktest-own", win32::Wide(program), L"",
                                    At(2099, 2, 3, 13, 0)});
  const FixtureFolderTask folderTask(L"\\TaskTest", L"Page task", TaskXml(L"C:\\page.exe"));
  ASSERT_TRUE(workItem.saved() && ownProgram.saved() && folderTask.registered());
  RunSheet(kPageCode, [&](HWND sheet, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    const std::vector<std::string> headings = {"Name", "Program", "Company", "Next Run Time",
                                               "Last Run Time"};
    ASSERT_EQ(explorer::ColumnCount(list), 5);
    for (int column = 0; column < 5; ++column)
      EXPECT_EQ(ColumnHeading(list, column), headings[static_cast<std::size_t>(column)]);

    // A work item shows without its .job extension, a folder task by its path.
    const int row = RowOf(list, "tasktest-page");
    ASSERT_GE(row, 0);
    EXPECT_EQ(explorer::CellText(list, row, kProgram), "agent.exe");
    EXPECT_EQ(explorer::CellText(list, row, kCompany), "");
    EXPECT_EQ(explorer::CellText(list, row, kNextRun), "02/03/2099  12:05 AM");
    EXPECT_EQ(explorer::CellText(list, row, kLastRun), "Never");
    EXPECT_EQ(RowOf(list, "tasktest-page.job"), -1);
    const int own = RowOf(list, "tasktest-own");
    ASSERT_GE(own, 0);
    EXPECT_EQ(explorer::CellText(list, own, kProgram), core::FileNamePart(program));
    EXPECT_EQ(explorer::CellText(list, own, kNextRun), "02/03/2099  1:00 PM");
    EXPECT_GE(RowOf(list, folderTask.path()), 0);
    EXPECT_EQ(StatusText(), L"");  // the whole list: nothing to say

    SelectRows(list, {row});
    SaveDesktopScreenshot(L"explorer-scheduled-tasks-page.bmp", sheet);
  });
}

// Remove asks first (No keeps the task); Yes deletes it, drops its baseline value and records
// the removal with its kept copy. With nothing selected it says so.
TEST_F(ScheduledTasksPageTest, RemoveAsksThenDeletesAndForgetsTheTask) {
  const FixtureWorkItem item({L"tasktest-remove", L"C:\\r.exe", L"", At(2099, 1, 1, 1, 1)});
  ASSERT_TRUE(item.saved());
  ASSERT_TRUE(system::AcceptTask(item.jobName()));
  RunSheet(kPageCode, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    SelectRows(list, {});
    PostCommand(page, IDC_REMOVE);
    EXPECT_NE(DismissMessageBox(L"Obrivo Help"), L"");  // choose a row first

    SelectRows(list, {RowOf(list, "tasktest-remove")});
    PostCommand(page, IDC_REMOVE);
    const std::wstring question = AnswerQuestion(IDNO, page);
    EXPECT_NE(question.find(L"You have chosen to remove tasktest-remove"), std::wstring::npos)
        << win32::Narrow(question);
    EXPECT_TRUE(Listed(item.jobName()));
    EXPECT_GE(RowOf(list, "tasktest-remove"), 0);

    SelectRows(list, {RowOf(list, "tasktest-remove")});
    PostCommand(page, IDC_REMOVE);
    EXPECT_NE(AnswerQuestion(IDYES, page), L"");
    EXPECT_FALSE(Listed(item.jobName()));
    EXPECT_EQ(RowOf(list, "tasktest-remove"), -1);  // the list was filled again
  });
  EXPECT_FALSE(system::IsTaskAccepted(item.jobName()));
  common::LoadHistory();
  bool recorded = false;
  for (std::size_t i = 0; i < common::ItemCount(); ++i) {
    const core::Item& r = common::Items().At(i);
    recorded = recorded || (r.flag == core::history_event::kScheduledTaskRemove &&
                            core::EntryName(r) == item.jobName() && win32::IsExistingFile(r.path));
  }
  EXPECT_TRUE(recorded);
}

// A deletion that fails is said, the task stays listed and its baseline value stays.
TEST_F(ScheduledTasksPageTest, ARemovalThatFailsIsSaidAndKeepsTheBaseline) {
  const FixtureWorkItem item({L"tasktest-kept", L"C:\\k.exe", L"", At(2099, 1, 1, 1, 1)});
  ASSERT_TRUE(item.saved());
  ASSERT_TRUE(system::AcceptTask(item.jobName()));
  const std::wstring removed = win32::Wide(common::ProgramFolder() + "\\Removed");
  const std::wstring aside = removed + L" aside";
  const bool moved = ::MoveFileW(removed.c_str(), aside.c_str());
  ASSERT_TRUE(WriteRawFile(win32::Narrow(removed), "in the way"));
  RunSheet(kPageCode, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    SelectRows(list, {RowOf(list, "tasktest-kept")});
    PostCommand(page, IDC_REMOVE);
    EXPECT_NE(AnswerQuestion(IDYES, page), L"");
    const std::wstring said = DismissMessageBox(L"Obrivo Help");
    EXPECT_NE(said.find(L"could not be deleted"), std::wstring::npos) << win32::Narrow(said);
    Settle(page);
    EXPECT_GE(RowOf(list, "tasktest-kept"), 0);
  });
  ::DeleteFileW(removed.c_str());
  if (moved) ::MoveFileW(aside.c_str(), removed.c_str());
  EXPECT_TRUE(Listed(item.jobName()));
  EXPECT_TRUE(system::IsTaskAccepted(item.jobName()));
}

// The Info window's notes hold the task's status and, on the next line, its comment.
TEST_F(ScheduledTasksPageTest, InfoNotesShowTheStatusAndTheComment) {
  const struct {
    std::wstring name, comment;
    SYSTEMTIME runOnce;
    std::wstring notes;
  } cases[] = {
      {L"tasktest-notes", L"Checks for updates", At(2099, 1, 1, 1, 1),
       L"Status: Ready\r\nChecks for updates"},
      {L"tasktest-unscheduled", L"", SYSTEMTIME{}, L"Status: Not Scheduled\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(win32::Narrow(c.name));
    const FixtureWorkItem item({c.name, L"C:\\n.exe", c.comment, c.runOnce});
    ASSERT_TRUE(item.saved());
    RunSheet(kPageCode, [&](HWND, HWND page) {
      HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
      SelectRows(list, {RowOf(list, win32::Narrow(c.name))});
      PostClick(page, IDC_INFO);
      HWND info = WaitForDialog(win32::Wide(item.jobName()).c_str());
      ASSERT_NE(info, nullptr);
      EXPECT_EQ(WindowText(::GetDlgItem(info, IDC_INFO_NOTES)), c.notes);
      ::PostMessageW(info, WM_COMMAND, IDCANCEL, 0);
      ASSERT_TRUE(WaitUntilHandled(info, page));
    });
  }
}

TEST_F(ScheduledTasksPageTest, ASchedulerThatCannotRunLeavesTheListEmptyAndSaysWhy) {
  const FixtureWorkItem item({L"tasktest-unseen", L"C:\\u.exe", L"", At(2099, 1, 1, 1, 1)});
  ASSERT_TRUE(item.saved());
  const std::wstring saved = system::detail::SchedulerServiceName();
  system::detail::SchedulerServiceName() = L"ObrivoTestNoSuchScheduler";
  RunSheet(kPageCode, [&](HWND, HWND page) {
    EXPECT_EQ(explorer::RowCount(::GetDlgItem(page, IDC_PAGE_LIST)), 0);
    EXPECT_NE(StatusText().find(L"The Task Scheduler is not running"), std::wstring::npos)
        << win32::Narrow(StatusText());
  });
  system::detail::SchedulerServiceName() = saved;
  EXPECT_TRUE(Listed(item.jobName()));
}

}  // namespace
}  // namespace obrivo::test
