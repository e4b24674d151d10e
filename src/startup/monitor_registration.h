// The Monitor's own start at logon: a value in the machine-wide Run key.
#pragma once

#include <string>
#include <string_view>

namespace obrivo::startup {

// The Monitor's Run value for the program in `programFolder`: the program's path in quotes, then
// -expressboot. Quoted, a folder with a space ("C:\Program Files\...") is never first tried as
// a shorter program ("C:\Program.exe").
std::string MonitorRunCommand(std::string_view programFolder);

// On: writes the Monitor's Run value (started with -expressboot) and accepts that command in the
// startup baseline. Off: wherever a startup entry starts the Monitor or the Explorer, removes the
// entries under the titles they are registered by, and the machine-wide Run values under the
// Monitor's titles. Returns whether the Monitor is registered afterwards.
bool RegisterMonitorAtLogon(bool on);

// True when the machine-wide Run key has a value named by the program's title or its older title.
bool IsMonitorRegistered();

// Removes a registration under the older program title (string 622).
void RemoveOlderMonitorEntry();

}  // namespace obrivo::startup
