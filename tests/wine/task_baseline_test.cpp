// The scheduled-task baseline against the real Task Scheduler: taken at the first run through the
// category hooks, taken once at a start that finds it was never taken (and not again), left
// untaken while the scheduler cannot be listed; the tasks' first-detected dates.
#include "system/task_baseline.h"

#include <gtest/gtest.h>

#include "app/category_hooks.h"
#include "common/first_detected.h"
#include "common/store.h"
#include "common/win32/registry.h"
#include "common/win32/system.h"
#include "core/history_codes.h"
#include "system/scheduled_tasks.h"
#include "system/task_sources.h"
#include "task_fixtures.h"
#include "test_process.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

const std::string kBaselineKey = "Software\\Tolvane\\Obrivo\\Tasks";

class TaskBaselineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    common::InitApp(core::Program::Monitor, ::GetModuleHandleW(nullptr));
    common::App().languageId = 9;
    ASSERT_EQ(system::StartScheduler(), static_cast<DWORD>(ERROR_SUCCESS));
  }

  static std::string Value(const std::string& name) {
    const auto key = win32::OpenKey(HKEY_CURRENT_USER, kBaselineKey, KEY_READ);
    if (!key) return "<no key>";
    const auto value = win32::QueryValue(key.get(), name);
    return value ? common::ReadStoreString(kBaselineKey, HKEY_CURRENT_USER, name, 64) : "<none>";
  }
  static bool Taken() {
    return !common::ReadStoreString(kBaselineKey, HKEY_CURRENT_USER, "", 128).empty();
  }

  RegistrySandbox sandbox_{RegistrySandbox::Hives::CurrentUser};
};

// The first run accepts every task there is, under its exact name: work items with their
// extension, 2.0 tasks by their folder path.
TEST_F(TaskBaselineTest, TheFirstRunAcceptsEveryTaskThereIs) {
  const FixtureWorkItem workItem({L"tasktest-first-run", L"C:\\fr.exe", L"", At(2099, 1, 1, 1, 1)});
  const FixtureFolderTask folderTask(L"\\TaskTest", L"First run", TaskXml(L"C:\\fr.exe"));
  ASSERT_TRUE(workItem.saved()) << workItem.error();
  ASSERT_TRUE(folderTask.registered());
  common::RebuildMainBaselines(app::CategoryBaselineHooks());
  EXPECT_EQ(Value(workItem.jobName()), "800");
  EXPECT_EQ(Value(folderTask.path()), "800");
  EXPECT_TRUE(system::IsTaskAccepted(workItem.jobName()));
  EXPECT_TRUE(system::IsTaskAccepted(folderTask.path()));
  EXPECT_TRUE(Taken());
}

// A store made before tasks were watched has an empty, unmarked Tasks key: the first start takes
// the baseline once; later starts never accept a new task unasked.
TEST_F(TaskBaselineTest, AStartTakesAMissingBaselineOnceAndOnlyOnce) {
  ASSERT_TRUE(win32::CreateKey(HKEY_CURRENT_USER, kBaselineKey, KEY_WRITE));
  const FixtureWorkItem before({L"tasktest-before", L"C:\\b.exe", L"", At(2099, 1, 1, 1, 1)});
  ASSERT_TRUE(before.saved()) << before.error();
  const common::BaselineHooks hooks = app::CategoryBaselineHooks();
  ASSERT_TRUE(hooks.initTasks);
  hooks.initTasks();
  EXPECT_TRUE(Taken());
  EXPECT_TRUE(system::IsTaskAccepted(before.jobName()));

  const FixtureWorkItem after({L"tasktest-after", L"C:\\a.exe", L"", At(2099, 1, 1, 1, 1)});
  ASSERT_TRUE(after.saved()) << after.error();
  hooks.initTasks();
  EXPECT_FALSE(system::IsTaskAccepted(after.jobName()));
  EXPECT_EQ(Value(after.jobName()), "<none>");
}

// While the scheduler cannot be listed nothing is accepted and the baseline is not marked taken:
// its tasks would otherwise all look new later. The next start with a scheduler takes it.
TEST_F(TaskBaselineTest, NoBaselineIsMarkedWhileTheSchedulerCannotBeListed) {
  const FixtureWorkItem item({L"tasktest-later", L"C:\\l.exe", L"", At(2099, 1, 1, 1, 1)});
  ASSERT_TRUE(item.saved()) << item.error();
  {
    const std::wstring saved = system::detail::SchedulerServiceName();
    system::detail::SchedulerServiceName() = L"ObrivoTestNoSuchScheduler";
    system::SnapshotTasks();
    system::EnsureTaskBaseline();
    system::detail::SchedulerServiceName() = saved;
  }
  EXPECT_FALSE(Taken());
  EXPECT_FALSE(system::IsTaskAccepted(item.jobName()));
  system::EnsureTaskBaseline();
  EXPECT_TRUE(Taken());
  EXPECT_TRUE(system::IsTaskAccepted(item.jobName()));
}

TEST_F(TaskBaselineTest, AcceptAndForgetByExactName) {
  // clang-format off
  const struct {
    std::string stored, data, asked;
    bool accepted;
  } cases[] = {
      {"Backup.job", "800", "Backup.job", true},
      {"Backup.job", "800", "BACKUP.JOB", true},  // value names ignore case, as work items do
      {"Backup.job", "0", "Backup.job", false},   // 0 is "not accepted"
      {"Backup.job", "", "Backup.job", false},
      {"Backup.job", "x800", "Backup.job", false},
      {"Backup.job", std::string(40, '8'), "Backup.job", false},  // too long to be a code
      {"\\Vendor\\Updater", "800", "\\Vendor\\Updater", true},
      {"\\Vendor\\Updater", "800", "\\Vendor\\Updater2", false},
      {"Backup.job", "800", "", false},  // the key's own date is no task
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored + " = " + c.data + ", asked " + c.asked);
    ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, kBaselineKey, c.stored, c.data));
    ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, kBaselineKey, "", "12/11/2026"));
    EXPECT_EQ(system::IsTaskAccepted(c.asked), c.accepted);
    common::DeleteStoreValue(HKEY_CURRENT_USER, kBaselineKey, c.stored);
  }
  const std::string longName = "\\Vendor\\" + std::string(300, 'n') + " \xE4\xBB\xBB\xE5\x8A\xA1";
  EXPECT_TRUE(system::AcceptTask(longName));
  EXPECT_EQ(Value(longName), "800");
  EXPECT_TRUE(system::IsTaskAccepted(longName));
  EXPECT_TRUE(system::ForgetTask(longName));
  EXPECT_FALSE(system::IsTaskAccepted(longName));
  EXPECT_FALSE(system::ForgetTask(longName));  // nothing left to drop
  EXPECT_FALSE(system::AcceptTask(""));
}

// Each task's program is dated on the first run, as the Recent page and the Info window look
// tasks up by their program.
TEST_F(TaskBaselineTest, FirstRunDatesTheTasksPrograms) {
  const std::string program = win32::ModuleFileName();
  const FixtureWorkItem item({L"tasktest-dated", win32::Wide(program), L"", At(2099, 1, 1, 1, 1)});
  ASSERT_TRUE(item.saved()) << item.error();
  app::CategoryBaselineHooks().initFirstDetected();
  EXPECT_FALSE(common::LookupFirstDetected(core::item_type::kScheduledTask, program).empty());
}

}  // namespace
}  // namespace obrivo::test
