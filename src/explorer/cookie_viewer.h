// The cookie viewer: every cookie of the chosen browser with a check box; the checked ones are
// kept, and the two remove commands take away the others or the checked ones.
#pragma once

#include <windows.h>

namespace obrivo::explorer {

// Modal over `owner`.
void ShowCookieViewer(HWND owner);

}  // namespace obrivo::explorer
