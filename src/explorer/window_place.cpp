// Where the Explorer's windows were.
#include "explorer/window_place.h"

#include <windows.h>

#include "common/store.h"

namespace obrivo::explorer {

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
  return common::ReadStoreString(common::kProductKey, HKEY_CURRENT_USER, name, 16);
}

void WriteWindowPosition(const char* name, int value) {
  common::WriteStoreString(HKEY_CURRENT_USER, common::kProductKey, name, std::to_string(value));
}

}  // namespace obrivo::explorer
