// Report texts: hostile machine names made safe for HTML, tab-separated and CSV output, and the
// headers' 12-hour clock.
#include "core/report_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_text.h"

namespace obrivo::core {
namespace {

using namespace std::string_literals;

const std::string kRlm = "\xE2\x80\x8F";              // right-to-left mark
const std::string kCjk = "\xE8\xB5\xB7\xE5\x8B\x95";  // two CJK characters

TEST(ReportFormat, HtmlEscapeHostileNames) {
  // clang-format off
  const struct {
    std::string in, out;
  } cases[] = {
      {"<b>", "&lt;b&gt;"},
      {"<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
      {"\"", "&quot;"},
      {"it's", "it&#39;s"},
      {"a & b &amp;", "a &amp; b &amp;amp;"},
      {"=cmd|' /C calc'!A0", "=cmd|&#39; /C calc&#39;!A0"},
      {"one\r\ntwo", "one\\r\\ntwo"},
      {"Updater\0hidden"s, "Updater\\0hidden"},
      {"tab\there\x01\x7F", "tab\\there\\x01\\x7F"},
      {kRlm + "exe.txt", kRlm + "exe.txt"},
      {kCjk, kCjk},
      {"C:\\Program Files\\a,b.exe", "C:\\Program Files\\a,b.exe"},
      {"", ""},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(HtmlEscape(c.in), c.out);
  }
}

TEST(ReportFormat, LongNamesAreKeptWhole) {
  const std::string name = Repeat("<", 16383);
  const std::string html = HtmlEscape(name);
  EXPECT_EQ(html, Repeat("&lt;", 16383));
  EXPECT_EQ(TabField(Repeat(kCjk, 8000)), Repeat(kCjk, 8000));
  const std::string quotes = Repeat("\"", 16383);
  EXPECT_EQ(CsvField(quotes), "\"" + Repeat("\"\"", 16383) + "\"");
}

TEST(ReportFormat, TabFieldKeepsOneColumnAndLine) {
  // clang-format off
  const struct {
    std::string in, out;
  } cases[] = {
      {"a\tb", "a\\tb"},
      {"line\r\nbreak", "line\\r\\nbreak"},
      {"nul\0"s, "nul\\0"},
      {"<b>\"", "<b>\""},  // plain text: no markup to escape
      {kRlm + kCjk, kRlm + kCjk},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(TabField(c.in), c.out);
  }
}

TEST(ReportFormat, CsvFieldQuotesAndNeutralisesFormulas) {
  // clang-format off
  const struct {
    std::string in, out;
  } cases[] = {
      {"plain", "plain"},
      {"", ""},
      {",", "\",\""},
      {"\"", "\"\"\"\""},
      {"say \"hi\", then", "\"say \"\"hi\"\", then\""},
      {"one\r\ntwo", "\"one\r\ntwo\""},
      {"=cmd|' /C calc'!A0", "'=cmd|' /C calc'!A0"},
      {"+1", "'+1"},
      {"-2+3", "'-2+3"},
      {"@SUM(A1)", "'@SUM(A1)"},
      {"  =1+1", "'  =1+1"},                // blanks do not hide a formula
      {"\t=1", "'\t=1"},                    // nor does a leading tab
      {"=a,b", "\"'=a,b\""},                // neutralised and quoted
      {" a.exe", "\" a.exe\""},             // a leading blank is kept visibly
      {"a=b", "a=b"},                       // only the first character counts
      {"nul\0x"s, "nul\\0x"},
      {kRlm + kCjk, kRlm + kCjk},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(CsvField(c.in), c.out);
  }
}

TEST(ReportFormat, CsvLineKeepsEveryColumn) {
  EXPECT_EQ(CsvLine({"Startup", "Folder", "a,b", "", "=x"}),
            "Startup,Folder,\"a,b\",,'=x\r\n");
  EXPECT_EQ(CsvLine({}), "\r\n");
}

TEST(ReportFormat, TwelveHourClock) {
  // clang-format off
  const struct {
    int hour, minute, second;
    std::string text;
  } cases[] = {
      {0, 5, 0, "12:05:00 AM"},
      {1, 2, 3, " 1:02:03 AM"},
      {11, 59, 59, "11:59:59 AM"},
      {12, 30, 0, "12:30:00 PM"},
      {13, 5, 0, " 1:05:00 PM"},
      {23, 0, 9, "11:00:09 PM"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ReportClockText(DateTime{2024, 1, 1, c.hour, c.minute, c.second}), c.text);
  }
  EXPECT_EQ(ReportDateText(DateTime{2024, 3, 5, 0, 0, 0}), " 3/05/2024");
  EXPECT_EQ(ReportDateText(DateTime{2026, 12, 11, 0, 0, 0}), "12/11/2026");
}

}  // namespace
}  // namespace obrivo::core
