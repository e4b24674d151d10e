// Interface language: codes to language identifiers, and override texts.
#include "core/language.h"

#include <gtest/gtest.h>

#include <string>

#include "core/text.h"

namespace obrivo::core {
namespace {

TEST(Language, CodeTable) {
  // clang-format off
  const struct {
    std::string code;
    std::uint16_t id;
  } cases[] = {
      {"us", 9},  {"de", 7},  {"fr", 12}, {"es", 10},    {"it", 16}, {"se", 29}, {"как", 25},
      {"ru", 25}, {"pt", 22}, {"pl", 21}, {"no", 20},    {"gr", 8},  {"nl", 19}, {"br", 22},
      {"sq", 28}, {"tr", 31}, {"ar", 1},  {"fi", 11},    {"cn", 4},
      // Compared without regard to case.
      {"US", 9},  {"De", 7},  {"КАК", 25}, {"кАк", 25}, {"RU", 25},
      // Anything else leaves the identifier at 0.
      {"", 0},    {"xx", 0},  {"usa", 0}, {" us", 0},   {"u", 0},   {"en", 0},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(LanguageIdFromCode(c.code), c.id) << c.code;
}

TEST(Language, OverrideTextBecomesLinesAndIsCut) {
  const struct {
    std::string text;
    std::size_t capacity;
    std::string expected;
  } cases[] = {
      {"First line%nSecond line", 256, "First line\nSecond line"},
      {"%n%n", 256, "\n\n"},
      {"50%%n", 256, "50%\n"},
      {"100% %N %", 256, "100% %N %"},  // only the exact two characters "%n"
      // Cut before the line feeds are made: a "%n" split by the cut stays as it is.
      {"abcdefgh%n", 10, "abcdefgh%"},
      {"abcdefg%n", 10, "abcdefg\n"},
      {"", 256, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ApplyTextOverride(c.text, c.capacity), c.expected);
  }
}

TEST(Language, OverrideTextIsAtMost771Characters) {
  const struct {
    std::size_t textChars, capacity, expectedChars;
  } cases[] = {
      {1000, 2000, 771}, {1000, 773, 771}, {1000, 772, 771},
      {1000, 771, 770},  {1000, 64, 63},   {500, 772, 500},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.textChars) + " / " + std::to_string(c.capacity));
    std::string text;
    for (std::size_t i = 0; i < c.textChars; ++i) text += "ж";
    const std::string shown = ApplyTextOverride(text, c.capacity);
    EXPECT_EQ(CharCount(shown), c.expectedChars);
    EXPECT_EQ(shown, text.substr(0, shown.size()));
  }
}

TEST(Language, WebLanguage) {
  EXPECT_EQ(WebLanguage(7), "de");
  EXPECT_EQ(WebLanguage(12), "fr");
  EXPECT_EQ(WebLanguage(kLanguageEnglish), "en");
  EXPECT_EQ(WebLanguage(25), "en");
  EXPECT_EQ(WebLanguage(0), "en");
}

}  // namespace
}  // namespace obrivo::core
