// The Monitor's icon in the notification area and its menu.
#pragma once

#include <windows.h>

#include <shellapi.h>

namespace obrivo::monitor {

enum class TrayAction { Add = NIM_ADD, Modify = NIM_MODIFY, Delete = NIM_DELETE };

// Sends the icon to the shell. Add uses the TrayIcon option's icon; Modify the icon `iconId`
// when it is non-zero. A tip that cannot be loaded sends nothing.
bool UpdateTrayIcon(TrayAction action, int iconId, int tipId);
// Shows what the patrol is doing, unless the icon is hidden.
void ShowTrayStatus(int tipId, int iconId);
// The tray callback: double-click opens the startup page, right-click the menu.
void ShowTrayMenu(UINT mouseMessage, UINT iconId);

}  // namespace obrivo::monitor
