// UTF-16 <-> UTF-8: names the system hands us must come back unchanged, and stray ANSI bytes
// must still read as the characters they were meant to be.
#include "core/utf.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace obrivo::core {
namespace {

TEST(Utf, Utf16SurvivesTheRoundTripUnchanged) {
  // Registry and file names may hold unpaired surrogates; they must convert back exactly.
  const std::u16string cases[] = {
      u"",
      u"C:\\Program Files\\agent.exe",
      u"Привет, мир",
      u"caf\u00E9 \u20AC \uFFFF",
      u"\U0001F600 smile \U0010FFFF",
      std::u16string{0xD800},                  // lone high surrogate
      std::u16string{0xDFFF},                  // lone low surrogate
      std::u16string{u'a', 0xDBFF, u'b'},      // high surrogate between letters
      std::u16string{0xDC00, 0xD800},          // reversed pair: two lone surrogates
      std::u16string{0xD800, 0xD83D, 0xDE00},  // lone high, then a real pair
      std::u16string{0xD83D, 0xDE00, 0xDC00},  // a real pair, then a lone low
      std::u16string{u'x', 0, u'y'},           // embedded NUL
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    const std::string utf8 = Utf16ToUtf8(cases[i]);
    EXPECT_TRUE(IsUtf8(utf8));
    EXPECT_EQ(Utf8ToUtf16(utf8), cases[i]);
  }
}

TEST(Utf, EncodesEachCharacterAsItsUtf8Bytes) {
  const struct {
    std::u16string utf16;
    std::string utf8;
  } cases[] = {
      {u"A", "A"},
      {u"\u00E9", "\xC3\xA9"},
      {u"\u0416", "\xD0\x96"},  // Ж
      {u"\u20AC", "\xE2\x82\xAC"},
      {u"\U0001F600", "\xF0\x9F\x98\x80"},  // a pair becomes one four-byte character
      {u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
      {std::u16string{0xD800}, "\xED\xA0\x80"},  // a lone surrogate keeps its own three bytes
      {std::u16string{0xDFFF}, "\xED\xBF\xBF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8);
    EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
  }
}

TEST(Utf, BytesThatAreNotUtf8ReadAsWindows1252) {
  const struct {
    std::string bytes;
    std::u16string expected;
  } cases[] = {
      {"caf\xE9", u"caf\u00E9"},
      {"\x80", u"\u20AC"},
      {"\x93quoted\x94", u"\u201Cquoted\u201D"},
      {"\x8A\x9A\x9F", u"\u0160\u0161\u0178"},
      {"\x81\x8D\x8F\x90\x9D", u"\u0081\u008D\u008F\u0090\u009D"},  // undefined: kept as is
      {"\xFF", u"\u00FF"},
      {"\xE2\x82", u"\u00E2\u201A"},                      // sequence cut short
      {"\xC3\x41", u"\u00C3A"},                           // lead byte without continuation
      {"\xC0\xAF", u"\u00C0\u00AF"},                      // overlong two-byte form
      {"\xE0\x80\xAF", u"\u00E0\u20AC\u00AF"},            // overlong three-byte form
      {"\xF0\x80\x80\xAF", u"\u00F0\u20AC\u20AC\u00AF"},  // overlong four-byte form
      {"\xF4\x90\x80\x80", u"\u00F4\u0090\u20AC\u20AC"},  // above U+10FFFF
      {"\xE9\xC3\xA9\xE9", u"\u00E9\u00E9\u00E9"},        // mixed: valid sequence in between
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_FALSE(IsUtf8(c.bytes));
    EXPECT_EQ(Utf8ToUtf16(c.bytes), c.expected);
  }
}

TEST(Utf, DecodeReportsWhereEachCharacterStarts) {
  // Cutting at a character boundary relies on these offsets, stray bytes included.
  std::vector<std::size_t> offsets{99};
  const std::u32string chars = DecodeUtf8("a\xC3\xA9\xE9\xF0\x9F\x98\x80z", &offsets);
  EXPECT_EQ(chars, (std::u32string{U'a', 0xE9, 0xE9, 0x1F600, U'z'}));
  EXPECT_EQ(offsets, (std::vector<std::size_t>{0, 1, 3, 4, 8}));

  EXPECT_TRUE(DecodeUtf8("", &offsets).empty());
  EXPECT_TRUE(offsets.empty());
}

}  // namespace
}  // namespace obrivo::core
