// Startup programs end to end with the real Monitor: a program adds itself to the Run key, the
// Monitor notices at its next patrol, asks, and keeps or removes the entry by the answer (or by
// the hidden-alert options, without a window).
#include <windows.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "program_scenario.h"
#include "test_process.h"

namespace obrivo::test {
namespace {

using namespace std::chrono_literals;

constexpr wchar_t kUserRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kBaseline[] = L"Software\\Tolvane\\Obrivo\\Run";
constexpr wchar_t kAlertTitle[] = L"Obrivo New Program Alert";
constexpr wchar_t kWebHandler[] = L"https\\shell\\open\\command";
constexpr int kYesButton = 6, kNoButton = 7, kCommandField = 1026, kMessageText = 1036;

class StartupScenario : public ProgramScenario {
 protected:
  void SetUp() override {
    ProgramScenario::SetUp();
    agent_ = folder_ + L"\\agent.exe";
    ASSERT_TRUE(::CopyFileW(helper_.c_str(), agent_.c_str(), FALSE));
    command_ = L"\"" + agent_ + L"\" -startup";
    // Web pages the Monitor opens (the help page of the repeat rule) go to the helper, which
    // notes the address, instead of a browser.
    opened_ = folder_ + L"\\opened.txt";
    oldHandler_ = GetString(HKEY_CLASSES_ROOT, kWebHandler, nullptr);
    ASSERT_EQ(SetString(HKEY_CLASSES_ROOT, kWebHandler, nullptr,
                        L"\"" + helper_ + L"\" record " + opened_ + L" %1"),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    SetString(HKEY_CLASSES_ROOT, kWebHandler, nullptr, oldHandler_);
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kUserRun, L"Agent");
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Tolvane\\Obrivo\\Disabled");
    nudge_ = Process();
    KillProcessesIn(folder_);
    ::DeleteFileW(agent_.c_str());
    ::DeleteFileW(opened_.c_str());
    ProgramScenario::TearDown();
  }

  // Adds the Agent entry the way an installer's script would.
  void AddEntryWithReg() {
    AddUserRunWithReg(L"Agent", L"\"\\\"" + agent_ + L"\\\" -startup\"");
    ASSERT_EQ(GetString(HKEY_CURRENT_USER, kUserRun, L"Agent"), command_);
  }

  // `data` as reg.exe's command line takes it.
  static void AddUserRunWithReg(const std::wstring& name, const std::wstring& data) {
    Process reg(L"C:\\windows\\system32\\reg.exe", std::wstring(L"add HKCU\\") + kUserRun +
                                                       L" /v " + name + L" /t REG_SZ /d " + data +
                                                       L" /f");
    ASSERT_TRUE(reg.started());
    ASSERT_EQ(reg.WaitForExit(), 0u) << "reg.exe add";
  }

  // Waits for the new-program alert, nudging the Monitor now and then.
  HWND WaitForAlert(HWND monitor, DWORD monitorId) {
    HWND alert = nullptr;
    for (int round = 0; round < 12 && !alert; ++round) {
      Nudge(monitor);
      WaitUntil(
          [&] {
            alert = FindDialogOf(monitorId);
            return alert && WindowText(alert) == kAlertTitle && ::IsWindowVisible(alert);
          },
          5s);
      if (alert && WindowText(alert) != kAlertTitle) alert = nullptr;
    }
    return alert;
  }

  bool EntryPresent() const { return !GetString(HKEY_CURRENT_USER, kUserRun, L"Agent").empty(); }

  // The baseline's value for the agent, under whichever form of its command the Monitor keeps
  // (quotes and arguments as the item list turns them into a path); empty when there is none.
  static std::wstring AgentBaseline() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kBaseline, 0, KEY_READ, &key) != ERROR_SUCCESS)
      return {};
    std::wstring found;
    for (DWORD i = 0;; ++i) {
      wchar_t name[1024] = {}, data[64] = {};
      DWORD nameSize = 1024, dataSize = sizeof data, type = 0;
      if (::RegEnumValueW(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data),
                          &dataSize) != ERROR_SUCCESS)
        break;
      std::wstring lower(name);
      for (wchar_t& c : lower) c = static_cast<wchar_t>(::towlower(c));
      if (lower.find(L"agent.exe") != std::wstring::npos || lower == L"agent") {
        found = data;
        break;
      }
    }
    ::RegCloseKey(key);
    return found;
  }

  static std::string ReadText(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  static void Press(HWND alert, int button) {
    ::SendMessageW(::GetDlgItem(alert, button), BM_CLICK, 0, 0);
  }

  std::wstring agent_, command_, opened_, oldHandler_;
};

TEST_F(StartupScenario, NoRemovesTheNewEntryAndRecordsBothSteps) {
  Process monitor;
  HWND window = StartMonitor(monitor);
  ASSERT_NE(window, nullptr);
  AddEntryWithReg();
  HWND alert = WaitForAlert(window, monitor.id());
  ASSERT_NE(alert, nullptr) << "the new-program alert";
  EXPECT_NE(WindowText(::GetDlgItem(alert, kCommandField)).find(L"agent.exe -startup"),
            std::wstring::npos)
      << "the command it found";
  EXPECT_NE(WindowText(::GetDlgItem(alert, kMessageText))
                .find(L"This program will run each time you login or restart your machine."),
            std::wstring::npos)
      << "the sentence for a Run key";
  SaveDesktopScreenshot(L"monitor-new-startup-program.bmp");
  Press(alert, kNoButton);

  EXPECT_TRUE(WaitUntil([&] { return !EntryPresent(); }, 10s)) << "removed from the Run key";
  EXPECT_TRUE(AgentBaseline().empty()) << "neither under its command nor under its title";
  EXPECT_TRUE(WaitUntil([&] { return History().find("*START_Remove") != std::string::npos; }, 5s))
      << History();
  EXPECT_NE(History().find("START_Alert"), std::string::npos) << History();
}

// Nothing but reg.exe: the notifier's word alone brings the check, as soon as its signal has
// settled rather than on the timer's later ticks.
TEST_F(StartupScenario, TheNotifiersSignalAloneHasTheNewEntryRemovedAtOnce) {
  SetOption(L"HideStartup", L"2");  // answered No without a window ...
  SetOption(L"ShowAlerts", L"0");   // ... which a shown alert would otherwise still need
  Process monitor;
  HWND window = StartMonitor(monitor);
  ASSERT_NE(window, nullptr);
  AddEntryWithReg();
  EXPECT_TRUE(WaitUntil([&] { return !EntryPresent(); }, 30s)) << "removed without a question";
  // Counted once the check's pass has returned, a moment after the removal it made.
  EXPECT_TRUE(WaitUntil(
      [&] {
        return reinterpret_cast<INT_PTR>(::GetPropW(window, monitor::kSettledChecksProperty)) >= 1;
      },
      5s))
      << "found by the check that followed the signal, not by a tick of the timer";
  EXPECT_TRUE(WaitUntil([&] { return History().find("*START_Remove") != std::string::npos; }, 5s))
      << History();
}

TEST_F(StartupScenario, YesKeepsTheEntryAndAcceptsItIntoTheBaseline) {
  Process monitor;
  HWND window = StartMonitor(monitor);
  ASSERT_NE(window, nullptr);
  AddEntryWithReg();
  HWND alert = WaitForAlert(window, monitor.id());
  ASSERT_NE(alert, nullptr) << "the new-program alert";
  Press(alert, kYesButton);
  EXPECT_TRUE(WaitUntil([&] { return !AgentBaseline().empty(); }, 10s));
  EXPECT_EQ(AgentBaseline(), L"11") << "known by its location";
  EXPECT_TRUE(EntryPresent());
}

TEST_F(StartupScenario, TheThirdAlertInARowForOneProgramDisablesIt) {
  Process monitor;
  HWND window = StartMonitor(monitor);
  ASSERT_NE(window, nullptr);
  for (int round = 1; round <= 3; ++round) {
    SCOPED_TRACE(round);
    AddEntryWithReg();
    HWND alert = WaitForAlert(window, monitor.id());
    ASSERT_NE(alert, nullptr) << "the new-program alert";
    Press(alert, kNoButton);
    ASSERT_TRUE(WaitUntil([&] { return !EntryPresent(); }, 10s));
  }
  // The third No disables instead: the entry waits in the product's store to be enabled again.
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, L"Software\\Tolvane\\Obrivo\\Disabled\\11", L"Agent"),
            command_);
  EXPECT_EQ(AgentBaseline(), L"11");
  EXPECT_TRUE(
      WaitUntil([&] { return ReadText(opened_).find("helpme.html") != std::string::npos; }, 10s))
      << "the help page explains what happened";
}

TEST_F(StartupScenario, HiddenAlertRejectsWithoutAWindow) {
  SetOption(L"HideStartup", L"2");
  SetOption(L"ShowAlerts", L"0");
  Process monitor;
  HWND window = StartMonitor(monitor);
  ASSERT_NE(window, nullptr);
  // Nothing but the entry itself: the notifier sees the Run key change and the patrol comes
  // at once, long before its timed turn (68 s at the soonest).
  AddEntryWithReg();
  EXPECT_TRUE(WaitUntil([&] { return !EntryPresent(); }, 30s)) << "removed within seconds";
  EXPECT_EQ(FindDialogOf(monitor.id()), nullptr) << "no alert was shown";
  EXPECT_TRUE(AgentBaseline().empty());
}

// Rejecting an entry that runs the command interpreter ends only a process started by that
// entry's command: the user's own console, running cmd.exe with other work, stays.
TEST_F(StartupScenario, RejectingACommandInterpreterEntryLeavesTheUsersConsoleRunning) {
  const std::wstring work = folder_ + L"\\console-work.exe";
  ASSERT_TRUE(::CopyFileW(helper_.c_str(), work.c_str(), FALSE));
  Process console(L"C:\\windows\\system32\\cmd.exe", L"/c \"" + work + L"\" wait");
  ASSERT_TRUE(console.started());
  ASSERT_TRUE(WaitUntil([&] { return !ProcessesIn(folder_, L"console-work.exe").empty(); }, 10s))
      << "the console is at work";
  Process monitor;
  HWND window = StartMonitor(monitor);
  ASSERT_NE(window, nullptr);
  AddUserRunWithReg(L"Evil", L"\"cmd.exe /c echo evil\"");
  ASSERT_EQ(GetString(HKEY_CURRENT_USER, kUserRun, L"Evil"), L"cmd.exe /c echo evil");
  HWND alert = WaitForAlert(window, monitor.id());
  ASSERT_NE(alert, nullptr) << "the new-program alert";
  Press(alert, kNoButton);
  EXPECT_TRUE(
      WaitUntil([&] { return GetString(HKEY_CURRENT_USER, kUserRun, L"Evil").empty(); }, 10s))
      << "the entry is removed";
  EXPECT_TRUE(WaitUntil([&] { return History().find("*START_Remove") != std::string::npos; }, 5s))
      << History();
  EXPECT_TRUE(console.Running()) << "the user's console was ended";
  EXPECT_EQ(History().find("TASK_Kill"), std::string::npos) << History();
  ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kUserRun, L"Evil");
  console.Kill();
  ::DeleteFileW(work.c_str());
}

// A first run dates each startup entry under one name, the entry's command, so that the page and
// the Monitor find that date again; never a second record under its program file alone.
TEST_F(StartupScenario, AFirstRunDatesAStartupEntryUnderItsCommandOnly) {
  ASSERT_EQ(SetString(HKEY_CURRENT_USER, kUserRun, L"Pad", L"C:\\windows\\notepad.exe -arg"),
            ERROR_SUCCESS);
  Process monitor;
  ASSERT_NE(StartMonitor(monitor), nullptr);
  std::vector<std::wstring> names;
  HKEY key = nullptr;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Tolvane\\Detected\\Startup", 0, KEY_READ,
                            &key),
            ERROR_SUCCESS);
  for (DWORD i = 0;; ++i) {
    wchar_t name[1024] = {};
    DWORD chars = 1024;
    if (::RegEnumValueW(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    std::wstring lower(name, chars);
    for (wchar_t& c : lower) c = static_cast<wchar_t>(::towlower(c));
    if (lower.find(L"notepad") != std::wstring::npos) names.push_back(lower);
  }
  ::RegCloseKey(key);
  ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kUserRun, L"Pad");
  ASSERT_EQ(names.size(), 1u) << "one record for the entry";
  EXPECT_NE(names[0].find(L"notepad.exe -arg"), std::wstring::npos) << "named by its command";
}

}  // namespace
}  // namespace obrivo::test
