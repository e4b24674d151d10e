// Asking, stopping and disabling one service.
#include "system/service_control.h"

#include <cstdint>
#include <vector>

#include "common/win32/unique.h"
#include "common/win32/wide.h"

namespace obrivo::system {
namespace {

using win32::UniqueServiceHandle;
using win32::Wide;

UniqueServiceHandle OpenManager() {
  return UniqueServiceHandle(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
}

// The key name of a display name, as the control manager maps it.
std::optional<std::wstring> KeyNameOfDisplayName(SC_HANDLE manager, const std::wstring& display) {
  DWORD size = 256;
  std::vector<wchar_t> buffer(size + 1);
  if (::GetServiceKeyNameW(manager, display.c_str(), buffer.data(), &size))
    return std::wstring(buffer.data());
  if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::nullopt;
  buffer.resize(size + 1);
  size = static_cast<DWORD>(buffer.size());
  if (!::GetServiceKeyNameW(manager, display.c_str(), buffer.data(), &size)) return std::nullopt;
  return std::wstring(buffer.data());
}

// Opens the service named by display name first, then by key name (by key name only for
// NameKind::Key).
UniqueServiceHandle OpenNamedService(SC_HANDLE manager, std::string_view name, DWORD access,
                                     NameKind kind) {
  if (!manager || name.empty()) return {};
  const std::wstring wide = Wide(name);
  if (kind == NameKind::DisplayOrKey)
    if (auto key = KeyNameOfDisplayName(manager, wide))
      if (UniqueServiceHandle service{::OpenServiceW(manager, key->c_str(), access)})
        return service;
  return UniqueServiceHandle(::OpenServiceW(manager, wide.c_str(), access));
}

}  // namespace

std::optional<SERVICE_STATUS> QueryServiceStatusOf(std::string_view name, NameKind kind) {
  UniqueServiceHandle manager = OpenManager();
  UniqueServiceHandle service = OpenNamedService(manager.get(), name, SERVICE_QUERY_STATUS, kind);
  SERVICE_STATUS status{};
  if (!service || !::QueryServiceStatus(service.get(), &status)) return std::nullopt;
  return status;
}

std::optional<DWORD> QueryServiceState(std::string_view name, NameKind kind) {
  const auto status = QueryServiceStatusOf(name, kind);
  if (!status) return std::nullopt;
  return status->dwCurrentState;
}

std::optional<DWORD> QueryServiceStartType(std::string_view name, NameKind kind) {
  UniqueServiceHandle manager = OpenManager();
  UniqueServiceHandle service = OpenNamedService(manager.get(), name, SERVICE_QUERY_CONFIG, kind);
  if (!service) return std::nullopt;
  DWORD needed = 0;
  ::QueryServiceConfigW(service.get(), nullptr, 0, &needed);
  if (needed == 0) return std::nullopt;
  // QUERY_SERVICE_CONFIGW carries pointers: keep the buffer aligned for them.
  std::vector<std::uint64_t> buffer((needed + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t));
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
  if (!::QueryServiceConfigW(service.get(), config, needed, &needed)) return std::nullopt;
  return config->dwStartType;
}

std::optional<std::string> KeyNameOfService(std::string_view name) {
  UniqueServiceHandle manager = OpenManager();
  if (!manager || name.empty()) return std::nullopt;
  if (auto key = KeyNameOfDisplayName(manager.get(), Wide(name))) return win32::Narrow(*key);
  if (UniqueServiceHandle service{::OpenServiceW(manager.get(), Wide(name).c_str(),
                                                 SERVICE_QUERY_STATUS)})
    return std::string(name);
  return std::nullopt;
}

bool StopServiceByName(std::string_view name, NameKind kind) {
  UniqueServiceHandle manager = OpenManager();
  UniqueServiceHandle service = OpenNamedService(manager.get(), name, SERVICE_STOP, kind);
  SERVICE_STATUS status{};
  return service && ::ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
}

namespace {

bool ChangeStartType(std::string_view name, NameKind kind, DWORD start) {
  UniqueServiceHandle manager = OpenManager();
  UniqueServiceHandle service = OpenNamedService(manager.get(), name, SERVICE_CHANGE_CONFIG, kind);
  return service && ::ChangeServiceConfigW(service.get(), SERVICE_NO_CHANGE, start,
                                           SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr,
                                           nullptr, nullptr, nullptr);
}

}  // namespace

bool DisableServiceByName(std::string_view name, NameKind kind) {
  return ChangeStartType(name, kind, SERVICE_DISABLED);
}

bool SetServiceStartType(std::string_view keyName, DWORD start) {
  return ChangeStartType(keyName, NameKind::Key, start);
}

bool SetServiceCommand(std::string_view keyName, std::string_view command) {
  UniqueServiceHandle manager = OpenManager();
  UniqueServiceHandle service =
      OpenNamedService(manager.get(), keyName, SERVICE_CHANGE_CONFIG, NameKind::Key);
  return service && ::ChangeServiceConfigW(service.get(), SERVICE_NO_CHANGE, SERVICE_NO_CHANGE,
                                           SERVICE_NO_CHANGE, Wide(command).c_str(), nullptr,
                                           nullptr, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace obrivo::system
