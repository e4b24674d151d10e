// Text helpers: counting and cutting by characters, case-insensitive tests, the path and name
// helpers, query escaping and number texts.
#include "core/text.h"

#include <gtest/gtest.h>

#include "test_text.h"

#include <climits>
#include <cstdint>
#include <string>

#include "core/capacity.h"
#include "core/utf.h"

namespace obrivo::core {
namespace {

TEST(Text, CharCountCountsCharactersNotBytes) {
  EXPECT_EQ(CharCount(""), 0u);
  EXPECT_EQ(CharCount("abc"), 3u);
  EXPECT_EQ(CharCount("Привет"), 6u);
  EXPECT_EQ(CharCount("\xF0\x9F\x98\x80"), 1u);
  EXPECT_EQ(CharCount("caf\xE9"), 4u);  // a stray ANSI byte is one character
}

TEST(Text, TruncateCharsKeepsOneLessThanCapacityAndNeverSplitsACharacter) {
  const struct {
    std::string text;
    std::size_t capacity;
    std::string expected;
  } cases[] = {
      {Repeat("a", 127), kTitleCapacity, Repeat("a", 127)},
      {Repeat("a", 128), kTitleCapacity, Repeat("a", 127)},
      {Repeat("a", 500), kTitleCapacity, Repeat("a", 127)},
      {Repeat("ж", 200), kTitleCapacity, Repeat("ж", 127)},
      {"Привет", 4, "При"},
      {"a😀b", 2, "a"},
      {"a😀b", 3, "a😀"},
      {"abc", 1, ""},
      {"abc", 0, ""},
      {"", 10, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 20) + " / " + std::to_string(c.capacity));
    EXPECT_EQ(TruncateChars(c.text, c.capacity), c.expected);
  }
}

TEST(Text, CaseFoldingCoversLatinGreekAndCyrillic) {
  const struct {
    std::string a, b;
    bool equal;
  } cases[] = {
      {"Obrivo.EXE", "obrivo.exe", true},
      {"CAFÉ ÀÞ", "café àþ", true},
      {"Ÿ", "ÿ", true},
      {"ĀĹŊŽ", "āĺŋž", true},
      {"ΩΣΑ", "ωσα", true},
      {"ПРИВЕТ ЁЖ Ѓ", "привет ёж ѓ", true},
      {"ѠҊӐ", "ѡҋӑ", true},
      {"ＡＺ", "ａｚ", true},
      {"×", "÷", false},  // the two non-letters inside the Latin-1 letter ranges
      {"abc", "abd", false},
      {"ab", "abc", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.a + " / " + c.b);
    EXPECT_EQ(EqualsNoCase(c.a, c.b), c.equal);
    EXPECT_EQ(EqualsNoCase(ToUpper(c.a), ToUpper(c.b)), c.equal);
  }
}

TEST(Text, ToUpperChangesLettersOnly) {
  EXPECT_EQ(ToUpper("c:\\program files\\straße\\café жук.exe"),
            "C:\\PROGRAM FILES\\STRAßE\\CAFÉ ЖУК.EXE");
  EXPECT_EQ(ToUpper("ÿ ā ĺ ŋ ž ω ё ѡ ӑ ａ"), "Ÿ Ā Ĺ Ŋ Ž Ω Ё Ѡ Ӑ Ａ");
  // Signs and combining marks among the Cyrillic letter pairs are not letters.
  EXPECT_EQ(ToUpper("\u0482\u0483\u0484\u0487\u0489"), "\u0482\u0483\u0484\u0487\u0489");
  EXPECT_EQ(ToUpper("0123 ×÷ µ"), "0123 ×÷ µ");
  EXPECT_EQ(ToUpper("caf\xE9"), "CAF\xC3\x89");  // a stray byte is read as Windows-1252
}

TEST(Text, UpperAndFoldAgreeForEveryCoveredCharacter) {
  // A character upper-cased for a path must still compare equal to the original.
  for (char32_t c = 0; c < 0x600; ++c) {
    if (UpperCase(c) != c) {
      EXPECT_EQ(FoldCase(UpperCase(c)), c) << std::hex << unsigned(c);
    }
    if (FoldCase(c) != c) {
      EXPECT_EQ(UpperCase(FoldCase(c)), c) << std::hex << unsigned(c);
    }
  }
}

TEST(Text, ContainsNoCaseLimits) {
  const struct {
    std::string text, part;
    bool expected;
  } cases[] = {
      {"C:\\Tools\\Agent.EXE -start", ".exe", true},
      {"C:\\Tools\\Agent.EXE -start", "-START", true},
      {"ПРИВЕТ мир", "привет", true},
      {"Ёлка", "ёЛКА", true},
      {"café", "CAFÉ", true},
      {"agent", "agents", false},  // part longer than text
      {"", "", false},             // empty text never matches
      {"", "a", false},
      {"abc", "abd", false},
      {Repeat("a", 771) + "X", "x", true},   // 772 characters: still searched
      {Repeat("a", 772) + "X", "x", false},  // 773 characters: never matches
      {Repeat("a", 800), "a", false},
      {Repeat("ж", 771) + "Ы", "ы", true},  // the limit counts characters, not bytes
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 30) + " / " + c.part);
    EXPECT_EQ(ContainsNoCase(c.text, c.part), c.expected);
  }
}

TEST(Text, FindNoCaseReturnsAByteOffset) {
  EXPECT_EQ(FindNoCase("Жук.EXE", ".exe"), 6u);
  EXPECT_EQ(FindNoCase("abcABC", "C"), 2u);
  EXPECT_EQ(FindNoCase("abc", "x"), std::string_view::npos);
  EXPECT_EQ(FindNoCase("ab", "abc"), std::string_view::npos);
}

TEST(Text, StartsWithNoCase) {
  EXPECT_TRUE(StartsWithNoCase("HTTP://x", "http://"));
  EXPECT_TRUE(StartsWithNoCase("Жук", "жУ"));
  EXPECT_TRUE(StartsWithNoCase("abc", ""));
  EXPECT_FALSE(StartsWithNoCase("ab", "abc"));
  EXPECT_FALSE(StartsWithNoCase(" abc", "abc"));
}

TEST(Text, FileNamePartAndOffset) {
  const struct {
    std::string path, name;
    std::size_t offset;
  } cases[] = {
      {"C:\\Tools\\agent.exe", "agent.exe", 9},
      {"C:\\Tools\\", "", 9},
      {"agent.exe", "", 0},  // no backslash: no file-name part
      {"", "", 0},
      {"C:\\Жук\\файл.txt", "файл.txt", 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(FileNamePart(c.path), c.name);
    EXPECT_EQ(FileNameOffset(c.path), c.offset);
  }
}

TEST(Text, ExtensionAfterFirstDot) {
  EXPECT_EQ(ExtensionAfterFirstDot("archive.tar.gz"), "tar.gz");
  EXPECT_EQ(ExtensionAfterFirstDot(".hidden"), "hidden");
  EXPECT_EQ(ExtensionAfterFirstDot("trailing."), "");
  EXPECT_EQ(ExtensionAfterFirstDot("noext"), std::nullopt);
}

TEST(Text, SmallPathHelpers) {
  EXPECT_EQ(SkipLeadingSpaces("   x y "), "x y ");
  EXPECT_EQ(SkipLeadingSpaces("   "), "");

  EXPECT_EQ(StripQuotes("\"C:\\A B\\c.exe\" /x \"y\""), "C:\\A B\\c.exe /x y");
  EXPECT_EQ(StripQuotes("\"\""), "");

  EXPECT_EQ(ValueNameForm("C:\\a=b\\c==d.exe"), "C:\\a:b\\c::d.exe");

  EXPECT_EQ(AddTrailingBackslash("C:\\Dir"), "C:\\Dir\\");
  EXPECT_EQ(AddTrailingBackslash("C:\\Dir\\"), "C:\\Dir\\");

  const struct {
    std::string path, expected;
  } remove[] = {
      {"C:\\", "C:\\"},  // a drive root keeps its backslash
      {"C:\\Dir\\", "C:\\Dir"}, {"C:\\Dir", "C:\\Dir"}, {"C:", "C:"}, {"", ""},
  };
  for (const auto& c : remove) EXPECT_EQ(RemoveTrailingBackslash(c.path), c.expected) << c.path;
}

TEST(Text, EscapeForQueryLeavesNothingThatChangesTheAddress) {
  const struct {
    std::string text, expected;
  } cases[] = {
      {"a b", "a%20b"},
      {"a&b", "a+b"},
      {"a+b", "a%2Bb"},  // so that a "+" made from "&" stays distinguishable
      {"#%?=", "%23%25%3F%3D"},
      {"\"'<>", "%22%27%3C%3E"},
      {"C:\\x", "C:%5Cx"},
      {"\n\t\x01\x7F", "%0A%09%01%7F"},
      {"é", "%C3%A9"},
      {"Жук", "%D0%96%D1%83%D0%BA"},
      {"Agent-2_v1.0~", "Agent-2_v1.0~"},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(EscapeForQuery(c.text), c.expected);
  }
}

TEST(Text, GroupThousands) {
  const struct {
    std::int64_t number;
    std::string expected;
  } cases[] = {
      {0, "0"},
      {999, "999"},
      {1000, "1,000"},
      {999999, "999,999"},
      {1234567, "1,234,567"},
      {-999, "-999"},
      {-1234, "-1,234"},
      {INT64_MAX, "9,223,372,036,854,775,807"},
      {INT64_MIN, "-9,223,372,036,854,775,808"},
  };
  for (const auto& c : cases) EXPECT_EQ(GroupThousands(c.number), c.expected) << c.number;
}

TEST(Text, LeadingNumber) {
  const struct {
    std::string text;
    int expected;
  } cases[] = {
      {"42", 42},
      {"42abc", 42},
      {"007", 7},
      {"1 2", 1},
      {"-17", -17},
      {"+5", 5},
      {"", 0},
      {"abc", 0},
      {"-", 0},
      {"2147483647", INT_MAX},
      {"2147483648", INT_MAX},
      {"99999999999999999999999", INT_MAX},
      {"-2147483648", INT_MIN},
      {"-99999999999999999999999", INT_MIN},
  };
  for (const auto& c : cases) EXPECT_EQ(LeadingNumber(c.text), c.expected) << c.text;
}

TEST(Text, SplitTrimmed) {
  const struct {
    std::string text;
    std::vector<std::string> parts;
  } cases[] = {
      {"Programs Files (*.exe) % *.exe% All Files  (*.*) % *.*%%",
       {"Programs Files (*.exe)", "*.exe", "All Files  (*.*)", "*.*"}},
      {"", {}},
      {"%% % %", {}},
      {"one", {"one"}},
      {" a b %c", {"a b", "c"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitTrimmed(c.text, '%'), c.parts) << c.text;
}

}  // namespace
}  // namespace obrivo::core
