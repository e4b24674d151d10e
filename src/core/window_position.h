// Where a window reappears: a stored position pulled back onto the screen, or the default place.
#pragma once

namespace obrivo::core {

struct Point {
  int x = 0, y = 0;
};

struct ScreenMetrics {
  int virtualWidth = 0, virtualHeight = 0;  // the whole desktop over all monitors
  int screenWidth = 0, screenHeight = 0;    // the primary screen
  int virtualLeft = 0,
      virtualTop = 0;  // the desktop's top-left corner (negative left of the primary)
};

// A stored (x, y): an x beyond the virtual-screen width or left of the desktop becomes half the
// primary screen width, a y beyond the virtual-screen height or above the desktop half its
// height.
Point PullBackOnScreen(Point stored, const ScreenMetrics& screen);

// A window without a stored position: centred horizontally, at a third of the free height.
Point DefaultWindowPosition(int windowWidth, int windowHeight, const ScreenMetrics& screen);

}  // namespace obrivo::core
