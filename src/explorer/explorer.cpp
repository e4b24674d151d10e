// The Explorer program's start-up and its main window.
#include "explorer/explorer.h"

#include <commctrl.h>

#include <string>

#include "app/category_hooks.h"
#include "browser/settings_guard.h"
#include "browser/cookies.h"
#include "common/app.h"
#include "common/data_folder.h"
#include "common/first_detected.h"
#include "common/items.h"
#include "common/shell_integration.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/trace_log.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/system.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"
#include "common/win32/window.h"
#include "core/command_switches.h"
#include "core/explorer_pages.h"
#include "core/text.h"
#include "explorer/explorer_state.h"
#include "explorer/hijack_log_writer.h"
#include "explorer/messages.h"
#include "explorer/sheet.h"
#include "icon_ids.h"
#include "startup/delayed_list.h"
#include "startup/monitor_registration.h"
#include "startup/restart_commands.h"
#include "startup/startup_actions.h"
#include "string_ids.h"

namespace obrivo::explorer {
namespace {

using win32::Wide;

constexpr int kLoadingTitleId = 833;

void ExitHandling(HWND window) {
  if (common::ReadOption("ConfirmExit", 0) == 0) {
    ::DestroyWindow(window);
    return;
  }
  const std::wstring monitorClass = Wide(common::LoadText(IDS_MONITOR_CLASS, 32));
  if (!::FindWindowW(monitorClass.c_str(), nullptr)) {
    win32::StartCommandLine("\"" + common::ProgramFolder() + "\\Obrivo.exe\"", SW_SHOW);
    return;
  }
  OpenSheet(core::cmd::kStartup);
}

void ToggleMonitorAutostart() { startup::RegisterMonitorAtLogon(!startup::IsMonitorRegistered()); }

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const int code = LOWORD(wParam);
      switch (code) {
        case core::cmd::kExit:
          ::DestroyWindow(window);
          break;
        case core::cmd::kAlwaysRun:
          ToggleMonitorAutostart();
          break;
        case core::cmd::kCookieList:
          Explorer().viewCookiesAtOnce = true;
          OpenSheet(core::cmd::kCookies);
          Explorer().viewCookiesAtOnce = false;
          break;
        case core::cmd::kExplorerExit:
          ExitHandling(window);
          break;
        case core::cmd::kRestartCommands:  // Windows 9x only; elsewhere nothing happens
          startup::ShowRestartCommands(window);
          break;
        default:
          if (core::IsSheetPageCode(code)) OpenSheet(code);
          break;
      }
      return 0;
    }
    case WM_CLOSE:
      ::DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      common::ClearItems();
      common::RecentItems().Clear();
      Explorer().mainWindow = nullptr;
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

// The Explorer's trace lies beside the Monitor's, under its own name; like the Monitor's it is
// kept only when the Debug option was set at start.
void StartTrace() {
  const bool on = common::App().diagnostics;
  common::StartTraceLog(Explorer().trace, common::DataPath("sendex2tv.txt"), on);
  if (!on) return;
  common::SetDiagnosticHook(
      [](std::string_view category, std::string_view text) { Trace(category, text); });
  Trace("START", "Explorer started");
}

}  // namespace

bool RestoreBeforeRemoval() {
  // Once the product is gone nothing would start the delayed programs: they go back to where
  // they started from before.
  const bool allBack = startup::RestoreAllDelayed();
  // Nothing may start a program that is being removed.
  startup::RegisterMonitorAtLogon(false);
  common::DeleteOverridesAndPositions();
  if (common::ExplorerMenuExists()) common::SetExplorerMenu(false);
  return allBack;
}

int WriteMachineSettingBack(core::ExplorerCommandLine::Action action) {
  using Action = core::ExplorerCommandLine::Action;
  using browser::MachineSetting;
  const MachineSetting setting = action == Action::AUOption    ? MachineSetting::AutoUpdate
                                 : action == Action::SetPrefix ? MachineSetting::UrlPrefix
                                                               : MachineSetting::UserAccountControl;
  // The Monitor waits for this process and tells the user nothing more: the reason is said here,
  // where it is known.
  const browser::WriteBack result = browser::WriteBaselineBack(setting);
  if (result == browser::WriteBack::Written) return core::kMachineSettingWritten;
  ShowMessageText(nullptr, browser::WriteBackMessage(setting, result), MB_ICONWARNING);
  return result == browser::WriteBack::Refused ? core::kMachineSettingRefused
                                               : core::kMachineSettingFailed;
}

int PruneNextDetectedKey() {
  int count = common::ReadOption("nCount", 0) + 1;
  if (count > 3 || count < 0) count = 0;
  common::WriteOption("nCount", count);
  static constexpr std::string_view kRotation[] = {
      common::kDetectedTasks, common::kDetectedActiveTasks, common::kDetectedServices,
      common::kDetectedHidden};
  common::PruneFirstDetected(kRotation[count]);
  return count;
}

int CleanPrefetch() {
  const std::string folder = win32::WindowsDirectory() + "\\Prefetch";
  WIN32_FIND_DATAW found{};
  win32::UniqueFind find(::FindFirstFileW(Wide(folder + "\\*").c_str(), &found));
  if (!find) return 0;
  int deleted = 0;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::string name = win32::Narrow(found.cFileName);
    if (core::FindNoCase(name, "Obrivousb.exe") == std::string::npos) continue;
    if (common::DeleteFileForce(folder + "\\" + name)) ++deleted;
  } while (::FindNextFileW(find.get(), &found));
  return deleted;
}

namespace {

// The cookie folders are looked for once: the Cookies page starts from what was found.
void DetectCookieFolders() {
  ExplorerState& e = Explorer();
  e.ieCookieFolder = browser::FindIECookieFolder().value_or(std::string());
  e.mozillaProfileFolder =
      browser::FindMozillaProfileFolder(browser::ChosenBrowser()).value_or(std::string());
  Trace("COOKIES", "IE: " + e.ieCookieFolder + "  Mozilla: " + e.mozillaProfileFolder);
}

}  // namespace

int RunExplorer(HINSTANCE instance, std::wstring_view arguments) {
  common::InitApp(core::Program::Explorer, instance);
  const std::string className = common::LoadText(IDS_EXPLORER_CLASS, 32);
  const std::string loading = common::LoadText(kLoadingTitleId, 64);
  if (className.empty() || loading.empty()) return 0;

  const std::string args = win32::Narrow(arguments);
  const int startTab = common::ReadOption("StartTab", core::cmd::kStartup);
  const core::ExplorerCommandLine commandLine = core::ParseExplorerCommandLine(args, startTab);
  using Action = core::ExplorerCommandLine::Action;
  if (commandLine.action == Action::Restore) {
    // No window: a silent uninstall runs this. The exit code tells the uninstaller.
    return RestoreBeforeRemoval() ? 0 : 1;
  }
  if (commandLine.action == Action::EnableDisabled) {
    // The exit code tells the uninstaller whether every entry came back: it keeps the settings
    // that hold the rest.
    if (startup::EnableAllDisabledEntries().failed == 0) return 0;
    ShowMessage(nullptr, IDS_ENABLE_ALL_INCOMPLETE, MB_ICONWARNING);
    return 1;
  }
  if (commandLine.action != Action::OpenPage) return WriteMachineSettingBack(commandLine.action);
  if (IsHijackLogProgram(win32::ModuleFileName())) {
    // A copy renamed for the forums' helpers ("hijack..." in its name) writes the log and ends:
    // the exit code says whether the file was written.
    win32::ComScope com;
    app::InitialiseStore();
    return WriteHijackLog(nullptr, HijackLogNotice::Open) ? 0 : 1;
  }

  const std::wstring wideClass = Wide(className);
  if (HWND running = ::FindWindowW(wideClass.c_str(), nullptr)) {
    ::PostMessageW(running, WM_COMMAND, commandLine.quit ? core::cmd::kExit : commandLine.code, 0);
    return 0;
  }
  if (commandLine.quit) return 0;

  WNDCLASSW wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = instance;
  wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_PROGRAM));
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(LTGRAY_BRUSH));
  wc.lpszClassName = wideClass.c_str();
  if (!::RegisterClassW(&wc)) return 0;
  // Visible but empty and above the screen: it gives the Explorer its taskbar button and owns
  // the sheet.
  HWND window = ::CreateWindowExW(WS_EX_APPWINDOW, wideClass.c_str(), Wide(loading).c_str(),
                                  WS_VISIBLE | WS_CAPTION | WS_SYSMENU, 0, -200, 0, 0, nullptr,
                                  nullptr, instance, nullptr);
  if (!window) return 0;
  Explorer().mainWindow = window;
  ::SetWindowTextW(window, Wide(common::LoadText(IDS_PROGRAM_TITLE, 64)).c_str());
  CreateSharedResources(instance);

  win32::ComScope com;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&controls);
  app::InitialiseStore();
  StartTrace();
  DetectCookieFolders();
  PruneNextDetectedKey();
  CleanPrefetch();

  ::PostMessageW(window, WM_COMMAND, commandLine.code, 0);
  const int code = win32::RunMessageLoop();
  ReleaseSharedResources();
  return code;
}

}  // namespace obrivo::explorer
