// Where the programs' windows were.
#include "common/window_place.h"

#include "common/store.h"
#include "core/text.h"

namespace obrivo::common {

core::ScreenMetrics CurrentScreenMetrics() {
  core::ScreenMetrics s;
  s.virtualLeft = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
  s.virtualTop = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
  s.virtualWidth = ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
  s.virtualHeight = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
  s.screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
  s.screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
  return s;
}

std::string ReadWindowPosition(const char* name) {
  return ReadStoreString(kProductKey, HKEY_CURRENT_USER, name, 16);
}

void WriteWindowPosition(const char* name, int value) {
  WriteStoreString(HKEY_CURRENT_USER, kProductKey, name, std::to_string(value));
}

bool RestoreWindowPosition(HWND window, const WindowPositionNames& names) {
  const std::string x = ReadWindowPosition(names.x), y = ReadWindowPosition(names.y);
  if (x.empty() || y.empty()) return false;
  const core::Point p = core::PullBackOnScreen({core::LeadingNumber(x), core::LeadingNumber(y)},
                                               CurrentScreenMetrics());
  ::SetWindowPos(window, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

bool SaveWindowPosition(HWND window, const WindowPositionNames& names) {
  RECT r{};
  if (::IsIconic(window) || !::GetWindowRect(window, &r)) return false;
  WriteWindowPosition(names.x, r.left);
  WriteWindowPosition(names.y, r.top);
  WriteWindowPosition(names.width, r.right - r.left);
  WriteWindowPosition(names.height, r.bottom - r.top);
  return true;
}

void PlaceWindow(HWND window, const WindowPositionNames& names) {
  if (RestoreWindowPosition(window, names)) return;
  RECT r{};
  ::GetWindowRect(window, &r);
  const core::Point p =
      core::DefaultWindowPosition(r.right - r.left, r.bottom - r.top, CurrentScreenMetrics());
  ::SetWindowPos(window, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace obrivo::common
