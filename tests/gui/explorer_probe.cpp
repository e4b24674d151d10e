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

int PageIndexOf(int code) {
  for (int index = 0; index < static_cast<int>(std::size(kPageOrder)); ++index)
    if (kPageOrder[index] == code) return index;
  return -1;
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

std::wstring CellTextOf(HWND list, int row, int column) {
  // The list's messages carry pointers into its own process: the buffer is lent from there.
  DWORD pid = 0;
  ::GetWindowThreadProcessId(list, &pid);
  const HANDLE process =
      ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return {};
  constexpr int kChars = 512;
  std::wstring text;
  if (void* remote = ::VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + kChars * sizeof(wchar_t),
                                      MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {
    auto* remoteText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote) + sizeof(LVITEMW));
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = remoteText;
    item.cchTextMax = kChars;
    wchar_t buffer[kChars] = {};
    if (::WriteProcessMemory(process, remote, &item, sizeof(item), nullptr)) {
      const LRESULT length = ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                            reinterpret_cast<LPARAM>(remote));
      if (length > 0 && length < kChars &&
          ::ReadProcessMemory(process, remoteText, buffer, length * sizeof(wchar_t), nullptr))
        text.assign(buffer, static_cast<std::size_t>(length));
    }
    ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  ::CloseHandle(process);
  return text;
}

int SelectedRowOf(HWND list) {
  return static_cast<int>(
      ::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0)));
}

bool TypeToSelect(HWND list, const std::wstring& title) {
  for (wchar_t c : title) ::PostMessageW(list, WM_CHAR, c, 1);  // repeat count 1
  return WaitUntil(
      [&] {
        const int row = SelectedRowOf(list);
        return row >= 0 && CellTextOf(list, row) == title;
      },
      std::chrono::seconds(5));
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
