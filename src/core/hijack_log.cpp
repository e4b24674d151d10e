#include "core/hijack_log.h"

#include <cstdio>


namespace obrivo::core {
namespace {

// The length of the line break starting at `text[i]`, 0 when there is none there.
std::size_t LineBreakAt(std::string_view text, std::size_t i) {
  const auto c = static_cast<unsigned char>(text[i]);
  if (c == '\r' || c == '\n' || c == '\v' || c == '\f') return 1;
  if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x85) return 2;
  if (c == 0xE2 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80) {
    const auto last = static_cast<unsigned char>(text[i + 2]);
    if (last == 0xA8 || last == 0xA9) return 3;
  }
  return 0;
}

// The addresses looked for are ASCII: an ASCII-only fold keeps a large HOSTS file quick.
char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool ContainsAsciiNoCase(std::string_view text, std::string_view part) {
  for (std::size_t i = 0; i + part.size() <= text.size(); ++i) {
    std::size_t k = 0;
    while (k < part.size() && LowerAscii(text[i + k]) == LowerAscii(part[k])) ++k;
    if (k == part.size()) return true;
  }
  return false;
}

bool IsLoggedHostsLine(std::string_view line) {
  // The length the line has with its line end, as the log writes it.
  const std::size_t length = line.size() + kHijackLineEnd.size();
  if (length <= 4 || length >= 500 || line.front() == '#') return false;
  if (ContainsAsciiNoCase(line, "127.0.0.1") || ContainsAsciiNoCase(line, "::1")) return false;
  const std::size_t start = line.find_first_not_of(' ');
  return line.substr(start == std::string_view::npos ? line.size() : start).rfind("0.0.0", 0) != 0;
}

}  // namespace

std::string HijackField(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (LineBreakAt(text, i) != 0) {
      while (i < text.size() && LineBreakAt(text, i) != 0) i += LineBreakAt(text, i);
      out += ' ';
    } else if (text[i] == '\0') {
      out += "\\0";
      ++i;
    } else {
      out += text[i++];
    }
  }
  return out;
}

std::string HijackLine(std::string_view format, std::initializer_list<std::string_view> fields) {
  std::string out;
  const std::string_view* next = fields.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's') {
      if (next != fields.end()) out += HijackField(*next++);
      ++i;
    } else if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == '%') {
      out += '%';
      ++i;
    } else {
      out += format[i];
    }
  }
  out += kHijackLineEnd;
  return out;
}

std::string_view HijackStartupFormat(int code) {
  switch (code) {
    case 1: return "O4 - HKLM\\..\\Run: [%s]%s";
    case 2: return "O4 - HKLM\\..\\RunOnce: [%s]%s";
    case 3: return "O4 - HKLM\\..\\RunOnceEx: [%s]%s";
    case 4: return "O4 - HKLM\\..\\RunServices: [%s]%s";
    case 5: return "O4 - HKLM\\..\\RunServicesOnce: [%s]%s";
    case 6: return "O4 - HKLM\\..\\RunOnceSetup: [%s]%s";
    case 7: return "O4 - HKLM\\..\\Policies\\Explorer\\Run: [%s]%s";
    case 11: return "O4 - HKCU\\..\\Run: [%s]%s";
    case 12: return "O4 - HKCU\\..\\RunOnce: [%s]%s";
    case 13: return "O4 - HKCU\\..\\RunOnceEx: [%s]%s";
    case 14: return "O4 - HKCU\\..\\RunServices: [%s]%s";
    case 15: return "O4 - HKCU\\..\\RunServicesOnce: [%s]%s";
    case 16: return "O4 - HKCU\\..\\RunOnceSetup: [%s]%s";
    case 21: return "O4 - HKU\\..\\Run: [%s]%s";
    case 22: return "O4 - HKU\\..\\RunOnce: [%s]%s";
    case 23: return "O4 - HKU\\..\\RunOnceEx: [%s]%s";
    case 24: return "O4 - HKU\\..\\RunService: [%s]%s";
    case 25: return "O4 - HKU\\..\\RunServicesOnce: [%s]%s";
    case 26: return "O4 - HKU\\..\\RunOnceSetup: [%s]%s";
    default: return "O4 - Other Run: [%s]%s";
  }
}

std::string HijackClockText(const DateTime& t) {
  const int hour = t.hour % 12 == 0 ? 12 : t.hour % 12;
  char text[64];
  std::snprintf(text, sizeof text, "%2d:%02d:%02d %s", hour, t.minute, t.second,
                t.hour < 12 ? "AM" : "PM");
  return text;
}

std::string HijackDateText(const DateTime& t) {
  char text[64];
  std::snprintf(text, sizeof text, "%2d/%02d/%4d", t.month, t.day, t.year);
  return text;
}

std::string GroupedNumber(std::uint64_t value) {
  std::string digits = std::to_string(value);
  for (std::size_t i = digits.size(); i > 3; i -= 3) digits.insert(i - 3, 1, ',');
  return digits;
}

std::vector<std::string> HostsLogLines(std::string_view file) {
  std::vector<std::string> lines;
  std::string line;
  const auto finish = [&] {
    if (IsLoggedHostsLine(line)) lines.push_back(line);
    line.clear();
  };
  for (const char c : file) {
    if (c == '\n')
      finish();
    else if (c == '\t')
      line += ' ';
    else if (static_cast<unsigned char>(c) >= 32)
      line += c;
  }
  if (!line.empty()) finish();
  return lines;
}

std::vector<IeResetEntry> IeResetEntries(std::string_view file) {
  static constexpr std::string_view kNames[] = {"Start Page", "Default_Page_URL",
                                                "Default_Search_URL", "Search Page"};
  std::vector<IeResetEntry> entries;
  std::string line;
  const auto finish = [&] {
    for (const std::string_view name : kNames) {
      if (line.find(name) == std::string::npos) continue;
      const std::size_t comma = line.rfind(',');
      const std::string hive = line.find("HKCU") != std::string::npos   ? "HKCU,"
                               : line.find("HKLM") != std::string::npos ? "HKLM,"
                                                                        : "";
      entries.push_back({hive, std::string(name),
                         comma == std::string::npos ? line : line.substr(comma + 1)});
    }
    line.clear();
  };
  for (const char c : file) {
    if (c == '\n')
      finish();
    else if (static_cast<unsigned char>(c) >= 32)
      line += c;
  }
  finish();
  return entries;
}

}  // namespace obrivo::core
