// The alerts that are plain Yes/No message boxes (browser pages, restart commands, cookies).
#pragma once

#include <windows.h>

#include <string_view>

namespace obrivo::monitor {

// Asks `text` with the Monitor's caption, topmost, without an owner, in the interface's
// language. Returns IDYES (6) or IDNO (7).
int ShowMessageAlert(std::string_view text);
// The same with its own caption and icon (MB_ICONEXCLAMATION, MB_ICONSTOP ...).
int ShowMessageAlert(std::string_view text, std::string_view caption, UINT icon);

}  // namespace obrivo::monitor
