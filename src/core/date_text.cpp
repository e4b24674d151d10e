// Date and time texts.
#include "date_text.h"

#include <cstdio>

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

}  // namespace

std::string LocalDateTimeText(const DateTime& t, std::string_view shortDateFormat,
                              std::string_view timeFormat) {
  return DateText(t, shortDateFormat) + " " + TimeText(t, timeFormat);
}

std::string FileTimeText(const DateTime& t) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute);
  return buf;
}

}  // namespace obrivo::core
