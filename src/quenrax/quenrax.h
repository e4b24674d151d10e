// The real-time notifier the Monitor imports by ordinal: after start it posts message 9024 to the
// given window whenever it notices a change on the system, until it is stopped.
#pragma once

#include <windows.h>

extern "C" {
// Ordinal 2: start watching; changes are reported to `window`. Returns FALSE when the watcher
// could not start (the Monitor then relies on its timer alone).
__declspec(dllimport) BOOL WINAPI QuenraxStart(HWND window);
// Ordinal 3: stop posting and release everything.
__declspec(dllimport) void WINAPI QuenraxStop();
}

namespace obrivo::quenrax {
inline constexpr UINT kChangeMessage = 9024;
// The message's wParam: bit 0 set when a watched key or folder changed in the burst it reports,
// clear when only the set of running programs did.
inline constexpr WPARAM kPlacesChanged = 1;
}
