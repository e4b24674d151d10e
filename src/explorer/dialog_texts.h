// Which string each control of the Explorer's dialogs shows. The dialog templates carry no
// text at all; every dialog sets its texts from this table when it opens, so a translation
// (which replaces strings by id) reaches every control.
#pragma once

#include <windows.h>

#include <span>

namespace obrivo::explorer {

// `control` 0 stands for the dialog's own window text.
struct ControlText {
  int control;
  int stringId;
};

// The fixed texts of dialog `dialogId`, empty for a dialog this table does not know. Controls
// whose text depends on what the dialog shows (the Info dialog's fields, the Recent page's
// action button, the PLUS page's title) are left to their dialog.
std::span<const ControlText> DialogTexts(int dialogId);

// Sets every text of DialogTexts(dialogId) in `dialog`, through the language-aware loader.
void ApplyDialogTexts(HWND dialog, int dialogId);

}  // namespace obrivo::explorer
