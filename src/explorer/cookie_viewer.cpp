// The cookie viewer.
#include "explorer/cookie_viewer.h"

#include <commctrl.h>
#include <shellapi.h>

#include <set>
#include <iterator>
#include <string>
#include <vector>

#include "browser/cookies.h"
#include "common/app.h"
#include "common/items.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/wide.h"
#include "common/window_place.h"
#include "core/text.h"
#include "explorer/dialog_texts.h"
#include "explorer/explorer_state.h"
#include "explorer/list_view.h"
#include "explorer/messages.h"
#include "explorer/patrol_time_dialog.h"
#include "explorer_ids.h"
#include "icon_ids.h"
#include "string_ids.h"

namespace obrivo::explorer {
namespace {

constexpr int kColumnCode = 6045;  // column widths are kept under this code
constexpr char kIntervalOption[] = "Cookies";
constexpr int kIeColumns[] = {IDS_PAGE_COOKIES, 669};
constexpr int kMozillaColumns[] = {781, 775, 776, 777, 778};
constexpr int kTrueId = 779;
constexpr int kFalseId = 780;
constexpr int kRemoveUncheckedQuestionId = 728;
constexpr int kRemoveCheckedQuestionId = 738;
const common::WindowPositionNames kPlace{"xCookie", "yCookie", "dxCookie", "dyCookie"};

struct ViewerState {
  core::CookieMode mode = core::CookieMode::InternetExplorer;
  int browserCode = 1;
  core::ItemList cookies;
  HWND statusBar = nullptr;
};

HWND List(HWND dialog) { return ::GetDlgItem(dialog, IDC_PAGE_LIST); }

int ColumnCount(const ViewerState& s) {
  return s.mode == core::CookieMode::Mozilla ? static_cast<int>(std::size(kMozillaColumns))
                                             : static_cast<int>(std::size(kIeColumns));
}

void ShowPatrolPicture(HWND dialog) {
  const bool on = common::ReadOption(kIntervalOption, 0) > 0;
  ::SendDlgItemMessageW(dialog, IDC_MONITOR_PICTURE, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(SharedBitmap(on ? IDB_PATROL_ON : IDB_PATROL_OFF)));
}

void Fill(HWND dialog, ViewerState& s) {
  HWND list = List(dialog);
  ::SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  // The filters take what they match before anything is shown.
  browser::ScanCookies(s.mode, true, s.browserCode);
  common::ClearItems();
  browser::ScanCookies(s.mode, false, s.browserCode);
  s.cookies = common::Items();
  common::ClearItems();
  const std::vector<std::string> kept = browser::KeptCookieTitles();
  const std::set<std::string> keptSet(kept.begin(), kept.end());
  const std::string yes = common::LoadText(kTrueId, 16), no = common::LoadText(kFalseId, 16);
  for (std::size_t i = 0; i < s.cookies.Count(); ++i) {
    const core::Item& cookie = s.cookies.At(i);
    const std::string& title = core::EntryName(cookie);
    const int row = InsertRow(list, static_cast<int>(i), core::VisibleTitle(title), -1);
    if (s.mode == core::CookieMode::Mozilla) {
      SetCellText(list, row, 1, cookie.text);
      SetCellText(list, row, 2, cookie.path);
      SetCellText(list, row, 3, cookie.key);
      SetCellText(list, row, 4, cookie.flag ? yes : no);
    } else {
      SetCellText(list, row, 1, common::FileCreationTimeText(cookie.path));
    }
    ListView_SetCheckState(list, row, keptSet.count(title) != 0);
  }
  const std::string count = core::FormatText(common::LoadText(IDS_COOKIE_COUNT, 64),
                                             std::to_string(s.cookies.Count()));
  ::SendMessageW(s.statusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(win32::Wide(count).c_str()));
  ::SetDlgItemTextW(dialog, IDC_COOKIE_FOLDER,
                    win32::Wide(browser::CookieFolderText(s.mode, s.browserCode)).c_str());
}

std::vector<browser::CookieChoice> Choices(HWND dialog, const ViewerState& s) {
  std::vector<browser::CookieChoice> rows;
  HWND list = List(dialog);
  for (int row = 0; row < RowCount(list); ++row) {
    const int index = RowItemIndex(list, row);
    if (!s.cookies.IsValid(static_cast<std::size_t>(index))) continue;
    const core::Item& cookie = s.cookies.At(static_cast<std::size_t>(index));
    rows.push_back({core::EntryName(cookie), cookie.path, ListView_GetCheckState(list, row) != 0});
  }
  return rows;
}

void Remove(HWND dialog, ViewerState& s, bool removeChecked) {
  const int question = removeChecked ? kRemoveCheckedQuestionId : kRemoveUncheckedQuestionId;
  if (Ask(dialog, common::LoadText(question), MB_YESNO | MB_TOPMOST, MB_ICONEXCLAMATION) != IDYES)
    return;
  const std::vector<std::string> failed =
      browser::RemoveCookies(s.mode, s.browserCode, Choices(dialog, s), removeChecked);
  Fill(dialog, s);
  if (!removeChecked) SortRows(List(dialog), 1, false, false);
  if (failed.empty()) return;
  std::string names;
  for (const std::string& title : failed) names += core::VisibleTitle(title) + "\n";
  ShowMessageText(dialog, core::FormatText(common::LoadText(IDS_COOKIE_REMOVE_FAILED), names),
                  MB_ICONWARNING);
}

// Shows the selected IE cookie's file as text.
void ViewSelected(HWND dialog, const ViewerState& s) {
  const int row = SelectedRowPosition(List(dialog));
  const int index = row < 0 ? -1 : RowItemIndex(List(dialog), row);
  if (!s.cookies.IsValid(static_cast<std::size_t>(index))) {
    ShowNoSelection(dialog);
    return;
  }
  const std::wstring file = win32::Wide(s.cookies.At(static_cast<std::size_t>(index)).path);
  ::ShellExecuteW(dialog, L"open", L"notepad.exe", file.c_str(), nullptr, SW_SHOWNORMAL);
}

void Init(HWND dialog, ViewerState& s) {
  ApplyDialogTexts(dialog, IDD_COOKIE_VIEWER);
  HWND list = List(dialog);
  ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES,
                 LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES);
  const int* ids = s.mode == core::CookieMode::Mozilla ? kMozillaColumns : kIeColumns;
  for (int i = 0; i < ColumnCount(s); ++i)
    InsertPageColumn(list, common::LoadText(ids[i], 64), kColumnCode + static_cast<int>(s.mode),
                     i);
  // One cookie file per IE cookie can be shown; a Mozilla cookie is a line of one file.
  if (s.mode == core::CookieMode::Mozilla)
    ::ShowWindow(::GetDlgItem(dialog, IDC_COOKIE_VIEW_FILE), SW_HIDE);
  s.statusBar = ::CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                  dialog, reinterpret_cast<HMENU>(IDC_COOKIE_VIEWER_STATUS),
                                  common::App().instance, nullptr);
  ShowPatrolPicture(dialog);
  common::PlaceWindow(dialog, kPlace);
  Fill(dialog, s);
}

void Close(HWND dialog, const ViewerState& s) {
  SaveColumnWidths(List(dialog), kColumnCode + static_cast<int>(s.mode));
  common::SaveWindowPosition(dialog, kPlace);
  ::EndDialog(dialog, 0);
}

INT_PTR CALLBACK ViewerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* s = reinterpret_cast<ViewerState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      s = reinterpret_cast<ViewerState*>(lParam);
      ::SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(s));
      Init(dialog, *s);
      return TRUE;
    case WM_COMMAND:
      if (!s) break;
      switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
          Close(dialog, *s);
          return TRUE;
        case IDC_REMOVE_UNCHECKED:
          Remove(dialog, *s, false);
          return TRUE;
        case IDC_REMOVE_CHECKED:
          Remove(dialog, *s, true);
          return TRUE;
        case IDC_COOKIE_VIEW_FILE:
          ViewSelected(dialog, *s);
          return TRUE;
        case IDC_MONITOR_PICTURE:
          if (HIWORD(wParam) == STN_CLICKED) {
            ShowPatrolTimeDialog(dialog, kIntervalOption, {});
            ShowPatrolPicture(dialog);
          }
          return TRUE;
        default:
          break;
      }
      break;
    case WM_NOTIFY: {
      if (!s) break;
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom == IDC_PAGE_LIST && header->code == LVN_COLUMNCLICK) {
        SortRows(List(dialog), reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem, false,
                 false);
        return TRUE;
      }
      break;
    }
    default:
      break;
  }
  return FALSE;
}

}  // namespace

void ShowCookieViewer(HWND owner) {
  ViewerState state;
  state.browserCode = browser::ChosenBrowser();
  state.mode = core::CookieModeFor(state.browserCode);
  ::DialogBoxParamW(common::App().instance, MAKEINTRESOURCEW(IDD_COOKIE_VIEWER), owner,
                    ViewerProc, reinterpret_cast<LPARAM>(&state));
}

}  // namespace obrivo::explorer
