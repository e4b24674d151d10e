// The registry script's value lines: every type in the form that imports back to the same type
// and bytes, names and strings escaped, names the format cannot hold left out, long data wrapped
// the way the editor reads it, and the file's UTF-16LE bytes.
#include "core/reg_script.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace obrivo::core {
namespace {

using Bytes = std::vector<std::uint8_t>;

// `text` in UTF-16LE, with `nul` closing NULs.
Bytes Utf16(std::u16string_view text, int nul = 1) {
  Bytes out;
  for (char16_t c : text) {
    out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  for (int i = 0; i < nul; ++i) out.insert(out.end(), {0, 0});
  return out;
}

std::string Narrow(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

TEST(RegScript, EachValueIsWrittenInTheFormThatImportsBackToItsTypeAndBytes) {
  const struct {
    const char* what;
    std::u16string name;
    std::uint32_t type;
    Bytes data;
    std::u16string line;
  } cases[] = {
      {"string with escapes", u"a\"b\\c", kRegString, Utf16(u"C:\\x \"y\""),
       u"\"a\\\"b\\\\c\"=\"C:\\\\x \\\"y\\\"\"\r\n"},
      {"default value", u"", kRegString, Utf16(u"v"), u"@=\"v\"\r\n"},
      {"empty string", u"e", kRegString, Utf16(u""), u"\"e\"=\"\"\r\n"},
      {"non-ASCII name and data kept", u"\u5199\u771f\u200f", kRegString, Utf16(u"\u00e9t\u00e9"),
       u"\"\u5199\u771f\u200f\"=\"\u00e9t\u00e9\"\r\n"},
      {"string without its closing NUL", u"s", kRegString, Utf16(u"ab", 0),
       u"\"s\"=hex(1):61,00,62,00\r\n"},
      {"string with a NUL inside", u"s", kRegString, {'a', 0, 0, 0, 'b', 0, 0, 0},
       u"\"s\"=hex(1):61,00,00,00,62,00,00,00\r\n"},
      {"string with a line break", u"s", kRegString, Utf16(u"a\r\n"),
       u"\"s\"=hex(1):61,00,0d,00,0a,00,00,00\r\n"},
      {"string of odd length", u"s", kRegString, {'a', 0, 0}, u"\"s\"=hex(1):61,00,00\r\n"},
      {"no data", u"s", kRegString, {}, u"\"s\"=hex(1):\r\n"},
      {"dword", u"d", kRegDword, {0x2a, 0, 0, 0x80}, u"\"d\"=dword:8000002a\r\n"},
      {"dword of three bytes", u"d", kRegDword, {1, 2, 3}, u"\"d\"=hex(4):01,02,03\r\n"},
      {"binary", u"b", kRegBinary, {0x00, 0xff, 0x10}, u"\"b\"=hex:00,ff,10\r\n"},
      {"expandable string", u"x", kRegExpandString, Utf16(u"%A%"),
       u"\"x\"=hex(2):25,00,41,00,25,00,00,00\r\n"},
      {"multi-string", u"m", kRegMultiString, Utf16(std::u16string_view(u"a\0b", 3), 2),
       u"\"m\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"},
      {"no type", u"n", 0, {7}, u"\"n\"=hex(0):07\r\n"},
      {"qword", u"q", 11, {1, 0, 0, 0, 0, 0, 0, 0}, u"\"q\"=hex(b):01,00,00,00,00,00,00,00\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto line = RegValueLines(c.name, c.type, c.data);
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(Narrow(*line), Narrow(c.line));
    EXPECT_EQ(*line, c.line);
  }
}

TEST(RegScript, NamesTheFormatCannotHoldAreLeftOutAndLongNamesStayWhole) {
  for (const std::u16string& name :
       {std::u16string(u"Updater\0hidden", 14), std::u16string(u"two\nlines"),
        std::u16string(u"cr\r")}) {
    EXPECT_FALSE(RegNameWritable(name));
    EXPECT_FALSE(RegValueLines(name, kRegString, Utf16(u"x")).has_value());
  }
  const std::u16string longName(16383, u'n');
  const auto line = RegValueLines(longName, kRegString, Utf16(std::u16string(20000, u'd')));
  ASSERT_TRUE(line.has_value());
  EXPECT_EQ(*line, u"\"" + longName + u"\"=\"" + std::u16string(20000, u'd') + u"\"\r\n");
}

// The editor reads a line ending in a backslash as going on at the next one.
TEST(RegScript, LongDataIsWrappedIntoContinuedLinesThatHoldEveryByte) {
  Bytes data;
  for (int i = 0; i < 300; ++i) data.push_back(static_cast<std::uint8_t>(i));
  const std::u16string text = *RegValueLines(u"blob", kRegBinary, data);
  std::u16string joined;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find(u"\r\n", start);
    ASSERT_NE(end, std::u16string::npos);
    std::u16string line = text.substr(start, end - start);
    EXPECT_LE(line.size(), 80u);
    start = end + 2;
    if (!line.empty() && line.back() == u'\\') {
      line.pop_back();
      ASSERT_EQ(text.substr(start, 2), u"  ");
      start += 2;
    }
    joined += line;
  }
  std::u16string expected = u"\"blob\"=hex:";
  for (int i = 0; i < 300; ++i) {
    static constexpr char16_t kDigits[] = u"0123456789abcdef";
    if (i > 0) expected += u',';
    expected += kDigits[(i & 0xFF) >> 4];
    expected += kDigits[i & 0xF];
  }
  EXPECT_EQ(joined, expected);
}

TEST(RegScript, KeysAndTheFileBytes) {
  EXPECT_EQ(RegKeyLines(u"HKEY_CURRENT_USER\\Software\\A", true),
            u"[HKEY_CURRENT_USER\\Software\\A]\r\n");
  EXPECT_EQ(RegKeyLines(u"HKEY_LOCAL_MACHINE\\B", false), u"\r\n[HKEY_LOCAL_MACHINE\\B]\r\n");
  EXPECT_EQ(RegScriptBytes(u"A\u5199"), std::string("\xFF\xFE" "A\0\x99\x51", 6));
  EXPECT_EQ(RegScriptBytes(kRegScriptHeader).substr(0, 6), std::string("\xFF\xFEW\0i\0", 6));
}

}  // namespace
}  // namespace obrivo::core
