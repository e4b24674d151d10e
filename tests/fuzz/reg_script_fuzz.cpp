// The registry script's value lines: for any name, type and data, a value is left out exactly when
// its name holds a NUL or a line break; otherwise its lines read back (as the registry editor
// reads them: continued lines joined, escapes undone, hex bytes decoded) as the same name, type
// and bytes. Input: name (UTF-8 bytes taken one per UTF-16 unit), type number, data.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/reg_script.h"
#include "fuzz_input.h"

using namespace obrivo::core;

namespace {


// A quoted text at `at` (just past its opening quote): escapes undone; `at` ends past the close.
std::optional<std::u16string> Unquote(const std::u16string& line, std::size_t& at) {
  std::u16string out;
  for (; at < line.size(); ++at) {
    if (line[at] == u'"') {
      ++at;
      return out;
    }
    if (line[at] == u'\\') {
      if (++at == line.size()) return std::nullopt;
      if (line[at] != u'\\' && line[at] != u'"') return std::nullopt;
    }
    out += line[at];
  }
  return std::nullopt;
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

struct ReadValue {
  std::u16string name;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

std::optional<ReadValue> ReadBack(const std::u16string& text) {
  // One logical line: the text's only line breaks are continuations and the last one.
  FUZZ_CHECK(text.size() >= 2 && text.substr(text.size() - 2) == u"\r\n");
  std::u16string line;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find(u"\r\n", start);
    FUZZ_CHECK(end != std::u16string::npos);
    std::u16string part = text.substr(start, end - start);
    FUZZ_CHECK(part.find_first_of(u"\r\n") == std::u16string::npos);
    start = end + 2;
    if (start < text.size()) {
      FUZZ_CHECK(!part.empty() && part.back() == u'\\' && text.substr(start, 2) == u"  ");
      part.pop_back();
      start += 2;
    }
    line += part;
  }
  ReadValue value;
  std::size_t at = 0;
  if (line[0] == u'@') {
    at = 1;
  } else {
    FUZZ_CHECK(line[0] == u'"');
    at = 1;
    auto name = Unquote(line, at);
    if (!name) return std::nullopt;
    value.name = *name;
  }
  if (line[at++] != u'=') return std::nullopt;
  const std::u16string rest = line.substr(at);
  if (rest.size() >= 1 && rest[0] == u'"') {
    std::size_t p = 1;
    auto data = Unquote(rest, p);
    if (!data || p != rest.size()) return std::nullopt;
    value.type = kRegString;
    for (char16_t c : *data + u'\0') {
      value.data.push_back(static_cast<std::uint8_t>(c & 0xFF));
      value.data.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return value;
  }
  if (rest.rfind(u"dword:", 0) == 0) {
    if (rest.size() != 14) return std::nullopt;
    std::uint32_t v = 0;
    for (std::size_t i = 6; i < 14; ++i) v = v * 16 + static_cast<std::uint32_t>(HexDigit(rest[i]));
    value.type = kRegDword;
    value.data = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                  static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
    return value;
  }
  std::size_t p = 0;
  if (rest.rfind(u"hex:", 0) == 0) {
    value.type = kRegBinary;
    p = 4;
  } else if (rest.rfind(u"hex(", 0) == 0) {
    const std::size_t close = rest.find(u"):");
    if (close == std::u16string::npos || close == 4) return std::nullopt;
    for (std::size_t i = 4; i < close; ++i) value.type = value.type * 16 + HexDigit(rest[i]);
    p = close + 2;
  } else {
    return std::nullopt;
  }
  while (p < rest.size()) {
    if (p + 2 > rest.size()) return std::nullopt;
    const int high = HexDigit(rest[p]), low = HexDigit(rest[p + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    value.data.push_back(static_cast<std::uint8_t>(high * 16 + low));
    p += 2;
    if (p < rest.size() && rest[p++] != u',') return std::nullopt;
  }
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const obrivo::fuzz::Fields fields(data, size);
  std::u16string name;
  for (unsigned char c : fields.Text(0)) name += static_cast<char16_t>(c);
  const auto type = static_cast<std::uint32_t>(fields.Number(1));
  const std::string_view bytes = fields.Text(2);
  const std::vector<std::uint8_t> value(bytes.begin(), bytes.end());

  const auto lines = RegValueLines(name, type, value);
  const bool writable = name.find_first_of(std::u16string(u"\0\r\n", 3)) == std::u16string::npos;
  FUZZ_CHECK(lines.has_value() == writable);
  if (!lines) return 0;
  const auto read = ReadBack(*lines);
  FUZZ_CHECK(read.has_value());
  FUZZ_CHECK(read->name == name);
  FUZZ_CHECK(read->type == type);
  FUZZ_CHECK(read->data == value);

  const std::string file = RegScriptBytes(*lines);
  FUZZ_CHECK(file.size() == 2 + lines->size() * 2 && file.substr(0, 2) == "\xFF\xFE");
  return 0;
}
