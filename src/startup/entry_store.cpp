// The Disabled store and the startup baseline, as the startup operations use them.
#include "startup/entry_store.h"

#include "common/store.h"
#include "common/win32/registry.h"
#include "core/startup_codes.h"
#include "core/text.h"
#include "startup/startup_sources.h"

namespace obrivo::startup::detail {

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
  return StoredCommand{std::move(*text), value->type == REG_EXPAND_SZ ? REG_EXPAND_SZ : REG_SZ};
}

bool WriteCommandValue(HKEY hive, std::string_view subkey, std::string_view name,
                       const StoredCommand& command) {
  const win32::UniqueKey key = win32::CreateKey(hive, subkey, KEY_SET_VALUE);
  return key && win32::SetStringValue(key.get(), name, command.text, command.type);
}

DisabledMarkers::DisabledMarkers() {
  for (const StringValue& value : ReadStringValues(HKEY_LOCAL_MACHINE, DisabledKey()))
    if (!value.name.empty() && !value.data.empty() && core::CharCount(value.data) < kMarkerCapacity)
      codes_[core::ToUpper(value.name)] = core::LeadingNumber(value.data);
}

bool DisabledMarkers::Has(std::string_view name) const {
  return codes_.count(core::ToUpper(name)) != 0;
}

int DisabledMarkers::CodeOf(std::string_view name) const {
  const auto found = codes_.find(core::ToUpper(name));
  return found == codes_.end() ? 0 : found->second;
}

bool WriteMarker(std::string_view title, int code) {
  return !title.empty() &&
         common::WriteStoreString(HKEY_LOCAL_MACHINE, DisabledKey(), title, std::to_string(code));
}

bool DeleteMarker(std::string_view title) {
  return !title.empty() && common::DeleteStoreValue(HKEY_LOCAL_MACHINE, DisabledKey(), title);
}

void AcceptInBaseline(std::string_view command, int code) {
  if (command.empty()) return;
  common::WriteStoreString(HKEY_CURRENT_USER, common::ProductSubkey("Run"),
                           core::ValueNameForm(command), std::to_string(code));
}

void ForgetInBaseline(std::string_view name) {
  if (!name.empty())
    common::DeleteStoreValue(HKEY_CURRENT_USER, common::ProductSubkey("Run"), name);
}

}  // namespace obrivo::startup::detail
