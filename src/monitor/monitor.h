// The Monitor program: start-up, the hidden main window and its commands, the exit sequence.
#pragma once

#include <windows.h>

#include <string_view>

namespace obrivo::monitor {

// A property of the main window, present while the patrol timer runs: from then on the Monitor
// has handled its start-up command, so another process can tell a Monitor that is ready from one
// whose window merely exists.
inline constexpr wchar_t kPatrolRunningProperty[] = L"ObrivoPatrolRunning";
// A property of the main window: how many real-time checks ran as soon as the notifier's signal
// settled, rather than on a tick of the timer; a scenario can tell which path found a change.
inline constexpr wchar_t kSettledChecksProperty[] = L"ObrivoSettledChecks";

// The program entry; `arguments` is the command line without the program name. Returns the exit
// code of the message loop, or 0 when the program ends early.
int RunMonitor(HINSTANCE instance, std::wstring_view arguments);

// Starts ObrivoEx.exe from the Monitor's folder with `switchText`; shows string 795 on failure.
bool LaunchExplorer(std::string_view switchText);

// Stops the notifier, removes the icon, kills the timer and frees the item lists.
void ShutdownMonitor();

// "code  text" of GetLastError in a message box titled "System Error".
void ShowSystemError();

}  // namespace obrivo::monitor
