// The Monitor's startup check as the patrol runs it: new entries are asked about with the
// new-program alert (or answered by the hidden-alert options), and the tray shows the alert.
#pragma once

#include "startup/startup_check.h"

namespace obrivo::monitor {

// The user's side of the startup check in the Monitor.
startup::StartupCheckHooks MonitorStartupHooks();

// The patrol's startup category: every entry the baseline does not know is asked about.
void PatrolStartup();

}  // namespace obrivo::monitor
