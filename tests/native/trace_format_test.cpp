// Lines of the Monitor's diagnostic trace file.
#include "core/trace_format.h"

#include <gtest/gtest.h>

#include <string>

namespace obrivo::core {
namespace {

TEST(TraceFormat, KeyIsTickDotCount) {
  EXPECT_EQ(TraceKey(1234, 5), "1234.5");
  EXPECT_EQ(TraceKey(0, 9001), "0.9001");
  // After about 25 days of uptime the tick no longer fits a signed number and prints negative.
  EXPECT_EQ(TraceKey(3000000000u, 1), "-1294967296.1");
}

TEST(TraceFormat, ValueHasTwoBlanksBetweenDateAndTime) {
  EXPECT_EQ(TraceValue({2024, 3, 5, 7, 8, 9}, "START", "From Initialize to Post"),
            "03-05  07:08:09 START: From Initialize to Post");
  EXPECT_EQ(TraceValue({2024, 12, 31, 23, 59, 0}, "Patrol", ""), "12-31  23:59:00 Patrol: ");
}

TEST(TraceFormat, ElapsedLine) {
  const struct {
    std::uint32_t now, last;
    bool alert;
    int value;
    std::string marker;
  } cases[] = {
      {1000, 0, false, 500, ""},
      {1999, 0, false, 999, ""},
      {2000, 0, false, 1000, "\t*"},
      {5999, 0, false, 2999, "\t**"},
      {33999, 1, false, 16999, "\t****************"},
      {100000, 0, false, 50000, "\t****************"},  // at most 16 stars
      {100000, 0, true, 1, ""},                         // an alert in between counts as 1
      {1000, 0xFFFFFC18u, false, 1000, "\t*"},          // across the wrap of the tick counter
      {0xFFFFFFFFu, 0, false, 2147483647, "\t****************"},
      {7, 7, false, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.now) + " - " + std::to_string(c.last));
    const TraceElapsed e = TraceElapsedValue(c.now, c.last, c.alert, "Check Startup");
    EXPECT_EQ(e.value, c.value);
    EXPECT_EQ(e.line,
              "**:**:** NanoCycles: Check Startup = " + std::to_string(c.value) + " " + c.marker);
  }
}

}  // namespace
}  // namespace obrivo::core
