// The delay options of one delayed program: its delay, the window it opens in, its parameters
// and its title.
#pragma once

#include <windows.h>

#include "startup/delayed_list.h"

namespace obrivo::explorer {

// Modal over `owner`, preset from what the list holds for `entry`. Apply writes what the dialog
// shows and leaves it open (a write that fails is said); Close ends it. True when something was
// applied; false at once, without a window, when the entry has left the list.
bool ShowDelayOptionsDialog(HWND owner, const startup::DelayedEntry& entry);

}  // namespace obrivo::explorer
