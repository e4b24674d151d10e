// The Explorer's property sheet: every page in order, resizable, with a status bar, its place
// and size kept between runs.
#pragma once

#include <windows.h>

namespace obrivo::explorer {

// Runs the sheet with the page of `code` selected (the first page when none has it) and
// returns when it closes. While a sheet is open, only brings it to the front.
void OpenSheet(int code);

// Called by each page as it is created: the first one makes the sheet resizable, gives it its
// status bar and puts it where it was last time.
void AttachSheet(HWND page);
// Stores the sheet's place and size and the current page.
void SaveSheetPlacement();
// A page became the current one: the sheet fits it to its current size.
void NotifyPageActivated();
// Closes the sheet as its Close button would.
void CloseSheet();
// The DPI the sheet's pages are drawn and laid out at: the one the sheet last moved to, else the
// one `window` (a page of it) shows at.
int SheetDpi(HWND window);
// The sheet's status bar (control 6050), when it has one.
HWND SheetStatusBar();

}  // namespace obrivo::explorer
