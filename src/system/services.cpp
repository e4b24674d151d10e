// Reading the services database.
#include "system/services.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

#include "common/items.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/registry.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"
#include "core/history_codes.h"
#include "core/text.h"

namespace obrivo::system {
namespace {

constexpr int kAutomaticId = 664;  // 664-666: automatic, manual, disabled
constexpr int kStoppedId = 652;    // 652-658: stopped, start pending ... paused
constexpr std::size_t kDescriptionChars = 1024;

std::string StringValue(HKEY key, std::string_view name) {
  const auto value = win32::QueryValue(key, name);
  if (!value || (value->type != REG_SZ && value->type != REG_EXPAND_SZ)) return {};
  return win32::StringFromValue(*value).value_or(std::string());
}

// The control manager's display names by key name (upper case), from one enumeration: asking
// for each service's name on its own is a round trip to the manager per service.
using DisplayNames = std::map<std::string, std::string>;

DisplayNames ManagerDisplayNames(SC_HANDLE manager) {
  DisplayNames names;
  if (!manager) return names;
  DWORD needed = 0, count = 0, resume = 0;
  ::EnumServicesStatusExW(manager, SC_ENUM_PROCESS_INFO, SERVICE_WIN32, SERVICE_STATE_ALL, nullptr,
                          0, &needed, &count, &resume, nullptr);
  for (int attempt = 0; attempt < 3 && needed > 0; ++attempt) {
    // ENUM_SERVICE_STATUS_PROCESSW carries pointers: keep the buffer aligned for them.
    std::vector<std::uint64_t> buffer(needed / sizeof(std::uint64_t) + 1);
    const DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(std::uint64_t));
    resume = 0;
    if (::EnumServicesStatusExW(manager, SC_ENUM_PROCESS_INFO, SERVICE_WIN32, SERVICE_STATE_ALL,
                                reinterpret_cast<BYTE*>(buffer.data()), bytes, &needed, &count,
                                &resume, nullptr)) {
      const auto* entries = reinterpret_cast<const ENUM_SERVICE_STATUS_PROCESSW*>(buffer.data());
      for (DWORD i = 0; i < count; ++i)
        if (entries[i].lpServiceName && entries[i].lpDisplayName && *entries[i].lpDisplayName)
          names[core::ToUpper(win32::Narrow(entries[i].lpServiceName))] =
              win32::Narrow(entries[i].lpDisplayName);
      return names;
    }
    if (::GetLastError() != ERROR_MORE_DATA) break;
  }
  return names;
}

std::optional<ServiceRecord> ReadOne(HKEY services, const DisplayNames& displayNames,
                                     const std::string& name, bool detailed,
                                     ServicesReadStatus* status = nullptr) {
  if (name.empty()) return std::nullopt;
  const win32::UniqueKey key = win32::OpenKey(services, name, KEY_READ);
  if (!key) {
    if (status) ++status->unreadableKeys;
    return std::nullopt;
  }
  ServiceRecord r;
  r.keyName = name;
  r.imagePath = StringValue(key.get(), "ImagePath");
  if (r.imagePath.empty()) return std::nullopt;
  const bool hosted = core::ContainsNoCase(r.imagePath, "svchost");
  // Drivers (.sys) and anything else that is no program of its own are left out.
  if (!hosted && !core::ContainsNoCase(r.imagePath, ".exe")) return std::nullopt;
  r.type = hosted ? core::item_type::kServiceSvchost : core::item_type::kServiceExe;
  if (const auto start = win32::QueryValue(key.get(), "Start");
      start && start->type == REG_DWORD && start->data.size() >= sizeof(DWORD)) {
    DWORD value = 0;
    std::memcpy(&value, start->data.data(), sizeof value);
    r.start = value;
  }
  if (hosted) {
    if (const win32::UniqueKey parameters = win32::OpenKey(key.get(), "Parameters", KEY_READ))
      r.serviceDll = StringValue(parameters.get(), "ServiceDll");
  }
  r.path = win32::ExpandEnvironment(r.serviceDll.empty() ? r.imagePath : r.serviceDll);
  if (!detailed) return r;
  // The control manager's name first; a service it has not loaded has only its key's.
  if (const auto found = displayNames.find(core::ToUpper(name)); found != displayNames.end())
    r.displayName = found->second;
  else
    r.displayName = StringValue(key.get(), "DisplayName");
  if (r.displayName.empty()) r.displayName = name;
  r.description = core::TruncateChars(StringValue(key.get(), "Description"), kDescriptionChars);
  return r;
}

struct Database {
  win32::UniqueKey services = win32::OpenKey(HKEY_LOCAL_MACHINE, kServicesKey, KEY_READ);
  DisplayNames displayNames;
  explicit Database(bool detailed) {
    if (!detailed) return;
    const win32::UniqueServiceHandle manager(
        ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE));
    displayNames = ManagerDisplayNames(manager.get());
  }
};

}  // namespace

std::vector<ServiceRecord> ReadServices(bool detailed, ServicesReadStatus* status) {
  std::vector<ServiceRecord> records;
  const Database db(detailed);
  if (status) *status = ServicesReadStatus{};
  if (!db.services) {
    if (status) status->databaseRead = false;
    return records;
  }
  for (const std::string& name : win32::EnumSubkeyNames(db.services.get()))
    if (auto record = ReadOne(db.services.get(), db.displayNames, name, detailed, status))
      records.push_back(std::move(*record));
  return records;
}

std::optional<ServiceRecord> ReadService(std::string_view keyName, bool detailed) {
  const Database db(detailed);
  if (!db.services) return std::nullopt;
  return ReadOne(db.services.get(), db.displayNames, std::string(keyName), detailed);
}

std::string ServiceFile(const ServiceRecord& record) {
  return ServiceFile(record, common::CurrentSystemFolders());
}

std::string ServiceFileOfPath(std::string_view path) {
  ServiceRecord record;
  record.path = std::string(path);
  return ServiceFile(record);
}

std::string ServiceFile(const ServiceRecord& record, const core::SystemFolders& folders) {
  std::string file = core::CommandToProgramPath(record.path, folders);
  if (file.empty() || !common::FileExists(file)) return {};
  // Only a path with a short (8.3) name in it has another long form; asking for every other one
  // cost more than finding the file.
  return file.find('~') == std::string::npos ? file : common::LongPathName(file);
}

std::string ServiceCommandText(const ServiceRecord& record) {
  if (record.serviceDll.empty()) return record.imagePath;
  return record.serviceDll + " (" + record.imagePath + ")";
}

// The full, long form of a path: "C:\WINDOWS\..\ProgramData\a.exe" is not in the Windows folder.
std::string FullLongPath(std::string_view path) {
  const std::wstring wide = win32::Wide(path);
  const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return common::LongPathName(path);
  std::vector<wchar_t> buffer(needed + 1);
  const DWORD length =
      ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
  if (length == 0 || length >= buffer.size()) return common::LongPathName(path);
  return common::LongPathName(win32::Narrow(std::wstring(buffer.data(), length)));
}

bool IsInWindowsFolder(std::string_view file) {
  if (file.empty()) return false;
  std::string windows = FullLongPath(common::CurrentSystemFolders().windowsDir);
  if (windows.empty()) return false;
  if (windows.back() != '\\') windows += '\\';
  return core::StartsWithNoCase(FullLongPath(file), windows);
}

bool IsMicrosoftFile(std::string_view file) {
  if (!IsInWindowsFolder(file)) return false;
  const auto version = common::ReadVersionInfo(file);
  return version && core::ContainsNoCase(version->companyName, "Microsoft");
}

std::string StartTypeText(std::optional<DWORD> start) {
  if (!start) return "0";
  const DWORD low = *start & 0xFF;
  if (low < SERVICE_AUTO_START || low > SERVICE_DISABLED) return "0";
  return common::LoadText(kAutomaticId + static_cast<int>(low - SERVICE_AUTO_START));
}

std::string RunStateText(std::optional<DWORD> state) {
  if (!state || *state < SERVICE_STOPPED || *state > SERVICE_PAUSED)
    return common::LoadText(kStoppedId);
  return common::LoadText(kStoppedId + static_cast<int>(*state - SERVICE_STOPPED));
}

std::size_t EnumServices(bool hideMicrosoft, ServicesReadStatus* status) {
  common::ClearItems();
  const core::SystemFolders folders = common::CurrentSystemFolders();
  for (const ServiceRecord& r : ReadServices(true, status)) {
    if (hideMicrosoft && IsMicrosoftFile(ServiceFile(r, folders))) continue;
    if (!common::AddItem(r.displayName, r.path, StartTypeText(r.start), r.description, r.type, 0))
      break;
    core::Item& item = common::LastItem();
    item.name = r.keyName;
    item.command = r.imagePath;
  }
  return common::ItemCount();
}

}  // namespace obrivo::system
