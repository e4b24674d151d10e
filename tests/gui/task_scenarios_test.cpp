// Scheduled tasks end to end with the real Monitor: a program registers a task with the Task
// Scheduler, the Monitor's next tasks patrol raises the task alert, No deletes the task, and the
// history holds the removal with the copy its Restore brings the task back from.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "program_scenario.h"
#include "system/task_removal.h"
#include "system/scheduled_tasks.h"
#include "task_fixtures.h"
#include "test_process.h"

namespace obrivo::test {
namespace {

using namespace std::chrono_literals;

constexpr wchar_t kAlertTitle[] = L"Obrivo New Program Alert";
constexpr int kNoButton = 7, kNextRunText = 2421;

class TaskScenario : public ProgramScenario {
 protected:
  void TearDown() override {
    // The copies the removal kept.
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(DataFile(L"Removed")), ignored);
    ProgramScenario::TearDown();
  }
};

TEST_F(TaskScenario, ANewTaskRaisesTheTaskAlertAndNoDeletesItWithAnUndo) {
  // The tasks patrol every pass of its half, so the test waits about a minute, not ten.
  SetOption(L"Tasks", L"1");
  Process monitor;
  HWND window = StartMonitor(monitor);
  ASSERT_NE(window, nullptr);

  const FixtureWorkItem task({L"tasktest-scenario", helper_, L"Registered by a program",
                              At(2099, 2, 3, 0, 5)});
  ASSERT_TRUE(task.saved()) << task.error();
  const std::string name = task.jobName();
  const std::string file = WorkItemFolder() + "\\" + name;
  ASSERT_TRUE(win32::IsExistingFile(file));

  HWND alert = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        alert = FindDialogOf(monitor.id());
        return alert && WindowText(alert) == kAlertTitle && ::IsWindowVisible(alert);
      },
      180s))
      << "the task alert";
  EXPECT_EQ(WindowText(::GetDlgItem(alert, kNextRunText)), L"02/03/2099  12:05 AM");
  SaveDesktopScreenshot(L"monitor-task-alert.bmp", alert);
  ::SendMessageW(::GetDlgItem(alert, kNoButton), BM_CLICK, 0, 0);

  ASSERT_TRUE(WaitUntil([&] { return !win32::IsExistingFile(file); }, 20s)) << "No deletes it";
  std::string history;
  ASSERT_TRUE(WaitUntil(
      [&] { return (history = History()).find("ScheduledTask_Remove") != std::string::npos; },
      10s));
  EXPECT_NE(history.find("TASK_Alert"), std::string::npos);

  // The removal's record names the task and the copy kept before the deletion.
  std::string copy;
  for (std::size_t start = 0; start < history.size();) {
    std::size_t end = history.find("\r\n", start);
    if (end == std::string::npos) end = history.size();
    const std::string line = history.substr(start, end - start);
    if (line.find("ScheduledTask_Remove") != std::string::npos &&
        line.find(name) != std::string::npos) {
      // date, event, type, title, file, description
      std::size_t field = 0, at = 0;
      for (; field < 4 && at != std::string::npos; ++field) at = line.find('\t', at + 1);
      if (at != std::string::npos)
        copy = line.substr(at + 1, line.find('\t', at + 1) - at - 1);
    }
    start = end + 2;
  }
  ASSERT_FALSE(copy.empty()) << history;
  ASSERT_TRUE(win32::IsExistingFile(copy)) << copy;
  monitor.Kill();

  // What the history viewer's Restore does with that record.
  ASSERT_TRUE(system::RestoreScheduledTask(name, copy));
  EXPECT_TRUE(win32::IsExistingFile(file));
  EXPECT_EQ(system::GetTaskComment(name), "Registered by a program");
}

}  // namespace
}  // namespace obrivo::test
