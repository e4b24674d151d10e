// Values made and read the way a hostile program and the registry itself see them: a name is a
// counted string that may hold a NUL, created through NtSetValueKey and read back through
// RegEnumValueW, which reports every name whole with its length.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "common/win32/proc_address.h"
#include "common/win32/registry.h"

namespace obrivo::test {

// Creates (or replaces) a REG_SZ value under the exact `name`, as the native API allows.
inline void SetCountedValue(HKEY root, const std::string& path, std::wstring name,
                            const std::wstring& text) {
  struct CountedName {
    USHORT bytes, maximumBytes;
    wchar_t* buffer;
  };
  using NtSetValueKeyFn = LONG(NTAPI*)(HANDLE, CountedName*, ULONG, ULONG, const void*, ULONG);
  const auto setValue =
      win32::ProcAddress<NtSetValueKeyFn>(::GetModuleHandleW(L"ntdll.dll"), "NtSetValueKey");
  ASSERT_NE(setValue, nullptr);
  const auto key = win32::CreateKey(root, path, KEY_ALL_ACCESS);
  ASSERT_TRUE(key);
  const auto bytes = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  CountedName counted{bytes, bytes, name.data()};
  ASSERT_EQ(setValue(key.get(), &counted, 0, REG_SZ, text.c_str(),
                     static_cast<ULONG>((text.size() + 1) * sizeof(wchar_t))),
            0);
}

// Every value of the key by its whole name, with its text up to the first NUL.
inline std::map<std::wstring, std::wstring> CountedValues(HKEY root, const std::string& path) {
  std::map<std::wstring, std::wstring> values;
  const auto key = win32::OpenKey(root, path, KEY_READ);
  if (!key) return values;
  std::wstring name(32768, L'\0');
  std::wstring data(65536, L'\0');
  for (DWORD index = 0;; ++index) {
    DWORD nameChars = static_cast<DWORD>(name.size());
    DWORD dataBytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    if (::RegEnumValueW(key.get(), index, name.data(), &nameChars, nullptr, nullptr,
                        reinterpret_cast<BYTE*>(data.data()), &dataBytes) != ERROR_SUCCESS)
      break;
    const std::wstring text(data.data(), dataBytes / sizeof(wchar_t));
    values[name.substr(0, nameChars)] = text.substr(0, text.find(L'\0'));
  }
  return values;
}

}  // namespace obrivo::test
