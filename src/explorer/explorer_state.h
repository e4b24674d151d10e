// What the Explorer's windows share while it runs: the main window, the open sheet and its
// current page, the fonts and pictures every page draws with.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "common/trace_log.h"
#include "common/win32/dpi.h"
#include "common/win32/unique.h"
#include "icon_ids.h"

namespace obrivo::explorer {

// Pixel heights at 96 DPI; each window gets them at its own DPI.
enum class Font : std::size_t {
  Title,       // Verdana 18/600
  Heading,     // Arial 18/500
  Link,        // Arial 18/500 underlined
  Bold,        // MS Sans Serif 14/600
  Small,       // MS Sans Serif 10/600
  Body,        // Arial 14/400
  Label,       // MS Sans Serif 12/500: the corner-picture labels
  DialogBold,  // MS Shell Dlg 14/700
  Dialog,      // MS Shell Dlg 14/500
  Note,        // options NoteFont / NoteSize, weight 500
  Count_,
};

// Bitmaps loaded with the main window.
inline constexpr std::array<int, 11> kSharedBitmapIds = {
    IDB_HELP_NORMAL,    IDB_HELP_HOVER,      IDB_HELP_PRESSED,     IDB_PATROL_OFF,
    IDB_PATROL_PRESSED, IDB_PATROL_ON,       IDB_PATROL_REAL_TIME, IDB_PAGE_TOP,
    IDB_OPTIONS_TOP,    IDB_INFORMATION_TOP, IDB_PRODUCT};

struct ExplorerState {
  HWND mainWindow = nullptr;
  HWND sheet = nullptr;  // while the sheet is open
  int currentPage = 0;   // page code of the active page; 0 when no sheet is open
  bool sheetOpen = false;
  bool viewCookiesAtOnce = false;  // the Cookies page opens its cookie list at once
  // The cookie folders found at start-up (ending in "\"); empty when none was found.
  std::string ieCookieFolder;
  std::string mozillaProfileFolder;
  bool sheetLayoutReady = false;   // the sheet was subclassed and its status bar made
  // Counts the moves of entries between the startup locations and the delayed-start list: the
  // Startup and the Delayed Start page each refill when they show after a move made elsewhere.
  int startupListChanges = 0;
  common::TraceLog trace;  // sendex2tv.txt, kept only when the Debug option is set
  // The DPI the sheet's pages are drawn and laid out at; 0 before the sheet shows.
  int sheetDpi = 0;
  win32::DpiFonts fonts;
  std::array<win32::UniqueGdiObject, kSharedBitmapIds.size()> bitmaps;
};

ExplorerState& Explorer();

// `font` at `dpi` (the DPI of the window it shows in).
HFONT SharedFont(Font font, int dpi);
// A shared bitmap by resource id; nullptr when it is not one of them.
HBITMAP SharedBitmap(int id);

// One line of the Explorer's diagnostic trace, and the time since the previous one.
bool Trace(std::string_view category, std::string_view text);
bool TraceElapsed();

// Takes the fonts' faces and sizes (the note font's from the options) and loads the bitmaps (the
// Explorer's instance holds the resources). Each font is made when a window first needs it.
void CreateSharedResources(HINSTANCE instance);
void ReleaseSharedResources();

}  // namespace obrivo::explorer
