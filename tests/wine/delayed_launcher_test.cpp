// The Monitor's delayed-start launcher driven tick by tick in the test process: each entry of the
// list counted at start-up is handled once, at the step its delay asks for, whatever the patrol
// is doing; a due entry is read again; a program that cannot start is recorded in the history
// and not tried again.
#include "monitor/delayed_launcher.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/system.h"
#include "common/win32/wide.h"
#include "core/history_codes.h"
#include "core/text.h"
#include "file_bytes.h"
#include "monitor/monitor_state.h"
#include "monitor/patrol.h"
#include "startup_actions_env.h"
#include "system/processes.h"
#include "test_process.h"

namespace obrivo::test {
namespace {

using namespace std::chrono_literals;
using monitor::State;

const std::string kDelay = "Software\\Tolvane\\Obrivo\\Delay";

class DelayedLauncher : public StartupActionsTest {
 protected:
  void SetUp() override {
    StartupActionsTest::SetUp();
    folder_ = common::ProgramFolder() + "\\delayed-launcher";
    ASSERT_TRUE(win32::EnsureDirectory(folder_));
    // Everything the patrol could be doing at once: the launcher is not held back by any of it.
    static_cast<core::PatrolState&>(State()) = core::PatrolState{};
    State().alertOpen = true;
    State().verifyRunning = 1;
    State().expressBootTicks = 1000;
  }
  void TearDown() override {
    KillProcessesIn(win32::Wide(folder_));
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(win32::Wide(folder_)), ignored);
    // An empty list leaves no launcher behind for the other tests of this program.
    monitor::StartDelayedLauncher();
    static_cast<core::PatrolState&>(State()) = core::PatrolState{};
    State().mainWindow = nullptr;
    StartupActionsTest::TearDown();
  }

  // A copy of the helper program in the test's folder, upper case as the list names it.
  std::string Program(const std::string& file) const {
    const std::string path = folder_ + "\\" + file;
    EXPECT_TRUE(
        ::CopyFileW((HostToWine(EnvVar(L"OBRIVO_BIN_DIR")) + L"\\obrivo_test_helper.exe").c_str(),
                    win32::Wide(path).c_str(), FALSE));
    return core::ToUpper(path);
  }

  // An entry as the list's keys hold it: on the machine's list for a location code below 11
  // (the machine-wide Run keys), the user's otherwise.
  static void List(int code, const std::string& name, const std::string& time,
                   const std::string& parameters = "", const std::string& applet = "") {
    const HKEY hive = code < 11 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    Write(hive, kDelay, name, std::to_string(code));
    Write(hive, kDelay + "\\Time", name, time);
    if (!parameters.empty()) Write(hive, kDelay + "\\Parameters", name, parameters);
    if (!applet.empty()) Write(hive, kDelay + "\\Applet", name, applet);
  }

  std::string folder_;
};

// Ticks until `lastTick`, noting at which tick each history record appeared, by its file.
std::map<std::string, int> TickRecords(int lastTick, std::vector<core::Item>* records = nullptr) {
  std::map<std::string, int> at;
  for (int tick = 1; tick <= lastTick; ++tick) {
    monitor::OnPatrolTick();
    for (const core::Item& record : HistoryRecords())
      if (!at.count(record.path)) at[record.path] = tick;
  }
  if (records) *records = HistoryRecords();
  return at;
}

TEST_F(DelayedLauncher, EachEntryIsHandledOnceAtTheStepOfItsDelayTheMachinesFirst) {
  // Programs that cannot start leave a record in the very tick that handles them.
  const std::string hosted = Program("hosted.dll");
  List(11, "C:\\GONE\\USER10.EXE", "10");
  List(11, "C:\\GONE\\NONUMBER.EXE", "abc");
  List(11, "C:\\GONE\\USER25.EXE", "25");
  List(11, hosted, "0", ",Entry", "C:\\nowhere\\host.exe");
  List(1, "C:\\GONE\\MACHINE10.EXE", "10");
  List(11, "C:\\GONE\\MACHINE10.EXE", "40");  // the same program in the other hive is its own

  HWND window =
      ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  State().mainWindow = window;
  monitor::StartDelayedLauncher();
  EXPECT_FALSE(monitor::DelayedLauncherFinished());
  // Counted at start-up: an entry added later waits for the next start.
  List(11, "C:\\GONE\\ADDEDLATER.EXE", "10");

  std::vector<core::Item> records;
  const auto at = TickRecords(60, &records);
  EXPECT_EQ(at, (std::map<std::string, int>{{"C:\\GONE\\MACHINE10.EXE", 6},
                                            {"C:\\GONE\\NONUMBER.EXE", 6},
                                            {"C:\\GONE\\USER10.EXE", 6},
                                            {"C:\\GONE\\USER25.EXE", 18},
                                            {hosted, 6}}));
  ASSERT_EQ(records.size(), 6u) << "each entry once, the program of both hives twice";
  EXPECT_EQ(records[0].path, "C:\\GONE\\MACHINE10.EXE") << "the machine's entries first";
  EXPECT_EQ(records[0].type, 1) << "recorded under the location it came from";
  EXPECT_EQ(records[5].path, "C:\\GONE\\MACHINE10.EXE") << "the user's at 40 seconds";
  EXPECT_EQ(records[5].type, 11);
  EXPECT_TRUE(monitor::DelayedLauncherFinished());

  for (const core::Item& record : records) {
    SCOPED_TRACE(record.path);
    EXPECT_EQ(record.flag, core::history_event::kDelayStartFailed);
    if (record.path == hosted) {
      EXPECT_EQ(record.title, "HOSTED.DLL") << "no title stored: the file's name";
      // The host could not be run: the system's reason, never a success.
      EXPECT_NE(record.key.substr(0, 2), "0 ") << record.key;
    } else {
      EXPECT_EQ(record.key + "\r\n", win32::SystemErrorText(ERROR_FILE_NOT_FOUND))
          << "the file is gone: the system's text, whole";
    }
  }

  // The window tells how far the launcher counted: it stopped with the last entry (step 4,
  // 24 ticks) and was not called again.
  EXPECT_EQ(reinterpret_cast<std::intptr_t>(::GetPropW(window, monitor::kLauncherTicksProperty)),
            24);
  ::RemovePropW(window, monitor::kLauncherTicksProperty);
  ::DestroyWindow(window);
}

TEST_F(DelayedLauncher, ADueEntryIsReadAgainAndARunningProgramIsNotStartedTwice) {
  const std::string edited = Program("edited.exe");
  const std::string running = Program("running.exe");
  const std::string record = folder_ + "\\edited.txt";
  const std::string again = folder_ + "\\again.txt";
  // The machine's entries come first: by the time the user's program has started, a second
  // start of the running one would have happened.
  List(1, running, "10", "record " + again);
  List(11, edited, "10", "record " + record + " before");
  List(11, "C:\\GONE\\REMOVED.EXE", "10");
  Process already(win32::Wide(running), L"wait");
  ASSERT_TRUE(WaitUntil([&] { return system::FindProcessByPath(running) != 0; }, 10s));

  monitor::StartDelayedLauncher();
  // The Explorer changes the list meanwhile.
  Write(HKEY_CURRENT_USER, kDelay + "\\Parameters", edited, "record " + record + " after");
  ASSERT_TRUE(common::DeleteStoreValue(HKEY_CURRENT_USER, kDelay, "C:\\GONE\\REMOVED.EXE"));

  for (int tick = 1; tick <= 6; ++tick) monitor::OnPatrolTick();
  EXPECT_TRUE(monitor::DelayedLauncherFinished());
  ASSERT_TRUE(WaitUntil([&] { return win32::IsExistingFile(record); }, 10s));
  EXPECT_EQ(ReadBytes(record), "after") << "the parameters as they stand at the start";
  EXPECT_EQ(ProcessesIn(win32::Wide(folder_), L"running.exe"), std::vector<DWORD>{already.id()});
  EXPECT_FALSE(win32::IsExistingFile(again));
  EXPECT_TRUE(HistoryRecords().empty()) << "a removed entry is not handled at all";
}

}  // namespace
}  // namespace obrivo::test
