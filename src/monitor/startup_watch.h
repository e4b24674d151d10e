// The Monitor's startup check as the patrol runs it: new entries are asked about with the
// new-program alert (or answered by the hidden-alert options), and the tray shows the alert.
#pragma once

#include "core/item_list.h"
#include "monitor/alerts/alerts.h"
#include "startup/startup_check.h"

namespace obrivo::monitor {

// Asks about one item with the alert of `kind`: its path, title, key and type fill the alert's
// context for the time of the question.
int AskAboutItem(AlertKind kind, const core::Item& item);

// The user's side of the startup check in the Monitor.
startup::StartupCheckHooks MonitorStartupHooks();

// The patrol's startup category: every entry the baseline does not know is asked about.
void PatrolStartup();

}  // namespace obrivo::monitor
