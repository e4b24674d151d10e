// Asking the service control manager about one service, stopping it and disabling it. A service
// is named by its display name or its key name.
#pragma once

#include <windows.h>

#include <optional>
#include <string_view>

namespace obrivo::system {

// The current state (SERVICE_STOPPED, SERVICE_RUNNING, ...); nothing when the service cannot be
// opened or asked.
std::optional<DWORD> QueryServiceState(std::string_view name);
// The start type (SERVICE_AUTO_START, SERVICE_DEMAND_START, SERVICE_DISABLED, ...).
std::optional<DWORD> QueryServiceStartType(std::string_view name);

// Sends the stop control; true when the service accepted it.
bool StopServiceByName(std::string_view name);
// Sets the start type to disabled through the control manager; true when it took the change.
bool DisableServiceByName(std::string_view name);

}  // namespace obrivo::system
