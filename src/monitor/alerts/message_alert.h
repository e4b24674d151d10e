// The alerts that are plain Yes/No message boxes (browser pages, restart commands, cookies).
#pragma once

#include <string_view>

namespace obrivo::monitor {

// Asks `text` with the Monitor's caption, topmost, without an owner, in the interface's
// language. Returns IDYES (6) or IDNO (7).
int ShowMessageAlert(std::string_view text);

}  // namespace obrivo::monitor
