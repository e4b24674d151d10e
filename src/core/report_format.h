// Texts of the reports: machine texts made safe for an HTML page, a tab-separated line and a
// spreadsheet cell, and the clock and date of the report headers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/date_text.h"

namespace obrivo::core {

// A machine text with its control characters made visible, so that a name can neither end a
// line nor hide a part of itself: NUL "\0", tab "\t", CR "\r", LF "\n", any other C0 or DEL
// "\xNN". Everything else, non-ASCII included, is kept byte for byte.
std::string VisibleControls(std::string_view text);

// A machine text (name, path, version, registry value, address) as HTML text or attribute
// value: control characters made visible as above, then & < > " ' as character references.
// Nothing in the result can open a tag, end an attribute or start an entity of its own.
std::string HtmlEscape(std::string_view text);

// A field of a tab-separated line: control characters made visible, so that a field never
// splits into two columns or two lines.
std::string TabField(std::string_view text);

// One spreadsheet cell as a CSV field: a text whose first character after leading blanks is
// = + - or @, or that begins with a tab or CR, gets a leading apostrophe so that a spreadsheet
// shows it instead of running it as a formula; a NUL shows as "\0"; the field is quoted when it
// holds a comma, a quote, CR or LF (or begins or ends with a blank), quotes doubled inside.
std::string CsvField(std::string_view text);

// The fields joined by commas, ended by CR LF.
std::string CsvLine(const std::vector<std::string>& fields);

// The reports' clock, "%2d:%02d:%02d %s": a real 12-hour clock, 12:30 is "12:30:00 PM" and 00:05
// is "12:05:00 AM".
std::string ReportClockText(const DateTime& t);

// The reports' date, "%2d/%02d/%4d": month/day/year.
std::string ReportDateText(const DateTime& t);

}  // namespace obrivo::core
