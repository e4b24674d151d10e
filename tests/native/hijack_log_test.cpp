// The hijack log's lines: hostile names stay on their one line, the fixed codes and clock are
// exact, and the HOSTS and browser-reset files give the lines worth reading.
#include "core/hijack_log.h"

#include <gtest/gtest.h>

#include <string>

#include "test_text.h"

namespace obrivo::core {
namespace {

using namespace std::string_literals;

TEST(HijackLog, FieldsOfHostileNamesStayOnOneLine) {
  const std::string longName = Repeat("n", 16383);
  const struct {
    std::string name, shown;
  } cases[] = {
      {"<b>", "<b>"},
      {"\"", "\""},
      {",", ","},
      {"=cmd|' /C calc'!A0", "=cmd|' /C calc'!A0"},
      {"evil\r\nO4 - HKLM\\..\\Run: [ok]ok.exe", "evil O4 - HKLM\\..\\Run: [ok]ok.exe"},
      {"a\nb\rc\r\n\r\nd", "a b c d"},
      {"a\vb\fc", "a b c"},
      {"a\xC2\x85" "b\xE2\x80\xA8" "c\xE2\x80\xA9" "d", "a b c d"},  // NEL, line and paragraph separators
      {"nul\0inside"s, "nul\\0inside"},
      {"\0"s, "\\0"},
      {"\xE2\x80\x8F" "rtl\xE2\x80\x8E", "\xE2\x80\x8F" "rtl\xE2\x80\x8E"},  // marks stay
      {"\xE4\xB8\xAD\xE6\x96\x87", "\xE4\xB8\xAD\xE6\x96\x87"},
      {"100%s %d", "100%s %d"},
      {"\xE2\x80", "\xE2\x80"},  // a cut sequence is no separator
      {longName, longName},      // nothing is cut
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name.substr(0, 40));
    EXPECT_EQ(HijackField(c.name), c.shown);
    EXPECT_EQ(HijackLine(hijack::kBho, {c.name, "{0}", "C:\\a.dll"}),
              "O2 - BHO: " + c.shown + " - {0} - C:\\a.dll\r\n");
  }
}

TEST(HijackLog, LinesFillTheirFormat) {
  EXPECT_EQ(HijackLine(hijack::kMemoryInUse, {"37"}), "Memory currently in use: 37%\r\n");
  EXPECT_EQ(HijackLine(hijack::kEndOfFile, {}), "End of file\r\n");
  EXPECT_EQ(HijackLine(hijack::kDelayedStart, {"only"}), "OB06 - Delayed Start: [only]\r\n");
  EXPECT_EQ(HijackLine(hijack::kIeResetValue, {"HKCU,", "Start Page", "http://x/"}),
            "O14 - IERESET.INF:HKCU, Start Page = http://x/\r\n");
  // Each field is placed once: a "%s" inside a field is not filled again.
  EXPECT_EQ(HijackLine(hijack::kPlugin, {"%s", "b"}), "O12 - Plugin for %s: b\r\n");
}

TEST(HijackLog, StartupFormatsByLocationCode) {
  const struct {
    int code;
    const char* line;
  } cases[] = {
      {1, "O4 - HKLM\\..\\Run: [t]p\r\n"},
      {7, "O4 - HKLM\\..\\Policies\\Explorer\\Run: [t]p\r\n"},
      {11, "O4 - HKCU\\..\\Run: [t]p\r\n"},
      {16, "O4 - HKCU\\..\\RunOnceSetup: [t]p\r\n"},
      {17, "O4 - Other Run: [t]p\r\n"},
      {24, "O4 - HKU\\..\\RunService: [t]p\r\n"},
      {27, "O4 - Other Run: [t]p\r\n"},
      {101, "O4 - Other Run: [t]p\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(HijackLine(HijackStartupFormat(c.code), {"t", "p"}), c.line);
  }
}

TEST(HijackLog, HeaderClockIsARealTwelveHourClock) {
  const struct {
    int hour, minute;
    const char* text;
  } cases[] = {
      {0, 5, "12:05:09 AM"}, {9, 0, " 9:00:09 AM"},  {11, 59, "11:59:09 AM"},
      {12, 30, "12:30:09 PM"}, {13, 5, " 1:05:09 PM"}, {23, 59, "11:59:09 PM"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(HijackClockText({2026, 1, 2, c.hour, c.minute, 9}), c.text);
  }
  EXPECT_EQ(HijackDateText({2026, 3, 7, 0, 0, 0}), " 3/07/2026");
  EXPECT_EQ(HijackDateText({2026, 12, 31, 0, 0, 0}), "12/31/2026");
}

TEST(HijackLog, GroupedNumbers) {
  EXPECT_EQ(GroupedNumber(0), "0");
  EXPECT_EQ(GroupedNumber(999), "999");
  EXPECT_EQ(GroupedNumber(1000), "1,000");
  EXPECT_EQ(GroupedNumber(1048576), "1,048,576");
  EXPECT_EQ(GroupedNumber(18446744073709551615ull), "18,446,744,073,709,551,615");
}

TEST(HijackLog, HostsLinesWorthALook) {
  const struct {
    std::string file;
    std::vector<std::string> lines;
  } cases[] = {
      {"# comment\r\n127.0.0.1       localhost\r\n::1 localhost\r\n", {}},
      {"127.0.0.1 localhost\r\n10.0.0.5 bank.example\r\n", {"10.0.0.5 bank.example"}},
      {"10.0.0.5\tbank.example", {"10.0.0.5 bank.example"}},  // last line without a line feed
      {"0.0.0.0 ads.example\n  0.0.0.0 ads.example\n0.0.0.0 last.example", {}},
      {"192.168.0.1 LOCALHOST.example\n127.0.0.1 x\n", {"192.168.0.1 LOCALHOST.example"}},
      {"1 \n1 a\n", {"1 a"}},  // three characters are the least worth a line
      {Repeat("x", 497) + "\n" + Repeat("y", 498) + "\n", {Repeat("x", 497)}},
      {"1.2.3.4 a\0b\x01\n"s, {"1.2.3.4 ab"}},
      {"", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file.substr(0, 60));
    EXPECT_EQ(HostsLogLines(c.file), c.lines);
  }
}

TEST(HijackLog, AOneMegabyteHostsFileIsReadToItsEnd) {
  std::string file;
  while (file.size() < 1024 * 1024) file += "0.0.0.0 blocked" + std::to_string(file.size()) + ".example\r\n";
  file += "10.1.2.3 after-the-first-megabyte.example\r\n";
  EXPECT_EQ(HostsLogLines(file), std::vector<std::string>{"10.1.2.3 after-the-first-megabyte.example"});
}

TEST(HijackLog, BrowserResetEntries) {
  const std::string file =
      "[Version]\r\nSignature=\"$Chicago$\"\r\n"
      "[IEReset.Reg]\r\n"
      "HKCU,\"Software\\Microsoft\\Internet Explorer\\Main\",\"Start Page\",0,\"http://home.example/\"\r\n"
      "HKLM,Main,\"Default_Page_URL\",0,http://dflt.example/\r\n"
      "both Search Page and Start Page,http://two.example/\r\n"
      "no hive Default_Search_URL,http://s.example/\r\n"
      "Search Page without a comma";
  const std::vector<IeResetEntry> expected = {
      {"HKCU,", "Start Page", "\"http://home.example/\""},
      {"HKLM,", "Default_Page_URL", "http://dflt.example/"},
      {"", "Start Page", "http://two.example/"},
      {"", "Search Page", "http://two.example/"},
      {"", "Default_Search_URL", "http://s.example/"},
      {"", "Search Page", "Search Page without a comma"},
  };
  EXPECT_EQ(IeResetEntries(file), expected);
  EXPECT_TRUE(IeResetEntries("").empty());
}

}  // namespace
}  // namespace obrivo::core
