// A registry value under an exact counted name, a NUL inside included, written the way a hostile
// program can through the native API (the W functions stop a name at its first NUL).
#pragma once

#include <windows.h>

#include <string>

#include "common/win32/proc_address.h"

namespace obrivo::test {

// The native API's counted string.
struct CountedName {
  USHORT bytes, maximumBytes;
  wchar_t* buffer;
};

template <typename Fn>
Fn NativeCall(const char* name) {
  return win32::ProcAddress<Fn>(::GetModuleHandleW(L"ntdll.dll"), name);
}

// Creates (or replaces) REG_SZ `text` under `name` in the open `key`; true on success.
inline bool SetCountedValue(HKEY key, std::wstring name, const std::wstring& text) {
  using NtSetValueKeyFn = LONG(NTAPI*)(HANDLE, CountedName*, ULONG, ULONG, const void*, ULONG);
  const auto setValue = NativeCall<NtSetValueKeyFn>("NtSetValueKey");
  if (!setValue) return false;
  const auto bytes = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  CountedName counted{bytes, bytes, name.data()};
  return setValue(key, &counted, 0, REG_SZ, text.c_str(),
                  static_cast<ULONG>((text.size() + 1) * sizeof(wchar_t))) == 0;
}

// Deletes the value named exactly `name` from the open `key`; true on success.
inline bool DeleteCountedValue(HKEY key, std::wstring name) {
  using NtDeleteValueKeyFn = LONG(NTAPI*)(HANDLE, CountedName*);
  const auto deleteValue = NativeCall<NtDeleteValueKeyFn>("NtDeleteValueKey");
  if (!deleteValue) return false;
  const auto bytes = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  CountedName counted{bytes, bytes, name.data()};
  return deleteValue(key, &counted) == 0;
}

}  // namespace obrivo::test
