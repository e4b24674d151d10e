// Pixel sizes at other DPIs.
#include "core/dpi.h"

#include <gtest/gtest.h>

#include <climits>

namespace obrivo::core {
namespace {

TEST(Dpi, ScaleToDpiRoundsToTheNearestPixel) {
  // clang-format off
  const struct {
    int value, dpi, expected;
  } cases[] = {
      {12, 96, 12},  {12, 144, 18}, {12, 120, 15}, {18, 192, 36},
      {14, 120, 18},   // 17.5: halves round up
      {10, 120, 13},   // 12.5
      {11, 120, 14},   // 13.75
      {13, 120, 16},   // 16.25
      {1, 48, 1},      // 0.5
      {1, 47, 0},      // below the half
      {0, 144, 0},
      // Font heights are negative (character heights): the same sizes as the positive ones.
      {-12, 144, -18}, {-14, 120, -18}, {-10, 120, -13}, {-1, 48, -1},
      // A DPI that could not be read changes nothing.
      {12, 0, 12}, {-12, -96, -12},
      // Far beyond any screen: kept within range instead of overflowing.
      {INT_MAX, 192, INT_MAX}, {INT_MIN, 192, INT_MIN}, {INT_MAX, 96, INT_MAX},
  };
  // clang-format on
  for (const auto& c : cases)
    EXPECT_EQ(ScaleToDpi(c.value, c.dpi), c.expected) << c.value << " at " << c.dpi;
}

TEST(Dpi, ScaleToDpiFromAnotherDpi) {
  // clang-format off
  const struct {
    int value, dpi, fromDpi, expected;
  } cases[] = {
      {18, 96, 144, 12}, {18, 144, 144, 18}, {18, 192, 144, 24},
      {15, 144, 120, 18}, {17, 96, 144, 11},  // 11.33
      {5, 96, 192, 3},                        // 2.5: halves away from zero
      {-5, 96, 192, -3},
      {18, 96, 0, 18},                        // the earlier DPI was not known
  };
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(ScaleToDpi(c.value, c.dpi, c.fromDpi), c.expected)
        << c.value << " from " << c.fromDpi << " at " << c.dpi;
  }
}

}  // namespace
}  // namespace obrivo::core
