// Reading the services database.
#include "system/services.h"

#include <cstring>
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

// The control manager's display name, however long; nothing when it does not know the service.
std::optional<std::string> ManagerDisplayName(SC_HANDLE manager, const std::wstring& keyName) {
  if (!manager) return std::nullopt;
  DWORD chars = 256;
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::vector<wchar_t> buffer(chars + 1);
    DWORD size = static_cast<DWORD>(buffer.size());
    if (::GetServiceDisplayNameW(manager, keyName.c_str(), buffer.data(), &size)) {
      std::string name = win32::Narrow(buffer.data());
      if (name.empty()) return std::nullopt;
      return name;
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::nullopt;
    chars = size + 1;
  }
  return std::nullopt;
}

std::optional<ServiceRecord> ReadOne(HKEY services, SC_HANDLE manager, const std::string& name,
                                     bool detailed) {
  if (name.empty()) return std::nullopt;
  const win32::UniqueKey key = win32::OpenKey(services, name, KEY_READ);
  if (!key) return std::nullopt;
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
  r.displayName = ManagerDisplayName(manager, win32::Wide(name))
                      .value_or(StringValue(key.get(), "DisplayName"));
  if (r.displayName.empty()) r.displayName = name;
  r.description = core::TruncateChars(StringValue(key.get(), "Description"), kDescriptionChars);
  return r;
}

struct Database {
  win32::UniqueKey services = win32::OpenKey(HKEY_LOCAL_MACHINE, kServicesKey, KEY_READ);
  win32::UniqueServiceHandle manager;
  explicit Database(bool detailed) {
    if (detailed) manager.reset(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  }
};

}  // namespace

std::vector<ServiceRecord> ReadServices(bool detailed) {
  std::vector<ServiceRecord> records;
  const Database db(detailed);
  if (!db.services) return records;
  for (const std::string& name : win32::EnumSubkeyNames(db.services.get()))
    if (auto record = ReadOne(db.services.get(), db.manager.get(), name, detailed))
      records.push_back(std::move(*record));
  return records;
}

std::optional<ServiceRecord> ReadService(std::string_view keyName, bool detailed) {
  const Database db(detailed);
  if (!db.services) return std::nullopt;
  return ReadOne(db.services.get(), db.manager.get(), std::string(keyName), detailed);
}

std::string ServiceFile(const ServiceRecord& record) {
  std::string file = common::CommandToProgramPath(record.path);
  if (file.empty() || !common::FileExists(file)) return {};
  return common::LongPathName(file);
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

bool IsMicrosoftFile(std::string_view file) {
  if (file.empty()) return false;
  std::string windows = FullLongPath(common::CurrentSystemFolders().windowsDir);
  if (windows.empty()) return false;
  if (windows.back() != '\\') windows += '\\';
  if (!core::StartsWithNoCase(FullLongPath(file), windows)) return false;
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

std::size_t EnumServices(bool hideMicrosoft) {
  common::ClearItems();
  for (const ServiceRecord& r : ReadServices(true)) {
    const std::string file = ServiceFile(r);
    if (hideMicrosoft && IsMicrosoftFile(file)) continue;
    if (!common::AddItem(r.displayName, r.path, StartTypeText(r.start), r.description, r.type, 0))
      break;
    core::Item& item = common::LastItem();
    item.name = r.keyName;
    item.command = r.imagePath;
  }
  return common::ItemCount();
}

}  // namespace obrivo::system
