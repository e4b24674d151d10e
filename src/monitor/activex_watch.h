// The Monitor's ActiveX check as the patrol runs it: a new control is asked about with the
// ActiveX alert (or answered by the hidden-alert options), and the tray shows the alert.
#pragma once

#include "browser/activex_check.h"

namespace obrivo::monitor {

browser::ActiveXCheckHooks MonitorActiveXHooks();

// The patrol's ActiveX category.
void PatrolActiveX();

}  // namespace obrivo::monitor
