// Message boxes of the Explorer: texts from the string table, the interface's language, always
// on top.
#pragma once

#include <windows.h>

#include <string_view>

namespace obrivo::explorer {

// Message box with string `id`, captioned "Obrivo Help"; an information box unless `icon` says
// otherwise.
void ShowMessage(HWND owner, int id, UINT icon = MB_ICONINFORMATION);
// The same box for a text composed from the string table (a name or a reason filled in).
void ShowMessageText(HWND owner, std::string_view text, UINT icon = MB_ICONINFORMATION);
// Message 57: an action needs a selected row.
void ShowNoSelection(HWND owner);
// A Yes/No question captioned with the program's title; true on Yes.
bool AskYesNo(HWND owner, std::string_view text, UINT icon = MB_ICONQUESTION);
// A question with other `buttons` (MB_YESNOCANCEL, MB_OKCANCEL ...), captioned with the
// program's title; the id of the button chosen (IDYES, IDCANCEL ...).
int Ask(HWND owner, std::string_view text, UINT buttons, UINT icon = MB_ICONQUESTION);

}  // namespace obrivo::explorer
