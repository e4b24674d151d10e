// Every startup location in its order, the location labels, and the registry and win.ini reads
// the location groups share.
#include "startup/startup_locations.h"

#include "common/app.h"
#include "common/items.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/registry.h"
#include "common/win32/wide.h"
#include "core/history_codes.h"
#include "core/startup_codes.h"
#include "startup/entry_store.h"
#include "startup/startup_actions.h"
#include "startup/startup_sources.h"
#include "string_ids.h"

namespace obrivo::startup {
namespace {

// Labels of other categories' codes that share the label builder.
constexpr struct {
  int code;
  int textId;
} kOtherLabels[] = {{core::item_type::kScheduledTask, 726},
                    {core::item_type::kBrowserHelper, 725},
                    {core::item_type::kToolbar, 724}};

bool ShowAdvanced(bool pageMode) {
  return !pageMode || common::App().options.Get(core::OptionId::ShowAllStartup) > 0;
}

// The whole value of a win.ini [windows] key: a list cut short would hide its last entries.
std::string ReadWinIniValue(const wchar_t* keyName) {
  std::wstring buffer(1024, L'\0');
  for (;;) {
    const DWORD length = ::GetProfileStringW(L"windows", keyName, L"", buffer.data(),
                                             static_cast<DWORD>(buffer.size()));
    if (length + 2 < buffer.size() || buffer.size() >= (1u << 20)) {
      buffer.resize(length);
      return win32::Narrow(buffer);
    }
    buffer.resize(buffer.size() * 4);
  }
}

}  // namespace

namespace detail {

std::optional<std::string> ReadStringValue(HKEY hive, std::string_view path,
                                           std::string_view name) {
  const win32::UniqueKey key = win32::OpenKey(hive, path, KEY_READ);
  if (!key) return std::nullopt;
  const auto value = win32::QueryValue(key.get(), name);
  if (!value || (value->type != REG_SZ && value->type != REG_EXPAND_SZ)) return std::nullopt;
  auto text = win32::StringFromValue(*value);
  if (text && value->type == REG_EXPAND_SZ) *text = win32::ExpandEnvironment(*text);
  return text;
}

std::vector<StringValue> ReadStringValues(HKEY hive, std::string_view path) {
  std::vector<StringValue> values;
  const win32::UniqueKey key = win32::OpenKey(hive, path, KEY_READ);
  if (!key) return values;
  // Each value's data comes with its name: a name is never looked up again, so a value that
  // only its exact name reaches is read as it is.
  for (win32::NamedValue& named : win32::EnumValues(key.get())) {
    const win32::RegValue& value = named.value;
    if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) continue;
    std::string data = win32::StringFromValue(value).value_or(std::string());
    std::string command = value.type == REG_EXPAND_SZ ? win32::ExpandEnvironment(data) : data;
    values.push_back({std::move(named.name), std::move(data), std::move(command), value.type});
  }
  return values;
}

void AddWinIniEntry(const std::string& token, int code, bool disabled) {
  const auto version = common::ReadVersionInfo(common::CommandToProgramPath(token));
  const std::string_view listName = code == core::kWinIniLoad ? "load" : "run";
  const std::string title =
      version && !version->productName.empty() ? version->productName : std::string(listName);
  if (!common::AddItem(title, token, "", "", code, 0)) return;
  core::Item& item = common::LastItem();
  // The entry is kept as written, so removing it from the list finds it again.
  item.name = token;
  item.command = token;
  item.disabled = disabled;
}

void ListWinIni() {
  constexpr struct {
    const wchar_t* key;
    int code;
  } kLists[] = {{L"run", core::kWinIniRun}, {L"load", core::kWinIniLoad}};
  for (const auto& list : kLists) {
    const std::string value = ReadWinIniValue(list.key);
    std::size_t start = 0;
    while (start <= value.size()) {
      std::size_t end = value.find(';', start);
      if (end == std::string::npos) end = value.size();
      const std::string entry = value.substr(start, end - start);
      start = end + 1;
      if (entry.find_first_not_of(' ') == std::string::npos) continue;
      AddWinIniEntry(entry, list.code, false);
    }
  }
}

}  // namespace detail

std::size_t EnumStartup(bool pageMode) {
  common::ClearItems();
  // Before any location is read: a live value is checked against the disabled records.
  detail::MoveEarlierDisabledStore();
  detail::ListRunKeys();
  detail::ListStartupFolders();
  detail::ListWinIni();
  detail::ListDisabledEntries();
  if (ShowAdvanced(pageMode)) {
    if (common::App().ntFamily) detail::ListWinlogon();
    detail::ListAdvancedLocations();
  }
  return common::ItemCount();
}

std::string LocationLabel(int code, bool disabled) {
  if (code > core::kWinlogonNotify) {
    for (const auto& other : kOtherLabels)
      if (other.code == code) return common::LoadText(other.textId);
    return {};
  }
  std::string label = core::StartupLocationText(code);
  if (disabled) label = " * " + common::LoadText(IDS_DISABLED_PREFIX) + " * " + label;
  return label;
}

}  // namespace obrivo::startup
