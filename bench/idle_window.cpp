// The footprint benchmark's reference: a program of the Monitor's shape that does nothing (a
// hidden window, a 2-second timer, a message loop) and has the system libraries named on its
// command line loaded, so its CPU time and working set are what Wine costs any such program.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

LRESULT CALLBACK IdleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

void LoadNamedLibraries(const wchar_t* arguments) {
  std::wstring list(arguments ? arguments : L"");
  std::size_t at = 0;
  while (at < list.size()) {
    const std::size_t end = std::min(list.find(L' ', at), list.size());
    if (end > at) ::LoadLibraryW(list.substr(at, end - at).c_str());
    at = end + 1;
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
  LoadNamedLibraries(arguments);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = IdleProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"ObrivoBenchIdle";
  if (!::RegisterClassW(&windowClass)) return 1;
  HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 0, 0,
                                  nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ::SetTimer(window, 1, 2000, nullptr);
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
  return 0;
}
