// Where a window reappears.
#include "core/window_position.h"

#include <gtest/gtest.h>

namespace obrivo::core {
namespace {

// A 1920x1080 primary monitor with a taller 1920x1440 one to its right.
constexpr ScreenMetrics kTwoScreens{3840, 1440, 1920, 1080};

TEST(WindowPosition, StoredPositionOffTheDesktopIsPulledBack) {
  // clang-format off
  const struct {
    Point stored, expected;
  } cases[] = {
      {{100, 200}, {100, 200}},
      {{2500, 1300}, {2500, 1300}},  // on the second monitor: kept
      {{3840, 1440}, {3840, 1440}},  // the edge itself is not beyond it
      {{3841, 200}, {960, 200}},
      {{100, 1441}, {100, 540}},
      {{9000, 9000}, {960, 540}},
      {{-100, -50}, {960, 540}},     // no monitor left of or above the primary
  };
  // clang-format on
  for (const auto& c : cases) {
    const Point p = PullBackOnScreen(c.stored, kTwoScreens);
    EXPECT_EQ(p.x, c.expected.x) << c.stored.x << "," << c.stored.y;
    EXPECT_EQ(p.y, c.expected.y) << c.stored.x << "," << c.stored.y;
  }
}

TEST(WindowPosition, MonitorLeftOfThePrimaryKeepsNegativePositions) {
  // A 1280x1024 monitor to the left of a 1920x1080 primary: the desktop starts at x = -1280.
  const ScreenMetrics leftScreen{3200, 1080, 1920, 1080, -1280, 0};
  // clang-format off
  const struct {
    Point stored, expected;
  } cases[] = {
      {{-100, 50}, {-100, 50}},
      {{-1280, 0}, {-1280, 0}},
      {{-1281, 50}, {960, 50}},   // left of the desktop
      {{100, -1}, {100, 540}},    // above it
  };
  // clang-format on
  for (const auto& c : cases) {
    const Point p = PullBackOnScreen(c.stored, leftScreen);
    EXPECT_EQ(p.x, c.expected.x) << c.stored.x << "," << c.stored.y;
    EXPECT_EQ(p.y, c.expected.y) << c.stored.x << "," << c.stored.y;
  }
}

TEST(WindowPosition, DefaultIsCentredAtAThirdOfTheFreeHeight) {
  // Placed on the primary screen, not on the whole desktop.
  const Point p = DefaultWindowPosition(800, 600, kTwoScreens);
  EXPECT_EQ(p.x, 560);
  EXPECT_EQ(p.y, 160);
}

}  // namespace
}  // namespace obrivo::core
