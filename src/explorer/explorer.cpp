// The Explorer program's start-up and its main window.
#include "explorer/explorer.h"

#include <commctrl.h>

#include <string>

#include "common/app.h"
#include "common/initialise_store.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"
#include "common/win32/window.h"
#include "core/command_switches.h"

namespace obrivo::explorer {
namespace {

using win32::Wide;

constexpr int kCaptionId = 2;
constexpr int kClassNameId = 9;
constexpr int kLoadingTitleId = 833;
constexpr int kAppIconId = 101;
constexpr int kRequestLabelId = 100;  // control id of the request text

HWND g_label = nullptr;

void ShowRequest(HWND window, int code) {
  const std::string text = "Requested page: " + std::to_string(code);
  ::SetWindowTextW(g_label ? g_label : window, Wide(text).c_str());
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const int code = LOWORD(wParam);
      if (code == core::cmd::kExit) {
        ::DestroyWindow(window);
      } else if (code >= core::cmd::kStartup && code <= core::cmd::kLast) {
        ShowRequest(window, code);
        ::SetForegroundWindow(window);
      }
      return 0;
    }
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int RunExplorer(HINSTANCE instance, std::wstring_view arguments) {
  common::InitApp(core::Program::Explorer, instance);
  const std::string className = common::LoadText(kClassNameId, 32);
  const std::string loading = common::LoadText(kLoadingTitleId, 64);
  if (className.empty() || loading.empty()) return 0;

  const std::string args = win32::Narrow(arguments);
  const int startTab = common::ReadOption("StartTab", core::cmd::kStartup);
  const core::ExplorerCommandLine commandLine = core::ParseExplorerCommandLine(args, startTab);

  const std::wstring wideClass = Wide(className);
  if (HWND running = ::FindWindowW(wideClass.c_str(), nullptr)) {
    ::PostMessageW(running, WM_COMMAND, commandLine.quit ? core::cmd::kExit : commandLine.code, 0);
    return 0;
  }
  if (commandLine.quit) return 0;

  win32::ComScope com;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);
  common::InitialiseStore(common::CategoryBaselineHooks());

  WNDCLASSW wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = instance;
  wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(kAppIconId));
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = wideClass.c_str();
  if (!::RegisterClassW(&wc)) return 0;
  HWND window = ::CreateWindowExW(WS_EX_APPWINDOW, wideClass.c_str(), Wide(loading).c_str(),
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 420, 120, nullptr, nullptr, instance, nullptr);
  if (!window) return 0;
  ::SetWindowTextW(window, Wide(common::LoadText(kCaptionId, 64)).c_str());
  g_label = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 12, 12, 380, 40, window,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kRequestLabelId)),
                              instance, nullptr);
  ::SendMessageW(g_label, WM_SETFONT,
                 reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  ShowRequest(window, commandLine.code);
  ::ShowWindow(window, SW_SHOW);
  ::UpdateWindow(window);

  return win32::RunMessageLoop();
}

}  // namespace obrivo::explorer
