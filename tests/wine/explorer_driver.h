// Working the Explorer's modal windows inside the test process: the test thread runs the sheet
// or dialog while a second thread drives it by control id, as a person would.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "common/store.h"
#include "explorer/explorer_state.h"
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

// Waits until `dialog` has closed and the window that opened it has finished handling what the
// dialog decided (the next message it takes comes after that).
inline bool WaitUntilHandled(HWND dialog, HWND opener) {
  const bool closed = WaitUntil([&] { return !::IsWindow(dialog); }, 10s);
  DWORD_PTR reply = 0;
  ::SendMessageTimeoutW(opener, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &reply);
  return closed;
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
