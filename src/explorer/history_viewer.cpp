// The history viewer.
#include "explorer/history_viewer.h"

#include <commctrl.h>

#include "browser/ie_helpers.h"
#include "common/app.h"
#include "common/history.h"
#include "common/items.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "core/history_codes.h"
#include "core/history_record.h"
#include "core/list_sort.h"
#include "core/text.h"
#include "explorer/dialog_texts.h"
#include "explorer/list_view.h"
#include "explorer/messages.h"
#include "explorer_ids.h"
#include "files/hidden_vault.h"
#include "startup/startup_actions.h"
#include "system/task_removal.h"
#include "string_ids.h"
#include "system/service_actions.h"
#include "system/service_check.h"

namespace obrivo::explorer {
namespace {

constexpr int kPageCode = 6041;  // column widths are kept under this code
constexpr int kColumnIds[] = {IDS_COLUMN_TITLE, 715, IDS_COLUMN_COMMAND, 713};
constexpr char kSortOption[] = "SortHistory";

struct ViewerState {
  core::ItemList records;
  HIMAGELIST images = nullptr;
  core::ColumnSortState sort;
  bool lastDescending = false;
};

HWND List(HWND dialog) { return ::GetDlgItem(dialog, IDC_PAGE_LIST); }

// The record shown in `row` (a position in the list, whatever its sort).
const core::Item* RecordInRow(HWND dialog, const ViewerState& s, int row) {
  const int index = row < 0 ? -1 : RowItemIndex(List(dialog), row);
  return index >= 0 && s.records.IsValid(static_cast<std::size_t>(index))
             ? &s.records.At(static_cast<std::size_t>(index))
             : nullptr;
}

const core::Item* SelectedRecord(HWND dialog, const ViewerState& s) {
  return RecordInRow(dialog, s, SelectedRowPosition(List(dialog)));
}

// One rule for the Restore button and a double-click on a row: the record's event has an undo in
// this build; a deleted hidden file only while the vault still holds its copy, unchanged; and a
// service's start-type change only when it names the start type before it (a record of earlier
// versions, or a startup restore read back under the same code, has none to go back to).
bool CanRestore(const core::Item& record) {
  if (!HistoryRestoreFor(record.flag)) return false;
  if (record.flag == core::history_event::kHiddenDeleteFile)
    return files::HiddenVaultCopyKept(record.path, record.key);
  const bool startChange = record.flag >= core::history_event::kServiceAutomatic &&
                           record.flag <= core::history_event::kServiceDisabled;
  if (!startChange) return true;
  const bool service = record.type == core::item_type::kServiceExe ||
                       record.type == core::item_type::kServiceSvchost;
  return service && system::ParseStartRecord(record.key).has_value();
}

void UpdateRestoreButton(HWND dialog, const ViewerState& s) {
  const core::Item* record = SelectedRecord(dialog, s);
  ::EnableWindow(::GetDlgItem(dialog, IDC_HISTORY_RESTORE), record && CanRestore(*record));
}

void Load(HWND dialog, ViewerState& s) {
  HWND list = List(dialog);
  ::SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  ResetRowImages(s.images);
  common::LoadHistory();
  s.records = common::Items();
  for (std::size_t i = 0; i < s.records.Count(); ++i) {
    const core::Item& r = s.records.At(i);
    const int row = InsertRow(list, static_cast<int>(i), r.title, AddRowIcon(s.images, r.path, 0));
    SetCellText(list, row, 1, core::HistoryEventName(r.flag));
    SetCellText(list, row, 2, core::HistoryTypeName(r.type));
    SetCellText(list, row, 3, r.text);
  }
  const int stored = common::ReadOption(kSortOption, 0);
  if (stored > 0 && stored <= static_cast<int>(std::size(kColumnIds)))
    SortRows(list, stored - 1, false, s.lastDescending);
  UpdateRestoreButton(dialog, s);
}

// Acts by the record's event, for the button and a double-click alike.
void Restore(HWND dialog, ViewerState& s, const core::Item* record) {
  if (!record || !CanRestore(*record)) return;
  HistoryRestoreFor(record->flag)(dialog, *record);
  Load(dialog, s);
}

void Close(HWND dialog) {
  SaveColumnWidths(List(dialog), kPageCode);
  ::EndDialog(dialog, 0);
}

INT_PTR CALLBACK ViewerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* s = reinterpret_cast<ViewerState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      s = reinterpret_cast<ViewerState*>(lParam);
      ::SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(s));
      ApplyDialogTexts(dialog, IDD_HISTORY);
      HWND list = List(dialog);
      ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                     LVS_EX_FULLROWSELECT);
      for (int i = 0; i < static_cast<int>(std::size(kColumnIds)); ++i)
        InsertPageColumn(list, common::LoadText(kColumnIds[i], 64), kPageCode, i);
      s->images = CreateRowImageList();
      ::SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(s->images));
      Load(dialog, *s);
      return TRUE;
    }
    case WM_COMMAND:
      if (!s) break;
      switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
          Close(dialog);
          return TRUE;
        case IDC_HISTORY_RESTORE:
          Restore(dialog, *s, SelectedRecord(dialog, *s));
          return TRUE;
        case IDC_HISTORY_CLEAR:
          common::ClearHistoryFile();
          Load(dialog, *s);
          return TRUE;
        default:
          break;
      }
      break;
    case WM_NOTIFY: {
      if (!s) break;
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom != IDC_PAGE_LIST) break;
      switch (header->code) {
        case LVN_ITEMCHANGED:
          UpdateRestoreButton(dialog, *s);
          return TRUE;
        case NM_DBLCLK:
          Restore(dialog, *s,
                  RecordInRow(dialog, *s, reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem));
          return TRUE;
        case LVN_COLUMNCLICK: {
          const int column = reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem;
          s->lastDescending = s->sort.Click(column);
          SortRows(List(dialog), column, false, s->lastDescending);
          common::WriteOption(kSortOption, column + 1);
          return TRUE;
        }
        default:
          break;
      }
      break;
    }
    case WM_DESTROY:
      if (s) {
        ::SendMessageW(List(dialog), LVM_SETIMAGELIST, LVSIL_SMALL, 0);
        ::ImageList_Destroy(s->images);
        s->images = nullptr;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

HistoryRestore HistoryRestoreFor(int event) {
  // The undo operations live with their categories: the startup entry's re-creation, the
  // reversal of a disable or enable, the add-on's registration and the hidden file's copy in
  // the vault. Each is listed here once its category provides it.
  switch (event) {
    case core::history_event::kStartupRemove:
      return [](HWND, const core::Item& r) {
        startup::RestoreStartupEntry(r.type, core::EntryName(r), r.path, r.key);
      };
    case core::history_event::kStartupDisable:
    case core::history_event::kStartupEnable:
      // Only ever back: an entry already in the state before the event stays as it is.
      return [event](HWND, const core::Item& r) {
        if (startup::IsStartupEntryDisabled(r) == (event == core::history_event::kStartupDisable))
          startup::ToggleStartupEntry(core::EntryName(r), r.path, r.key, r.type);
      };
    case core::history_event::kServiceAutomatic:
    case core::history_event::kServiceManual:
    case core::history_event::kServiceDisabled:
      // A service's start type goes back to what it was before the record; the user's own
      // choice, so the Monitor's baseline follows. Records without the earlier start type (of
      // earlier versions, or a startup restore read back under the same code) offer nothing.
      return [](HWND owner, const core::Item& r) {
        if (r.type != core::item_type::kServiceExe && r.type != core::item_type::kServiceSvchost)
          return;
        const auto record = system::ParseStartRecord(r.key);
        if (!record) return;
        const system::ServiceRef service{record->keyName, r.title, r.path, r.type};
        if (system::SetServiceStartRecorded(service, record->earlierStart) ==
            system::ServiceActionResult::Failed) {
          ShowMessageText(owner,
                          core::FormatText(common::LoadText(IDS_SERVICE_START_FAILED), r.title),
                          MB_ICONERROR);
          return;
        }
        system::FollowAcceptedStart(record->keyName, record->earlierStart);
      };
    case core::history_event::kScheduledTaskRemove:
      // The record names the task and the copy of its definition kept before the deletion.
      return [](HWND owner, const core::Item& r) {
        if (!system::RestoreScheduledTask(core::EntryName(r), r.path))
          ShowMessageText(owner,
                          core::FormatText(common::LoadText(IDS_TASK_RESTORE_FAILED),
                                           core::EntryName(r)),
                          MB_ICONWARNING);
      };
    case core::history_event::kIEHelperRemove:
      // The saved registration goes back as it was; the add-on's file is never run for it.
      return [](HWND owner, const core::Item& r) {
        if (!browser::RestoreIEHelper(r.type, r.key))
          ShowMessage(owner, IDS_IE_HELPER_RESTORE_FAILED, MB_ICONWARNING);
      };
    case core::history_event::kHiddenDeleteFile:
      // The record names the copy kept in the vault before the file was deleted.
      return [](HWND owner, const core::Item& r) {
        using R = files::HiddenRestore;
        const R result = files::RestoreHiddenFileFromVault(r.path, r.key);
        const int textId = result == R::NoCopy        ? IDS_HIDDEN_RESTORE_NO_COPY
                           : result == R::CopyAltered ? IDS_HIDDEN_RESTORE_ALTERED
                           : result == R::PathTaken   ? IDS_HIDDEN_RESTORE_TAKEN
                                                      : IDS_HIDDEN_RESTORE_FAILED;
        if (result != R::Restored)
          ShowMessageText(owner, core::FormatText(common::LoadText(textId), r.path),
                          MB_ICONWARNING);
      };
    default:
      return {};
  }
}

void ShowHistoryViewer(HWND owner) {
  ViewerState state;
  ::DialogBoxParamW(common::App().instance, MAKEINTRESOURCEW(IDD_HISTORY), owner, ViewerProc,
                    reinterpret_cast<LPARAM>(&state));
}

}  // namespace obrivo::explorer
