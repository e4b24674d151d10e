// Date and time texts in the user's short-date and time formats.
#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace obrivo::core {

struct DateTime {
  int year = 0, month = 1, day = 1, hour = 0, minute = 0, second = 0;
  // Earlier sorts first.
  auto operator<=>(const DateTime&) const = default;
};

// Date in the short-date format, a space, the time. Unknown formats fall back to
// "M/d/yyyy" and "h:mm:ss tt". The 12-hour forms use a real clock: 00:05 is "12:05 AM",
// 12:30 is "12:30 PM".
std::string LocalDateTimeText(const DateTime& t, std::string_view shortDateFormat,
                              std::string_view timeFormat);

// The date and time in a text LocalDateTimeText wrote, in whichever of its formats (the user may
// have changed the short-date setting since); a date alone is taken as midnight. Nothing for a
// text of any other shape.
std::optional<DateTime> ParseLocalDateTime(std::string_view text);

// A scheduled task's run time as the task list shows it, whatever the user's formats:
// "MM/DD/YYYY  h:mm AM" (two blanks) on the 12-hour clock, where 0 and 12 show as 12.
// `never` when year, month and day are all 0: the scheduler's answer for a task that has not
// run, or will not run.
std::string TaskRunTimeText(const DateTime& t, std::string_view never);

// "yyyy/mm/dd hh:mm", as file creation times are shown.
std::string FileTimeText(const DateTime& t);

}  // namespace obrivo::core
