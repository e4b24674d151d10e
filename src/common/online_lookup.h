// Opening the vendor's information page about a program, and other vendor pages.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "core/online_lookup.h"

namespace obrivo::common {

// The lookup request for `command`: its program file, version information and the program's own
// build and language. `title` names the program when the command gives no file.
core::LookupRequest MakeLookupRequest(int lookupType, std::string_view command,
                                      std::string_view title = {});

// Opens the information page for `command` (lookup type as given).
bool LookUpProgramOnline(HWND owner, int lookupType, std::string_view command,
                         std::string_view title = {});

// Opens a web address: through the AOL browser when it is set up as the browser, else the
// shell, else the default browser's command. Anything but http(s) is refused.
bool OpenWebAddress(HWND owner, std::string_view address);

}  // namespace obrivo::common
