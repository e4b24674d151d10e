// The shared machinery of the Explorer's pages.
#include "explorer/page.h"

#include <windowsx.h>

#include <algorithm>
#include <string>

#include "common/app.h"
#include "common/help_page.h"
#include "common/items.h"
#include "common/notes.h"
#include "common/online_lookup.h"
#include "common/options_store.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/win32/wide.h"
#include "common/win32/window.h"
#include "core/text.h"
#include "explorer/dialog_texts.h"
#include "explorer/explorer_state.h"
#include "explorer/info_dialog.h"
#include "explorer/list_view.h"
#include "explorer/messages.h"
#include "explorer/patrol_time_dialog.h"
#include "explorer/sheet.h"
#include "explorer/shell_actions.h"
#include "explorer_ids.h"
#include "icon_ids.h"
#include "menu_ids.h"
#include "string_ids.h"

namespace obrivo::explorer {
namespace {

// Help picture: normal, hover, pressed.
constexpr int kHelpImages[3] = {IDB_HELP_NORMAL, IDB_HELP_HOVER, IDB_HELP_PRESSED};

constexpr COLORREF kLabelShadow = RGB(192, 192, 192);
constexpr COLORREF kLabelColour = RGB(0, 51, 153);

bool IsListCommand(int id) {
  return id == IDC_INFO || id == IDM_EXPLORE_FOLDER || id == IDM_PROPERTIES ||
         id == IDM_PLUS_INFO || id == IDM_VIEW_NOTE;
}

RECT ChildRect(HWND parent, HWND child) {
  RECT r{};
  ::GetWindowRect(child, &r);
  ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// The height `text` takes in `control`'s width and font.
int TextHeight(HWND control, const std::wstring& text) {
  RECT client{};
  ::GetClientRect(control, &client);
  return win32::WrappedTextHeight(control, text, client.right);
}

// Two headings share the space above the list: the second follows the first wherever the
// first ends, and gives up its spacing blank line when both would not fit otherwise.
void FitHeadings(HWND page) {
  HWND first = ::GetDlgItem(page, IDC_HEADING);
  HWND second = ::GetDlgItem(page, IDC_HEADING2);
  if (!first || !second) return;
  const RECT r1 = ChildRect(page, first);
  const RECT r2 = ChildRect(page, second);
  const int firstHeight = TextHeight(first, win32::WindowTextW(first));
  const int top = r1.top + firstHeight;
  std::wstring text = win32::WindowTextW(second);
  if (top + TextHeight(second, text) > r2.bottom && text.starts_with(L'\n')) {
    text.erase(0, 1);
    ::SetWindowTextW(second, text.c_str());
  }
  ::MoveWindow(first, r1.left, r1.top, r1.right - r1.left, firstHeight, FALSE);
  ::MoveWindow(second, r2.left, top, r2.right - r2.left, std::max(0L, r2.bottom - top), FALSE);
}

bool IsButtonId(const std::vector<int>& ids, int id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

}  // namespace

Page::Page(HWND window, const PageDescription& description)
    : window_(window), description_(description) {}

Page::~Page() {
  if (images_) ::ImageList_Destroy(images_);
}

bool Page::Handles(int id) const {
  for (const PageCommand& c : description_.commands)
    if (c.id == id) return static_cast<bool>(c.run);
  if (id == IDC_HELP_PICTURE || id == IDC_CLOSE || PatrolOf(id)) return true;
  return list_ && IsListCommand(id);
}

void Page::Run(int id) {
  for (const PageCommand& c : description_.commands) {
    if (c.id == id && c.run) {
      c.run(*this);
      return;
    }
  }
  if (id == IDC_HELP_PICTURE) {
    common::OpenHelpPage(window_, description_.code);
    return;
  }
  if (PatrolOf(id)) {
    SetPatrolTime(id);
    return;
  }
  if (id == IDC_CLOSE) {
    CloseSheet();
    return;
  }
  if (!list_ || !IsListCommand(id)) return;
  const int item = SelectedItem();
  if (item < 0) {
    ShowNoSelection(window_);
    return;
  }
  const core::Item& it = items_.At(static_cast<std::size_t>(item));
  switch (id) {
    case IDC_INFO:
      ShowProgramInfo(*this, static_cast<std::size_t>(item), false);
      break;
    case IDM_VIEW_NOTE:
      ShowProgramInfo(*this, static_cast<std::size_t>(item), true);
      break;
    case IDM_EXPLORE_FOLDER:
      ExploreProgramFolder(window_, it.path);
      break;
    case IDM_PROPERTIES:
      OpenProgramProperties(window_, it.path);
      break;
    case IDM_PLUS_INFO:
      common::LookUpProgramOnline(window_, it.type + 1000, it.path, it.title);
      break;
    default:
      break;
  }
}

int Page::SelectedItem() const {
  if (!list_) return -1;
  const int item = SelectedRow(list_);
  return items_.IsValid(static_cast<std::size_t>(item)) ? item : -1;
}

std::vector<std::size_t> Page::SelectedItems() const {
  std::vector<std::size_t> selected;
  if (!list_) return selected;
  for (int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED); row >= 0;
       row = ListView_GetNextItem(list_, row, LVNI_SELECTED)) {
    const int item = RowItemIndex(list_, row);
    if (items_.IsValid(static_cast<std::size_t>(item)))
      selected.push_back(static_cast<std::size_t>(item));
  }
  return selected;
}

int Page::AddRow(std::size_t index, std::string_view title, std::string_view iconPath,
                 int iconIndex) {
  const std::string key = core::ToUpper(iconPath) + "|" + std::to_string(iconIndex);
  auto found = iconImages_.find(key);
  if (found == iconImages_.end())
    found = iconImages_.emplace(key, AddRowIcon(images_, iconPath, iconIndex)).first;
  return InsertRow(list_, static_cast<int>(index), title, found->second);
}

void Page::Fill() {
  if (!list_) return;
  HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
  ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
  items_.Clear();
  ResetRowImages(images_);
  iconImages_.clear();
  if (description_.fill) description_.fill(*this);
  filled_ = true;
  if (!description_.sortOption.empty()) {
    const int stored = common::ReadOption(description_.sortOption, 0);
    if (stored > 0) SortBy(stored - 1, !sort_.Descending(stored - 1));
  }
  ::SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(list_, nullptr, TRUE);
  ::SetCursor(previous ? previous : ::LoadCursorW(nullptr, IDC_ARROW));
  // The refilled list has no selection: buttons and status follow.
  if (description_.selectionChanged) description_.selectionChanged(*this);
}

void Page::SortBy(int column, bool descending) {
  if (!list_ || column < 0 || column >= static_cast<int>(description_.columns.size())) return;
  SortRows(list_, column, description_.columns[static_cast<std::size_t>(column)].numeric,
           descending);
}

void Page::OnInit() {
  ApplyDialogTexts(window_, description_.dialogId);
  FitHeadings(window_);
  if (!description_.columns.empty()) {
    list_ = ::GetDlgItem(window_, IDC_PAGE_LIST);
    if (list_) {
      ::SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                     LVS_EX_FULLROWSELECT);
      for (std::size_t i = 0; i < description_.columns.size(); ++i)
        InsertPageColumn(list_, common::LoadText(description_.columns[i].stringId, 128),
                         description_.code, static_cast<int>(i));
      images_ = CreateRowImageList();
      ::SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_));
    }
  }
  if (HWND top = ::GetDlgItem(window_, IDC_TOP_PICTURE))
    ::SendMessageW(top, STM_SETIMAGE, IMAGE_BITMAP,
                   reinterpret_cast<LPARAM>(SharedBitmap(IDB_PAGE_TOP)));
  if (HWND help = ::GetDlgItem(window_, IDC_HELP_PICTURE)) ShowPictureImage(help, 0);
  RefreshMonitorPicture();
  if (!common::App().ntFamily)
    if (HWND close = ::GetDlgItem(window_, IDC_CLOSE)) ::ShowWindow(close, SW_HIDE);

  // A button whose feature this page does not have yet stays visible but cannot be pressed.
  for (HWND child = ::GetWindow(window_, GW_CHILD); child;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    wchar_t cls[16] = {};
    ::GetClassNameW(child, cls, 16);
    if (::lstrcmpiW(cls, L"Button") != 0) continue;
    const LONG style = ::GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
    if (style == BS_GROUPBOX) continue;
    const int id = ::GetDlgCtrlID(child);
    ::EnableWindow(child, Handles(id));
  }

  AttachSheet(window_);
  if (description_.init) description_.init(*this);

  RECT client{};
  ::GetClientRect(window_, &client);
  createdSize_ = {client.right, client.bottom};
  for (HWND child = ::GetWindow(window_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    anchors_.push_back({child, ChildRect(window_, child)});
}

void Page::OnSetActive() {
  Explorer().currentPage = description_.code;
  common::WriteOption("StartTab", description_.code);
  if (list_ && !filled_) Fill();
  RefreshMonitorPicture();
  if (description_.activate) description_.activate(*this);
  NotifyPageActivated();
}

void Page::OnColumnClick(int column) {
  if (column < 0 || column >= static_cast<int>(description_.columns.size())) return;
  if (!description_.columns[static_cast<std::size_t>(column)].sortable) return;
  const bool descending = sort_.Click(column);
  SortBy(column, descending);
  if (!description_.sortOption.empty()) common::WriteOption(description_.sortOption, column + 1);
}

void Page::OnContextMenu() {
  const int item = SelectedItem();
  if (item < 0) return;
  const core::Item& row = items_.At(static_cast<std::size_t>(item));
  const bool note = common::NoteExists(row.path);
  const std::vector<core::RowMenuEntry> entries =
      description_.menuFor ? description_.menuFor(row) : description_.menu;
  const auto lines = core::BuildRowMenu(entries, note, description_.code == 6028);
  win32::UniqueMenu menu(::CreatePopupMenu());
  if (!menu) return;
  for (const core::MenuLine& line : lines) {
    if (line.separator()) {
      ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const UINT flags = MF_STRING | (Handles(line.commandId) ? 0 : MF_GRAYED);
    ::AppendMenuW(menu.get(), flags, static_cast<UINT_PTR>(line.commandId),
                  win32::Wide(common::LoadText(line.stringId, 128)).c_str());
  }
  POINT at{};
  ::GetCursorPos(&at);
  ::SetForegroundWindow(window_);
  const int chosen = static_cast<int>(::TrackPopupMenuEx(
      menu.get(), TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, window_, nullptr));
  ::PostMessageW(window_, WM_NULL, 0, 0);
  if (chosen != 0 && Handles(chosen)) Run(chosen);
}

void Page::OnDestroy() {
  // The page owns the image list; the list view must not destroy it a second time.
  if (list_) ::SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
  if (Explorer().currentPage != 0) SaveSheetPlacement();
  Explorer().currentPage = 0;
  if (Explorer().mainWindow) ::PostMessageW(Explorer().mainWindow, WM_CLOSE, 0, 0);
}

void Page::ShowPictureImage(HWND picture, int state) {
  const int id = ::GetDlgCtrlID(picture);
  int bitmap = 0;
  if (id == IDC_HELP_PICTURE) {
    bitmap = kHelpImages[state];
  } else if (const MonitorPicture* patrol = PatrolOf(id)) {
    const MonitorPicture& m = *patrol;
    const bool on = common::ReadOptionOrDefault(m.intervalOption) > 0;
    const bool realtime =
        !m.realtimeOption.empty() && common::ReadOptionOrDefault(m.realtimeOption) > 0;
    const int onImage = realtime ? IDB_PATROL_REAL_TIME : IDB_PATROL_ON;
    if (state == 2)
      bitmap = IDB_PATROL_PRESSED;
    else if (state == 1)
      bitmap = on ? IDB_PATROL_OFF : onImage;  // hovering shows what a click would switch to
    else
      bitmap = on ? onImage : IDB_PATROL_OFF;
  }
  if (bitmap)
    ::SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP,
                   reinterpret_cast<LPARAM>(SharedBitmap(bitmap)));
}

void Page::RefreshMonitorPicture() {
  for (const PatrolPicture& p : description_.patrolPictures)
    if (HWND picture = ::GetDlgItem(window_, p.control)) ShowPictureImage(picture, 0);
  HWND picture = ::GetDlgItem(window_, IDC_MONITOR_PICTURE);
  if (!picture) return;
  if (!description_.monitor) {
    ::ShowWindow(picture, SW_HIDE);
    if (HWND label = ::GetDlgItem(window_, IDC_MONITOR_LABEL)) ::ShowWindow(label, SW_HIDE);
    return;
  }
  ShowPictureImage(picture, 0);
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
  hover_ = nullptr;
  if (HWND picture = ::GetDlgItem(window_, control)) ShowPictureImage(picture, 0);
}

// The clickable picture under `point`, looked up by its own rectangle: a group box drawn around
// pictures (the Options page's) would otherwise be the child found there.
HWND Page::PictureAt(POINT point) const {
  for (HWND child = ::GetWindow(window_, GW_CHILD); child;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    const int id = ::GetDlgCtrlID(child);
    if ((id != IDC_HELP_PICTURE && !PatrolOf(id)) || !Handles(id) || !::IsWindowVisible(child))
      continue;
    const RECT r = ChildRect(window_, child);
    if (::PtInRect(&r, point)) return child;
  }
  return nullptr;
}

void Page::OnMouse(UINT message, POINT point) {
  HWND over = PictureAt(point);
  switch (message) {
    case WM_MOUSEMOVE:
      if (over != hover_) {
        if (hover_) ShowPictureImage(hover_, 0);
        if (over) {
          ShowPictureImage(over, over == pressed_ ? 2 : 1);
          TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window_, 0};
          ::TrackMouseEvent(&track);
        }
        hover_ = over;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (over) {
        pressed_ = over;
        ShowPictureImage(over, 2);
        ::SetCapture(window_);
      }
      break;
    case WM_LBUTTONUP:
      if (pressed_) {
        HWND was = pressed_;
        pressed_ = nullptr;
        ::ReleaseCapture();
        ShowPictureImage(was, over == was ? 1 : 0);
        if (over == was) Run(::GetDlgCtrlID(was));
      }
      break;
    case WM_MOUSELEAVE:
      if (hover_ && hover_ != pressed_) ShowPictureImage(hover_, 0);
      hover_ = nullptr;
      break;
    default:
      break;
  }
}

void Page::Layout() {
  RECT client{};
  ::GetClientRect(window_, &client);
  const int dx = client.right - createdSize_.cx;
  const int dy = client.bottom - createdSize_.cy;
  RECT listRect{};
  bool haveList = false;
  for (const Anchor& a : anchors_) {
    if (::GetDlgCtrlID(a.control) == IDC_PAGE_LIST) {
      listRect = a.rect;
      haveList = true;
    }
  }
  // Bottom buttons that show, spread in one row along the bottom edge in their order.
  std::vector<const Anchor*> buttons;
  for (int id : description_.bottomButtons)
    for (const Anchor& a : anchors_)
      if (::GetDlgCtrlID(a.control) == id && ::IsWindowVisible(a.control)) buttons.push_back(&a);

  HDWP defer = ::BeginDeferWindowPos(static_cast<int>(anchors_.size()));
  auto place = [&defer](HWND control, const RECT& r) {
    if (defer)
      defer = ::DeferWindowPos(defer, control, nullptr, r.left, r.top, r.right - r.left,
                               r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  };
  const int rightZone = createdSize_.cx * 3 / 4;
  for (const Anchor& a : anchors_) {
    const int id = ::GetDlgCtrlID(a.control);
    RECT r = a.rect;
    if (IsButtonId(description_.bottomButtons, id)) continue;
    if (id == IDC_PAGE_LIST) {
      r.right += dx;
      r.bottom += dy;
    } else if (haveList && a.rect.top >= listRect.bottom) {
      ::OffsetRect(&r, 0, dy);  // below the list: stays with the bottom edge
    } else if (a.rect.left >= rightZone && (!haveList || a.rect.bottom <= listRect.top)) {
      ::OffsetRect(&r, dx, 0);  // corner pictures and their labels stay at the right
    } else if (haveList && a.rect.bottom <= listRect.top && id != IDC_TOP_PICTURE) {
      r.right += dx;  // headings widen with the page
    }
    place(a.control, r);
  }
  if (!buttons.empty()) {
    const RECT first = buttons.front()->rect;
    const int margin = haveList ? listRect.left : first.left;
    const int width = first.right - first.left;
    const int span = (haveList ? listRect.right + dx : client.right - margin) - margin;
    const int n = static_cast<int>(buttons.size());
    const int gap = n > 1 ? std::max(4, (span - n * width) / (n - 1)) : 0;
    for (int i = 0; i < n; ++i) {
      RECT r = buttons[static_cast<std::size_t>(i)]->rect;
      const int h = r.bottom - r.top;
      r.left = n > 1 ? margin + i * (width + gap) : r.left + dx;
      r.right = r.left + width;
      r.top += dy;
      r.bottom = r.top + h;
      place(buttons[static_cast<std::size_t>(i)]->control, r);
    }
  }
  if (defer) ::EndDeferWindowPos(defer);
  ::InvalidateRect(window_, nullptr, TRUE);
}

void Page::DrawLabel(const DRAWITEMSTRUCT& item) {
  wchar_t text[128] = {};
  ::GetWindowTextW(item.hwndItem, text, 128);
  const std::string product = common::LoadText(IDS_PROGRAM_TITLE, 64);
  const bool left = !product.empty() && win32::Narrow(text).find(product) != std::string::npos;
  const UINT format = DT_SINGLELINE | DT_NOPREFIX | (left ? DT_LEFT : DT_CENTER);
  HDC dc = item.hDC;
  // The page's own background (themed pages are not button-face grey).
  auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(window_, WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(item.hwndItem)));
  ::FillRect(dc, &item.rcItem, brush ? brush : ::GetSysColorBrush(COLOR_BTNFACE));
  HGDIOBJ oldFont = ::SelectObject(dc, SharedFont(Font::Label));
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

INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* page = reinterpret_cast<Page*>(::GetWindowLongPtrW(window, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      const auto* sheetPage = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
      const auto* description = reinterpret_cast<const PageDescription*>(sheetPage->lParam);
      page = new Page(window, *description);
      ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
      page->OnInit();
      return TRUE;
    }
    case WM_NOTIFY: {
      if (!page) break;
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code == PSN_SETACTIVE) {
        page->OnSetActive();
        ::SetWindowLongPtrW(window, DWLP_MSGRESULT, 0);
        return TRUE;
      }
      if (header->hwndFrom != page->list_ || !page->list_) break;
      switch (header->code) {
        case LVN_COLUMNCLICK:
          page->OnColumnClick(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem);
          return TRUE;
        case NM_DBLCLK:
        case NM_RETURN:
          if (page->Handles(IDC_INFO)) page->Run(IDC_INFO);
          return TRUE;
        case NM_RCLICK:
          page->OnContextMenu();
          return TRUE;
        case LVN_ITEMCHANGED: {
          const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
          if ((change->uChanged & LVIF_STATE) &&
              ((change->uOldState ^ change->uNewState) & LVIS_SELECTED) &&
              page->description_.selectionChanged)
            page->description_.selectionChanged(*page);
          return TRUE;
        }
        default:
          break;
      }
      break;
    }
    case WM_COMMAND:
      if (page && HIWORD(wParam) == BN_CLICKED && page->Handles(LOWORD(wParam))) {
        page->Run(LOWORD(wParam));
        return TRUE;
      }
      break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSELEAVE:
      if (page) page->OnMouse(message, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return TRUE;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (page && item->CtlType == ODT_STATIC) {
        page->DrawLabel(*item);
        return TRUE;
      }
      break;
    }
    case kLayoutMessage:
      if (page) page->Layout();
      return TRUE;
    case WM_DESTROY:
      if (page) {
        page->OnDestroy();
        ::SetWindowLongPtrW(window, DWLP_USER, 0);
        delete page;
      }
      return TRUE;
    default:
      break;
  }
  return FALSE;
}

}  // namespace obrivo::explorer
