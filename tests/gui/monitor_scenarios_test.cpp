// The Monitor as a user meets it: started, started again, asked to quit, its tray icon, its trace
// file and the pages it opens. Each scenario runs the real Obrivo.exe from a folder of its own.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "explorer_probe.h"
#include "program_scenario.h"
#include "test_process.h"

namespace obrivo::test {
namespace {

using namespace std::chrono_literals;

constexpr UINT kTrayIconId = 6036;
constexpr UINT kTrayCallback = 6035;

class MonitorScenario : public ProgramScenario {
 protected:
  Process Run(const std::wstring& arguments = L"") { return RunMonitor(arguments); }

  // The page the Explorer's sheet shows.
  static std::wstring ExplorerRequest() {
    HWND sheet = WaitForSheet();
    if (!sheet) return L"(no Explorer sheet)";
    return L"Requested page: " + std::to_wstring(CurrentPageCode(sheet));
  }
};

TEST_F(MonitorScenario, FirstRunCreatesTheStoreAndShowsTheTrayIcon) {
  Process monitor;
  HWND window = StartMonitor(monitor);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return TrayIconExists(window); })) << "the tray icon";
  EXPECT_FALSE(::IsWindowVisible(window)) << "the main window stays hidden";

  EXPECT_FALSE(GetString(HKEY_CURRENT_USER, L"Software\\Tolvane\\Obrivo", nullptr).empty())
      << "the first-run date";
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, L"Software\\Tolvane\\Obrivo", L"Version"), L"16.0.2009.5");
  for (const wchar_t* key :
       {L"Options", L"Run", L"IEHelpers", L"Tasks", L"Cookies", L"Nuts", L"HostFile"}) {
    HKEY opened = nullptr;
    EXPECT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER,
                              (L"Software\\Tolvane\\Obrivo\\" + std::wstring(key)).c_str(), 0,
                              KEY_READ, &opened),
              ERROR_SUCCESS)
        << key;
    if (opened) ::RegCloseKey(opened);
  }
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                      L"Obrivo"),
            L"\"" + folder_ + L"\\obrivo.exe\" -expressboot")
      << "registered to start at logon";
  EXPECT_FALSE(
      GetString(HKEY_CLASSES_ROOT, L"exefile\\shell\\Obrivo PLUS\\command", nullptr).empty());

  SaveDesktopScreenshot(L"monitor-tray.bmp", ::FindWindowW(L"Shell_TrayWnd", nullptr));

  Process quit = Run(L"-Q");
  EXPECT_EQ(quit.WaitForExit(), 0u);
  EXPECT_EQ(monitor.WaitForExit(), 0u) << "the running Monitor ends";
  EXPECT_FALSE(TrayIconExists(window)) << "its icon went with it";
}

TEST_F(MonitorScenario, SecondStartOpensTheExplorerUnlessNoOpen) {
  Process monitor;
  ASSERT_NE(StartMonitor(monitor), nullptr);
  const DWORD monitorPid = monitor.id();

  Process second = Run();
  EXPECT_EQ(second.WaitForExit(), 0u) << "the second start ends at once";
  EXPECT_EQ(ExplorerRequest(), L"Requested page: 6026");
  CloseExplorer();

  // A second start opens the Explorer before it ends, so once the quiet start has ended any
  // Explorer it opened would be running.
  ASSERT_TRUE(WaitUntil([&] { return ProcessesIn(folder_, L"ObrivoEx.exe").empty(); }))
      << "the first Explorer has ended";
  Process quiet = Run(L"-NoOpen");
  EXPECT_EQ(quiet.WaitForExit(), 0u);
  EXPECT_TRUE(ProcessesIn(folder_, L"ObrivoEx.exe").empty()) << "-NoOpen opens nothing";

  HWND window = ::FindWindowW(L"Obrivo", nullptr);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  EXPECT_EQ(pid, monitorPid) << "the first Monitor is untouched";
  EXPECT_TRUE(monitor.Running());
}

TEST_F(MonitorScenario, QuitSwitchAsksWhenConfirmExitIsSet) {
  SetOption(L"ConfirmExit", L"1");
  Process monitor;
  ASSERT_NE(StartMonitor(monitor), nullptr);

  Process quit = Run(L"-Q");
  EXPECT_EQ(quit.WaitForExit(), 0u);
  HWND question = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (question = FindDialogOf(monitor.id())) != nullptr; }));
  EXPECT_EQ(WindowText(question), L"Obrivo");
  HWND text = ::GetDlgItem(question, 0xFFFF);
  if (text) {
    EXPECT_NE(WindowText(text).find(L"Do you want Obrivo.exe to Exit?"), std::wstring::npos);
  }

  // No: the Monitor stays and the Explorer opens its Options page.
  ::PostMessageW(question, WM_COMMAND, IDNO, 0);
  EXPECT_EQ(ExplorerRequest(), L"Requested page: 6033");
  EXPECT_TRUE(monitor.Running());
  CloseExplorer();

  // Yes: the same path ends it.
  Process again = Run(L"-Q");
  EXPECT_EQ(again.WaitForExit(), 0u);
  ASSERT_TRUE(WaitUntil([&] { return (question = FindDialogOf(monitor.id())) != nullptr; }));
  ::PostMessageW(question, WM_COMMAND, IDYES, 0);
  EXPECT_EQ(monitor.WaitForExit(), 0u);
}

// Closing the window (as the system does at logoff) destroys it: a question could not keep the
// Monitor alive without its window, so it ends without asking.
TEST_F(MonitorScenario, ClosedWindowEndsWithoutAsking) {
  SetOption(L"ConfirmExit", L"1");
  Process monitor;
  HWND window = StartMonitor(monitor);
  ASSERT_NE(window, nullptr);
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(monitor.WaitForExit(), 0u);
  EXPECT_EQ(FindDialogOf(monitor.id()), nullptr);
}

TEST_F(MonitorScenario, QuitWithoutAMonitorDoesNothing) {
  Process quit = Run(L"-Q");
  EXPECT_EQ(quit.WaitForExit(), 0u);
  EXPECT_EQ(::FindWindowW(L"Obrivo", nullptr), nullptr);
  EXPECT_TRUE(GetString(HKEY_CURRENT_USER, L"Software\\Tolvane\\Obrivo", L"Version").empty())
      << "nothing initialised";
}

TEST_F(MonitorScenario, HiddenIconIsShownOnlyWhenTheOptionsPageAsksForIt) {
  SetOption(L"HideTavik", L"1");
  Process monitor;
  HWND window = StartMonitor(monitor);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(TrayIconExists(window)) << "not added when the Monitor started";
  ::SendMessageW(window, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_FALSE(TrayIconExists(window));

  // The box unchecked on the Options page (which has stored 0 by then): the icon is back at once.
  ::SendMessageW(window, WM_COMMAND, 6053, 0);
  EXPECT_TRUE(TrayIconExists(window));
}

TEST_F(MonitorScenario, TrayIconFollowsTheShellAndTheOptionsPage) {
  Process monitor;
  HWND window = StartMonitor(monitor);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return TrayIconExists(window); }));

  // A restarted shell has lost the icon; its broadcast brings the icon back.
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = kTrayIconId;
  ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &data));
  ASSERT_FALSE(TrayIconExists(window));
  ::SendMessageW(window, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(TrayIconExists(window));

  ::SendMessageW(window, WM_COMMAND, 6053, 1);  // hide
  EXPECT_FALSE(TrayIconExists(window));
  ::SendMessageW(window, WM_COMMAND, 6053, 0);  // show again
  EXPECT_TRUE(TrayIconExists(window));
}

TEST_F(MonitorScenario, TraceFileOnlyWithDebug) {
  {
    Process monitor;
    ASSERT_NE(StartMonitor(monitor), nullptr);
    Process quit = Run(L"-Q");
    EXPECT_EQ(monitor.WaitForExit(), 0u);
    EXPECT_EQ(::GetFileAttributesW(DataFile(L"send2tv.txt").c_str()), INVALID_FILE_ATTRIBUTES)
        << "no trace without Debug";
  }
  ResetStore();
  SetOption(L"Debug", L"1");
  Process monitor;
  ASSERT_NE(StartMonitor(monitor), nullptr);
  Process quit = Run(L"-Q");
  EXPECT_EQ(monitor.WaitForExit(), 0u);

  std::ifstream file(std::filesystem::path(DataFile(L"send2tv.txt")));
  ASSERT_TRUE(file.good()) << "the trace file";
  std::stringstream content;
  content << file.rdbuf();
  const std::string trace = content.str();
  EXPECT_NE(trace.find("[Trace]"), std::string::npos) << trace;
  EXPECT_TRUE(std::regex_search(
      trace,
      std::regex(
          R"((^|\n)-?\d+\.1=\d\d-\d\d  \d\d:\d\d:\d\d START: From Initialize to Post\r?\n)")))
      << trace;
  EXPECT_TRUE(std::regex_search(
      trace,
      std::regex(R"((^|\n)-?\d+\.2=\*\*:\*\*:\*\* NanoCycles: From Initialize to Post = \d+ )")))
      << trace;
}

// The notifier's change message makes the next tick count the running programs; a changed count
// brings the next pass forward (instead of 17 ticks after the start), and the categories watched
// in real time are due at once. The options the Explorer flagged as changed are reloaded first.
TEST_F(MonitorScenario, ChangeSignalBringsThePatrolForward) {
  SetOption(L"Debug", L"1");
  Process monitor;
  HWND window = StartMonitor(monitor);
  ASSERT_NE(window, nullptr);
  // As the Explorer's Options page leaves the store: startup no longer watched in real time.
  SetOption(L"RealtimeStartup", L"0");
  SetOption(L"Update", L"1");
  ::PostMessageW(window, 9024, 0, 0);

  const std::filesystem::path file(DataFile(L"send2tv.txt"));
  std::string trace;
  const bool passed = WaitUntil(
      [&] {
        std::ifstream in(file);
        trace.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return trace.find("VERIFY: Exit Normal Verify") != std::string::npos;
      },
      60s);
  ASSERT_TRUE(passed) << trace;

  // The lines of the real-time check and of the pass, in the order they were written.
  const char* const expected[] = {
      "* * * VERIFY TASKS: Check for Task Change",
      "VERIFY: Enter Verify function",
      "VERIFY: IE Helpers",
      "VERIFY: ActiveX Files",
      "VERIFY: Verify System Files",
      "VERIFY: IE Start/Search Page",
      "VERIFY: Exit Normal Verify",
  };
  std::size_t at = 0;
  for (const char* line : expected) {
    const std::size_t found = trace.find(line, at);
    ASSERT_NE(found, std::string::npos) << line << " after offset " << at << "\n" << trace;
    at = found;
  }
  for (const char* absent : {"VERIFY: Startup Programs", "VERIFY: Hidden Files",
                             "VERIFY: File Types", "Exit Early because we recently did a verify"})
    EXPECT_EQ(trace.find(absent), std::string::npos) << absent << "\n" << trace;
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, L"Software\\Tolvane\\Obrivo\\Options", L"Update"), L"0")
      << "the flag is cleared once the options are reloaded";
  EXPECT_TRUE(TrayIconExists(window)) << "the icon after the pass";
  EXPECT_TRUE(monitor.Running());
}

TEST_F(MonitorScenario, TrayCommandsOpenTheirPages) {
  Process monitor;
  HWND window = StartMonitor(monitor);
  ASSERT_NE(window, nullptr);

  // A double-click on the icon opens the startup page.
  ::PostMessageW(window, kTrayCallback, kTrayIconId, WM_LBUTTONDBLCLK);
  EXPECT_EQ(ExplorerRequest(), L"Requested page: 6026");

  CloseExplorer();

  // Each menu command opens the Explorer on its page.
  const int pages[] = {6027, 6028, 6029, 6033, 6038, 6039, 6040,
                       6042, 6052, 6055, 6056, 6060, 6026};
  for (int page : pages) {
    ::PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(page), 0);
    EXPECT_EQ(ExplorerRequest(), L"Requested page: " + std::to_wstring(page));
    CloseExplorer();
  }

  // A right-click opens the menu; Escape closes it and the Monitor goes on.
  ::PostMessageW(window, kTrayCallback, kTrayIconId, WM_RBUTTONUP);
  HWND menu = WaitForWindow(L"#32768", nullptr, 10s);
  ASSERT_NE(menu, nullptr) << "the tray menu";
  ::PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(WaitUntil([] {
    HWND m = ::FindWindowW(L"#32768", nullptr);
    return m == nullptr || !::IsWindowVisible(m);
  }));
  EXPECT_TRUE(monitor.Running());
}

TEST_F(MonitorScenario, MissingExplorerIsReported) {
  Process monitor;
  HWND window = StartMonitor(monitor);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(::DeleteFileW((folder_ + L"\\ObrivoEx.exe").c_str()));
  ::PostMessageW(window, WM_COMMAND, 6029, 0);
  HWND message = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (message = FindDialogOf(monitor.id())) != nullptr; }));
  HWND text = ::GetDlgItem(message, 0xFFFF);
  ASSERT_NE(text, nullptr);
  EXPECT_NE(WindowText(text).find(L"Program not found"), std::wstring::npos);
  ::PostMessageW(message, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitUntil([&] { return FindDialogOf(monitor.id()) == nullptr; }));
  EXPECT_TRUE(monitor.Running());
}

TEST_F(MonitorScenario, AlwaysRunTogglesTheLogonEntry) {
  const wchar_t* run = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  Process monitor;
  HWND window = StartMonitor(monitor);
  ASSERT_NE(window, nullptr);
  ASSERT_FALSE(GetString(HKEY_LOCAL_MACHINE, run, L"Obrivo").empty()) << "registered at first run";

  // Any tray callback refreshes what the Monitor knows of its registration.
  ::SendMessageW(window, kTrayCallback, kTrayIconId, WM_MOUSEMOVE);
  ::SendMessageW(window, WM_COMMAND, 6031, 0);
  EXPECT_TRUE(GetString(HKEY_LOCAL_MACHINE, run, L"Obrivo").empty()) << "switched off";
  ::SendMessageW(window, WM_COMMAND, 6031, 0);
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, run, L"Obrivo"),
            L"\"" + folder_ + L"\\obrivo.exe\" -expressboot");
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, L"Software\\Tolvane\\Obrivo\\Run",
                      (folder_ + L"\\obrivo.exe -expressboot").c_str()),
            L"1")
      << "accepted under the path the startup listing gives it";
}

// Installed below "Program Files": the logon entry must start this Monitor, not a program named
// like the first word of the folder ("...\Program.exe"), which Windows tries first when the
// path is not quoted.
class MonitorInProgramFiles : public MonitorScenario {
 protected:
  std::wstring ProgramsRoot() const override {
    return std::wstring(kScenarioRoot) + L"\\Program Files";
  }
  void TearDown() override {
    ::DeleteFileW(decoy_.c_str());
    MonitorScenario::TearDown();
  }
  const std::wstring decoy_ = std::wstring(kScenarioRoot) + L"\\Program.exe";
};

TEST_F(MonitorInProgramFiles, LogonEntryStartsThisMonitor) {
  ASSERT_TRUE(::CopyFileW(helper_.c_str(), decoy_.c_str(), FALSE));
  Process monitor;
  HWND window = StartMonitor(monitor);
  ASSERT_NE(window, nullptr);
  const std::wstring command = GetString(
      HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Obrivo");
  ASSERT_FALSE(command.empty()) << "registered at first run";
  EXPECT_EQ(_wcsicmp(ProgramStartedBy(command).c_str(), (folder_ + L"\\obrivo.exe").c_str()), 0)
      << "started by " << command;
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, L"Software\\Tolvane\\Obrivo\\Run",
                      (folder_ + L"\\obrivo.exe -expressboot").c_str()),
            L"1")
      << "its own entry is accepted";
}

TEST_F(MonitorScenario, ProgramFileOnTheCommandLineOpensItsInformationPage) {
  const wchar_t* handler = L"https\\shell\\open\\command";
  const std::wstring original = GetString(HKEY_CLASSES_ROOT, handler, nullptr);
  const std::wstring record = folder_ + L"\\lookup.txt";
  ASSERT_EQ(SetString(HKEY_CLASSES_ROOT, handler, nullptr,
                      L"\"" + helper_ + L"\" record " + record + L" %1"),
            ERROR_SUCCESS);

  // As the shell verb hands it over: the file name unquoted after the Monitor's own.
  Process lookup = Run(helper_);
  EXPECT_EQ(lookup.WaitForExit(), 0u);
  EXPECT_TRUE(
      WaitUntil([&] { return ::GetFileAttributesW(record.c_str()) != INVALID_FILE_ATTRIBUTES; }));
  std::ifstream file{std::filesystem::path(record)};
  std::string url((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  file.close();
  ::DeleteFileW(record.c_str());
  SetString(HKEY_CLASSES_ROOT, handler, nullptr, original);

  EXPECT_EQ(
      url.rfind("https://www.tolvane.com/cgi-bin/plusinfo.pl?program=obrivo_test_helper.exe", 0),
      0u)
      << url;
  EXPECT_NE(url.find("&Type=460"), std::string::npos) << url;
  EXPECT_EQ(::FindWindowW(L"Obrivo", nullptr), nullptr) << "a lookup starts no Monitor";
}

}  // namespace
}  // namespace obrivo::test
