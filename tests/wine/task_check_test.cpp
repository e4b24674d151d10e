// The scheduled-task check against the real Task Scheduler, with recording hooks in place of the
// alert: which tasks are asked about, what each answer does to the scheduler, the baseline and
// the history, and the history's Restore of a rejected task.
#include "system/task_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "common/history.h"
#include "common/items.h"
#include "common/store.h"
#include "common/utilities.h"
#include "core/alert_rules.h"
#include "core/history_codes.h"
#include "system/scheduled_tasks.h"
#include "system/task_baseline.h"
#include "system/task_removal.h"
#include "system/task_sources.h"
#include "task_fixtures.h"
#include "test_process.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

bool IsListed(std::string_view name) {
  const auto tasks = system::ListScheduledTasks().tasks;
  return std::any_of(tasks.begin(), tasks.end(),
                     [&](const system::ScheduledTask& t) { return t.name == name; });
}

// The history's records of one event for one task, newest last.
std::vector<core::Item> Records(int event, std::string_view name) {
  std::vector<core::Item> found;
  common::LoadHistory();
  for (std::size_t i = 0; i < common::ItemCount(); ++i) {
    const core::Item& r = common::Items().At(i);
    if (r.flag == event && core::EntryName(r) == name) found.push_back(r);
  }
  return found;
}

class TaskCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    common::InitApp(core::Program::Monitor, ::GetModuleHandleW(nullptr));
    common::App().languageId = 9;
    ASSERT_EQ(system::StartScheduler(), static_cast<DWORD>(ERROR_SUCCESS));
    // Every task the prefix has is known, so only the tests' own tasks are new.
    system::SnapshotTasks();
    // The history beside the program outlives the run.
    ASSERT_TRUE(common::ClearHistoryFile());
  }

  // Hooks answering by task name; every question and failure is recorded.
  system::TaskCheckHooks Hooks(const std::function<int(const std::string&)>& answer) {
    system::TaskCheckHooks hooks;
    hooks.askNewTask = [this, answer](const core::Item& item) {
      asked_.push_back(core::EntryName(item));
      return answer(core::EntryName(item));
    };
    hooks.showAlertIcon = [this] { ++alertIcons_; };
    hooks.removalFailed = [this](const core::Item& item, HRESULT hr) {
      failed_.push_back(core::EntryName(item));
      failure_ = hr;
    };
    return hooks;
  }

  bool Asked(std::string_view name) const {
    return std::find(asked_.begin(), asked_.end(), name) != asked_.end();
  }

  RegistrySandbox sandbox_{RegistrySandbox::Hives::CurrentUser};
  std::vector<std::string> asked_, failed_;
  int alertIcons_ = 0;
  HRESULT failure_ = S_OK;
};

TEST_F(TaskCheckTest, EachAnswerActsOnTheTaskTheBaselineAndTheHistory) {
  const FixtureWorkItem accepted({L"tasktest-yes", L"C:\\y.exe", L"", At(2099, 1, 1, 1, 1)});
  const FixtureWorkItem rejected({L"tasktest-no", L"C:\\n.exe", L"", At(2099, 1, 1, 1, 1)});
  const FixtureWorkItem unanswered({L"tasktest-later", L"C:\\u.exe", L"", At(2099, 1, 1, 1, 1)});
  const FixtureFolderTask rejectedFolderTask(L"\\TaskTest\\Check", L"Rejected",
                                             TaskXml(L"C:\\r.exe", L"Kept for undo"));
  const FixtureFolderTask acceptedFolderTask(L"\\TaskTest\\Check", L"Accepted",
                                             TaskXml(L"C:\\a.exe"));
  ASSERT_TRUE(accepted.saved() && rejected.saved() && unanswered.saved());
  ASSERT_TRUE(rejectedFolderTask.registered() && acceptedFolderTask.registered());
  const std::vector<std::string> no = {rejected.jobName(), rejectedFolderTask.path()};
  const std::vector<std::string> yes = {accepted.jobName(), acceptedFolderTask.path()};

  system::CheckScheduledTasks(Hooks([&](const std::string& name) {
    if (std::find(no.begin(), no.end(), name) != no.end()) return core::kAlertNo;
    if (std::find(yes.begin(), yes.end(), name) != yes.end()) return core::kAlertYes;
    return 0;  // the alert could not be shown
  }));

  EXPECT_EQ(asked_.size(), 5u);
  EXPECT_EQ(alertIcons_, 5);
  EXPECT_TRUE(failed_.empty());
  for (const std::string& name : yes) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(IsListed(name));
    EXPECT_TRUE(system::IsTaskAccepted(name));
    EXPECT_TRUE(Records(core::history_event::kScheduledTaskRemove, name).empty());
  }
  for (const std::string& name : no) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(IsListed(name));
    EXPECT_FALSE(system::IsTaskAccepted(name));
    const auto records = Records(core::history_event::kScheduledTaskRemove, name);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].type, core::item_type::kScheduledTask);
    EXPECT_TRUE(win32::IsExistingFile(records[0].path)) << records[0].path;
  }
  // Unanswered: still there, still new.
  EXPECT_TRUE(IsListed(unanswered.jobName()));
  EXPECT_FALSE(system::IsTaskAccepted(unanswered.jobName()));

  // The next patrol asks only about what is still new.
  asked_.clear();
  system::CheckScheduledTasks(Hooks([](const std::string&) { return 0; }));
  EXPECT_EQ(asked_, std::vector<std::string>{unanswered.jobName()});
}

TEST_F(TaskCheckTest, ExemptTasksAndAStoppedSchedulerAskNothing) {
  // Work item names cannot hold a dot before their extension; 2.0 task names can.
  const FixtureFolderTask exempt(L"\\TaskTest", L"McAfee.com updater", TaskXml(L"C:\\m.exe"));
  const FixtureFolderTask lower(L"\\TaskTest", L"tasktest mcafee.COM", TaskXml(L"C:\\m.exe"));
  const FixtureWorkItem plain({L"tasktest-plain", L"C:\\p.exe", L"", At(2099, 1, 1, 1, 1)});
  ASSERT_TRUE(exempt.registered() && lower.registered());
  ASSERT_TRUE(plain.saved()) << plain.error();
  {
    const std::wstring saved = system::detail::SchedulerServiceName();
    system::detail::SchedulerServiceName() = L"ObrivoTestNoSuchScheduler";
    system::CheckScheduledTasks(Hooks([](const std::string&) { return core::kAlertNo; }));
    system::detail::SchedulerServiceName() = saved;
  }
  EXPECT_TRUE(asked_.empty());
  EXPECT_TRUE(IsListed(plain.jobName()));  // nothing was removed unasked

  system::CheckScheduledTasks(Hooks([](const std::string&) { return core::kAlertYes; }));
  EXPECT_EQ(asked_, std::vector<std::string>{plain.jobName()});
  EXPECT_FALSE(system::IsTaskAccepted(exempt.path()));  // never asked, never accepted
  EXPECT_TRUE(IsListed(exempt.path()));
}

// A baseline the start-up could not take (the scheduler was down) is taken by the first check
// that finds the scheduler running, instead of every task there is being asked about.
TEST_F(TaskCheckTest, AnUntakenBaselineIsTakenByTheCheckWithoutAsking) {
  const FixtureWorkItem existing({L"tasktest-existing", L"C:\\e.exe", L"", At(2099, 1, 1, 1, 1)});
  ASSERT_TRUE(existing.saved());
  ASSERT_TRUE(common::DeleteStoreTree(HKEY_CURRENT_USER, "Software\\Tolvane\\Obrivo\\Tasks"));
  ASSERT_FALSE(system::IsTaskBaselineTaken());
  system::CheckScheduledTasks(Hooks([](const std::string&) { return core::kAlertNo; }));
  EXPECT_TRUE(asked_.empty());
  EXPECT_TRUE(IsListed(existing.jobName()));
  EXPECT_TRUE(system::IsTaskBaselineTaken());
  EXPECT_TRUE(system::IsTaskAccepted(existing.jobName()));

  const FixtureWorkItem later({L"tasktest-after-baseline", L"C:\\l.exe", L"",
                               At(2099, 1, 1, 1, 1)});
  ASSERT_TRUE(later.saved());
  system::CheckScheduledTasks(Hooks([](const std::string&) { return core::kAlertYes; }));
  EXPECT_EQ(asked_, std::vector<std::string>{later.jobName()});
}

// When the definition cannot be kept, the task is not deleted (there would be no undo), the
// failure is reported and nothing is written as done.
TEST_F(TaskCheckTest, ARemovalThatFailsIsReportedAndRecordsNothing) {
  const FixtureWorkItem item({L"tasktest-stays", L"C:\\s.exe", L"", At(2099, 1, 1, 1, 1)});
  ASSERT_TRUE(item.saved());
  // A file where the Removed folder would be (the copies other tests kept are moved aside): no
  // copy can be kept.
  const std::wstring removed = win32::Wide(common::ProgramFolder() + "\\Removed");
  const std::wstring aside = removed + L" aside";
  const bool moved = ::MoveFileW(removed.c_str(), aside.c_str());
  ASSERT_TRUE(WriteRawFile(win32::Narrow(removed), "in the way"));
  system::CheckScheduledTasks(Hooks([](const std::string&) { return core::kAlertNo; }));
  ::DeleteFileW(removed.c_str());
  if (moved) ::MoveFileW(aside.c_str(), removed.c_str());

  EXPECT_EQ(failed_, std::vector<std::string>{item.jobName()});
  EXPECT_TRUE(FAILED(failure_));
  EXPECT_TRUE(IsListed(item.jobName()));
  EXPECT_TRUE(Records(core::history_event::kScheduledTaskRemove, item.jobName()).empty());
}

// The history's Restore registers a removed task again from its kept copy and accepts it; a task
// of that name registered meanwhile is never overwritten.
TEST_F(TaskCheckTest, RestoreBringsARemovedTaskBackOnce) {
  const FixtureWorkItem workItem({L"tasktest-undo", L"C:\\undo.exe", L"Undo me",
                                  At(2099, 6, 7, 8, 9)});
  const FixtureFolderTask folderTask(L"\\TaskTest\\Undo", L"Undo me", TaskXml(L"C:\\undo.exe"));
  ASSERT_TRUE(workItem.saved() && folderTask.registered());
  for (const std::string& name : {workItem.jobName(), folderTask.path()}) {
    SCOPED_TRACE(name);
    const system::TaskRemoval removal = system::RemoveScheduledTask(name);
    ASSERT_EQ(removal.result, S_OK);
    ASSERT_FALSE(IsListed(name));
    EXPECT_TRUE(system::RestoreScheduledTask(name, removal.copy));
    EXPECT_TRUE(IsListed(name));
    EXPECT_TRUE(system::IsTaskAccepted(name));
    EXPECT_FALSE(system::RestoreScheduledTask(name, removal.copy));  // it is there already
    EXPECT_EQ(Records(core::history_event::kTaskRestore, name).size(), 1u);  // once
  }
  EXPECT_EQ(system::GetTaskComment(workItem.jobName()), "Undo me");
  EXPECT_EQ(system::GetTaskNextRunText(workItem.jobName()), "06/07/2099  8:09 AM");
  EXPECT_FALSE(system::RestoreScheduledTask("tasktest-gone.job", common::ProgramFolder() +
                                                                     "\\no such copy.job"));
}

}  // namespace
}  // namespace obrivo::test
