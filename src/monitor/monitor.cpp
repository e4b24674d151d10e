// The Monitor program.
#include "monitor/monitor.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/category_hooks.h"
#include "common/app.h"
#include "common/items.h"
#include "common/online_lookup.h"
#include "common/options_store.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/system.h"
#include "common/win32/wide.h"
#include "common/win32/window.h"
#include "core/command_switches.h"
#include "icon_ids.h"
#include "monitor/alerts/alert_window.h"
#include "monitor/delayed_launcher.h"
#include "monitor/monitor_state.h"
#include "monitor/patrol.h"
#include "monitor/trace.h"
#include "monitor/tray.h"
#include "quenrax/quenrax.h"
#include "startup/monitor_registration.h"
#include "startup/restart_commands.h"
#include "string_ids.h"

namespace obrivo::monitor {

using win32::Wide;

MonitorState& State() {
  static MonitorState state;
  return state;
}

namespace {

constexpr int kConfirmExitId = 17;
constexpr int kExplorerMissingId = 795;

bool IconHidden() { return common::App().options.Get(core::OptionId::HideTavik) == 1; }

int MessageBoxText(HWND owner, const std::string& text, UINT flags) {
  return ::MessageBoxExW(owner, Wide(text).c_str(), Wide(State().caption).c_str(),
                         flags | MB_TOPMOST, common::App().languageId);
}

void Initialise() {
  MonitorState& s = State();
  s.taskbarCreatedMsg = ::RegisterWindowMessageW(L"TaskbarCreated");
  s.menuOpen = 0;
  if (!IconHidden()) UpdateTrayIcon(TrayAction::Add, 0, IDS_PATROL_TIP);
  s.tickCount = 0;
  s.conflictCount = 0;
  common::ClearItems();
  // The new-program alert counts repeats of one command from here on.
  s.repeatCount = 0;
  s.lastAlertPath.clear();
  s.timerId = ::SetTimer(s.mainWindow, kTimerId, kTimerPeriodMs, nullptr);
  if (s.timerId != 0) ::SetPropW(s.mainWindow, kPatrolRunningProperty, s.mainWindow);
}

void ToggleAlwaysRun() {
  MonitorState& s = State();
  s.alwaysRun = startup::RegisterMonitorAtLogon(s.alwaysRun == 0) ? 1 : 0;
}

// The tray icon switch sent by the Explorer's Options page: lParam is the new HideTavik value,
// already in the store. The Monitor takes it over at once: once a reload had made its own copy 1,
// the icon would otherwise never come back when the box is unchecked again.
void SwitchTrayIcon(LPARAM hide) {
  common::App().options.Set(core::OptionId::HideTavik, hide != 0 ? 1 : 0);
  if (hide != 0)
    UpdateTrayIcon(TrayAction::Delete, 0, 0);
  else
    UpdateTrayIcon(TrayAction::Add, 0, IDS_PATROL_TIP);
}

void OnCommand(int id) {
  if (id < core::cmd::kFirst || id > core::cmd::kLast) return;
  if (auto page = core::ExplorerSwitchForCommand(id)) {
    LaunchExplorer(*page);
    return;
  }
  switch (id) {
    case core::cmd::kInitialise:
      Initialise();
      break;
    case core::cmd::kExit:
      ::PostMessageW(State().mainWindow, WM_DESTROY, 0, 0);
      break;
    case core::cmd::kAlwaysRun:
      ToggleAlwaysRun();
      break;
    case core::cmd::kRestartCommands:  // Windows 9x only; elsewhere nothing happens
      startup::ShowRestartCommands(State().mainWindow);
      break;
    default:
      break;
  }
}

// WM_DESTROY: posted by the Exit command or by a second start with -Q, or the real destruction.
void OnDestroy(WPARAM wParam) {
  MonitorState& s = State();
  // A window that is really being destroyed cannot stay: only a requested exit is confirmed.
  if (!s.destroying && LOWORD(wParam) == 0 && common::ReadOption("ConfirmExit", 0) != 0) {
    const int answer = MessageBoxText(s.mainWindow, common::LoadText(kConfirmExitId),
                                      MB_YESNO | MB_ICONQUESTION);
    if (answer == IDNO) {
      win32::StartCommandLine("\"" + common::ProgramFolder() + "\\ObrivoEx.exe\" -RESTART", SW_SHOW);
      return;
    }
  }
  ShutdownMonitor();
  ::PostQuitMessage(0);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MonitorState& s = State();
  switch (message) {
    case WM_TIMER:
      // Each tick drives the delayed-start launcher (first, whatever the patrol is doing) and
      // the patrol cycle.
      if (wParam == kTimerId) OnPatrolTick();
      if (wParam == kSettleTimerId) OnChangeSettled();
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == core::cmd::kTrayIconSwitch)
        SwitchTrayIcon(lParam);
      else
        OnCommand(LOWORD(wParam));
      return 0;
    case WM_CLOSE:
      s.destroying = true;
      ::DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      OnDestroy(wParam);
      return 0;
    case core::cmd::kTrayCallback:
      ShowTrayMenu(static_cast<UINT>(lParam), LOWORD(wParam));
      return 0;
    case quenrax::kChangeMessage:
      s.changePending = 1;
      if (wParam & quenrax::kPlacesChanged) s.placesChanged = 1;
      // Before the patrol runs (its timer starts with the start-up command) the ticks take it.
      if (s.timerId != 0) OnChangeSignal();
      return 0;
    default:
      if (message != 0 && message == s.taskbarCreatedMsg) {
        // The shell restarted: its new tray does not know our icon yet.
        if (!IconHidden()) UpdateTrayIcon(TrayAction::Add, 0, IDS_PATROL_TIP);
      }
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

bool CreateMainWindow(HINSTANCE instance) {
  MonitorState& s = State();
  const std::wstring className = Wide(s.className);
  WNDCLASSW wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = instance;
  wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_PROGRAM));
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(LTGRAY_BRUSH));
  wc.lpszClassName = className.c_str();
  if (!::RegisterClassW(&wc)) return false;
  s.mainWindow = ::CreateWindowExW(0, className.c_str(), Wide(s.caption).c_str(),
                                   WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, nullptr, nullptr, instance,
                                   nullptr);
  if (!s.mainWindow) return false;
  CreateAlertFonts();
  ::ShowWindow(s.mainWindow, SW_HIDE);
  ::UpdateWindow(s.mainWindow);
  return true;
}

}  // namespace

bool LaunchExplorer(std::string_view switchText) {
  const MonitorState& s = State();
  const std::wstring folder = Wide(common::ProgramFolder());
  const std::wstring file = folder + L"\\ObrivoEx.exe";
  const auto result = reinterpret_cast<INT_PTR>(
      ::ShellExecuteW(s.mainWindow, L"open", file.c_str(), Wide(switchText).c_str(),
                      folder.c_str(), SW_SHOWNORMAL));
  if (result > 32) return true;
  MessageBoxText(s.mainWindow, common::LoadText(kExplorerMissingId), MB_ICONERROR);
  return false;
}

void ShutdownMonitor() {
  MonitorState& s = State();
  QuenraxStop();
  if (!IconHidden()) UpdateTrayIcon(TrayAction::Delete, 0, 0);
  if (s.timerId != 0) {
    ::KillTimer(s.mainWindow, kTimerId);
    ::KillTimer(s.mainWindow, kSettleTimerId);
    ::RemovePropW(s.mainWindow, kPatrolRunningProperty);
    ::RemovePropW(s.mainWindow, kLauncherTicksProperty);
    ::RemovePropW(s.mainWindow, kSettledChecksProperty);
    s.timerId = 0;
  }
  common::ClearItems();
  common::RecentItems().Clear();
}

void ShowSystemError() {
  const std::string text = win32::SystemErrorText(::GetLastError());
  ::MessageBoxExW(State().mainWindow, Wide(text).c_str(), L"System Error",
                  MB_ICONINFORMATION | MB_TOPMOST, common::App().languageId);
}

int RunMonitor(HINSTANCE instance, std::wstring_view arguments) {
  MonitorState& s = State();
  s.instance = instance;
  common::InitApp(core::Program::Monitor, instance);
  s.className = common::LoadText(IDS_MONITOR_CLASS, 32);
  s.caption = common::LoadText(IDS_PROGRAM_TITLE, 32);
  if (s.className.empty() || s.caption.empty()) return 0;

  const std::string args = win32::Narrow(arguments);
  const core::MonitorCommandLine commandLine = core::ParseMonitorCommandLine(args);
  if (commandLine.lookupType != 0) {
    // The shell menu hands over a program file: show its page and end.
    common::SelectLanguage();
    common::LoadOptions(common::App().options);
    common::LookUpProgramOnline(nullptr, commandLine.lookupType, args);
    return 0;
  }

  if (HWND running = ::FindWindowW(Wide(s.className).c_str(), nullptr)) {
    if (commandLine.quit)
      ::PostMessageW(running, WM_COMMAND, core::cmd::kExit, 0);
    else if (!commandLine.noOpen)
      LaunchExplorer("-START");
    return 0;
  }
  if (commandLine.quit) return 0;
  if (!CreateMainWindow(instance)) return 0;

  s.expressBootTicks = commandLine.expressBoot ? kExpressBootTicks : 0;
  win32::ComScope com;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);

  s.alertOpen = false;
  s.restartCountdown = 0;
  app::InitialiseStore();
  StartPatrol();
  InitTrace(common::App().diagnostics);
  Trace("START", "From Initialize to Post");

  s.changePending = 0;
  QuenraxStart(s.mainWindow);  // the timer alone keeps the patrol going if this fails
  TraceElapsed();
  // The delayed-start list as it stands at this start; its delays count from the first tick of
  // the timer that 6025 starts.
  StartDelayedLauncher();

  ::PostMessageW(s.mainWindow, WM_COMMAND, core::cmd::kInitialise, 0);
  return win32::RunMessageLoop();
}

}  // namespace obrivo::monitor
