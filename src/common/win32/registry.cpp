// Registry access through the W functions.
#include "common/win32/registry.h"

#include <algorithm>
#include <cstring>

#include "common/win32/wide.h"

namespace obrivo::win32 {
namespace {

void SetError(LONG* error, LONG value) {
  if (error) *error = value;
}

}  // namespace

UniqueKey OpenKey(HKEY root, std::string_view path, REGSAM access, LONG* error) {
  HKEY key = nullptr;
  const LONG rc = ::RegOpenKeyExW(root, Wide(path).c_str(), 0, access, &key);
  SetError(error, rc);
  return UniqueKey(rc == ERROR_SUCCESS ? key : nullptr);
}

UniqueKey CreateKey(HKEY root, std::string_view path, REGSAM access, LONG* error) {
  HKEY key = nullptr;
  const LONG rc = ::RegCreateKeyExW(root, Wide(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    access, nullptr, &key, nullptr);
  SetError(error, rc);
  return UniqueKey(rc == ERROR_SUCCESS ? key : nullptr);
}

std::optional<RegValue> QueryValue(HKEY key, std::string_view name, LONG* error) {
  const std::wstring wname = Wide(name);
  RegValue value;
  DWORD size = 256;
  for (int attempt = 0; attempt < 8; ++attempt) {
    value.data.resize(size);
    DWORD got = size;
    const LONG rc = ::RegQueryValueExW(key, wname.c_str(), nullptr, &value.type,
                                       value.data.data(), &got);
    if (rc == ERROR_SUCCESS) {
      value.data.resize(got);
      SetError(error, rc);
      return value;
    }
    if (rc != ERROR_MORE_DATA) {
      SetError(error, rc);
      return std::nullopt;
    }
    size = got > size ? got : size * 2;  // the value may grow between the two calls
  }
  SetError(error, ERROR_MORE_DATA);
  return std::nullopt;
}

std::optional<std::string> StringFromValue(const RegValue& value) {
  if (value.type != REG_SZ && value.type != REG_EXPAND_SZ && value.type != REG_MULTI_SZ)
    return std::nullopt;
  const std::size_t units = value.data.size() / sizeof(wchar_t);  // an odd last byte is dropped
  std::wstring text(units, L'\0');
  if (units) std::memcpy(text.data(), value.data.data(), units * sizeof(wchar_t));
  const std::size_t nul = text.find(L'\0');
  if (nul != std::wstring::npos) text.resize(nul);
  return Narrow(text);
}

bool SetStringValue(HKEY key, std::string_view name, std::string_view text, DWORD type) {
  const std::wstring wtext = Wide(text);
  const auto bytes = static_cast<DWORD>((wtext.size() + 1) * sizeof(wchar_t));
  return ::RegSetValueExW(key, Wide(name).c_str(), 0, type,
                          reinterpret_cast<const BYTE*>(wtext.c_str()), bytes) == ERROR_SUCCESS;
}

bool SetDwordValue(HKEY key, std::string_view name, DWORD value) {
  return ::RegSetValueExW(key, Wide(name).c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&value), sizeof value) == ERROR_SUCCESS;
}

LONG DeleteValue(HKEY key, std::string_view name) {
  return ::RegDeleteValueW(key, Wide(name).c_str());
}

std::vector<std::string> EnumValueNames(HKEY key) {
  std::vector<std::string> names;
  std::wstring buffer(256, L'\0');
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(buffer.size());
    LONG rc = ::RegEnumValueW(key, index, buffer.data(), &length, nullptr, nullptr, nullptr,
                              nullptr);
    if (rc == ERROR_MORE_DATA) {
      // Value names may be up to 16383 characters; ask for the largest and retry once.
      DWORD maxName = 0;
      ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &maxName, nullptr, nullptr, nullptr);
      buffer.assign(std::max<DWORD>(maxName + 1, 16384), L'\0');
      length = static_cast<DWORD>(buffer.size());
      rc = ::RegEnumValueW(key, index, buffer.data(), &length, nullptr, nullptr, nullptr,
                           nullptr);
    }
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS) {
      if (index > 100000) break;  // a key that keeps failing: give up rather than spin
      continue;
    }
    names.push_back(NarrowBuffer(buffer.data(), length));
  }
  return names;
}

std::optional<std::string> SubkeyNameAt(HKEY key, DWORD index) {
  std::wstring buffer(256, L'\0');
  DWORD length = static_cast<DWORD>(buffer.size());
  const LONG rc =
      ::RegEnumKeyExW(key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
  if (rc != ERROR_SUCCESS) return std::nullopt;  // key names are at most 255 characters
  return NarrowBuffer(buffer.data(), length);
}

std::vector<std::string> EnumSubkeyNames(HKEY key) {
  std::vector<std::string> names;
  std::wstring buffer(256, L'\0');
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(buffer.size());
    const LONG rc =
        ::RegEnumKeyExW(key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS) {
      if (index > 100000) break;
      continue;
    }
    names.push_back(NarrowBuffer(buffer.data(), length));
  }
  return names;
}

std::string ExpandEnvironment(std::string_view text) {
  const std::wstring wtext = Wide(text);
  DWORD size = ::ExpandEnvironmentStringsW(wtext.c_str(), nullptr, 0);
  if (size == 0) return std::string(text);
  std::wstring out(size, L'\0');
  size = ::ExpandEnvironmentStringsW(wtext.c_str(), out.data(), size);
  if (size == 0) return std::string(text);
  out.resize(size - 1);
  return Narrow(out);
}

}  // namespace obrivo::win32
