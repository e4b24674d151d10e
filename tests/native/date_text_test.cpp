// Date and time texts in the user's formats.
#include "core/date_text.h"

#include <gtest/gtest.h>

#include <string>

#include "core/capacity.h"

namespace obrivo::core {
namespace {

const char* const kDateFormats[] = {"M/d/yyyy", "M/d/yy",     "MM/dd/yy", "MM/dd/yyyy",
                                    "yy/MM/dd", "yyyy-MM-dd", "dd-MMM-yy"};
const char* const kTimeFormats[] = {"h:mm:ss tt", "hh:mm:ss tt", "H:mm:ss", "HH:mm:ss"};

TEST(DateText, ShortDateFormats) {
  const DateTime t{2024, 3, 5, 7, 8, 9};
  // clang-format off
  const struct {
    std::string format, date;
  } cases[] = {
      {"M/d/yyyy", "03/05/2024"},
      {"M/d/yy", "03/05/2024"},  // the year is always printed in full
      {"MM/dd/yy", "03/05/2024"},
      {"MM/dd/yyyy", "03/05/2024"},
      {"yy/MM/dd", "2024/03/05"},
      {"yyyy-MM-dd", "2024-03-05"},
      {"dd-MMM-yy", "05-Mar-2024"},
      {"YYYY-mm-DD", "2024-03-05"},  // matched without regard to case
      {"d.M.yyyy", "03/05/2024"},    // unknown: the first row
      {"", "03/05/2024"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    EXPECT_EQ(LocalDateTimeText(t, c.format, "HH:mm:ss"), c.date + " 07:08");
  }
}

TEST(DateText, MonthNames) {
  EXPECT_EQ(LocalDateTimeText({2023, 1, 9, 0, 0, 0}, "dd-MMM-yy", "HH:mm:ss"), "09-Jan-2023 00:00");
  EXPECT_EQ(LocalDateTimeText({2023, 12, 31, 0, 0, 0}, "dd-MMM-yy", "HH:mm:ss"),
            "31-Dec-2023 00:00");
}

TEST(DateText, TimeFormats) {
  const struct {
    int hour, minute;
    std::string format, time;
  } cases[] = {
      {0, 5, "h:mm:ss tt", "12:05 AM"},
      {9, 7, "h:mm:ss tt", "9:07 AM"},
      {11, 59, "h:mm:ss tt", "11:59 AM"},
      {12, 0, "h:mm:ss tt", "12:00 PM"},
      {12, 30, "h:mm:ss tt", "12:30 PM"},
      {13, 5, "h:mm:ss tt", "1:05 PM"},
      {23, 59, "h:mm:ss tt", "11:59 PM"},
      {0, 5, "hh:mm:ss tt", "12:05 AM"},
      {9, 7, "hh:mm:ss tt", "09:07 AM"},
      {13, 5, "hh:mm:ss tt", "01:05 PM"},
      {0, 5, "H:mm:ss", "0:05"},
      {13, 5, "H:mm:ss", "13:05"},
      {7, 5, "HH:mm:ss", "07:05"},
      {23, 0, "HH:mm:ss", "23:00"},
      {13, 5, "HH:mm", "1:05 PM"},  // unknown: the first row
      {13, 5, "", "1:05 PM"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format + " " + std::to_string(c.hour) + ":" + std::to_string(c.minute));
    const DateTime t{2024, 3, 5, c.hour, c.minute, 42};
    EXPECT_EQ(LocalDateTimeText(t, "yyyy-MM-dd", c.format), "2024-03-05 " + c.time);
  }
}

TEST(DateText, EveryCombinationFitsTheDateTimeCapacity) {
  const DateTime t{2024, 12, 28, 12, 59, 59};
  for (const char* date : kDateFormats) {
    for (const char* time : kTimeFormats) {
      const std::string text = LocalDateTimeText(t, date, time);
      EXPECT_LT(text.size(), kDateTimeCapacity) << date << " " << time << ": " << text;
    }
  }
}

TEST(DateText, EveryWrittenFormatReadsBack) {
  const DateTime times[] = {{2024, 3, 5, 0, 5, 0},
                            {2024, 12, 31, 9, 7, 0},
                            {1999, 1, 9, 12, 0, 0},
                            {2024, 3, 5, 13, 5, 0},
                            {2031, 10, 28, 23, 59, 0}};
  for (const DateTime& t : times) {
    for (const char* date : kDateFormats) {
      for (const char* time : kTimeFormats) {
        const std::string text = LocalDateTimeText(t, date, time);
        SCOPED_TRACE(text);
        const auto read = ParseLocalDateTime(text);
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(*read, t);
      }
    }
  }
}

TEST(DateText, OtherTextsAreNoDates) {
  EXPECT_EQ(ParseLocalDateTime("03/05/2024"), (DateTime{2024, 3, 5, 0, 0, 0})) << "date alone";
  for (const char* text :
       {"", "Never", "03/05", "13/05/2024 1:00 PM", "03/32/2024 1:00 PM", "03/05/2024 13:05 PM",
        "03/05/2024 24:00", "03/05/2024 1:60", "03/05/2024 noon", "05-Foo-2024 1:00 AM",
        "2024-03-05-01 1:00", "x3/05/2024 1:00 AM", "03/05/2024 1:05 XM"}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(ParseLocalDateTime(text).has_value());
  }
}

TEST(DateText, FileTimeText) {
  EXPECT_EQ(FileTimeText({2024, 3, 5, 7, 8, 9}), "2024/03/05 07:08");
  EXPECT_EQ(FileTimeText({1999, 12, 31, 23, 59, 59}), "1999/12/31 23:59");
}

// Task run times are on the 12-hour clock with two blanks, whatever the user's formats; a date of
// all zeros is the scheduler's "no such time".
TEST(DateText, TaskRunTimeText) {
  // clang-format off
  const struct {
    DateTime t;
    std::string text;
  } cases[] = {
      {{2009, 2, 3, 0, 5, 0}, "02/03/2009  12:05 AM"},   // midnight hour is 12, AM
      {{2009, 2, 3, 13, 0, 0}, "02/03/2009  1:00 PM"},
      {{2009, 2, 3, 12, 0, 0}, "02/03/2009  12:00 PM"},  // noon is 12, PM
      {{2009, 2, 3, 11, 59, 0}, "02/03/2009  11:59 AM"},
      {{2009, 2, 3, 23, 9, 59}, "02/03/2009  11:09 PM"}, // seconds never show
      {{2024, 12, 31, 9, 7, 0}, "12/31/2024  9:07 AM"},  // the hour is not padded
      {{0, 0, 0, 0, 0, 0}, "Never"},
      {{0, 0, 0, 14, 30, 0}, "Never"},                   // the date alone decides
      {{2024, 0, 0, 0, 0, 0}, "00/00/2024  12:00 AM"},   // a year alone is a time
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(TaskRunTimeText(c.t, "Never"), c.text);
  }
  EXPECT_EQ(TaskRunTimeText({0, 0, 0, 0, 0, 0}, "Nie"), "Nie");  // the caller's own word
}

}  // namespace
}  // namespace obrivo::core
