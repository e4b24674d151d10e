// The Disabled store and the startup baseline, as the startup operations use them.
#include "startup/entry_store.h"

#include "common/data_folder.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/registry.h"
#include "core/startup_codes.h"
#include "core/text.h"
#include "startup/startup_sources.h"

namespace obrivo::startup::detail {
namespace {

// An earlier version's marker held a location code; a longer text was none.
constexpr std::size_t kEarlierMarkerCapacity = 16;

std::pair<int, std::string> RecordIndex(int code, std::string_view name) {
  return {code, core::ToUpper(name)};
}

StoredCommand StoredOf(const StringValue& value) { return {value.data, value.type}; }

// An earlier version's stored copy of a `code` entry named `name`, with the key it lies in.
std::optional<std::pair<std::string, StoredCommand>> EarlierCopy(int code, std::string_view name) {
  std::vector<std::string> keys;
  if (const std::string_view subkey = core::DisabledSubkey(code); !subkey.empty())
    keys.push_back(DisabledKey(subkey));
  // The RunOnce\Setup entries had a second home that the listing also read.
  if (const auto run = core::SplitRunKeyCode(code); run && run->index == 5)
    keys.push_back(DisabledKey("RunOnce\\Setup"));
  for (const std::string& key : keys)
    if (auto stored = ReadCommandValue(HKEY_LOCAL_MACHINE, key, name))
      return std::make_pair(key, std::move(*stored));
  return std::nullopt;
}

// A Notify entry switched off in place kept its DLL in OldName.
std::optional<StoredCommand> NotifyOldName(std::string_view subkey) {
  const std::string key = std::string(core::kWinlogonNotifyKey) + "\\" + std::string(subkey);
  return ReadCommandValue(HKEY_LOCAL_MACHINE, key, "OldName");
}

}  // namespace

std::string_view AdvancedValueKey(int code) {
  switch (code) {
    case core::kDelayLoad:
      return core::kDelayLoadKey;
    case core::kSharedTaskScheduler:
      return core::kSharedTaskSchedulerKey;
    case core::kShellExecuteHooks:
      return core::kShellExecuteHooksKey;
    default:
      return {};
  }
}

std::string DisabledKey(std::string_view subkey) {
  std::string key = common::ProductSubkey("Disabled");
  if (!subkey.empty()) {
    key += '\\';
    key += subkey;
  }
  return key;
}

std::string DisabledRecordKey(int code) { return DisabledKey(std::to_string(code)); }

std::optional<std::string> ReadExactString(HKEY hive, std::string_view subkey,
                                           std::string_view name) {
  const win32::UniqueKey key = win32::OpenKey(hive, subkey, KEY_READ);
  if (!key) return std::nullopt;
  const auto value = win32::QueryValue(key.get(), name);
  if (!value) return std::nullopt;
  return win32::StringFromValue(*value);
}

std::optional<StoredCommand> ReadCommandValue(HKEY hive, std::string_view subkey,
                                              std::string_view name) {
  const win32::UniqueKey key = win32::OpenKey(hive, subkey, KEY_READ);
  if (!key) return std::nullopt;
  const auto value = win32::QueryValue(key.get(), name);
  if (!value) return std::nullopt;
  auto text = win32::StringFromValue(*value);
  if (!text) return std::nullopt;
  return StoredCommand{std::move(*text),
                       static_cast<DWORD>(value->type == REG_EXPAND_SZ ? REG_EXPAND_SZ : REG_SZ)};
}

bool WriteCommandValue(HKEY hive, std::string_view subkey, std::string_view name,
                       const StoredCommand& command) {
  const win32::UniqueKey key = win32::CreateKey(hive, subkey, KEY_SET_VALUE);
  return key && win32::SetStringValue(key.get(), name, command.text, command.type);
}

bool DeleteValueIfPresent(HKEY hive, std::string_view subkey, std::string_view name) {
  LONG error = ERROR_SUCCESS;
  const win32::UniqueKey key = win32::OpenKey(hive, subkey, KEY_SET_VALUE, &error);
  if (!key) return error == ERROR_FILE_NOT_FOUND;
  const LONG rc = win32::DeleteValue(key.get(), name);
  return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

std::optional<StoredCommand> ReadDisabledRecord(int code, std::string_view name) {
  if (name.empty()) return std::nullopt;  // the key's default value is no entry
  return ReadCommandValue(HKEY_LOCAL_MACHINE, DisabledRecordKey(code), name);
}

bool WriteDisabledRecord(int code, std::string_view name, const StoredCommand& stored) {
  return !name.empty() &&
         WriteCommandValue(HKEY_LOCAL_MACHINE, DisabledRecordKey(code), name, stored);
}

bool DeleteDisabledRecord(int code, std::string_view name) {
  return !name.empty() && DeleteValueIfPresent(HKEY_LOCAL_MACHINE, DisabledRecordKey(code), name);
}

DisabledRecords::DisabledRecords() {
  for (const int code : core::DisabledCodesInListOrder()) {
    std::vector<Record>& records = byCode_[code];
    for (const StringValue& value : ReadStringValues(HKEY_LOCAL_MACHINE, DisabledRecordKey(code))) {
      if (value.name.empty()) continue;
      index_[RecordIndex(code, value.name)] = records.size();
      records.push_back({value.name, StoredOf(value)});
    }
  }
}

const StoredCommand* DisabledRecords::Find(int code, std::string_view name) const {
  const auto found = index_.find(RecordIndex(code, name));
  if (found == index_.end()) return nullptr;
  return &byCode_.at(code)[found->second].stored;
}

const std::vector<DisabledRecords::Record>& DisabledRecords::Of(int code) const {
  static const std::vector<Record> kNone;
  const auto found = byCode_.find(code);
  return found == byCode_.end() ? kNone : found->second;
}

void MoveEarlierDisabledStore() {
  for (const StringValue& marker : ReadStringValues(HKEY_LOCAL_MACHINE, DisabledKey())) {
    if (marker.name.empty() || marker.data.empty() ||
        core::CharCount(marker.data) >= kEarlierMarkerCapacity)
      continue;
    const int code = core::LeadingNumber(marker.data);
    // A Startup-folder file is disabled by lying in the Disabled folder; its marker named only
    // a title, which other entries may share, so it has nothing further to say.
    if (code == core::kStartupFolder) {
      DeleteValueIfPresent(HKEY_LOCAL_MACHINE, DisabledKey(), marker.name);
      continue;
    }
    if (!core::CanDisable(code)) continue;  // not ours to interpret: left as it is
    const auto earlier = EarlierCopy(code, marker.name);
    std::optional<StoredCommand> stored;
    if (earlier) stored = earlier->second;
    if (!stored && code == core::kWinlogonNotify) stored = NotifyOldName(marker.name);
    // A win.ini entry is known by its token from now on, not by a title its list shares.
    const bool winIni = code == core::kWinIniLoad || code == core::kWinIniRun;
    if (winIni && (!stored || stored->text.empty())) {
      DeleteValueIfPresent(HKEY_LOCAL_MACHINE, DisabledKey(), marker.name);
      continue;
    }
    const std::string name = winIni ? stored->text : marker.name;
    // A marker without a copy still kept a returning namesake switched off; the record keeps
    // doing that, and the listing then stores the command it finds.
    if (!WriteDisabledRecord(code, name, stored.value_or(StoredCommand{}))) continue;
    if (earlier) DeleteValueIfPresent(HKEY_LOCAL_MACHINE, earlier->first, marker.name);
    DeleteValueIfPresent(HKEY_LOCAL_MACHINE, DisabledKey(), marker.name);
  }
}

std::string DisabledFolder() { return common::DataPath(common::kDisabledFolderName); }

std::string RemovedFolder() { return common::DataPath(common::kRemovedFolderName); }

std::string FreePathIn(const std::string& folder, std::string_view fileName) {
  const std::string first = folder + "\\" + std::string(fileName);
  if (!win32::FileAttributes(first)) return first;
  const std::size_t dot = fileName.rfind('.');
  const std::string_view stem = dot == std::string_view::npos ? fileName : fileName.substr(0, dot);
  const std::string_view extension =
      dot == std::string_view::npos ? std::string_view() : fileName.substr(dot);
  for (int n = 2;; ++n) {
    std::string candidate =
        folder + "\\" + std::string(stem) + " (" + std::to_string(n) + ")" + std::string(extension);
    if (!win32::FileAttributes(candidate)) return candidate;
  }
}

bool AcceptInBaseline(std::string_view command, int code) {
  if (command.empty()) return false;
  return common::WriteStoreString(HKEY_CURRENT_USER, common::ProductSubkey("Run"),
                                  core::ValueNameForm(command), std::to_string(code));
}

void ForgetInBaseline(std::string_view name) {
  if (!name.empty())
    common::DeleteStoreValue(HKEY_CURRENT_USER, common::ProductSubkey("Run"), name);
}

}  // namespace obrivo::startup::detail
