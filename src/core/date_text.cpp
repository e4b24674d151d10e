// Date and time texts.
#include "date_text.h"

#include <cstdio>
#include <vector>

#include "history_record.h"
#include "text.h"

namespace obrivo::core {
namespace {

constexpr const char* kMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string DateText(const DateTime& t, std::string_view format) {
  char buf[48];
  if (EqualsNoCase(format, "yy/MM/dd")) {
    std::snprintf(buf, sizeof buf, "%02d/%02d/%02d", t.year, t.month, t.day);
  } else if (EqualsNoCase(format, "yyyy-MM-dd")) {
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", t.year, t.month, t.day);
  } else if (EqualsNoCase(format, "dd-MMM-yy")) {
    const char* name = (t.month >= 1 && t.month <= 12) ? kMonthNames[t.month - 1] : "";
    std::snprintf(buf, sizeof buf, "%02d-%s-%02d", t.day, name, t.year);
  } else if (EqualsNoCase(format, "M/d/yy") || EqualsNoCase(format, "MM/dd/yy")) {
    std::snprintf(buf, sizeof buf, "%02d/%02d/%02d", t.month, t.day, t.year);
  } else {  // "M/d/yyyy", "MM/dd/yyyy" and anything unknown
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", t.month, t.day, t.year);
  }
  return buf;
}

std::string TimeText(const DateTime& t, std::string_view format) {
  char buf[32];
  if (EqualsNoCase(format, "H:mm:ss")) {
    std::snprintf(buf, sizeof buf, "%d:%02d", t.hour, t.minute);
  } else if (EqualsNoCase(format, "HH:mm:ss")) {
    std::snprintf(buf, sizeof buf, "%02d:%02d", t.hour, t.minute);
  } else {
    const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
    const char* half = t.hour < 12 ? "AM" : "PM";
    const char* pattern = EqualsNoCase(format, "hh:mm:ss tt") ? "%02d:%02d %s" : "%d:%02d %s";
    std::snprintf(buf, sizeof buf, pattern, hour12, t.minute, half);
  }
  return buf;
}

// A number of one to four digits, nothing else.
std::optional<int> SmallNumber(std::string_view text) {
  if (text.empty() || text.size() > 4) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::optional<int> MonthByName(std::string_view name) {
  for (int i = 0; i < 12; ++i)
    if (EqualsNoCase(name, kMonthNames[i])) return i + 1;
  return std::nullopt;
}

// "mm/dd/yyyy", "yyyy/mm/dd", "yyyy-mm-dd" or "dd-Mon-yyyy".
std::optional<DateTime> ParseDate(std::string_view text) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '/' || text[i] == '-') {
      parts.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  if (parts.size() != 3) return std::nullopt;
  std::optional<int> year, month, day;
  if (const auto named = MonthByName(parts[1])) {
    day = SmallNumber(parts[0]);
    month = named;
    year = SmallNumber(parts[2]);
  } else if (parts[0].size() == 4) {
    year = SmallNumber(parts[0]);
    month = SmallNumber(parts[1]);
    day = SmallNumber(parts[2]);
  } else {
    month = SmallNumber(parts[0]);
    day = SmallNumber(parts[1]);
    year = SmallNumber(parts[2]);
  }
  if (!year || !month || !day || *month < 1 || *month > 12 || *day < 1 || *day > 31)
    return std::nullopt;
  DateTime t;
  t.year = *year;
  t.month = *month;
  t.day = *day;
  return t;
}

// "h:mm", "hh:mm" with " AM" or " PM" after it, or "H:mm"; false for any other text.
bool ParseTime(std::string_view text, DateTime& t) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return false;
  const std::size_t space = text.find(' ', colon);
  const auto hour = SmallNumber(text.substr(0, colon));
  const auto minute = SmallNumber(text.substr(
      colon + 1, space == std::string_view::npos ? std::string_view::npos : space - colon - 1));
  if (!hour || !minute || *minute > 59) return false;
  int h = *hour;
  if (space != std::string_view::npos) {
    const std::string_view half = text.substr(space + 1);
    if (h < 1 || h > 12) return false;
    if (EqualsNoCase(half, "AM"))
      h %= 12;
    else if (EqualsNoCase(half, "PM"))
      h = h % 12 + 12;
    else
      return false;
  } else if (h > 23) {
    return false;
  }
  t.hour = h;
  t.minute = *minute;
  return true;
}

}  // namespace

std::optional<DateTime> ParseLocalDateTime(std::string_view text) {
  const std::size_t space = text.find(' ');
  auto t = ParseDate(text.substr(0, space));
  if (!t || space == std::string_view::npos) return t;
  const std::string_view time = text.substr(space + 1);
  if (!ParseTime(time, *t)) return std::nullopt;
  return t;
}

std::string LocalDateTimeText(const DateTime& t, std::string_view shortDateFormat,
                              std::string_view timeFormat) {
  return DateText(t, shortDateFormat) + " " + TimeText(t, timeFormat);
}

std::string TaskRunTimeText(const DateTime& t, std::string_view never) {
  if (t.year == 0 && t.month == 0 && t.day == 0) return std::string(never);
  return HistoryDateText(t);  // the same clock the history's dates are on
}

std::string FileTimeText(const DateTime& t) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute);
  return buf;
}

}  // namespace obrivo::core
