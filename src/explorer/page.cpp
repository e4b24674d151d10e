// The shared machinery of the Explorer's pages: texts, the list and its sorting, the right-click
// menu, the commands and the page procedure. The pictures are in page_pictures.cpp, the layout in
// page_layout.cpp.
#include "explorer/page.h"

#include <windowsx.h>

#include <string>

#include "common/app.h"
#include "common/help_page.h"
#include "common/items.h"
#include "common/notes.h"
#include "common/online_lookup.h"
#include "common/options_store.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/win32/dpi.h"
#include "common/win32/wide.h"
#include "core/text.h"
#include "explorer/dialog_texts.h"
#include "explorer/explorer_state.h"
#include "explorer/info_dialog.h"
#include "explorer/list_view.h"
#include "explorer/messages.h"
#include "explorer/reports.h"
#include "explorer/sheet.h"
#include "explorer/shell_actions.h"
#include "explorer_ids.h"
#include "icon_ids.h"
#include "menu_ids.h"
#include "string_ids.h"

namespace obrivo::explorer {
namespace {

bool IsListCommand(int id) {
  return id == IDC_INFO || id == IDM_EXPLORE_FOLDER || id == IDM_PROPERTIES ||
         id == IDM_PLUS_INFO || id == IDM_VIEW_NOTE;
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
  return list_ && (IsListCommand(id) || id == IDM_OBRIVO_LOG);
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
  // The row menu's log reports every category, whatever row is selected.
  if (list_ && id == IDM_OBRIVO_LOG) {
    ProduceObrivoLog(window_);
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

std::vector<std::size_t> Page::SelectedItemsOrSay() const {
  std::vector<std::size_t> selected = SelectedItems();
  if (selected.empty()) ShowNoSelection(window_);
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

void Page::SortInClickDirection(int column) { SortBy(column, sort_.Descending(column)); }

void Page::SetClickDirection(int column, bool descending) {
  sort_.SetDescending(column, descending);
}

void Page::OnInit() {
  dpi_ = SheetDpi(window_);
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
  InitPictures();
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

  // The places as the dialog manager made them, at the DPI the page really shows at.
  layout_.Capture(window_, win32::WindowDpi(window_));
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

// The fonts of the page's controls follow the DPI, and so do the places they are laid out at.
void Page::OnDpiChanged(int dpi) {
  dpi_ = dpi;
  win32::RefontControls(window_, Explorer().fonts, dpi);
  layout_.Apply(window_, description_.bottomButtons, dpi_);
}

void Page::OnDestroy() {
  // The page owns the image list; the list view must not destroy it a second time.
  if (list_) ::SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
  if (Explorer().currentPage != 0) SaveSheetPlacement();
  Explorer().currentPage = 0;
  if (Explorer().mainWindow) ::PostMessageW(Explorer().mainWindow, WM_CLOSE, 0, 0);
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
      if (page) page->layout_.Apply(window, page->description_.bottomButtons, page->dpi_);
      return TRUE;
    case WM_DPICHANGED:  // passed on by the sheet
      if (page) page->OnDpiChanged(win32::DpiOfDpiChanged(wParam));
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
