// Stopping, switching and mending one service, with its history records.
#include "system/service_actions.h"

#include "common/history.h"
#include "common/win32/registry.h"
#include "core/history_codes.h"
#include "core/text.h"
#include "system/service_control.h"
#include "system/services.h"

namespace obrivo::system {
namespace {

namespace event = core::history_event;

// A start-type record's description: "Start=<earlier start>;Service=<key name>". The key name
// comes last, so that whatever it holds is read back whole.
constexpr std::string_view kStartPrefix = "Start=";
constexpr std::string_view kServicePart = ";Service=";

void Record(const ServiceRef& service, int code, std::string_view description = {}) {
  common::WriteHistory(code, service.type, service.title, service.path, description);
}

// The history event that names the state a service was found in before it was stopped.
int StateEvent(DWORD state) {
  switch (state) {
    case SERVICE_START_PENDING:
      return event::kServiceWasStarting;
    case SERVICE_STOP_PENDING:
      return event::kServiceWasStopping;
    case SERVICE_RUNNING:
      return event::kServiceWasRunning;
    default:
      return -1;
  }
}

std::string ServiceKeyPath(std::string_view keyName) {
  return std::string(kServicesKey) + "\\" + std::string(keyName);
}

std::optional<DWORD> StartValue(std::string_view keyName) {
  const auto key = win32::OpenKey(HKEY_LOCAL_MACHINE, ServiceKeyPath(keyName), KEY_READ);
  const auto value = key ? win32::QueryValue(key.get(), "Start") : std::nullopt;
  if (!value || value->type != REG_DWORD || value->data.size() < sizeof(DWORD))
    return std::nullopt;
  return static_cast<DWORD>(value->data[0] | (value->data[1] << 8) | (value->data[2] << 16) |
                             (static_cast<DWORD>(value->data[3]) << 24));
}

}  // namespace

ServiceActionResult StopServiceRecorded(const ServiceRef& service) {
  const auto state = QueryServiceState(service.keyName, NameKind::Key);
  // One that is stopping already (the alert may have sent the stop) needs nothing more.
  if (!state || *state == SERVICE_STOPPED || *state == SERVICE_STOP_PENDING)
    return ServiceActionResult::NothingToDo;
  if (const int code = StateEvent(*state); code >= 0) Record(service, code);
  if (!StopServiceByName(service.keyName, NameKind::Key)) return ServiceActionResult::Failed;
  Record(service, event::kServiceStop);
  return ServiceActionResult::Done;
}

std::optional<DWORD> ServiceStartType(std::string_view keyName) {
  if (const auto start = QueryServiceStartType(keyName, NameKind::Key)) return start;
  return StartValue(keyName);
}

ServiceActionResult SetServiceStartRecorded(const ServiceRef& service, DWORD start) {
  const std::optional<DWORD> managed = QueryServiceStartType(service.keyName, NameKind::Key);
  const std::optional<DWORD> earlier = managed ? managed : StartValue(service.keyName);
  if (earlier == start) return ServiceActionResult::NothingToDo;
  bool done = false;
  if (managed) {
    done = SetServiceStartType(service.keyName, start);
  } else {
    // A service the control manager has not loaded yet starts by its key at the next boot.
    const auto key =
        win32::OpenKey(HKEY_LOCAL_MACHINE, ServiceKeyPath(service.keyName), KEY_SET_VALUE);
    done = key && win32::SetDwordValue(key.get(), "Start", start);
  }
  if (!done) return ServiceActionResult::Failed;
  const int code = start == SERVICE_AUTO_START     ? event::kServiceAutomatic
                   : start == SERVICE_DEMAND_START ? event::kServiceManual
                                                   : event::kServiceDisabled;
  // Without an earlier start type there is nothing to set back: the record says so by its 0.
  Record(service, code,
         std::string(kStartPrefix) + std::to_string(earlier.value_or(0)) +
             std::string(kServicePart) + service.keyName);
  return ServiceActionResult::Done;
}

std::optional<StartRecord> ParseStartRecord(std::string_view description) {
  if (description.substr(0, kStartPrefix.size()) != kStartPrefix) return std::nullopt;
  const std::size_t separator = description.find(kServicePart);
  if (separator == std::string_view::npos || separator == kStartPrefix.size()) return std::nullopt;
  StartRecord record;
  for (char c : description.substr(kStartPrefix.size(), separator - kStartPrefix.size())) {
    if (c < '0' || c > '9') return std::nullopt;
    record.earlierStart = record.earlierStart * 10 + static_cast<DWORD>(c - '0');
    if (record.earlierStart > SERVICE_DISABLED) return std::nullopt;
  }
  // Only the start types the user can choose are set back (0: none was known).
  if (record.earlierStart < SERVICE_AUTO_START) return std::nullopt;
  record.keyName = std::string(description.substr(separator + kServicePart.size()));
  if (record.keyName.empty()) return std::nullopt;
  return record;
}

RejectResult RejectService(const ServiceRef& service) {
  RejectResult result;
  result.stop = StopServiceRecorded(service);
  result.disable = SetServiceStartRecorded(service, SERVICE_DISABLED);
  return result;
}

bool RestoreServiceCommand(const ServiceRef& service, std::string_view imagePath,
                           std::string_view serviceDll) {
  const std::string path = ServiceKeyPath(service.keyName);
  const auto key = win32::OpenKey(HKEY_LOCAL_MACHINE, path, KEY_SET_VALUE | KEY_QUERY_VALUE);
  if (!key) return false;
  const std::optional<ServiceRecord> now = ReadService(service.keyName, false);
  // A service the control manager has loaded starts with the command it holds: it is told first.
  if (QueryServiceStartType(service.keyName, NameKind::Key) &&
      !SetServiceCommand(service.keyName, imagePath))
    return false;
  // The service manager keeps ImagePath as REG_EXPAND_SZ; so does the restore.
  if (!win32::SetStringValue(key.get(), "ImagePath", imagePath, REG_EXPAND_SZ)) return false;
  if (!serviceDll.empty() || (now && !now->serviceDll.empty())) {
    const auto parameters = win32::CreateKey(key.get(), "Parameters", KEY_SET_VALUE);
    if (!parameters) return false;
    const bool written = serviceDll.empty()
                             ? win32::DeleteValue(parameters.get(), "ServiceDll") == ERROR_SUCCESS
                             : win32::SetStringValue(parameters.get(), "ServiceDll", serviceDll,
                                                     REG_EXPAND_SZ);
    if (!written) return false;
  }
  Record(service, event::kServiceCommandRestored, now ? ServiceCommandText(*now) : std::string());
  return true;
}

}  // namespace obrivo::system
