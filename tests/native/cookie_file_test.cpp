// The Mozilla cookie file: what counts as a cookie, its title, and the filtered rewrite that
// must keep every line it does not remove exactly as it was.
#include "core/cookie_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/settings_guard.h"

namespace obrivo::core {
namespace {

std::string Line(std::string_view domain, std::string_view name, std::string_view value = "v",
                 std::string_view end = "\n") {
  return std::string(domain) + "\tTRUE\t/\tFALSE\t1700000000\t" + std::string(name) + "\t" +
         std::string(value) + std::string(end);
}

TEST(CookieFile, WhichLinesAreCookies) {
  const struct {
    const char* what;
    std::string line;
    bool cookie;
    std::string title;
  } cases[] = {
      {"plain", Line("www.example.com", "id"), true, "www.example.com - id"},
      {"leading dot dropped once", Line("..example.com", "id"), true, ".example.com - id"},
      {"CRLF line", Line(".ads.example", "x", "val", "\r\n"), true, "ads.example - x"},
      {"no final newline", Line("a.example", "n", "v", ""), true, "a.example - n"},
      {"comment", "# Netscape HTTP Cookie File\n", false, ""},
      {"comment that looks like a cookie", "#" + Line("a.example", "n"), false, ""},
      {"blank", "\n", false, ""},
      {"six fields", "a.example\tTRUE\t/\tFALSE\t1\tname\n", false, ""},
      {"one field", "garbage\n", false, ""},
      {"NUL in name", Line("a.example", std::string("n\0m", 3)), true,
       std::string("a.example - n\0m", 15)},
      {"bytes of another encoding", Line("a.example", "caf\xE9"), true, "a.example - caf\xC3\xA9"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<CookieLine> lines = ParseCookieFile(c.line);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].cookie, c.cookie);
    EXPECT_EQ(lines[0].title, c.title);
    EXPECT_EQ(lines[0].raw, c.line);
  }
}

TEST(CookieFile, FieldsOfACookieLine) {
  const std::string text = "x.example\tFALSE\t/path\tTRUE\t2000000000\tsid\ta\tb\r\n";
  const CookieLine line = ParseCookieFile(text).at(0);
  EXPECT_EQ(line.domain, "x.example");
  EXPECT_EQ(line.path, "/path");
  EXPECT_TRUE(IsSecureCookie(line));
  EXPECT_EQ(CookieExpiry(line.expiry), 2000000000);
  EXPECT_EQ(line.name, "sid");
  // A tab inside the value stays in it, and the carriage return is no part of it.
  EXPECT_EQ(line.value, "a\tb");
}

TEST(CookieFile, ExpiryIsADecimalNumberOrNothing) {
  EXPECT_EQ(CookieExpiry("0"), 0);
  EXPECT_EQ(CookieExpiry("4102444800"), 4102444800);
  for (const char* bad : {"", "never", "12x", "-5", " 12", "99999999999999999999"})
    EXPECT_FALSE(CookieExpiry(bad).has_value()) << bad;
}

TEST(CookieFile, TitleIsCutAtItsLimitWithoutSplittingACharacter) {
  const std::string name(400, 'n');
  const std::string title = CookieTitle("a.example", name);
  EXPECT_EQ(title.size(), kCookieTitleChars);
  const std::string wide = CookieTitle("a.example", std::string(300, 'x') + "\xC3\xA9");
  EXPECT_EQ(wide.size(), kCookieTitleChars);
  EXPECT_EQ(CookieTitle("", "n"), " - n");
}

TEST(CookieFile, NutsMatchAnyPartWithoutRegardToCase) {
  const NutList nuts({"ads", "", "ЖУК"});
  for (const char* hit : {"ads", "xADSx", "Ads.example", "жук.example"})
    EXPECT_TRUE(nuts.Matches(hit)) << hit;
  for (const char* miss : {"", "a d s", "example"}) EXPECT_FALSE(nuts.Matches(miss)) << miss;
  // An empty filter text would match everything; it matches nothing.
  EXPECT_FALSE(NutList({""}).Matches("anything"));
  EXPECT_TRUE(NutList().Empty());
}

TEST(CookieFile, FilteredRewriteKeepsEverythingItDoesNotRemove) {
  const std::string keep1 = Line("keep.example", "a", "v", "\r\n");
  const std::string gone = Line(".ads.example", "b");
  const std::string named = Line("one.example", "once");
  const std::string shortLine = "ads\tonly\tthree\n";
  const std::string comment = "# ads and more\n";
  const std::string big = Line("big.example", std::string(10000, 'q'));
  const std::string nul = Line("nul.example", std::string("a\0b", 3));
  const std::string last = Line("last.example", "z", "v", "");
  const std::string text =
      comment + "\n" + keep1 + gone + shortLine + named + big + nul + "\r\n" + last;
  const NutList nuts({"ADS"});
  const auto isNamed = [](std::string_view title) { return title == "one.example - once"; };
  const std::string out = FilterCookieFile(
      text, [&](const CookieLine& line) { return CookieIsFiltered(line, nuts, isNamed); });
  EXPECT_EQ(out, comment + "\n" + keep1 + shortLine + big + nul + "\r\n" + last);
  // Nothing to remove: the file comes back byte for byte.
  EXPECT_EQ(FilterCookieFile(text, [](const CookieLine&) { return false; }), text);
}

TEST(CookieFile, ManyLinesAreAllRead) {
  std::string text;
  for (int i = 0; i < 100000; ++i) text += Line("h" + std::to_string(i) + ".example", "n");
  const std::vector<CookieLine> lines = ParseCookieFile(text);
  ASSERT_EQ(lines.size(), 100000u);
  EXPECT_EQ(lines.back().title, "h99999.example - n");
  const NutList nuts({"h99999."});
  const std::string out = FilterCookieFile(
      text, [&](const CookieLine& line) { return CookieIsFiltered(line, nuts, nullptr); });
  EXPECT_EQ(out.size(), text.size() - lines.back().raw.size());
}

}  // namespace
}  // namespace obrivo::core

namespace obrivo::core {
namespace {

TEST(CookieMode, FollowsTheDefaultBrowser) {
  const struct {
    const char* command;
    int code;
    CookieMode mode;
  } cases[] = {
      {"C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE -nohome", 1,
       CookieMode::InternetExplorer},
      {"C:\\Program Files\\Mozilla Firefox\\firefox.exe -url", 6, CookieMode::Mozilla},
      {"C:\\Apps\\FireFox\\firefox.exe", 3, CookieMode::Mozilla},
      {"C:\\Netscape\\netscp.exe", 2, CookieMode::Mozilla},
      {"C:\\Maxthon\\Maxthon.exe", 4, CookieMode::InternetExplorer},
      {"C:\\Avant Browser\\avant.exe", 5, CookieMode::InternetExplorer},
      {"C:\\Other\\browser.exe", 1, CookieMode::InternetExplorer},
      {"", 1, CookieMode::InternetExplorer},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    EXPECT_EQ(ClassifyBrowser(BrowserProgramFromCommand(c.command)), c.code);
    EXPECT_EQ(CookieModeFor(c.code), c.mode);
  }
}

}  // namespace
}  // namespace obrivo::core
