// The tray icon and menu.
#include "monitor/tray.h"

#include <shellapi.h>

#include <cwchar>

#include "common/app.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"
#include "core/command_switches.h"
#include "core/tray_menu.h"
#include "monitor/monitor_state.h"
#include "startup/monitor_registration.h"

namespace obrivo::monitor {
namespace {

bool IconHidden() { return common::App().options.Get(core::OptionId::HideTavik) == 1; }

}  // namespace

bool UpdateTrayIcon(TrayAction action, int iconId, int tipId) {
  const MonitorState& s = State();
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = s.mainWindow;
  data.uID = core::cmd::kTrayIconId;
  if (action != TrayAction::Delete) {
    const std::string tip = common::LoadText(tipId, 64);
    if (tip.empty()) return false;
    const std::wstring wideTip = win32::Wide(tip);
    if (wideTip.size() >= std::size(data.szTip)) return false;
    std::wmemcpy(data.szTip, wideTip.c_str(), wideTip.size() + 1);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = core::cmd::kTrayCallback;
    int icon = iconId;
    if (action == TrayAction::Add) {
      const common::AppContext& app = common::App();
      icon = common::ReadOption(
          "TrayIcon", core::OptionDefault(core::OptionId::TrayIcon, app.program, app.ntFamily));
    }
    if (icon != 0) data.hIcon = ::LoadIconW(s.instance, MAKEINTRESOURCEW(icon));
  }
  ::Shell_NotifyIconW(static_cast<DWORD>(action), &data);  // failures change nothing we rely on
  return true;
}

void ShowTrayStatus(int tipId, int iconId) {
  if (!IconHidden()) UpdateTrayIcon(TrayAction::Modify, iconId, tipId);
}

void ShowTrayMenu(UINT mouseMessage, UINT iconId) {
  MonitorState& s = State();
  if (s.menuOpen) return;
  s.menuOpen = 1;
  POINT cursor{};
  ::GetCursorPos(&cursor);
  s.alwaysRun = startup::IsMonitorRegistered() ? 1 : 0;

  if (mouseMessage == WM_LBUTTONDBLCLK) {
    ::SetForegroundWindow(s.mainWindow);
    ::PostMessageW(s.mainWindow, WM_COMMAND, core::cmd::kStartup, 0);
  } else if (mouseMessage == WM_RBUTTONUP && iconId == core::cmd::kTrayIconId) {
    win32::UniqueMenu menu(::CreatePopupMenu());
    for (const auto& entry : core::TrayMenuEntries(common::App().ntFamily)) {
      if (entry.stringId == 0) {
        ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
      } else {
        ::AppendMenuW(menu.get(), MF_STRING, static_cast<UINT_PTR>(entry.commandId),
                      win32::Wide(common::LoadText(entry.stringId, 256)).c_str());
      }
    }
    ::SetForegroundWindow(s.mainWindow);
    ::TrackPopupMenuEx(menu.get(), TPM_VERTICAL, cursor.x, cursor.y, s.mainWindow, nullptr);
    // Lets the menu close properly when the user clicks elsewhere.
    ::PostMessageW(s.mainWindow, WM_NULL, 0, 0);
  }
  s.menuOpen = 0;
}

}  // namespace obrivo::monitor
