// The reports' composition: hostile machine names stay in their column, escaped once, and the
// page and files keep their shape.
#include "core/report_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/report_format.h"
#include "test_text.h"

namespace obrivo::core {
namespace {

using namespace std::string_literals;

// The names a hostile machine may hold, each meant to break one of the forms.
const std::vector<std::string>& HostileNames() {
  static const std::vector<std::string> names = {
      "<b>",
      "<script>alert(1)</script>",
      "\"",
      ",",
      "=cmd|' /C calc'!A0",
      "line\r\nbreak",
      "nul\0name"s,
      "\xE2\x80\x8F" "gpj.exe",
      "\xE8\xB5\xB7\xE5\x8B\x95",
      Repeat("n", 16383),
  };
  return names;
}

std::size_t Occurrences(std::string_view text, std::string_view part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string_view::npos;
       at = text.find(part, at + part.size()))
    ++count;
  return count;
}

ReportHeader Header() {
  ReportHeader h;
  h.productTitle = "Obrivo";
  h.version = "1.2.3";
  h.created = DateTime{2026, 12, 11, 12, 30, 0};
  h.lines = {{"Platform:", "Windows <10>"}, {"", ""}, {"Memory currently in use:", "42%"}};
  return h;
}

std::vector<ReportSection> HostileSections() {
  ReportSection startup{"Startup Programs", {}};
  for (const std::string& name : HostileNames()) {
    ReportItem item;
    item.title = name;
    item.program = "tool.exe";
    item.path = "C:\\Tools\\tool.exe";
    item.lookupAddress = "https://www.tolvane.com/info?p=a%3Cb%3E";
    startup.items.push_back(item);
  }
  ReportSection hidden{"Hidden Files", {}};
  ReportItem file;
  file.title = "h<i>.dat";
  file.path = "C:\\h<i>.dat";
  file.hiddenFile = true;
  file.details = {{"Created", "2026/01/02 03:04"}, {"File Size", "12"}};
  hidden.items.push_back(file);
  ReportSection empty{"Services", {ReportItem{}}};  // neither title nor path: left out
  return {startup, empty, hidden};
}

TEST(ReportLog, HtmlEscapesEveryNameOnce) {
  const std::string html = ComposeHtmlLog(Header(), HostileSections(), "ObrivoLog.html");
  EXPECT_EQ(Occurrences(html, "<script"), 0u);
  EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos);
  EXPECT_EQ(html.find('\0'), std::string::npos);
  for (const std::string& name : HostileNames()) {
    SCOPED_TRACE(name.substr(0, 40));
    EXPECT_EQ(Occurrences(html, "<li><b>" + HtmlEscape(name) + "</b>"), 1u);
  }
  EXPECT_EQ(Occurrences(html, "<li><b>h&lt;i&gt;.dat</b>\r\n\t<ol>\r\n"), 1u);
  EXPECT_NE(html.find("\tCreated: 2026/01/02 03:04<br>"), std::string::npos);
  EXPECT_NE(html.find("<b>Platform:</b> Windows &lt;10&gt;<br>"), std::string::npos);
  EXPECT_NE(html.find(" at 12:30:00 PM, on 12/11/2026<br>"), std::string::npos);
  // The index and the anchors, one per section; the item without title and path is left out.
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Occurrences(html, "<A href='ObrivoLog.html#A" + std::to_string(i) + "'>"), 1u);
    EXPECT_EQ(Occurrences(html, "<A NAME=\"A" + std::to_string(i) + "\">"), 1u);
  }
  EXPECT_EQ(Occurrences(html, "<li>"), HostileNames().size() + 1);
  EXPECT_EQ(Occurrences(html, "href='https://www.tolvane.com/info?p=a%3Cb%3E'"),
            HostileNames().size());
}

TEST(ReportLog, OnlyWebAddressesBecomeLinks) {
  ReportItem item;
  item.title = "x";
  item.lookupAddress = "javascript:alert(1)";
  const std::string html = ComposeHtmlLog(Header(), {{"S", {item}}}, "ObrivoLog.html");
  EXPECT_EQ(html.find("javascript:"), std::string::npos);
}

TEST(ReportLog, TextKeepsSevenColumnsPerLine) {
  const std::string text = ComposeTextLog(HostileSections());
  ASSERT_EQ(text.rfind("\xEF\xBB\xBF" "Title\tProgram\tDescription\tVersion\tCopyright\tLocation\tPath\r\n", 0),
            0u);
  std::size_t itemLines = 0;
  std::size_t start = 3;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    const std::string line = text.substr(start, end - start);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_EQ(line.find('\r'), std::string::npos);
    const std::size_t tabs = Occurrences(line, "\t");
    EXPECT_TRUE(tabs == 0 || tabs == 6) << line.substr(0, 60);
    if (tabs == 6) ++itemLines;
    start = end + 2;
  }
  EXPECT_EQ(itemLines, 1 + HostileNames().size() + 1);  // heading, startup items, hidden file
  EXPECT_NE(text.find("nul\\0name\ttool.exe\t"), std::string::npos);
}

TEST(ReportLog, SpreadsheetHeaderAndColumns) {
  SpreadsheetRow row{"HKLM", "Run", "a,b", "x,y.exe", "Co, Inc", "", "C:\\a,b\\x,y.exe", "=1", "1"};
  const std::string csv = ComposeSpreadsheet(Header(), {row});
  EXPECT_EQ(csv,
            "\xEF\xBB\xBF"
            "Log created by Obrivo version 1.2.3\r\n"
            "\"Scan saved at 12:30:00 PM, on 12/11/2026\"\r\n"
            "Type,SubType,Title,Filename,Company,First Detected,Path,Description,\" Version\"\r\n"
            "HKLM,Run,\"a,b\",\" x,y.exe\",\"Co, Inc\",,\"C:\\a,b\\x,y.exe\",'=1,1\r\n");
}

TEST(ReportLog, StartupRegistryColumns) {
  // clang-format off
  const struct {
    int code;
    std::string type, subType;
  } cases[] = {
      {1, "HKLM", "Run"}, {2, "HKLM", "RunOnce"}, {3, "HKLM", "RunOnceEx"},
      {4, "HKLM", "RunServices"}, {5, "HKLM", "RunServicesOnce"}, {6, "HKLM", "RunOnceSetup"},
      {11, "HKCU", "Run"}, {15, "HKCU", "RunServicesOnce"}, {25, "HKU", "RunServiceOnce"},
      {26, "HKU", "RunOnceSetup"}, {7, "UnknownKey", "Run"}, {32, "UnknownKey", "RunOnce"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(StartupRegistryColumns(c.code), std::make_pair(c.type, c.subType));
  }
}

}  // namespace
}  // namespace obrivo::core
