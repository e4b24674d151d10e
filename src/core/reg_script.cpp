#include "core/reg_script.h"

namespace obrivo::core {
namespace {

// The editor wraps hex data after this many characters of a line.
constexpr std::size_t kHexLineWidth = 76;

std::u16string Quoted(std::u16string_view text) {
  std::u16string out = u"\"";
  for (char16_t c : text) {
    if (c == u'\\' || c == u'"') out += u'\\';
    out += c;
  }
  out += u'"';
  return out;
}

std::u16string HexNumber(std::uint32_t value, int digits) {
  static constexpr char16_t kDigits[] = u"0123456789abcdef";
  std::u16string out;
  for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 0xF];
  return out;
}

std::u16string TypeNumber(std::uint32_t type) {
  std::u16string out = HexNumber(type, 8);
  const std::size_t first = out.find_first_not_of(u'0');
  return first == std::u16string::npos ? u"0" : out.substr(first);
}

// The data as a quoted string, when the string reads back as exactly these bytes.
std::optional<std::u16string> PlainString(const std::vector<std::uint8_t>& data) {
  if (data.size() < 2 || data.size() % 2 != 0) return std::nullopt;
  std::u16string text;
  for (std::size_t i = 0; i + 1 < data.size(); i += 2)
    text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  if (text.back() != u'\0') return std::nullopt;
  text.pop_back();
  for (char16_t c : text)
    if (c == u'\0' || c == u'\r' || c == u'\n') return std::nullopt;
  return text;
}

}  // namespace

std::u16string RegKeyLines(std::u16string_view path, bool first) {
  std::u16string out = first ? u"" : u"\r\n";
  out += u'[';
  out += path;
  out += u"]\r\n";
  return out;
}

bool RegNameWritable(std::u16string_view name) {
  return name.find_first_of(std::u16string_view(u"\0\r\n", 3)) == std::u16string_view::npos;
}

std::optional<std::u16string> RegValueLines(std::u16string_view name, std::uint32_t type,
                                            const std::vector<std::uint8_t>& data) {
  if (!RegNameWritable(name)) return std::nullopt;
  std::u16string line = name.empty() ? u"@" : Quoted(name);
  line += u'=';
  if (type == kRegString) {
    if (auto text = PlainString(data)) return line + Quoted(*text) + u"\r\n";
  }
  if (type == kRegDword && data.size() == 4) {
    const std::uint32_t value = static_cast<std::uint32_t>(data[0]) | (data[1] << 8) |
                                (data[2] << 16) | (static_cast<std::uint32_t>(data[3]) << 24);
    return line + u"dword:" + HexNumber(value, 8) + u"\r\n";
  }
  line += type == kRegBinary ? u"hex:" : u"hex(" + TypeNumber(type) + u"):";
  for (std::size_t i = 0; i < data.size(); ++i) {
    line += HexNumber(data[i], 2);
    if (i + 1 == data.size()) break;
    line += u',';
    // Continued on the next line, indented, once the line is full.
    const std::size_t lineStart = line.rfind(u'\n');
    const std::size_t width = line.size() - (lineStart == std::u16string::npos ? 0 : lineStart + 1);
    if (width >= kHexLineWidth) line += u"\\\r\n  ";
  }
  return line + u"\r\n";
}

std::string RegScriptBytes(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  bytes.reserve(2 + text.size() * 2);
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

}  // namespace obrivo::core
