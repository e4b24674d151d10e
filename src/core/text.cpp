// Text functions over UTF-8 strings.
#include "text.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "capacity.h"
#include "utf.h"

namespace obrivo::core {
namespace {

// Characters of `text` with the byte offset where each starts.
struct Decoded {
  std::u32string chars;
  std::vector<std::size_t> offsets;
};

Decoded Decode(std::string_view text) {
  Decoded d;
  d.chars = DecodeUtf8(text, &d.offsets);
  return d;
}

bool InPairRange(char32_t c, char32_t first, char32_t last) { return c >= first && c <= last; }

}  // namespace

std::size_t CharCount(std::string_view text) { return DecodeUtf8(text).size(); }

std::string TruncateChars(std::string_view text, std::size_t capacity) {
  if (capacity == 0) return {};
  const Decoded d = Decode(text);
  if (d.chars.size() < capacity) return std::string(text);
  return std::string(text.substr(0, d.offsets[capacity - 1]));
}

char32_t FoldCase(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
  if (InPairRange(c, 0xC0, 0xDE) && c != 0xD7) return c + 32;
  if (c == 0x178) return 0xFF;
  // Latin Extended-A: pairs of upper (even) and lower (odd), with two stretches the other way.
  if ((InPairRange(c, 0x100, 0x137) || InPairRange(c, 0x14A, 0x177)) && c % 2 == 0) return c + 1;
  if ((InPairRange(c, 0x139, 0x148) || InPairRange(c, 0x179, 0x17E)) && c % 2 == 1) return c + 1;
  if (InPairRange(c, 0x391, 0x3AB) && c != 0x3A2) return c + 32;  // Greek
  if (InPairRange(c, 0x410, 0x42F)) return c + 32;                // Cyrillic
  if (InPairRange(c, 0x400, 0x40F)) return c + 80;
  // U+0482-U+0489 (a sign and combining marks) sit between the letter pairs; they have no case.
  if ((InPairRange(c, 0x460, 0x481) || InPairRange(c, 0x48A, 0x4BF)) && c % 2 == 0) return c + 1;
  if (InPairRange(c, 0x4D0, 0x4FF) && c % 2 == 0) return c + 1;
  if (InPairRange(c, 0xFF21, 0xFF3A)) return c + 32;  // full-width Latin
  return c;
}

char32_t UpperCase(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
  if (InPairRange(c, 0xE0, 0xFE) && c != 0xF7) return c - 32;
  if (c == 0xFF) return 0x178;
  if ((InPairRange(c, 0x101, 0x137) || InPairRange(c, 0x14B, 0x177)) && c % 2 == 1) return c - 1;
  if ((InPairRange(c, 0x13A, 0x148) || InPairRange(c, 0x17A, 0x17E)) && c % 2 == 0) return c - 1;
  if (InPairRange(c, 0x3B1, 0x3CB) && c != 0x3C2) return c - 32;
  if (InPairRange(c, 0x430, 0x44F)) return c - 32;
  if (InPairRange(c, 0x450, 0x45F)) return c - 80;
  if ((InPairRange(c, 0x461, 0x481) || InPairRange(c, 0x48B, 0x4BF)) && c % 2 == 1) return c - 1;
  if (InPairRange(c, 0x4D1, 0x4FF) && c % 2 == 1) return c - 1;
  if (InPairRange(c, 0xFF41, 0xFF5A)) return c - 32;
  return c;
}

std::string ToUpper(std::string_view text) {
  std::u32string chars = DecodeUtf8(text);
  for (char32_t& c : chars) c = UpperCase(c);
  return EncodeUtf8(chars);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  const std::u32string ca = DecodeUtf8(a);
  const std::u32string cb = DecodeUtf8(b);
  if (ca.size() != cb.size()) return false;
  for (std::size_t i = 0; i < ca.size(); ++i)
    if (FoldCase(ca[i]) != FoldCase(cb[i])) return false;
  return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  const std::u32string ct = DecodeUtf8(text);
  const std::u32string cp = DecodeUtf8(prefix);
  if (cp.size() > ct.size()) return false;
  for (std::size_t i = 0; i < cp.size(); ++i)
    if (FoldCase(ct[i]) != FoldCase(cp[i])) return false;
  return true;
}

std::size_t FindNoCase(std::string_view text, std::string_view part) {
  const Decoded t = Decode(text);
  const std::u32string cp = DecodeUtf8(part);
  if (cp.size() > t.chars.size()) return std::string_view::npos;
  for (std::size_t start = 0; start + cp.size() <= t.chars.size(); ++start) {
    bool match = true;
    for (std::size_t j = 0; j < cp.size() && match; ++j)
      match = FoldCase(t.chars[start + j]) == FoldCase(cp[j]);
    if (match) return start < t.offsets.size() ? t.offsets[start] : text.size();
  }
  return std::string_view::npos;
}

bool ContainsNoCase(std::string_view text, std::string_view part) {
  if (text.empty() || CharCount(text) >= kSearchTextLimit) return false;
  if (CharCount(part) > CharCount(text)) return false;
  return FindNoCase(text, part) != std::string_view::npos;
}

std::string FileNamePart(std::string_view path) {
  const std::size_t pos = path.rfind('\\');
  if (pos == std::string_view::npos) return {};
  return std::string(path.substr(pos + 1));
}

std::size_t FileNameOffset(std::string_view path) {
  const std::size_t pos = path.rfind('\\');
  return pos == std::string_view::npos ? 0 : pos + 1;
}

std::optional<std::string> ExtensionAfterFirstDot(std::string_view name) {
  const std::size_t pos = name.find('.');
  if (pos == std::string_view::npos) return std::nullopt;
  return std::string(name.substr(pos + 1));
}

std::string SkipLeadingSpaces(std::string_view text) {
  const std::size_t pos = text.find_first_not_of(' ');
  return pos == std::string_view::npos ? std::string() : std::string(text.substr(pos));
}

std::string StripQuotes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != '"') out += c;
  return out;
}

std::string ValueNameForm(std::string_view text) {
  std::string out(text);
  std::replace(out.begin(), out.end(), '=', ':');
  return out;
}

std::string AddTrailingBackslash(std::string_view path) {
  std::string out(path);
  if (out.empty() || out.back() != '\\') out += '\\';
  return out;
}

std::string RemoveTrailingBackslash(std::string_view path) {
  std::string out(path);
  if (out.empty() || out.back() != '\\') return out;
  if (out.size() >= 2 && out[out.size() - 2] == ':') return out;  // "C:\" stays a root
  out.pop_back();
  return out;
}

std::string EscapeForQuery(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == ' ') {
      out += "%20";
    } else if (c == '&') {
      out += '+';
    } else if (c < 0x21 || c >= 0x7F ||
               std::string_view("#%?=+\"'<>\\^`{|}").find(ch) != std::string_view::npos) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    } else {
      out += ch;
    }
  }
  return out;
}

std::string GroupThousands(std::int64_t number) {
  const bool negative = number < 0;
  // Work on the magnitude as unsigned so that the most negative value does not overflow.
  std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(number) : static_cast<std::uint64_t>(number);
  std::string digits = std::to_string(magnitude);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return negative ? "-" + out : out;
}

int LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long value = 0;
  bool any = false;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    any = true;
    value = value * 10 + (text[i++] - '0');
    if (value > INT_MAX) value = INT_MAX + 1LL;  // saturate: no overflow on long digit runs
  }
  if (!any) return 0;
  if (negative) return value > INT_MAX ? INT_MIN : -static_cast<int>(value);
  return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

std::string FormatText(std::string_view pattern, std::string_view value) {
  const std::size_t at = pattern.find("%s");
  if (at == std::string_view::npos) return std::string(pattern);
  std::string out(pattern.substr(0, at));
  out += value;
  out += pattern.substr(at + 2);
  return out;
}

std::string CrLfLineEnds(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

std::vector<std::string> SplitTrimmed(std::string_view text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(separator, start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view part = text.substr(start, end - start);
    while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
    while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
    if (!part.empty()) parts.emplace_back(part);
    start = end + 1;
  }
  return parts;
}

}  // namespace obrivo::core
