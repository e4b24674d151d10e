// Looking at the running Explorer from another process.
#include "explorer_probe.h"

#include <commctrl.h>

#include "test_process.h"

namespace obrivo::test {
namespace {

// The sheet's order, written out here so that a change of order in the program shows.
constexpr int kPageOrder[] = {6026, 6055, 6056, 6040, 6039, 6038, 6029,
                              6028, 6042, 6052, 6060, 6027, 6033};

struct SheetSearch {
  HWND owner;
  HWND sheet;
};

BOOL CALLBACK FindOwnedDialog(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<SheetSearch*>(param);
  wchar_t cls[16] = {};
  ::GetClassNameW(window, cls, 16);
  if (::lstrcmpW(cls, L"#32770") == 0 && ::GetWindow(window, GW_OWNER) == search->owner &&
      PropSheet_GetTabControl(window) != nullptr) {
    search->sheet = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindSheet() {
  HWND main = ::FindWindowW(L"ObrivoEx", nullptr);
  if (!main) return nullptr;
  SheetSearch search{main, nullptr};
  ::EnumWindows(FindOwnedDialog, reinterpret_cast<LPARAM>(&search));
  return search.sheet;
}

}  // namespace

int PageCodeAt(int index) {
  return index >= 0 && index < static_cast<int>(std::size(kPageOrder)) ? kPageOrder[index] : 0;
}

int CurrentPageCode(HWND sheet) {
  if (!sheet || !::IsWindow(sheet)) return 0;
  HWND page = PropSheet_GetCurrentPageHwnd(sheet);
  if (!page) return 0;
  return PageCodeAt(static_cast<int>(PropSheet_HwndToIndex(sheet, page)));
}

HWND WaitForSheet(std::chrono::milliseconds timeout) {
  HWND sheet = nullptr;
  WaitUntil(
      [&] {
        sheet = FindSheet();
        return sheet && CurrentPageCode(sheet) != 0 && ::IsWindowVisible(sheet);
      },
      timeout);
  return sheet;
}

void CloseExplorer() {
  if (HWND explorer = ::FindWindowW(L"ObrivoEx", nullptr)) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(explorer, &pid);
    HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (process) {
      ::TerminateProcess(process, 0);
      ::WaitForSingleObject(process, 10000);
      ::CloseHandle(process);
    }
  }
  WaitUntil([] { return ::FindWindowW(L"ObrivoEx", nullptr) == nullptr; },
            std::chrono::seconds(10));
}

}  // namespace obrivo::test
