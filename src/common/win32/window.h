// Window helpers shared by both programs.
#pragma once

#include <windows.h>

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

}  // namespace obrivo::win32
