// The Monitor's add-on check as the patrol runs it: a new add-on is asked about with the
// IE-helper alert (or answered by the hidden-alert options), and the tray shows the alert.
#pragma once

#include "browser/ie_helper_check.h"

namespace obrivo::monitor {

browser::IEHelperCheckHooks MonitorIEHelperHooks();

// The patrol's add-on category.
void PatrolIEHelpers();

}  // namespace obrivo::monitor
