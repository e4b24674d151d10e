// Working the Explorer's modal windows inside the test process: the test thread runs the sheet
// or dialog while a second thread drives it by control id, as a person would.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "common/store.h"
#include "explorer/explorer_state.h"
#include "explorer/list_view.h"
#include "explorer/sheet.h"
#include "test_process.h"

namespace obrivo::test {

using namespace std::chrono_literals;

// Runs `open` (it returns when its window closes) on this thread while `drive` works the window
// from another. Whatever `drive` leaves open is closed afterwards, so a failed step never hangs
// the test.
inline void WhileOpen(const std::function<void()>& open, const std::function<void()>& drive,
                      const std::function<HWND()>& leftOpen) {
  std::thread driver([&] {
    drive();
    if (!WaitUntil([&] { return leftOpen() == nullptr; }, 2s))
      if (HWND window = leftOpen()) ::PostMessageW(window, WM_CLOSE, 0, 0);
  });
  open();
  driver.join();
}

// A dialog (class #32770) of this process with `title` once it shows.
inline HWND FindShownDialog(const wchar_t* title) {
  HWND found = ::FindWindowW(L"#32770", title);
  return found && ::IsWindowVisible(found) ? found : nullptr;
}

inline HWND WaitForDialog(const wchar_t* title) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindShownDialog(title)) != nullptr; }, 10s);
  return found;
}

// Opens the sheet on page `code` while `drive` works the page it shows.
inline void RunSheet(int code, const std::function<void(HWND sheet, HWND page)>& drive) {
  WhileOpen([code] { explorer::OpenSheet(code); },
            [&] {
              HWND sheet = nullptr;
              WaitUntil([&] { return (sheet = explorer::Explorer().sheet) != nullptr; }, 10s);
              if (!sheet) {
                ADD_FAILURE() << "the sheet did not open";
                return;
              }
              drive(sheet, PropSheet_GetCurrentPageHwnd(sheet));
              ::PostMessageW(sheet, WM_CLOSE, 0, 0);
            },
            [] { return explorer::Explorer().sheet; });
}

// Clicks a button or check box and returns once its window has handled the click.
inline void Click(HWND dialog, int id) { ::SendMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
// Clicks without waiting: for a click that opens a modal window.
inline void PostClick(HWND dialog, int id) {
  ::PostMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

inline bool IsChecked(HWND dialog, int id) {
  return ::SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Returns once `window` has finished handling what it was handling, or is showing a modal
// window of its own (the next message it takes comes after that).
inline void Settle(HWND window) {
  DWORD_PTR reply = 0;
  ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &reply);
}

// Waits until `dialog` has closed and the window that opened it has finished handling what the
// dialog decided.
inline bool WaitUntilHandled(HWND dialog, HWND opener) {
  const bool closed = WaitUntil([&] { return !::IsWindow(dialog); }, 10s);
  Settle(opener);
  return closed;
}

// Types `path` into Add's file chooser and presses Open.
inline void ChooseFile(HWND chooser, const std::wstring& path) {
  // The file name box (a combo box in the newer layout, an edit in the older one).
  for (int id : {0x47C, 0x480}) ::SetDlgItemTextW(chooser, id, path.c_str());
  ::PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

// Waits for the message box with `caption`, closes it and returns its text ("" when none came).
inline std::wstring DismissMessageBox(const wchar_t* caption) {
  HWND box = WaitForDialog(caption);
  if (!box) return {};
  const std::wstring text = WindowText(::GetDlgItem(box, 0xFFFF));
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  WaitUntil([&] { return !::IsWindow(box); }, 10s);
  return text;
}

// A message box of ours captioned with the program's title, as the sheet itself is: found by
// what it is not. The questions (Yes/No, OK/Cancel) carry that caption.
inline HWND FindQuestion() {
  struct Search {
    HWND found = nullptr;
  } search;
  ::EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        wchar_t cls[16] = {};
        ::GetClassNameW(window, cls, 16);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        if (pid == ::GetCurrentProcessId() && std::wstring(cls) == L"#32770" &&
            window != explorer::Explorer().sheet && ::IsWindowVisible(window) &&
            WindowText(window) == L"Obrivo") {
          reinterpret_cast<Search*>(param)->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Waits for a question, answers it with `button` (IDYES, IDCANCEL ...) and returns its text once
// `opener` has handled the answer ("" when none came).
inline std::wstring AnswerQuestion(int button, HWND opener) {
  HWND question = nullptr;
  WaitUntil([&] { return (question = FindQuestion()) != nullptr; }, 10s);
  if (!question) return {};
  const std::wstring text = WindowText(::GetDlgItem(question, 0xFFFF));
  ::PostMessageW(question, WM_COMMAND, button, 0);
  WaitUntilHandled(question, opener);
  return text;
}

// The list row whose first column reads `title`; -1 when none does.
inline int RowOf(HWND list, const std::string& title) {
  for (int row = 0; row < explorer::RowCount(list); ++row)
    if (explorer::CellText(list, row, 0) == title) return row;
  return -1;
}

// Exactly `rows` selected.
inline void SelectRows(HWND list, const std::vector<int>& rows) {
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
  for (int row : rows) ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
}

// An option as the store holds it, "" when missing.
inline std::string StoredOption(std::string_view name) {
  return common::ReadStoreString(common::kOptionsKey, HKEY_CURRENT_USER, name, 128);
}

inline void StoreOption(std::string_view name, std::string_view value) {
  common::WriteStoreString(HKEY_CURRENT_USER, common::kOptionsKey, name, value);
}

// The bitmap a picture control shows, as the shared bitmap's resource id (0: another one).
inline int PictureImage(HWND picture) {
  const auto shown =
      reinterpret_cast<HBITMAP>(::SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
  for (int id : explorer::kSharedBitmapIds)
    if (explorer::SharedBitmap(id) == shown) return id;
  return 0;
}

inline RECT RectIn(HWND parent, HWND child) {
  RECT r{};
  ::GetWindowRect(child, &r);
  ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

inline LPARAM PointOver(HWND page, HWND control) {
  const RECT r = RectIn(page, control);
  return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

// Presses and releases the mouse over a picture of the page; the release is posted, as it may
// open a modal window.
inline void PostPictureClick(HWND page, int picture) {
  const LPARAM at = PointOver(page, ::GetDlgItem(page, picture));
  ::SendMessageW(page, WM_MOUSEMOVE, 0, at);
  ::SendMessageW(page, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(page, WM_LBUTTONUP, 0, at);
}

}  // namespace obrivo::test
