#include "core/report_format.h"

#include <cstdio>

namespace obrivo::core {

namespace {

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

void AppendVisible(std::string& out, unsigned char c) {
  switch (c) {
    case '\0': out += "\\0"; return;
    case '\t': out += "\\t"; return;
    case '\r': out += "\\r"; return;
    case '\n': out += "\\n"; return;
    default: break;
  }
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "\\x%02X", static_cast<unsigned>(c));
  out += buffer;
}

bool IsBlank(char c) { return c == ' '; }

}  // namespace

std::string VisibleControls(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (IsControl(c))
      AppendVisible(out, c);
    else
      out += ch;
  }
  return out;
}

std::string HtmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (ch) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default:
        if (IsControl(c))
          AppendVisible(out, c);
        else
          out += ch;
    }
  }
  return out;
}

std::string TabField(std::string_view text) { return VisibleControls(text); }

std::string CsvField(std::string_view text) {
  std::string value;
  value.reserve(text.size() + 2);
  std::size_t first = 0;
  while (first < text.size() && IsBlank(text[first])) ++first;
  const bool formula =
      (first < text.size() && (text[first] == '=' || text[first] == '+' || text[first] == '-' ||
                               text[first] == '@')) ||
      (!text.empty() && (text[0] == '\t' || text[0] == '\r'));
  if (formula) value += '\'';
  for (const char ch : text) {
    if (ch == '\0')
      value += "\\0";
    else
      value += ch;
  }
  const bool quote = value.find_first_of(",\"\r\n") != std::string::npos ||
                     (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back())));
  if (!quote) return value;
  std::string out = "\"";
  for (const char ch : value) {
    if (ch == '"') out += '"';
    out += ch;
  }
  out += '"';
  return out;
}

std::string CsvLine(const std::vector<std::string>& fields) {
  std::string out;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) out += ',';
    out += CsvField(fields[i]);
  }
  out += "\r\n";
  return out;
}

std::string ReportClockText(const DateTime& t) {
  const bool pm = t.hour >= 12;
  int hour = t.hour % 12;
  if (hour == 0) hour = 12;
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%2d:%02d:%02d %s", hour, t.minute, t.second,
                pm ? "PM" : "AM");
  return buffer;
}

std::string ReportDateText(const DateTime& t) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%2d/%02d/%4d", t.month, t.day, t.year);
  return buffer;
}

}  // namespace obrivo::core
