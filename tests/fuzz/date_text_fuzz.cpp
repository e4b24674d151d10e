// Date and time texts: whatever a stored text holds, a date read from it is a real calendar
// position that reads back the same after writing; and every text written in any of the user's
// formats reads back as the date and minute it was written from.
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "core/date_text.h"
#include "fuzz_input.h"

using namespace obrivo::core;

namespace {

constexpr std::string_view kDateFormats[] = {"M/d/yyyy", "MM/dd/yyyy", "M/d/yy", "MM/dd/yy",
                                             "yy/MM/dd", "yyyy-MM-dd", "dd-MMM-yy", "d.M.yyyy"};
constexpr std::string_view kTimeFormats[] = {"h:mm:ss tt", "hh:mm:ss tt", "H:mm:ss", "HH:mm:ss",
                                             "tt h:mm"};

bool Plausible(const DateTime& t) {
  return t.year >= 0 && t.year <= 9999 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
         t.day <= 31 && t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 &&
         t.second == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const obrivo::fuzz::Fields in(data, size);

  if (const std::optional<DateTime> read = ParseLocalDateTime(in.Text(0))) {
    FUZZ_CHECK(Plausible(*read));
    FUZZ_CHECK(ParseLocalDateTime(LocalDateTimeText(*read, "yyyy-MM-dd", "HH:mm:ss")) == read);
  }

  // The clock's own values (four-digit years: two-digit formats still show the whole year).
  DateTime t;
  t.year = in.NumberIn(1, 1000, 9999);
  t.month = in.NumberIn(2, 1, 12);
  t.day = in.NumberIn(3, 1, 31);
  t.hour = in.NumberIn(4, 0, 23);
  t.minute = in.NumberIn(5, 0, 59);
  t.second = in.NumberIn(6, 0, 59);
  DateTime minute = t;
  minute.second = 0;
  // A format named in the input, or one of those in use.
  const std::string_view dateFormat =
      in.Flag(7) ? in.Text(7) : kDateFormats[in.NumberIn(8, 0, static_cast<int>(std::size(kDateFormats)) - 1)];
  const std::string_view timeFormat =
      in.Flag(9) ? in.Text(9) : kTimeFormats[in.NumberIn(10, 0, static_cast<int>(std::size(kTimeFormats)) - 1)];
  const std::string text = LocalDateTimeText(t, dateFormat, timeFormat);
  FUZZ_CHECK(ParseLocalDateTime(text) == minute);
  FUZZ_CHECK(ParseLocalDateTime(FileTimeText(t)) == minute);
  // A date alone is midnight.
  DateTime midnight = minute;
  midnight.hour = midnight.minute = 0;
  FUZZ_CHECK(ParseLocalDateTime(text.substr(0, text.find(' '))) == midnight);
  return 0;
}
