// Message boxes of the Explorer: texts from the string table, the interface's language, always
// on top.
#pragma once

#include <windows.h>

#include <string_view>

namespace obrivo::explorer {

// Information box with string `id`, captioned "Obrivo Help".
void ShowMessage(HWND owner, int id);
// Yes/No question with `text`, captioned with the program's title; true for Yes.
bool AskYesNo(HWND owner, std::string_view text, UINT icon = MB_ICONQUESTION);
// Message 57: an action needs a selected row.
void ShowNoSelection(HWND owner);

}  // namespace obrivo::explorer
