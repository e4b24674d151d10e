// Where the programs' windows were: their stored position values, and the screen they must come
// back onto.
#pragma once

#include <windows.h>

#include <string>

#include "core/window_position.h"

namespace obrivo::common {

// The primary screen and the virtual desktop, as the placement rules need them.
core::ScreenMetrics CurrentScreenMetrics();

// A stored position or size value of the product key (xPos, dyInfo...); empty when missing.
std::string ReadWindowPosition(const char* name);
void WriteWindowPosition(const char* name, int value);

// The four values a window family keeps its place in.
struct WindowPositionNames {
  const char* x;
  const char* y;
  const char* width;
  const char* height;
};

// Moves `window` (without sizing or activating it) to its stored place, pulled back onto the
// screen; false, and the window stays, when x or y is missing.
bool RestoreWindowPosition(HWND window, const WindowPositionNames& names);
// As RestoreWindowPosition; without a stored place, centred across and a third of the way down
// the primary screen.
void PlaceWindow(HWND window, const WindowPositionNames& names);
// Stores the window's place and size; false for a minimised window, whose place means nothing.
bool SaveWindowPosition(HWND window, const WindowPositionNames& names);

}  // namespace obrivo::common
