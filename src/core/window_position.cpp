// Window placement rules.
#include "window_position.h"

namespace obrivo::core {

Point PullBackOnScreen(Point stored, const ScreenMetrics& screen) {
  Point p = stored;
  if (p.x > screen.virtualWidth) p.x = screen.screenWidth / 2;
  if (p.y > screen.virtualHeight) p.y = screen.screenHeight / 2;
  return p;
}

Point DefaultWindowPosition(int windowWidth, int windowHeight, const ScreenMetrics& screen) {
  return {(screen.screenWidth - windowWidth) / 2, (screen.screenHeight - windowHeight) / 3};
}

}  // namespace obrivo::core
