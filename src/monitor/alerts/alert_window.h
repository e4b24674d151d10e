// What every alert window shares: the program it names (icon, name, version information), the
// Info button, the alert context, and the place the user last left an alert.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "common/win32/unique.h"
#include "common/window_place.h"

namespace obrivo::monitor {

// The controls one program is shown in; 0 for a field the dialog does not have.
struct ProgramFieldIds {
  int icon;  // a button showing the file's own icon
  int name, command, version, company, description, copyright;
};

// What the fields were filled from.
struct ShownProgram {
  std::string file;  // the program file resolved from the command; empty when it is not there
  std::string productName, description;
  win32::UniqueIcon icon;  // shown on the icon button; kept while the window shows it
};

// Fills the fields for `command`: the command as given, the file's icon, product name, version,
// company, description and copyright. A field the file has no entry for keeps its template text
// (an empty name and version stay empty).
ShownProgram ShowProgram(HWND dialog, const ProgramFieldIds& ids, std::string_view command);

// Takes the alert fonts' faces and sizes; each is made at the DPI of the first alert needing it.
void CreateAlertFonts();
// The alert fonts, at the alert's DPI: the name field's and the one of the command and the
// message.
void SetNameFont(HWND dialog, int control);
void SetMessageFont(HWND dialog, int control);
// WM_DPICHANGED: the alert takes the place the system suggests and its fonts at the new DPI.
void FollowAlertDpiChange(HWND dialog, WPARAM wParam, LPARAM lParam);

void SetControlText(HWND dialog, int control, std::string_view text);
// The text of string `stringId` (through the language-aware loader); control 0 is the caption.
void SetStringText(HWND dialog, int control, int stringId);

// The Info button: the online lookup for `command` with the alert's type + 1000; then the alert
// leaves the topmost band so that the browser can come to the front. The alert stays open.
void LookUpAlertProgram(HWND dialog, std::string_view command);

// Empties alertPath, alertTitle and alertKey: every alert does when it ends with a result.
void ClearAlertContext();

// Every alert opens where the user left the last one (pulled back onto the screen), or centred
// at a third of the screen's height; both also ask the Monitor to reload its options.
void RestoreAlertPosition(HWND window);
void SaveAlertPosition(HWND window);
// The same for an alert that keeps its place under names of its own.
void RestoreAlertPosition(HWND window, const common::WindowPositionNames& names);
void SaveAlertPosition(HWND window, const common::WindowPositionNames& names);

}  // namespace obrivo::monitor
