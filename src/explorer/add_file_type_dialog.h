// The Add File Type Extension dialog: the extension typed goes into the watched list; a refusal
// is said and the dialog stays open for another try.
#pragma once

#include <windows.h>

namespace obrivo::explorer {

// True when an extension was added.
bool ShowAddFileTypeDialog(HWND owner);

}  // namespace obrivo::explorer
