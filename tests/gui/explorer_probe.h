// Looking at the running Explorer from another process: its sheet and the page it shows.
#pragma once

#include <windows.h>

#include <chrono>

namespace obrivo::test {

// The Explorer's property sheet (the dialog its main window owns), once it shows a page.
HWND WaitForSheet(std::chrono::milliseconds timeout = std::chrono::seconds(20));
// The code of the page the sheet shows; 0 when there is no sheet or page.
int CurrentPageCode(HWND sheet);
// The page code at each position of the sheet on this system (Windows NT family).
int PageCodeAt(int index);
// Ends the running Explorer (if any) and waits until its window is gone.
void CloseExplorer();

}  // namespace obrivo::test
