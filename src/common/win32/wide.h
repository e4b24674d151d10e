// UTF-8 <-> UTF-16 at the Win32 boundary, lossless for any name the system hands us.
#pragma once

#include <string>
#include <string_view>

#include "core/utf.h"

namespace obrivo::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

inline std::wstring Wide(std::string_view text) {
  const std::u16string u = core::Utf8ToUtf16(text);
  return std::wstring(u.begin(), u.end());
}

inline std::string Narrow(std::wstring_view text) {
  const std::u16string u(text.begin(), text.end());
  return core::Utf16ToUtf8(u);
}

// A wide buffer of `length` characters, for APIs that fill one.
inline std::string NarrowBuffer(const wchar_t* text, std::size_t length) {
  return Narrow(std::wstring_view(text, length));
}

}  // namespace obrivo::win32
