// Window helpers shared by both programs.
#pragma once

#include <windows.h>

#include <string>

namespace obrivo::win32 {

// The thread's message loop; returns the exit code that WM_QUIT carries.
inline int RunMessageLoop() {
  MSG message{};
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

// A window's whole text, however long.
inline std::wstring WindowTextW(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// `child`'s window rectangle in `parent`'s client coordinates.
inline RECT ChildRect(HWND parent, HWND child) {
  RECT r{};
  ::GetWindowRect(child, &r);
  ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// The height `text` takes when wrapped at `width` in `control`'s font.
inline int WrappedTextHeight(HWND control, const std::wstring& text, int width) {
  RECT r{0, 0, width, 0};
  HDC dc = ::GetDC(control);
  HGDIOBJ old =
      ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
  ::DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
  ::SelectObject(dc, old);
  ::ReleaseDC(control, dc);
  return r.bottom - r.top;
}

}  // namespace obrivo::win32
