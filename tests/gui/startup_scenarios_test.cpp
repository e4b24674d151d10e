// Startup programs end to end with the real Monitor: a program adds itself to the Run key, the
// Monitor notices at its next patrol, asks, and keeps or removes the entry by the answer (or by
// the hidden-alert options, without a window).
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <cwctype>
#include <string>

#include "program_scenario.h"
#include "test_process.h"

namespace obrivo::test {
namespace {

using namespace std::chrono_literals;

constexpr wchar_t kUserRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kBaseline[] = L"Software\\Tolvane\\Obrivo\\Run";
constexpr wchar_t kAlertTitle[] = L"Obrivo New Program Alert";
constexpr int kYesButton = 6, kNoButton = 7;

class StartupScenario : public ProgramScenario {
 protected:
  void SetUp() override {
    ProgramScenario::SetUp();
    agent_ = folder_ + L"\\agent.exe";
    ASSERT_TRUE(::CopyFileW(helper_.c_str(), agent_.c_str(), FALSE));
    command_ = L"\"" + agent_ + L"\" -startup";
  }
  void TearDown() override {
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kUserRun, L"Agent");
    KillProcessesIn(folder_);
    ::DeleteFileW(agent_.c_str());
    ProgramScenario::TearDown();
  }

  // Starts the Monitor (its baseline then holds what was there before), adds the Agent entry as
  // a program installing itself would, and tells the Monitor that something changed.
  HWND StartAndAddEntry(Process& monitor) {
    HWND window = StartMonitor(monitor);
    if (!window) return nullptr;
    EXPECT_EQ(SetString(HKEY_CURRENT_USER, kUserRun, L"Agent", command_), ERROR_SUCCESS);
    ::PostMessageW(window, 9024, 0, 0);
    return window;
  }

  HWND WaitForAlert(DWORD monitorId) {
    HWND alert = nullptr;
    WaitUntil(
        [&] {
          alert = FindDialogOf(monitorId);
          return alert && WindowText(alert) == kAlertTitle && ::IsWindowVisible(alert);
        },
        60s);
    return alert;
  }

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
      if (::RegEnumValueW(key, i, name, &nameSize, nullptr, &type,
                          reinterpret_cast<BYTE*>(data), &dataSize) != ERROR_SUCCESS)
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

  bool EntryPresent() const { return !GetString(HKEY_CURRENT_USER, kUserRun, L"Agent").empty(); }

  std::string History() const {
    std::ifstream in(std::filesystem::path(folder_ + L"\\history.txt"), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  std::wstring agent_, command_;
};

TEST_F(StartupScenario, ANewRunEntryIsAskedAboutAndYesKeepsIt) {
  Process monitor;
  ASSERT_NE(StartAndAddEntry(monitor), nullptr);
  HWND alert = WaitForAlert(monitor.id());
  ASSERT_NE(alert, nullptr) << "the new-program alert";
  EXPECT_NE(WindowText(::GetDlgItem(alert, 1026)).find(L"agent.exe -startup"), std::wstring::npos)
      << "the command it found";
  SaveDesktopScreenshot(L"monitor-new-startup-program.bmp");
  ::SendMessageW(::GetDlgItem(alert, kYesButton), BM_CLICK, 0, 0);

  EXPECT_TRUE(WaitUntil([&] { return !AgentBaseline().empty(); }, 10s))
      << "accepted into the baseline";
  EXPECT_EQ(AgentBaseline(), L"11") << "known by its location";
  EXPECT_TRUE(EntryPresent());
  EXPECT_NE(History().find("START_Alert"), std::string::npos) << "the alert's record";
}

TEST_F(StartupScenario, NoRemovesTheEntryAndRecordsIt) {
  Process monitor;
  ASSERT_NE(StartAndAddEntry(monitor), nullptr);
  HWND alert = WaitForAlert(monitor.id());
  ASSERT_NE(alert, nullptr) << "the new-program alert";
  ::SendMessageW(::GetDlgItem(alert, kNoButton), BM_CLICK, 0, 0);

  EXPECT_TRUE(WaitUntil([&] { return !EntryPresent(); }, 10s)) << "removed from the Run key";
  EXPECT_TRUE(AgentBaseline().empty()) << "neither under its command nor under its title";
  EXPECT_TRUE(WaitUntil([&] { return History().find("*START_Remove") != std::string::npos; }, 5s))
      << History();
}

TEST_F(StartupScenario, HiddenAlertRejectsWithoutAWindow) {
  SetOption(L"HideStartup", L"2");
  SetOption(L"ShowAlerts", L"0");
  Process monitor;
  ASSERT_NE(StartAndAddEntry(monitor), nullptr);
  EXPECT_TRUE(WaitUntil([&] { return !EntryPresent(); }, 60s)) << "removed at the next patrol";
  EXPECT_EQ(FindDialogOf(monitor.id()), nullptr) << "no alert was shown";
  EXPECT_TRUE(AgentBaseline().empty());
}

}  // namespace
}  // namespace obrivo::test
