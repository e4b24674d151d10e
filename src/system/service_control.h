// Asking the service control manager about one service, stopping it and disabling it. A service
// is named by its display name or its key name; where two services could share a display name,
// callers name it by key name only (NameKind::Key).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace obrivo::system {

enum class NameKind {
  DisplayOrKey,  // the display name first, then the key name
  Key,           // the key name only
};

// The current state (SERVICE_STOPPED, SERVICE_RUNNING, ...); nothing when the service cannot be
// opened or asked.
std::optional<DWORD> QueryServiceState(std::string_view name,
                                       NameKind kind = NameKind::DisplayOrKey);
// The whole status (state and the controls it accepts); nothing when it cannot be asked.
std::optional<SERVICE_STATUS> QueryServiceStatusOf(std::string_view name,
                                                   NameKind kind = NameKind::DisplayOrKey);
// The start type (SERVICE_AUTO_START, SERVICE_DEMAND_START, SERVICE_DISABLED, ...).
std::optional<DWORD> QueryServiceStartType(std::string_view name,
                                           NameKind kind = NameKind::DisplayOrKey);

// The key name of a service named by display name (or by key name); nothing when there is none.
std::optional<std::string> KeyNameOfService(std::string_view name);

// Sends the stop control; true when the service accepted it.
bool StopServiceByName(std::string_view name, NameKind kind = NameKind::DisplayOrKey);
// Sets the start type to disabled through the control manager; true when it took the change.
bool DisableServiceByName(std::string_view name, NameKind kind = NameKind::DisplayOrKey);
// Sets the start type (SERVICE_AUTO_START, SERVICE_DEMAND_START, SERVICE_DISABLED) of the service
// with this key name through the control manager; true when it took the change.
bool SetServiceStartType(std::string_view keyName, DWORD start);
// Sets the command (ImagePath) of the service with this key name through the control manager,
// which keeps it for the service's next start; true when it took the change.
bool SetServiceCommand(std::string_view keyName, std::string_view command);

}  // namespace obrivo::system
