// Where the Explorer's windows were: their stored position values, and the screen they must
// come back onto.
#pragma once

#include <string>

#include "core/window_position.h"

namespace obrivo::explorer {

// The primary screen and the virtual desktop, as the placement rules need them.
core::ScreenMetrics CurrentScreenMetrics();

// A stored position or size value of the product key (xPos, dyInfo...); empty when missing.
std::string ReadWindowPosition(const char* name);
void WriteWindowPosition(const char* name, int value);

}  // namespace obrivo::explorer
