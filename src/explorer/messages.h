// Message boxes of the Explorer: texts from the string table, the interface's language, always
// on top.
#pragma once

#include <windows.h>

namespace obrivo::explorer {

// Information box with string `id`, captioned "Obrivo Help".
void ShowMessage(HWND owner, int id);
// Message 57: an action needs a selected row.
void ShowNoSelection(HWND owner);

}  // namespace obrivo::explorer
