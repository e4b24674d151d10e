// The task enumerator against Wine's real Task Scheduler, with work items the tests register and
// remove: what is listed, the run-time texts, the status texts and comments, deletion, and the
// names and items the scheduler hands out that a careless reader gets wrong.
#include "system/scheduled_tasks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "common/items.h"
#include "core/history_codes.h"
#include "core/text.h"
#include "system/task_sources.h"
#include "task_fixtures.h"
#include "test_process.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

using system::ScheduledTask;

std::optional<ScheduledTask> Listed(std::string_view name) {
  for (ScheduledTask& task : system::ListScheduledTasks().tasks)
    if (task.name == name) return std::move(task);
  return std::nullopt;
}

// HKEY_CURRENT_USER is the test's own; the machine's keys stay the system's, where the
// scheduler's COM objects are registered.
class ScheduledTasksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    common::InitApp(core::Program::Explorer, ::GetModuleHandleW(nullptr));
    common::App().languageId = 9;
    // The scheduler's objects talk to its service; the fixtures need it before any listing.
    ASSERT_EQ(system::StartScheduler(), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_TRUE(WaitUntil(system::IsSchedulerRunning));
  }

  RegistrySandbox sandbox_{RegistrySandbox::Hives::CurrentUser};
};

TEST_F(ScheduledTasksTest, ListsWorkItemsWithProgramAndRunTimes) {
  const struct {
    std::wstring name;
    SYSTEMTIME runOnce;
    std::string nextRun;
  } cases[] = {
      {L"tasktest-midnight", At(2099, 2, 3, 0, 5), "02/03/2099  12:05 AM"},
      {L"tasktest-afternoon", At(2099, 2, 3, 13, 0), "02/03/2099  1:00 PM"},
      {L"tasktest-unscheduled", SYSTEMTIME{}, "Never"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(win32::Narrow(c.name));
    const FixtureWorkItem item({c.name, L"C:\\Tools\\agent.exe", L"", c.runOnce});
    ASSERT_TRUE(item.saved()) << item.error();
    const auto task = Listed(item.jobName());
    ASSERT_TRUE(task.has_value());
    EXPECT_EQ(task->application, "C:\\Tools\\agent.exe");
    EXPECT_EQ(task->nextRun, c.nextRun);
    EXPECT_EQ(task->lastRun, "Never");  // never ran
  }
}

TEST_F(ScheduledTasksTest, FillsTheItemListAsTaskItems) {
  const FixtureWorkItem item({L"tasktest-item", L"C:\\Tools\\item agent.exe", L"",
                              At(2099, 12, 31, 23, 59)});
  ASSERT_TRUE(item.saved()) << item.error();
  const std::size_t count = system::EnumScheduledTasks();
  ASSERT_EQ(count, common::ItemCount());
  std::optional<core::Item> found;
  for (std::size_t i = 0; i < count; ++i)
    if (common::Items().At(i).name == item.jobName()) found = common::Items().At(i);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->title, item.jobName());
  EXPECT_EQ(found->path, "C:\\Tools\\item agent.exe");
  EXPECT_EQ(found->key, "12/31/2099  11:59 PM");
  EXPECT_EQ(found->text, "Never");
  EXPECT_EQ(found->type, core::item_type::kScheduledTask);
  EXPECT_EQ(found->flag, 0);
}

// Names past ASCII and past the 127 characters of a title are kept whole: they are what the task
// is deleted and remembered by. A task without a program is still a task.
TEST_F(ScheduledTasksTest, OddNamesAndProgramsAreListedAndDeletedExactly) {
  const struct {
    std::wstring name, application;
  } cases[] = {
      {L"tasktest-\u00c9t\u00e9 \u0417\u0430\u0434\u0430\u0447\u0430 \u4efb\u52a1 \U0001F600",
       L"C:\\Program Files\\\u00c9diteur\\run.exe"},
      {L"tasktest-" + std::wstring(200, L'n'), L"C:\\long.exe"},
      {L"tasktest-no-program", L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(win32::Narrow(c.name));
    const FixtureWorkItem item({c.name, c.application, L"", At(2099, 1, 1, 8, 0)});
    ASSERT_TRUE(item.saved()) << item.error();
    const auto task = Listed(item.jobName());
    ASSERT_TRUE(task.has_value());
    EXPECT_EQ(task->application, win32::Narrow(c.application));
    EXPECT_EQ(task->nextRun, "01/01/2099  8:00 AM");

    system::EnumScheduledTasks();
    bool inItems = false;
    for (std::size_t i = 0; i < common::ItemCount(); ++i)
      inItems = inItems || common::Items().At(i).name == item.jobName();
    EXPECT_TRUE(inItems);

    EXPECT_EQ(system::DeleteScheduledTask(item.jobName()), S_OK);
    EXPECT_FALSE(Listed(item.jobName()).has_value());
  }
}

// A .job file the scheduler cannot activate is left out; the tasks beside it are still listed.
TEST_F(ScheduledTasksTest, AWorkItemThatCannotBeActivatedIsLeftOut) {
  const FixtureWorkItem good({L"tasktest-beside-broken", L"C:\\good.exe", L"", At(2099, 5, 6, 7, 8)});
  ASSERT_TRUE(good.saved()) << good.error();
  const std::string broken = WorkItemFolder() + "\\tasktest-broken.job";
  ASSERT_TRUE(WriteRawFile(broken, "not a work item"));
  const system::TaskListing listing = system::ListScheduledTasks();
  ::DeleteFileW(win32::Wide(broken).c_str());
  EXPECT_EQ(listing.workItemsError, S_OK);
  const auto named = [&](std::string_view name) {
    return std::any_of(listing.tasks.begin(), listing.tasks.end(),
                       [&](const ScheduledTask& t) { return t.name == name; });
  };
  EXPECT_FALSE(named("tasktest-broken.job"));
  EXPECT_TRUE(named(good.jobName()));
}

TEST_F(ScheduledTasksTest, DeletesByNameWithoutRegardToCaseAndReportsAMissingTask) {
  const FixtureWorkItem item({L"Tasktest-Delete-Me", L"C:\\x.exe", L"", At(2099, 1, 2, 3, 4)});
  ASSERT_TRUE(item.saved()) << item.error();
  ASSERT_TRUE(Listed("Tasktest-Delete-Me.job").has_value());
  EXPECT_EQ(system::DeleteScheduledTask("TASKTEST-DELETE-ME.JOB"), S_OK);
  EXPECT_FALSE(Listed("Tasktest-Delete-Me.job").has_value());
  // Gone: a second deletion is a failure, never a success.
  EXPECT_TRUE(FAILED(system::DeleteScheduledTask("Tasktest-Delete-Me.job")));
  EXPECT_TRUE(FAILED(system::DeleteScheduledTask("")));
  EXPECT_TRUE(FAILED(system::DeleteScheduledTask("tasktest-never-there.job")));
}

TEST_F(ScheduledTasksTest, StatusTextsCommentsAndNextRun) {
  const struct {
    WorkItemFields fields;
    std::string status;
  } cases[] = {
      {{L"tasktest-ready", L"C:\\r.exe", L"Backs up the disk", At(2099, 3, 4, 12, 30)},
       "Status: Ready"},
      {{L"tasktest-no-trigger", L"C:\\n.exe", L"", SYSTEMTIME{}}, "Status: Not Scheduled"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(win32::Narrow(c.fields.name));
    const FixtureWorkItem item(c.fields);
    ASSERT_TRUE(item.saved()) << item.error();
    EXPECT_EQ(system::GetTaskStatusText(item.jobName()), c.status);
    EXPECT_EQ(system::GetTaskComment(item.jobName()), win32::Narrow(c.fields.comment));
  }
  const FixtureWorkItem item({L"tasktest-next", L"C:\\n.exe", L"", At(2099, 3, 4, 12, 30)});
  ASSERT_TRUE(item.saved()) << item.error();
  EXPECT_EQ(system::GetTaskNextRunText(item.jobName()), "03/04/2099  12:30 PM");
  // A task that is not there has no texts at all, not the texts of another.
  EXPECT_EQ(system::GetTaskStatusText("tasktest-never-there.job"), "");
  EXPECT_EQ(system::GetTaskComment("tasktest-never-there.job"), "");
  EXPECT_EQ(system::GetTaskNextRunText("tasktest-never-there.job"), "");
}

// The 2.0 tasks of every folder, nested ones too, are listed by their folder paths with the
// program their action starts.
TEST_F(ScheduledTasksTest, ListsTheTasksOfEveryFolderByPath) {
  const struct {
    std::wstring folder, name, command;
  } cases[] = {
      {L"\\TaskTest", L"Updater", L"C:\\Vendor\\updater.exe"},
      {L"\\TaskTest\\Deeper\\Nested", L"Deep task", L"\"C:\\Program Files\\A&amp;B\\x.exe\""},
      {L"\\", L"tasktest-in-root", L"C:\\root.exe"},
      // Past ASCII, and a path past 255 characters: the identity is kept whole.
      {L"\\TaskTest\\\u00c9t\u00e9 " + std::wstring(150, L'f'),
       L"\u4efb\u52a1 \U0001F600 " + std::wstring(150, L't'), L"C:\\long.exe"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(win32::Narrow(c.folder + L"\\" + c.name));
    const FixtureFolderTask task(c.folder, c.name, TaskXml(c.command));
    ASSERT_TRUE(task.registered());
    const system::TaskListing listing = system::ListScheduledTasks();
    EXPECT_EQ(listing.workItemsError, S_OK);
    EXPECT_EQ(listing.foldersError, S_OK);
    const auto listed = Listed(task.path());
    ASSERT_TRUE(listed.has_value());
    std::string command = win32::Narrow(c.command);
    if (const std::size_t amp = command.find("&amp;"); amp != std::string::npos)
      command.replace(amp, 5, "&");
    // A scheduler that keeps no actions (Wine 8) cannot say which program the task starts.
    EXPECT_EQ(listed->application, task.KeepsItsCommand() ? command : "");
    // Where the scheduler cannot tell the next run time the text stays empty: unknown, not
    // "Never".
    EXPECT_EQ(listed->nextRun, task.GivesNextRunTime() ? "02/03/2099  12:05 AM" : "");
    EXPECT_EQ(listed->lastRun, "Never");
  }
}

// Where one store serves both interfaces, the root folder shows every work item again as "\X"
// for "X.job": it is listed once, under its work item's name. Only the root folder is such a view.
TEST_F(ScheduledTasksTest, AWorkItemAlsoShownByTheRootFolderIsListedOnce) {
  const FixtureWorkItem workItem({L"tasktest-both", L"C:\\both.exe", L"", At(2099, 1, 1, 1, 1)});
  ASSERT_TRUE(workItem.saved()) << workItem.error();
  const FixtureFolderTask rootView(L"\\", L"TASKTEST-BOTH", TaskXml(L"C:\\both.exe"));
  const FixtureFolderTask elsewhere(L"\\TaskTest", L"tasktest-both", TaskXml(L"C:\\both.exe"));
  ASSERT_TRUE(rootView.registered());
  ASSERT_TRUE(elsewhere.registered());
  const system::TaskListing listing = system::ListScheduledTasks();
  const auto count = [&](std::string_view name) {
    return std::count_if(listing.tasks.begin(), listing.tasks.end(),
                         [&](const ScheduledTask& t) { return core::EqualsNoCase(t.name, name); });
  };
  EXPECT_EQ(count("tasktest-both.job"), 1);
  EXPECT_EQ(count("\\TASKTEST-BOTH"), 0);
  EXPECT_EQ(count("\\TaskTest\\tasktest-both"), 1);
}

TEST_F(ScheduledTasksTest, DeletesFolderTasksByTheirExactPath) {
  const FixtureFolderTask task(L"\\TaskTest\\Sub", L"Doomed", TaskXml(L"C:\\d.exe"));
  const FixtureFolderTask sibling(L"\\TaskTest\\Sub", L"Doomed too", TaskXml(L"C:\\d.exe"));
  ASSERT_TRUE(task.registered());
  ASSERT_TRUE(sibling.registered());
  EXPECT_EQ(system::DeleteScheduledTask(task.path()), S_OK);
  EXPECT_FALSE(Listed(task.path()).has_value());
  EXPECT_TRUE(Listed(sibling.path()).has_value());  // only the task named
  EXPECT_TRUE(FAILED(system::DeleteScheduledTask(task.path())));
  EXPECT_TRUE(FAILED(system::DeleteScheduledTask("\\TaskTest\\No such folder\\Doomed")));
}

TEST_F(ScheduledTasksTest, FolderTaskStatusAndComment) {
  const struct {
    std::wstring name, description;
    bool enabled;
    std::string status;
  } cases[] = {
      {L"Enabled", L"Keeps the tools current", true, "Status: Ready"},
      {L"Disabled", L"", false, "Status: Not Scheduled"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(win32::Narrow(c.name));
    const FixtureFolderTask task(L"\\TaskTest", c.name,
                                 TaskXml(L"C:\\s.exe", c.description, c.enabled));
    ASSERT_TRUE(task.registered());
    EXPECT_EQ(system::GetTaskStatusText(task.path()), c.status);
    EXPECT_EQ(system::GetTaskComment(task.path()), win32::Narrow(c.description));
  }
  EXPECT_EQ(system::GetTaskStatusText("\\TaskTest\\Never there"), "");
}

// Where the 2.0 interfaces cannot be had, the version 1 list stands alone, without an error of
// its own; the folders' failure is said apart, and the work items can still be deleted.
TEST_F(ScheduledTasksTest, WithoutTheFolderTreeTheVersion1ListStands) {
  const FixtureWorkItem item({L"tasktest-alone", L"C:\\alone.exe", L"", At(2099, 5, 6, 7, 8)});
  ASSERT_TRUE(item.saved()) << item.error();
  const FixtureFolderTask folderTask(L"\\TaskTest", L"Unseen", TaskXml(L"C:\\unseen.exe"));
  ASSERT_TRUE(folderTask.registered());
  const GUID saved = system::detail::TaskServiceClass();
  system::detail::TaskServiceClass() = {
      0x6f8a1c2e, 0x1b3d, 0x4e5f, {0x90, 0x12, 0x34, 0x56, 0x78, 0x9a, 0xbc, 0xde}};
  const system::TaskListing listing = system::ListScheduledTasks();
  const HRESULT deleted = system::DeleteScheduledTask(item.jobName());
  system::detail::TaskServiceClass() = saved;

  EXPECT_EQ(listing.workItemsError, S_OK);
  EXPECT_TRUE(FAILED(listing.foldersError));
  const auto found = [&](const std::string& name) {
    for (const system::ScheduledTask& task : listing.tasks)
      if (task.name == name) return true;
    return false;
  };
  EXPECT_TRUE(found(item.jobName()));
  EXPECT_FALSE(found(folderTask.path()));
  EXPECT_EQ(deleted, S_OK) << "a work item is deleted without the folder tree";
  EXPECT_FALSE(Listed(item.jobName()).has_value());
}

// The scheduler's service replaced, for the life of the object, by one that does not exist:
// Wine's own "Schedule" service does not stop.
class SchedulerMissing {
 public:
  SchedulerMissing() : saved_(system::detail::SchedulerServiceName()) {
    system::detail::SchedulerServiceName() = L"ObrivoTestNoSuchScheduler";
  }
  ~SchedulerMissing() { system::detail::SchedulerServiceName() = saved_; }
  SchedulerMissing(const SchedulerMissing&) = delete;
  SchedulerMissing& operator=(const SchedulerMissing&) = delete;

 private:
  std::wstring saved_;
};

// A scheduler that is not running and cannot be started: an empty list that says why, no task
// operation reported as done, no text of a task that could not be asked.
TEST_F(ScheduledTasksTest, ASchedulerThatCannotRunGivesAnEmptyListAndNothingDone) {
  const FixtureWorkItem item({L"tasktest-held", L"C:\\held.exe", L"A comment",
                              At(2099, 1, 1, 1, 1)});
  ASSERT_TRUE(item.saved()) << item.error();
  {
    const SchedulerMissing missing;
    EXPECT_FALSE(system::IsSchedulerRunning());
    EXPECT_EQ(system::StartScheduler(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
    const system::TaskListing listing = system::ListScheduledTasks();
    EXPECT_EQ(listing.schedulerError, static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
    EXPECT_TRUE(listing.tasks.empty());
    EXPECT_EQ(system::EnumScheduledTasks(), 0u);
    EXPECT_TRUE(FAILED(system::DeleteScheduledTask(item.jobName())));
    EXPECT_EQ(system::GetTaskComment(item.jobName()), "");
    EXPECT_EQ(system::GetTaskStatusText(item.jobName()), "");
  }
  // With the scheduler back, the task is still there: the failed deletion deleted nothing.
  EXPECT_TRUE(Listed(item.jobName()).has_value());
}

}  // namespace
}  // namespace obrivo::test
