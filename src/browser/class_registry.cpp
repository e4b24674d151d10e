// Texts and class registrations read whole.
#include "browser/class_registry.h"

#include "common/win32/registry.h"
#include "core/class_id.h"

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

ClassRegistration LookUpClass(std::string_view key) {
  const std::string path = ClassKeyPath(key);
  ClassRegistration found;
  found.text = ReadText(HKEY_CLASSES_ROOT, path, "").value_or("");
  if (const auto server = ReadText(HKEY_CLASSES_ROOT, path + "\\InprocServer32", "")) {
    found.serverPath = *server;
    found.hasServer = true;
  }
  return found;
}

}  // namespace obrivo::browser
