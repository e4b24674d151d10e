// The settings store.
#include "common/store.h"

#include "common/trace_log.h"
#include "common/win32/registry.h"
#include "common/win32/wide.h"
#include "core/capacity.h"
#include "core/text.h"

namespace obrivo::common {

using win32::OpenKey;
using win32::UniqueKey;

std::string ProductSubkey(std::string_view sub) {
  std::string path(kProductKey);
  if (!sub.empty()) {
    path += '\\';
    path += sub;
  }
  return path;
}

std::string ReadStoreString(std::string_view subkey, HKEY hive, std::string_view valueName,
                            std::size_t capacity) {
  UniqueKey key = OpenKey(hive, subkey, KEY_READ);
  if (!key) return {};
  const auto value = win32::QueryValue(key.get(), valueName);
  if (!value) return {};
  auto text = win32::StringFromValue(*value);
  if (!text || value->type == REG_MULTI_SZ) return {};
  if (core::CharCount(*text) > core::kStoreStringMaxChars) return {};
  if (value->type == REG_EXPAND_SZ) {
    *text = win32::ExpandEnvironment(*text);
    if (core::CharCount(*text) > core::kStoreStringMaxChars) return {};
  }
  if (capacity == 0 || core::CharCount(*text) > capacity - 1) return {};
  return *text;
}

namespace {

int SmallNumber(const win32::RegValue& value) {
  const auto byteAt = [&](std::size_t i) {
    return i < value.data.size() ? static_cast<int>(static_cast<signed char>(value.data[i])) : 0;
  };
  return byteAt(0) + 256 * byteAt(1);
}

}  // namespace

int ReadStoreSmallNumber(HKEY hive, std::string_view subkey, std::string_view valueName) {
  UniqueKey key = OpenKey(hive, subkey, KEY_READ);
  if (!key) return -1;
  const auto value = win32::QueryValue(key.get(), valueName);
  return value ? SmallNumber(*value) : -1;
}

int ReadStoreSmallNumberAt(std::string_view subkey, std::string_view valueName, HKEY hive) {
  UniqueKey key = OpenKey(hive, subkey, KEY_READ);
  if (!key) return 0;
  const auto value = win32::QueryValue(key.get(), valueName);
  return value ? SmallNumber(*value) : 0;
}

namespace {

UniqueKey OpenForWriting(HKEY hive, std::string_view subkey, REGSAM access) {
  UniqueKey key = OpenKey(hive, subkey, access);
  if (!key) key = win32::CreateKey(hive, subkey, access);
  return key;
}

// A value that could not be written is not shown to the user (the programs go on without it),
// but it must not vanish without a trace either.
bool Written(bool ok, std::string_view subkey, std::string_view valueName) {
  if (!ok) {
    ReportDiagnostic("REGISTRY",
                     "Could not write " + std::string(subkey) + "\\" + std::string(valueName));
  }
  return ok;
}

}  // namespace

bool WriteStoreString(HKEY hive, std::string_view subkey, std::string_view valueName,
                      std::string_view text) {
  UniqueKey key = OpenForWriting(hive, subkey, KEY_ALL_ACCESS);
  return Written(key && win32::SetStringValue(key.get(), valueName, text), subkey, valueName);
}

bool WriteStoreDword(HKEY hive, std::string_view subkey, std::string_view valueName,
                     DWORD value) {
  UniqueKey key = OpenForWriting(hive, subkey, KEY_WRITE);
  return Written(key && win32::SetDwordValue(key.get(), valueName, value), subkey, valueName);
}

bool DeleteStoreValue(HKEY hive, std::string_view subkey, std::string_view valueName) {
  UniqueKey key = OpenKey(hive, subkey, KEY_WRITE);
  return key && win32::DeleteValue(key.get(), valueName) == ERROR_SUCCESS;
}

bool StoreKeyExists(HKEY hive, std::string_view path) {
  return static_cast<bool>(OpenKey(hive, path, KEY_READ));
}

bool DeleteStoreTree(HKEY hive, std::string_view path) {
  const std::wstring wide = win32::Wide(path);
  if (::RegDeleteKeyW(hive, wide.c_str()) == ERROR_SUCCESS) return true;
  LONG error = ERROR_SUCCESS;
  UniqueKey key = OpenKey(hive, path, KEY_READ, &error);
  if (!key) return error == ERROR_FILE_NOT_FOUND;
  // Always delete the first remaining subkey: indexes shift as subkeys disappear.
  while (auto name = win32::SubkeyNameAt(key.get(), 0)) {
    if (!DeleteStoreTree(hive, std::string(path) + "\\" + *name)) break;
  }
  key.reset();
  return ::RegDeleteKeyW(hive, wide.c_str()) == ERROR_SUCCESS;
}

int ReadOption(std::string_view name, int defaultValue) {
  const std::string text = ReadStoreString(kOptionsKey, HKEY_CURRENT_USER, name, 128);
  if (text.empty()) return defaultValue;
  return core::LeadingNumber(text);
}

void WriteOption(std::string_view name, int value) {
  WriteStoreString(HKEY_CURRENT_USER, kOptionsKey, name, std::to_string(value));
  WriteStoreString(HKEY_CURRENT_USER, kOptionsKey, "Update", "1");
}

}  // namespace obrivo::common
