// Writing a test file byte for byte (an ANSI line, an old note), whatever its encoding.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "common/win32/wide.h"

namespace obrivo::test {

inline bool WriteBytes(const std::string& path, std::string_view bytes, bool append = false) {
  HANDLE file =
      ::CreateFileW(win32::Wide(path).c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE, 0,
                    nullptr, append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok =
      ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
  return ok && written == bytes.size();
}

// The file's bytes; empty when it cannot be read.
inline std::string ReadBytes(const std::string& path) {
  HANDLE file = ::CreateFileW(win32::Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes(1 << 16, '\0');
  DWORD read = 0;
  if (!::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) read = 0;
  ::CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

}  // namespace obrivo::test
