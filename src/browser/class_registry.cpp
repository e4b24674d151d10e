// Texts and class registrations read whole.
#include "browser/class_registry.h"

#include <map>

#include "common/win32/registry.h"
#include "common/win32/wide.h"
#include "core/class_id.h"
#include "core/text.h"

namespace obrivo::browser {

std::optional<std::string> ReadText(HKEY root, std::string_view path, std::string_view name) {
  const win32::UniqueKey key = win32::OpenKey(root, path, KEY_READ);
  if (!key) return std::nullopt;
  const std::optional<win32::RegValue> value = win32::QueryValue(key.get(), name);
  if (!value) return std::nullopt;
  std::optional<std::string> text = win32::StringFromValue(*value);
  if (text && value->type == REG_EXPAND_SZ) text = win32::ExpandEnvironment(*text);
  return text;
}

std::string ClassKeyPath(std::string_view key) {
  return "CLSID\\" + core::ClassRegistrationName(key);
}

std::optional<std::string> ClassServer(std::string_view key) {
  return ReadText(HKEY_CLASSES_ROOT, ClassKeyPath(key) + "\\InprocServer32", "");
}

std::string ClassText(std::string_view key) {
  return ReadText(HKEY_CLASSES_ROOT, ClassKeyPath(key), "").value_or("");
}

ClassRegistration LookUpClass(std::string_view key) {
  ClassRegistration found;
  found.text = ClassText(key);
  if (const auto server = ClassServer(key)) {
    found.serverPath = *server;
    found.hasServer = true;
  }
  return found;
}

KeyTexts::KeyTexts(HKEY root, std::string_view path) {
  const win32::UniqueKey key = win32::OpenKey(root, path, KEY_READ);
  if (!key) return;
  for (const win32::NamedValue& value : win32::EnumValues(key.get())) {
    std::optional<std::string> text = win32::StringFromValue(value.value);
    if (!text) continue;
    if (value.value.type == REG_EXPAND_SZ) text = win32::ExpandEnvironment(*text);
    values_.emplace_back(value.name, std::move(*text));
  }
}

std::string KeyTexts::Get(std::string_view name) const {
  for (const auto& [valueName, text] : values_)
    if (core::EqualsNoCase(valueName, name)) return text;
  return {};
}

std::optional<common::VersionInfo> CachedVersionInfo(std::string_view path) {
  struct Entry {
    FILETIME written{};
    DWORD sizeHigh = 0, sizeLow = 0;
    bool read = false;
    std::optional<common::VersionInfo> info;
  };
  static std::map<std::string, Entry> cache;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  // A bare name or a missing file: nothing to tell a change by, so nothing is kept.
  if (path.empty() ||
      !::GetFileAttributesExW(win32::Wide(path).c_str(), GetFileExInfoStandard, &data))
    return common::ReadVersionInfo(path);
  const auto same = [&](const Entry& e) {
    return e.read && e.written.dwLowDateTime == data.ftLastWriteTime.dwLowDateTime &&
           e.written.dwHighDateTime == data.ftLastWriteTime.dwHighDateTime &&
           e.sizeHigh == data.nFileSizeHigh && e.sizeLow == data.nFileSizeLow;
  };
  Entry& entry = cache[core::ToUpper(path)];
  if (!same(entry)) {
    entry.read = true;
    entry.written = data.ftLastWriteTime;
    entry.sizeHigh = data.nFileSizeHigh;
    entry.sizeLow = data.nFileSizeLow;
    entry.info = common::ReadVersionInfo(path);
  }
  return entry.info;
}

}  // namespace obrivo::browser
