// The Explorer's sheet as data: its pages in order, how wide each list column is, which help
// page belongs to a page, and where the sheet reappears.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "window_position.h"

namespace obrivo::core {

struct PageInfo {
  int code;       // page code: the switch's, the main window's command, StartTab's value
  int captionId;  // tab caption (string id)
  int dialogId;   // the page's dialog template
  int tabIconId;  // icon on its tab
  bool ntOnly;    // present only on the Windows NT family
};

// Every page in sheet order.
std::span<const PageInfo> AllSheetPages();
// The pages this system shows, in sheet order (Services only on the NT family).
std::vector<PageInfo> SheetPagesFor(bool ntFamily);
// Index of the page with `code` in `pages`; the first page when none has it.
std::size_t StartPageIndex(std::span<const PageInfo> pages, int code);
// True for the codes that name a page of the sheet (what StartTab may hold).
bool IsSheetPageCode(int code);

// A list column's width in pixels: the page's fraction of the list's width (less the
// vertical scroll bar on most pages), or `storedWidth` when that is positive.
int ColumnWidth(int pageCode, int column, int listWidth, int scrollBarWidth, int storedWidth);

// The help page's file name for a page code, prefixed with "<language>_" unless the
// interface language code is "us".
std::string HelpPageFileName(int pageCode, std::string_view languageCode);

struct Size {
  int width = 0, height = 0;
};

// Where the sheet goes on the NT family: a stored coordinate outside the virtual screen comes
// back to 0; a stored size larger than the virtual screen becomes 0 (the sheet's own size).
struct SheetPlacement {
  Point position;
  Size size;  // 0 keeps the size the sheet has
};
SheetPlacement PullBackSheet(Point stored, Size storedSize, const ScreenMetrics& screen);

// Info dialog: the index shown after stepping `step` (+1 or -1) from `current`, wrapping
// around a list of `count` items.
std::size_t WrapIndex(std::size_t current, std::size_t count, int step);

// Info dialog heights: expanded or shrunken, scaled by the screen's vertical dpi.
struct InfoDialogLayout {
  int height;   // window height in pixels
  int buttonY;  // top of the button row, in client pixels
};
InfoDialogLayout InfoLayoutFor(bool expanded, int dpiY);

}  // namespace obrivo::core
