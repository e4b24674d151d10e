// The Monitor's services check as the patrol runs it: new services and changed commands are
// asked about with the service alert (or answered by the hidden-alert options), and what could
// not be done is said in a message box.
#pragma once

#include "system/service_check.h"

namespace obrivo::monitor {

// The user's side of the services check in the Monitor.
system::ServiceCheckHooks MonitorServiceHooks();

// The patrol's services category.
void VerifyServices();

}  // namespace obrivo::monitor
