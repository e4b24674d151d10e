// The Explorer's property sheet.
#include "explorer/sheet.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "common/app.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/win32/dpi.h"
#include "common/win32/wide.h"
#include "common/window_place.h"
#include "core/dpi.h"
#include "core/explorer_pages.h"
#include "core/text.h"
#include "explorer/explorer_state.h"
#include "explorer/messages.h"
#include "explorer/page.h"
#include "explorer/pages/page_registry.h"
#include "explorer_ids.h"
#include "string_ids.h"

namespace obrivo::explorer {
namespace {

constexpr int kSystemErrorId = 24;
constexpr UINT_PTR kSubclassId = 1;
// Posted to the sheet after a page switch: the sheet put the new page at its own old place.
constexpr UINT kRelayoutMessage = WM_APP + 1;

void RestorePlacement(HWND sheet) {
  RECT r{};
  ::GetWindowRect(sheet, &r);
  const core::ScreenMetrics screen = common::CurrentScreenMetrics();
  const std::string x = common::ReadWindowPosition("xPos"), y = common::ReadWindowPosition("yPos");
  if (x.empty() || y.empty()) {
    const core::Point p = core::DefaultWindowPosition(r.right - r.left, r.bottom - r.top, screen);
    ::SetWindowPos(sheet, nullptr, p.x, p.y, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
    return;
  }
  core::Size size;
  const std::string dx = common::ReadWindowPosition("dxPos"),
                    dy = common::ReadWindowPosition("dyPos");
  if (!dx.empty() && !dy.empty()) size = {core::LeadingNumber(dx), core::LeadingNumber(dy)};
  const core::SheetPlacement p =
      core::PullBackSheet({core::LeadingNumber(x), core::LeadingNumber(y)}, size, screen);
  // Never smaller than the sheet was made: its pages would not fit.
  const bool sized = p.size.width >= r.right - r.left && p.size.height >= r.bottom - r.top;
  ::SetWindowPos(sheet, nullptr, p.position.x, p.position.y, p.size.width, p.size.height,
                 SWP_NOZORDER | SWP_NOACTIVATE | (sized ? 0 : SWP_NOSIZE));
}

// Tab control and current page fill the sheet above its status bar.
void LayoutSheet(HWND sheet) {
  RECT client{};
  ::GetClientRect(sheet, &client);
  int statusHeight = 0;
  if (HWND status = SheetStatusBar()) {
    ::SendMessageW(status, WM_SIZE, 0, 0);
    RECT s{};
    ::GetWindowRect(status, &s);
    statusHeight = s.bottom - s.top;
  }
  HWND tab = PropSheet_GetTabControl(sheet);
  if (!tab) return;
  RECT tabRect{6, 4, client.right - 6, client.bottom - statusHeight - 6};
  ::SetWindowPos(tab, nullptr, tabRect.left, tabRect.top, tabRect.right - tabRect.left,
                 tabRect.bottom - tabRect.top, SWP_NOZORDER | SWP_NOACTIVATE);
  RECT display = tabRect;
  ::SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  if (HWND page = PropSheet_GetCurrentPageHwnd(sheet)) {
    ::SetWindowPos(page, HWND_TOP, display.left, display.top, display.right - display.left,
                   display.bottom - display.top, SWP_NOACTIVATE);
    ::SendMessageW(page, kLayoutMessage, 0, 0);
  }
  ::InvalidateRect(sheet, nullptr, TRUE);
}

LRESULT CALLBACK SheetProc(HWND sheet, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR minSize);

// The sheet moves to another DPI: its smallest size follows, its pages (child windows, which hear
// of the change only from the sheet) take their fonts and layout at the new DPI, and the sheet
// takes the place the system suggests, which lays the current page out again.
void FollowDpiChange(HWND sheet, int dpi, DWORD_PTR minSize, WPARAM wParam, LPARAM lParam) {
  ExplorerState& s = Explorer();
  const int before = SheetDpi(sheet);
  s.sheetDpi = dpi;
  const DWORD_PTR scaledMin = MAKELONG(core::ScaleToDpi(LOWORD(minSize), dpi, before),
                                       core::ScaleToDpi(HIWORD(minSize), dpi, before));
  ::SetWindowSubclass(sheet, SheetProc, kSubclassId, scaledMin);
  HWND tabs = PropSheet_GetTabControl(sheet);
  const int count = tabs ? TabCtrl_GetItemCount(tabs) : 0;
  for (int i = 0; i < count; ++i)
    if (HWND page = PropSheet_IndexToHwnd(sheet, i)) ::SendMessageW(page, WM_DPICHANGED, wParam, 0);
  win32::MoveToSuggestedRect(sheet, lParam);
}

LRESULT CALLBACK SheetProc(HWND sheet, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR minSize) {
  switch (message) {
    case WM_SIZE:
    case kRelayoutMessage: {
      const LRESULT result = ::DefSubclassProc(sheet, message, wParam, lParam);
      LayoutSheet(sheet);
      return result;
    }
    case WM_DPICHANGED: {
      const LRESULT result = ::DefSubclassProc(sheet, message, wParam, lParam);
      FollowDpiChange(sheet, win32::DpiOfDpiChanged(wParam), minSize, wParam, lParam);
      return result;
    }
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize.x = LOWORD(minSize);
      info->ptMinTrackSize.y = HIWORD(minSize);
      return 0;
    }
    case WM_COMMAND:
      // Enter reaches the sheet as its hidden OK button: on a page it asks for the Info window.
      if (LOWORD(wParam) == IDOK) {
        if (HWND page = PropSheet_GetCurrentPageHwnd(sheet))
          ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_INFO, BN_CLICKED), 0);
        return 0;
      }
      break;
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(sheet, SheetProc, kSubclassId);
      break;
    default:
      break;
  }
  return ::DefSubclassProc(sheet, message, wParam, lParam);
}

// Makes the sheet resizable before it is created.
int CALLBACK SheetCallback(HWND sheet, UINT message, LPARAM lParam) {
  if (message == PSCB_PRECREATE && lParam && common::App().ntFamily) {
    auto* words = reinterpret_cast<WORD*>(lParam);
    const DWORD addStyle =
        WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_SETFONT | DS_3DLOOK;
    const DWORD addExStyle = WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE;
    if (words[1] == 0xFFFF) {  // DLGTEMPLATEEX: version, signature, help id, ex style, style
      auto* dwords = reinterpret_cast<DWORD*>(words + 4);
      dwords[0] |= addExStyle;
      dwords[1] |= addStyle;
    } else {
      auto* t = reinterpret_cast<DLGTEMPLATE*>(lParam);
      t->style |= addStyle;
      t->dwExtendedStyle |= addExStyle;
    }
  } else if (message == PSCB_INITIALIZED) {
    Explorer().sheet = sheet;
  }
  return 0;
}

}  // namespace

int SheetDpi(HWND window) {
  const int dpi = Explorer().sheetDpi;
  return dpi > 0 ? dpi : win32::WindowDpi(window);
}

HWND SheetStatusBar() {
  return Explorer().sheet ? ::GetDlgItem(Explorer().sheet, IDC_SHEET_STATUS_BAR) : nullptr;
}

void AttachSheet(HWND page) {
  ExplorerState& s = Explorer();
  HWND sheet = ::GetParent(page);
  if (!sheet) return;
  s.sheet = sheet;
  if (s.sheetLayoutReady) return;
  s.sheetLayoutReady = true;
  s.sheetDpi = win32::WindowDpi(sheet);
  if (common::App().ntFamily) {
    // The pages carry their own Close buttons.
    for (int id : {IDOK, IDCANCEL, IDHELP})
      if (HWND button = ::GetDlgItem(sheet, id)) ::ShowWindow(button, SW_HIDE);
    if (!::GetDlgItem(sheet, IDC_SHEET_STATUS_BAR))
      ::CreateStatusWindowW(WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, L"", sheet,
                            IDC_SHEET_STATUS_BAR);
    RECT r{};
    ::GetWindowRect(sheet, &r);
    const DWORD_PTR minSize = MAKELONG(r.right - r.left, r.bottom - r.top);
    ::SetWindowSubclass(sheet, SheetProc, kSubclassId, minSize);
  }
  RestorePlacement(sheet);
  if (common::App().ntFamily) ::PostMessageW(sheet, kRelayoutMessage, 0, 0);
}

void SaveSheetPlacement() {
  ExplorerState& s = Explorer();
  if (s.currentPage != 0) common::WriteOption("StartTab", s.currentPage);
  if (!s.sheet || ::IsIconic(s.sheet)) return;
  RECT r{};
  if (!::GetWindowRect(s.sheet, &r)) return;
  common::WriteWindowPosition("xPos", r.left);
  common::WriteWindowPosition("yPos", r.top);
  if (common::App().ntFamily) {
    common::WriteWindowPosition("dxPos", r.right - r.left);
    common::WriteWindowPosition("dyPos", r.bottom - r.top);
  }
}

void CloseSheet() {
  if (Explorer().sheet) PropSheet_PressButton(Explorer().sheet, PSBTN_CANCEL);
}

void NotifyPageActivated() {
  if (Explorer().sheet && common::App().ntFamily)
    ::PostMessageW(Explorer().sheet, kRelayoutMessage, 0, 0);
}

void OpenSheet(int code) {
  ExplorerState& s = Explorer();
  if (s.sheetOpen) {
    ::BringWindowToTop(s.mainWindow);
    ::SetForegroundWindow(s.mainWindow);
    if (s.sheet) {
      if (::IsIconic(s.sheet)) ::ShowWindow(s.sheet, SW_RESTORE);
      ::BringWindowToTop(s.sheet);
      ::SetForegroundWindow(s.sheet);
    }
    return;
  }
  s.sheetOpen = true;
  s.sheetLayoutReady = false;
  Trace("SHEET", "Open the sheet on page " + std::to_string(code));
  const std::wstring title = win32::Wide(common::LoadText(IDS_PROGRAM_TITLE, 128));
  ::SetWindowTextW(s.mainWindow, title.c_str());

  const std::vector<core::PageInfo> pages = core::SheetPagesFor(common::App().ntFamily);
  std::vector<std::wstring> captions;
  captions.reserve(pages.size());
  std::vector<PROPSHEETPAGEW> descriptors;
  for (const core::PageInfo& info : pages) {
    captions.push_back(win32::Wide(common::LoadText(info.captionId, 128)));
    PROPSHEETPAGEW p{};
    p.dwSize = sizeof p;
    p.dwFlags = PSP_USETITLE | PSP_USEHICON;
    p.hInstance = common::App().instance;
    p.pszTemplate = MAKEINTRESOURCEW(info.dialogId);
    p.hIcon = ::LoadIconW(common::App().instance, MAKEINTRESOURCEW(info.tabIconId));
    p.pszTitle = captions.back().c_str();
    p.pfnDlgProc = PageProc;
    p.lParam = reinterpret_cast<LPARAM>(&DescriptionFor(info.code));
    descriptors.push_back(p);
  }

  PROPSHEETHEADERW header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_USECALLBACK;
  header.hwndParent = s.mainWindow;
  header.hInstance = common::App().instance;
  header.pszCaption = title.c_str();
  header.nPages = static_cast<UINT>(descriptors.size());
  header.nStartPage = static_cast<UINT>(core::StartPageIndex(pages, code));
  header.ppsp = descriptors.data();
  header.pfnCallback = SheetCallback;

  const INT_PTR result = ::PropertySheetW(&header);
  s.sheet = nullptr;
  s.sheetOpen = false;
  s.currentPage = 0;
  s.sheetDpi = 0;
  Trace("SHEET", result == -1 ? "The sheet could not be shown" : "The sheet closed");
  TraceElapsed();
  if (result == -1) ShowMessage(s.mainWindow, kSystemErrorId);
}

}  // namespace obrivo::explorer
