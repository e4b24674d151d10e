// Window placement rules.
#include "window_position.h"

namespace obrivo::core {

Point PullBackOnScreen(Point stored, const ScreenMetrics& screen) {
  Point p = stored;
  // Left of or above the desktop counts too: a monitor that was there is gone, and a title bar
  // above the screen could not be dragged back.
  if (p.x > screen.virtualWidth || p.x < screen.virtualLeft) p.x = screen.screenWidth / 2;
  if (p.y > screen.virtualHeight || p.y < screen.virtualTop) p.y = screen.screenHeight / 2;
  return p;
}

Point DefaultWindowPosition(int windowWidth, int windowHeight, const ScreenMetrics& screen) {
  return {(screen.screenWidth - windowWidth) / 2, (screen.screenHeight - windowHeight) / 3};
}

}  // namespace obrivo::core
