// Lossless UTF-16 <-> UTF-8 (WTF-8) conversion.
#include "utf.h"

#include <cstdint>

namespace obrivo::core {
namespace {

// Windows-1252 characters 0x80-0x9F; the five undefined positions map to themselves.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t Cp1252(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kCp1252High[byte - 0x80];
  return byte;
}

void AppendCodePoint(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Decodes one sequence at `pos`; returns its length, or 0 when the bytes there are not a
// well-formed sequence (surrogate code points are accepted).
std::size_t DecodeOne(std::string_view s, std::size_t pos, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(s[pos]);
  const std::size_t left = s.size() - pos;
  auto at = [&](std::size_t i) { return static_cast<unsigned char>(s[pos + i]); };
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    if (left < 2 || !IsContinuation(at(1))) return 0;
    cp = (char32_t(b0 & 0x1F) << 6) | (at(1) & 0x3F);
    return 2;
  }
  if (b0 >= 0xE0 && b0 <= 0xEF) {
    if (left < 3 || !IsContinuation(at(1)) || !IsContinuation(at(2))) return 0;
    if (b0 == 0xE0 && at(1) < 0xA0) return 0;  // overlong
    cp = (char32_t(b0 & 0x0F) << 12) | (char32_t(at(1) & 0x3F) << 6) | (at(2) & 0x3F);
    return 3;
  }
  if (b0 >= 0xF0 && b0 <= 0xF4) {
    if (left < 4 || !IsContinuation(at(1)) || !IsContinuation(at(2)) || !IsContinuation(at(3)))
      return 0;
    if (b0 == 0xF0 && at(1) < 0x90) return 0;  // overlong
    if (b0 == 0xF4 && at(1) > 0x8F) return 0;  // above U+10FFFF
    cp = (char32_t(b0 & 0x07) << 18) | (char32_t(at(1) & 0x3F) << 12) |
         (char32_t(at(2) & 0x3F) << 6) | (at(3) & 0x3F);
    return 4;
  }
  return 0;
}

}  // namespace

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    AppendCodePoint(out, cp);  // a lone surrogate becomes its own three-byte sequence
  }
  return out;
}

std::u32string DecodeUtf8(std::string_view text, std::vector<std::size_t>* offsets) {
  std::u32string out;
  out.reserve(text.size());
  if (offsets) offsets->clear();
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (offsets) offsets->push_back(pos);
    char32_t cp = 0;
    const std::size_t n = DecodeOne(text, pos, cp);
    if (n == 0) {
      out += Cp1252(static_cast<unsigned char>(text[pos]));
      ++pos;
    } else {
      out += cp;
      pos += n;
    }
  }
  return out;
}

std::string EncodeUtf8(std::u32string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char32_t cp : text) AppendCodePoint(out, cp);
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char32_t cp : DecodeUtf8(text)) {
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  for (char c : text) AppendCodePoint(out, Cp1252(static_cast<unsigned char>(c)));
  return out;
}

bool IsUtf8(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    char32_t cp = 0;
    const std::size_t n = DecodeOne(text, pos, cp);
    if (n == 0) return false;
    pos += n;
  }
  return true;
}

}  // namespace obrivo::core
