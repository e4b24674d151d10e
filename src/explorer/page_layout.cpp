// The layout of a page's controls.
#include "explorer/page_layout.h"

#include <algorithm>
#include <string>
#include <utility>

#include "common/win32/window.h"
#include "core/dpi.h"
#include "explorer_ids.h"

namespace obrivo::explorer {
namespace {

// The height `text` takes in `control`'s width and font.
int TextHeight(HWND control, const std::wstring& text) {
  RECT client{};
  ::GetClientRect(control, &client);
  return win32::WrappedTextHeight(control, text, client.right);
}

core::Rect ToCore(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

core::Rect Scaled(const core::Rect& r, int dpi, int fromDpi) {
  return {core::ScaleToDpi(r.left, dpi, fromDpi), core::ScaleToDpi(r.top, dpi, fromDpi),
          core::ScaleToDpi(r.right, dpi, fromDpi), core::ScaleToDpi(r.bottom, dpi, fromDpi)};
}

// Each page's first heading and the one below it: most pages have the shared ids, the Delayed
// Start and Recent pages ids of their own.
constexpr std::pair<int, int> kHeadingPairs[] = {{IDC_HEADING, IDC_HEADING2},
                                                 {IDC_DELAYED_HEADING, IDC_DELAYED_HINT},
                                                 {IDC_RECENT_HEADING, IDC_RECENT_HEADING2}};

core::Size ClientSize(HWND window) {
  RECT client{};
  ::GetClientRect(window, &client);
  return {client.right, client.bottom};
}

}  // namespace

void FitHeadings(HWND page) {
  for (const auto& [firstId, secondId] : kHeadingPairs) {
    HWND first = ::GetDlgItem(page, firstId);
    if (!first) continue;
    // A heading's texts open with a blank line that spaces them apart; the page's first one
    // starts level with the picture beside it instead, so that the longest headings fit.
    std::wstring firstText = win32::WindowTextW(first);
    if (firstText.starts_with(L'\n')) {
      firstText.erase(0, 1);
      ::SetWindowTextW(first, firstText.c_str());
    }
    HWND second = ::GetDlgItem(page, secondId);
    if (!second) continue;
    const RECT r1 = win32::ChildRect(page, first);
    const RECT r2 = win32::ChildRect(page, second);
    const int firstHeight = TextHeight(first, firstText);
    const int top = r1.top + firstHeight;
    std::wstring text = win32::WindowTextW(second);
    if (top + TextHeight(second, text) > r2.bottom && text.starts_with(L'\n')) {
      text.erase(0, 1);
      ::SetWindowTextW(second, text.c_str());
    }
    ::MoveWindow(first, r1.left, r1.top, r1.right - r1.left, firstHeight, FALSE);
    ::MoveWindow(second, r2.left, top, r2.right - r2.left, std::max(0L, r2.bottom - top), FALSE);
  }
}

void PageLayout::Capture(HWND page, int dpi) {
  created_ = ClientSize(page);
  createdDpi_ = dpi;
  anchors_.clear();
  for (HWND child = ::GetWindow(page, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    anchors_.push_back({child, ToCore(win32::ChildRect(page, child))});
}

void PageLayout::Apply(HWND page, const std::vector<int>& bottomButtons, int dpi) const {
  // The page moved to another DPI since: its controls' places as they would have been made.
  core::PageLayoutInput input;
  input.created = {core::ScaleToDpi(created_.width, dpi, createdDpi_),
                   core::ScaleToDpi(created_.height, dpi, createdDpi_)};
  input.current = ClientSize(page);
  input.bottomButtons = bottomButtons;
  input.listId = IDC_PAGE_LIST;
  input.topPictureId = IDC_TOP_PICTURE;
  for (const Anchor& a : anchors_)
    input.controls.push_back({::GetDlgCtrlID(a.control), Scaled(a.rect, dpi, createdDpi_),
                              ::IsWindowVisible(a.control) != FALSE});

  HDWP defer = ::BeginDeferWindowPos(static_cast<int>(anchors_.size()));
  for (const core::Placement& p : core::LayOutPage(input)) {
    if (!defer) break;
    const core::Rect& r = p.rect;
    defer = ::DeferWindowPos(defer, anchors_[p.control].control, nullptr, r.left, r.top,
                             r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (defer) ::EndDeferWindowPos(defer);
  ::InvalidateRect(page, nullptr, TRUE);
}

}  // namespace obrivo::explorer
