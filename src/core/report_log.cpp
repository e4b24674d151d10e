#include "core/report_log.h"

#include "core/online_lookup.h"
#include "core/report_format.h"

namespace obrivo::core {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kLine = "\r\n";
constexpr std::string_view kBreak = "<br>\r\n";
// The index names the first seven sections; the hidden files and ActiveX follow unindexed.
constexpr std::size_t kIndexedSections = 7;

std::string Repeat(std::string_view unit, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += unit;
  return out;
}

std::string CreatedText(const ReportHeader& header) {
  return " at " + ReportClockText(header.created) + ", on " + ReportDateText(header.created);
}

void AppendHtmlItem(std::string& out, const ReportItem& item) {
  const std::string title = item.title.empty() ? "No Description available" : item.title;
  if (item.hiddenFile) {
    out += "<li><b>" + HtmlEscape(title) + "</b>\r\n\t<ol>\r\n";
  } else {
    out += "<li><b>" + HtmlEscape(title) + "</b>\r\n\t<ol>" + HtmlEscape(item.program) +
           Repeat("&nbsp;", 16) + "\r\n";
  }
  if (!item.description.empty()) out += "\t" + HtmlEscape(item.description) + "<br>";
  if (!item.version.empty())
    out += "\tVersion: " + HtmlEscape(item.version) + Repeat("&nbsp;", 8) + "\r\n";
  if (!item.copyright.empty()) out += "\t" + HtmlEscape(item.copyright) + "<br>\r\n";
  if (item.description.empty() && item.copyright.empty()) out += "<br>";
  if (!item.location.empty()) out += "\tLocation: " + HtmlEscape(item.location) + "<br>\r\n";
  if (!item.path.empty()) out += "\tPath:     " + HtmlEscape(item.path) + "<br>\r\n";
  if (!item.firstDetected.empty())
    out += "\tFirst Detected by Obrivo: " + HtmlEscape(item.firstDetected) + "<br>\r\n";
  if (!item.text.empty()) out += "\t" + HtmlEscape(item.text) + "<br>\r\n";
  for (const auto& [label, value] : item.details)
    out += "\t" + HtmlEscape(label) + ": " + HtmlEscape(value) + "<br>\r\n";
  // Only a web address becomes a link: nothing a name holds can make it run a script.
  if (IsWebAddress(item.lookupAddress))
    out += "\t<A href='" + HtmlEscape(item.lookupAddress) + "'>Click for Plus Info</A>";
  out += "</ol>\r\n\r\n\t</ol><br>\r\n\r\n";
}

}  // namespace

std::string ComposeHtmlLog(const ReportHeader& header, const std::vector<ReportSection>& sections,
                           std::string_view logFileName) {
  const std::string title = HtmlEscape(header.productTitle) + " Report Log";
  std::string out = "<html><head><meta charset=\"utf-8\"><title>\r\n" + title +
                    "</title></head>\r\n<body bgcolor=FloralWhite>\r\n<H2 align='center'> " +
                    title + " </H2>\r\n";
  out += "Report created by " + HtmlEscape(header.productTitle) + " version " +
         HtmlEscape(header.version) + CreatedText(header) + std::string(kBreak);
  out += kBreak;
  for (const ReportHeaderLine& line : header.lines) {
    if (!line.label.empty()) out += "<b>" + HtmlEscape(line.label) + "</b> ";
    out += HtmlEscape(line.value) + std::string(kBreak);
  }
  out += "<br>\r\n";
  for (std::size_t i = 0; i < sections.size() && i < kIndexedSections; ++i)
    out += "<A href='" + HtmlEscape(logFileName) + "#A" + std::to_string(i) + "'>" +
           HtmlEscape(sections[i].caption) + "</A><br>\r\n";
  for (std::size_t i = 0; i < sections.size(); ++i) {
    out += "<A NAME=\"A" + std::to_string(i) + "\">\r\n<H2 align='center'><b>" +
           HtmlEscape(sections[i].caption) + "</b></H2>\r\n";
    for (const ReportItem& item : sections[i].items) {
      if (item.title.empty() && item.path.empty()) continue;
      AppendHtmlItem(out, item);
    }
  }
  out += "</body></html>\r\n";
  return out;
}

std::string ComposeTextLog(const std::vector<ReportSection>& sections) {
  std::string out(kUtf8Bom);
  out += "Title\tProgram\tDescription\tVersion\tCopyright\tLocation\tPath\r\n";
  for (const ReportSection& section : sections) {
    out += TabField(section.caption) + std::string(kLine);
    for (const ReportItem& item : section.items) {
      if (item.title.empty() && item.path.empty()) continue;
      for (const std::string* field : {&item.title, &item.program, &item.description,
                                       &item.version, &item.copyright, &item.location}) {
        out += TabField(*field);
        out += '\t';
      }
      out += TabField(item.path) + std::string(kLine);
    }
  }
  return out;
}

std::string ComposeSpreadsheet(const ReportHeader& header, const std::vector<SpreadsheetRow>& rows) {
  std::string out(kUtf8Bom);
  out += CsvLine({"Log created by " + header.productTitle + " version " + header.version});
  out += CsvLine({"Scan saved at " + ReportClockText(header.created) + ", on " +
                  ReportDateText(header.created)});
  // The heading as it always was, the blank before Version included.
  out += CsvLine({"Type", "SubType", "Title", "Filename", "Company", "First Detected", "Path",
                  "Description", " Version"});
  for (const SpreadsheetRow& row : rows)
    out += CsvLine({row.type, row.subType, row.title, " " + row.fileName, row.company,
                    row.firstDetected, row.path, row.description, row.version});
  return out;
}

std::pair<std::string, std::string> StartupRegistryColumns(int locationCode) {
  std::string root = "UnknownKey";
  if (locationCode >= 1 && locationCode <= 6) root = "HKLM";
  if (locationCode >= 11 && locationCode <= 16) root = "HKCU";
  if (locationCode >= 21 && locationCode <= 26) root = "HKU";
  const bool users = root == "HKU";
  switch (((locationCode % 10) + 10) % 10) {
    case 2: return {root, "RunOnce"};
    case 3: return {root, "RunOnceEx"};
    case 4: return {root, "RunServices"};
    case 5: return {root, users ? "RunServiceOnce" : "RunServicesOnce"};
    case 6: return {root, "RunOnceSetup"};
    default: return {root, "Run"};
  }
}

}  // namespace obrivo::core
