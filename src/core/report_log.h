// The Obrivo Log (an HTML page or a tab-separated text) and the Spreadsheet Report, composed
// from what the categories found. Every machine text is escaped here, once, for the form it is
// written in; the callers hand over the texts as the machine gives them (UTF-8).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/date_text.h"

namespace obrivo::core {

// One header line: "label value"; a line with neither is a blank line.
struct ReportHeaderLine {
  std::string label;  // shown bold in HTML, e.g. "Platform:"
  std::string value;
};

struct ReportHeader {
  std::string productTitle, version;
  DateTime created;
  std::vector<ReportHeaderLine> lines;  // platform, browser, memory, ... in order
};

struct ReportItem {
  std::string title;     // "No Description available" stands in for an empty one
  std::string program;   // the file-name part of the path
  std::string path, location, firstDetected, text;
  std::string description, version, copyright, company;  // the program's version information
  std::vector<std::pair<std::string, std::string>> details;  // "Startup Type", "Created", ...
  std::string lookupAddress;                                 // the item's information page
  bool hiddenFile = false;  // listed by its file name alone
};

struct ReportSection {
  std::string caption;
  std::vector<ReportItem> items;
};

// The HTML page: charset declared, a header, an index of the first seven sections, then every
// section under its anchor "A<n>". An item with neither title nor path is left out.
std::string ComposeHtmlLog(const ReportHeader& header, const std::vector<ReportSection>& sections,
                           std::string_view logFileName);

// The text form: a column heading, then per section its caption and one tab-separated line per
// item (title, program, description, version, copyright, location, path).
std::string ComposeTextLog(const std::vector<ReportSection>& sections);

struct SpreadsheetRow {
  std::string type, subType, title, fileName, company, firstDetected, path, description, version;
};

// Two header lines, the heading and one CSV line per row; every line ends with CR LF.
std::string ComposeSpreadsheet(const ReportHeader& header, const std::vector<SpreadsheetRow>& rows);

// The spreadsheet's Type and SubType of a registry startup entry's location code.
std::pair<std::string, std::string> StartupRegistryColumns(int locationCode);

}  // namespace obrivo::core
