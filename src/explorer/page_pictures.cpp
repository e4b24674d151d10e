// The pictures of a page: the top picture, and the corner pictures (Help, the Monitor's patrol,
// a page's own patrol pictures) with their hover and pressed images and their labels. The
// pictures are transparent to the mouse, so the page follows the mouse over them.
#include <optional>
#include <string>

#include "common/options_store.h"
#include "common/text_loader.h"
#include "common/win32/wide.h"
#include "common/win32/window.h"
#include "explorer/explorer_state.h"
#include "explorer/page.h"
#include "explorer/patrol_time_dialog.h"
#include "explorer_ids.h"

namespace obrivo::explorer {
namespace {

constexpr int kProductNameId = 2;
constexpr COLORREF kLabelShadow = RGB(192, 192, 192);
constexpr COLORREF kLabelColour = RGB(0, 51, 153);

std::optional<core::PictureEvent> PictureEventOf(UINT message) {
  switch (message) {
    case WM_MOUSEMOVE:
      return core::PictureEvent::Move;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      return core::PictureEvent::Press;
    case WM_LBUTTONUP:
      return core::PictureEvent::Release;
    case WM_MOUSELEAVE:
      return core::PictureEvent::Leave;
    default:
      return std::nullopt;
  }
}

}  // namespace

void Page::InitPictures() {
  // The labels carry their font, so that it follows the page's DPI like every other.
  for (int id : {IDC_HELP_LABEL, IDC_MONITOR_LABEL})
    ::SendDlgItemMessageW(window_, id, WM_SETFONT,
                          reinterpret_cast<WPARAM>(SharedFont(Font::Label, dpi_)), FALSE);
  if (HWND top = ::GetDlgItem(window_, IDC_TOP_PICTURE))
    ::SendMessageW(top, STM_SETIMAGE, IMAGE_BITMAP,
                   reinterpret_cast<LPARAM>(SharedBitmap(IDB_PAGE_TOP)));
  if (HWND help = ::GetDlgItem(window_, IDC_HELP_PICTURE))
    ShowPictureImage(help, core::PictureLook::Normal);
  RefreshMonitorPicture();
}

void Page::ShowPictureImage(HWND picture, core::PictureLook look) {
  const int id = ::GetDlgCtrlID(picture);
  int bitmap = 0;
  if (id == IDC_HELP_PICTURE) {
    bitmap = core::HelpPictureImage(look);
  } else if (const MonitorPicture* patrol = PatrolOf(id)) {
    const bool patrolled = common::ReadOptionOrDefault(patrol->intervalOption) > 0;
    const bool realtime =
        !patrol->realtimeOption.empty() && common::ReadOptionOrDefault(patrol->realtimeOption) > 0;
    bitmap = core::PatrolPictureImage(look, patrolled, realtime);
  }
  if (bitmap)
    ::SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP,
                   reinterpret_cast<LPARAM>(SharedBitmap(bitmap)));
}

void Page::RefreshMonitorPicture() {
  for (const PatrolPicture& p : description_.patrolPictures)
    if (HWND picture = ::GetDlgItem(window_, p.control))
      ShowPictureImage(picture, core::PictureLook::Normal);
  HWND picture = ::GetDlgItem(window_, IDC_MONITOR_PICTURE);
  if (!picture) return;
  if (!description_.monitor) {
    ::ShowWindow(picture, SW_HIDE);
    if (HWND label = ::GetDlgItem(window_, IDC_MONITOR_LABEL)) ::ShowWindow(label, SW_HIDE);
    return;
  }
  ShowPictureImage(picture, core::PictureLook::Normal);
}

const MonitorPicture* Page::PatrolOf(int control) const {
  if (control == IDC_MONITOR_PICTURE && description_.monitor) return &*description_.monitor;
  for (const PatrolPicture& p : description_.patrolPictures)
    if (p.control == control) return &p.patrol;
  return nullptr;
}

// The picture then shows what the dialog left: off for 0, on (or real time) for minutes, and
// unchanged after Close. The mouse was over the dialog meanwhile: the next move over the picture
// shows its hover image again.
void Page::SetPatrolTime(int control) {
  const MonitorPicture* patrol = PatrolOf(control);
  if (!patrol) return;
  ShowPatrolTimeDialog(window_, patrol->intervalOption, patrol->realtimeOption);
  pictures_.ForgetHover();
  if (HWND picture = ::GetDlgItem(window_, control))
    ShowPictureImage(picture, core::PictureLook::Normal);
}

// The clickable picture under `point`, looked up by its own rectangle: a group box drawn around
// pictures (the Options page's) would otherwise be the child found there.
HWND Page::PictureAt(POINT point) const {
  for (HWND child = ::GetWindow(window_, GW_CHILD); child;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    const int id = ::GetDlgCtrlID(child);
    if ((id != IDC_HELP_PICTURE && !PatrolOf(id)) || !Handles(id) || !::IsWindowVisible(child))
      continue;
    const RECT r = win32::ChildRect(window_, child);
    if (::PtInRect(&r, point)) return child;
  }
  return nullptr;
}

void Page::OnMouse(UINT message, POINT point) {
  const std::optional<core::PictureEvent> event = PictureEventOf(message);
  if (!event) return;
  HWND over = PictureAt(point);
  const core::PictureEffects effects = pictures_.On(*event, over ? ::GetDlgCtrlID(over) : 0);
  if (effects.releaseCapture) ::ReleaseCapture();
  for (const core::PictureLookChange& change : effects.looks)
    if (HWND picture = ::GetDlgItem(window_, change.picture))
      ShowPictureImage(picture, change.look);
  if (effects.trackLeave) {
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window_, 0};
    ::TrackMouseEvent(&track);
  }
  if (effects.capture) ::SetCapture(window_);
  if (effects.clicked) Run(effects.clicked);
}

// The label under a corner picture, in its font with a light shadow; the product's own
// name reads from the left, the others are centred.
void Page::DrawLabel(const DRAWITEMSTRUCT& item) {
  wchar_t text[128] = {};
  ::GetWindowTextW(item.hwndItem, text, 128);
  const std::string product = common::LoadText(kProductNameId, 64);
  const bool left = !product.empty() && win32::Narrow(text).find(product) != std::string::npos;
  const UINT format = DT_SINGLELINE | DT_NOPREFIX | (left ? DT_LEFT : DT_CENTER);
  HDC dc = item.hDC;
  // The page's own background (themed pages are not button-face grey).
  auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(window_, WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(item.hwndItem)));
  ::FillRect(dc, &item.rcItem, brush ? brush : ::GetSysColorBrush(COLOR_BTNFACE));
  HGDIOBJ oldFont =
      ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
  ::SetBkMode(dc, TRANSPARENT);
  RECT shadow = item.rcItem;
  ::OffsetRect(&shadow, 1, 1);
  ::SetTextColor(dc, kLabelShadow);
  ::DrawTextW(dc, text, -1, &shadow, format);
  RECT face = item.rcItem;
  ::SetTextColor(dc, kLabelColour);
  ::DrawTextW(dc, text, -1, &face, format);
  ::SelectObject(dc, oldFont);
}

}  // namespace obrivo::explorer
