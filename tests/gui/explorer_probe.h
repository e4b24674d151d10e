// Looking at the running Explorer from another process: its sheet and the page it shows.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>

namespace obrivo::test {

// The Explorer's property sheet (the dialog its main window owns), once it shows a page.
HWND WaitForSheet(std::chrono::milliseconds timeout = std::chrono::seconds(20));
// The code of the page the sheet shows; 0 when there is no sheet or page.
int CurrentPageCode(HWND sheet);
// The page code at each position of the sheet on this system (Windows NT family).
int PageCodeAt(int index);
// The position of page `code` in the sheet; -1 when it has none.
int PageIndexOf(int code);
// The text of a cell of a list view in another process ("" when it cannot be read), and the
// first selected row (-1 when none).
std::wstring CellTextOf(HWND list, int row, int column = 0);
int SelectedRowOf(HWND list);
// Selects the row whose first cell is `title`, as a user does by typing it into the list (the
// list's incremental search); true once that row is the selected one.
bool TypeToSelect(HWND list, const std::wstring& title);
// Ends the running Explorer (if any) and waits until its window is gone.
void CloseExplorer();

}  // namespace obrivo::test
