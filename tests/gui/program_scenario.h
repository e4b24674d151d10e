// What every scenario with the real programs shares: a folder of its own holding copies of the
// programs, a store reset to a first run before and after, and registry helpers.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "explorer_probe.h"
#include "monitor/monitor.h"
#include "test_process.h"

namespace obrivo::test {

inline LONG SetString(HKEY hive, const wchar_t* path, const wchar_t* name,
                      const std::wstring& value) {
  HKEY key = nullptr;
  LONG rc = ::RegCreateKeyExW(hive, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  rc = ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  ::RegCloseKey(key);
  return rc;
}

inline std::wstring GetString(HKEY hive, const wchar_t* path, const wchar_t* name) {
  wchar_t buffer[2048] = {};
  DWORD size = sizeof buffer;
  if (::RegGetValueW(hive, path, name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
    return {};
  return buffer;
}

// True while the Monitor's tray icon (id 6036) is in the tray: modifying nothing succeeds only for
// an icon the tray knows.
inline bool TrayIconExists(HWND monitor) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = monitor;
  data.uID = 6036;
  return ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

class ProgramScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ =
        ProgramsRoot() + L"\\" + std::wstring(info->name(), info->name() + strlen(info->name()));
    ::CreateDirectoryW(kScenarioRoot, nullptr);
    ::CreateDirectoryW(ProgramsRoot().c_str(), nullptr);
    ::CreateDirectoryW(folder_.c_str(), nullptr);
    const std::wstring bin = HostToWine(EnvVar(L"OBRIVO_BIN_DIR"));
    ASSERT_FALSE(bin.empty()) << "OBRIVO_BIN_DIR names the built programs";
    for (const wchar_t* file : {L"Obrivo.exe", L"ObrivoEx.exe", L"Quenrax.dll"})
      ASSERT_TRUE(
          ::CopyFileW((bin + L"\\" + file).c_str(), (folder_ + L"\\" + file).c_str(), FALSE))
          << "copy of the programs";
    helper_ = bin + L"\\obrivo_test_helper.exe";
    ResetStore();
  }

  void TearDown() override {
    nudge_ = Process();
    KillProcessesIn(folder_);
    for (const wchar_t* file : {L"Obrivo.exe", L"ObrivoEx.exe", L"Quenrax.dll"})
      ::DeleteFileW((folder_ + L"\\" + file).c_str());
    ::RemoveDirectoryW(folder_.c_str());
    if (ProgramsRoot() != kScenarioRoot) ::RemoveDirectoryW(ProgramsRoot().c_str());
    ResetStore();
  }

  static constexpr wchar_t kScenarioRoot[] = L"C:\\obrivo-gui";
  // The folder below which each scenario's copy of the programs lies.
  virtual std::wstring ProgramsRoot() const { return kScenarioRoot; }

  // The user's data folder, where the programs write their history, trace and kept files.
  static std::wstring DataFolder() {
    return GetString(HKEY_CURRENT_USER,
                     L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                     L"AppData") +
           L"\\Obrivo";
  }
  static std::wstring DataFile(const std::wstring& name) { return DataFolder() + L"\\" + name; }
  // The history file's whole text as the programs wrote it; empty while there is none.
  static std::string History() {
    std::ifstream in(std::filesystem::path(DataFile(L"history.txt")), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  // Every scenario starts as a first run on this machine, with an empty data folder.
  static void ResetStore() {
    std::error_code ignored;
    std::filesystem::remove_all(DataFolder(), ignored);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tolvane");
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Tolvane");
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                         L"Obrivo");
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L"exefile\\shell\\Obrivo PLUS");
  }

  static void SetOption(const wchar_t* name, const wchar_t* value) {
    ASSERT_EQ(SetString(HKEY_CURRENT_USER, L"Software\\Tolvane\\Obrivo\\Options", name, value),
              ERROR_SUCCESS);
  }

  Process RunMonitor(const std::wstring& arguments = L"") {
    return Process(folder_ + L"\\Obrivo.exe", arguments, folder_);
  }

  // Starts the Monitor and waits until it has handled its start-up command: its store and
  // baselines are ready, its tray icon is shown (unless hidden) and its patrol timer runs. The
  // window exists long before that (and a sent message is answered before the posted command).
  HWND StartMonitor(Process& process, const std::wstring& arguments = L"") {
    process = RunMonitor(arguments);
    EXPECT_TRUE(process.started());
    HWND window = WaitForWindow(L"Obrivo");
    EXPECT_NE(window, nullptr) << "the Monitor's window";
    if (window) {
      EXPECT_TRUE(WaitUntil([&] { return PatrolRunning(window); })) << "the Monitor's patrol";
    }
    return window;
  }

  Process RunExplorer(const std::wstring& arguments = L"") {
    return Process(folder_ + L"\\ObrivoEx.exe", arguments, folder_);
  }

  // Starts the Explorer and waits for its sheet.
  HWND OpenExplorer(Process& process, const std::wstring& arguments) {
    process = RunExplorer(arguments);
    EXPECT_TRUE(process.started());
    HWND sheet = WaitForSheet();
    EXPECT_NE(sheet, nullptr) << "the sheet for "
                              << std::string(arguments.begin(), arguments.end());
    return sheet;
  }

  // Closes the Explorer the way a second start with -Q does, and waits for it to end.
  void QuitExplorer(Process& explorer) {
    Process quit = RunExplorer(L"-Q");
    EXPECT_EQ(quit.WaitForExit(), 0u);
    EXPECT_EQ(explorer.WaitForExit(), 0u) << "the Explorer ends when told to quit";
  }

  // The Explorer's message box or dialog that is not its sheet, once one shows.
  static HWND WaitForDialogBesides(const Process& explorer, HWND sheet) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
          struct Search {
            DWORD pid;
            HWND sheet, found;
          } search{explorer.id(), sheet, nullptr};
          ::EnumWindows(
              [](HWND window, LPARAM param) -> BOOL {
                auto* s = reinterpret_cast<Search*>(param);
                DWORD pid = 0;
                ::GetWindowThreadProcessId(window, &pid);
                wchar_t cls[16] = {};
                ::GetClassNameW(window, cls, 16);
                if (pid != s->pid || window == s->sheet || !::IsWindowVisible(window) ||
                    std::wstring(cls) != L"#32770")
                  return TRUE;
                s->found = window;
                return FALSE;
              },
              reinterpret_cast<LPARAM>(&search));
          found = search.found;
          return found != nullptr;
        },
        std::chrono::seconds(10));
    return found;
  }

  // The notifier's message brings the next patrol forward when the number of running programs
  // changed since the last look: start or end a program of our own, then tell the Monitor once
  // the change is there to be counted (a program counts once its image can be named; an ended
  // one has been waited for).
  void Nudge(HWND monitor) {
    if (nudge_.started()) {
      nudge_ = Process();
    } else {
      nudge_ = Process(helper_, L"wait");
      WaitUntil([&] { return !ProcessImage(nudge_.id()).empty(); }, std::chrono::seconds(5));
    }
    ::PostMessageW(monitor, 9024, 0, 0);
  }

  static bool PatrolRunning(HWND monitor) {
    return ::GetPropW(monitor, monitor::kPatrolRunningProperty) != nullptr;
  }

  std::wstring folder_;
  std::wstring helper_;
  Process nudge_;  // the program Nudge started, while it runs
};

}  // namespace obrivo::test
