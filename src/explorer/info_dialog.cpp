// The Info window.
#include "explorer/info_dialog.h"

#include <shellapi.h>

#include <string>

#include "browser/ie_helpers.h"
#include "common/app.h"
#include "common/first_detected.h"
#include "common/notes.h"
#include "common/online_lookup.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/dpi.h"
#include "common/win32/files.h"
#include "common/win32/system.h"
#include "common/win32/wide.h"
#include "common/win32/window.h"
#include "common/window_place.h"
#include "core/command_line.h"
#include "core/explorer_pages.h"
#include "core/history_codes.h"
#include "core/text.h"
#include "explorer/dialog_texts.h"
#include "explorer/explorer_state.h"
#include "explorer/info_service_controls.h"
#include "explorer/list_view.h"
#include "explorer/page.h"
#include "explorer_ids.h"
#include "icon_ids.h"
#include "string_ids.h"
#include "system/processes.h"

namespace obrivo::explorer {
namespace {

constexpr int kReadyId = 831;
constexpr int kNoDescriptionId = 647;
constexpr int kLocationId = 716;
constexpr int kFileTypeExtensionId = 755;
constexpr std::size_t kNoteCapacity = 16384;

// Shown only in the expanded window.
constexpr int kDetailIds[] = {
    IDC_INFO_CREATED_LABEL,  IDC_INFO_CREATED,    IDC_INFO_LAST_SAVED_LABEL,
    IDC_INFO_LAST_SAVED,     IDC_INFO_SIZE_LABEL, IDC_INFO_SIZE,
    IDC_INFO_DETECTED_LABEL, IDC_INFO_DETECTED,   IDC_INFO_NOTES};
constexpr int kButtonRowIds[] = {IDC_INFO_PREVIOUS, IDC_INFO_NEXT,   IDC_INFO_PLUS,
                                 IDC_INFO_NOTE,     IDC_INFO_EXPAND, IDCANCEL};

struct InfoState {
  InfoContext context;
  std::string file;        // the shown item's program file
  std::string notePath;    // its note file, once one exists or is being written
  bool noteMode = false;   // the notes box holds the note and Save Note is offered
  win32::UniqueIcon icon;  // the item's own icon, while the window shows it
  ServiceControlsState service;
};

void SetText(HWND dialog, int id, std::string_view text) {
  ::SetDlgItemTextW(dialog, id, win32::Wide(text).c_str());
}

std::string FileDateText(std::string_view path, bool lastWrite) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(win32::Wide(path).c_str(), GetFileExInfoStandard, &data)) return {};
  const SYSTEMTIME local =
      common::FileTimeToLocal(lastWrite ? data.ftLastWriteTime : data.ftCreationTime);
  return common::LocalDateTimeText(local);
}

std::string LocationLine(const InfoState& s, const core::Item& item) {
  if (item.type >= core::item_type::kBrowserHelper &&
      item.type <= core::item_type::kBrowserExtension)
    return common::LoadText(kLocationId, 64) + ": " +
           browser::IEHelperLocation(item.type, item.key);
  if (item.type == core::item_type::kActiveX) return common::LoadText(IDS_CLSID, 64) + ": " + item.key;
  if (item.type == core::item_type::kFileType) return {};
  const std::string where = s.context.locationText ? s.context.locationText(item) : std::string();
  return where.empty() ? std::string() : common::LoadText(IDS_STARTUP_LOCATION, 64) + where;
}

void ShowIcon(HWND dialog, InfoState& s, const core::Item& item, bool exists) {
  s.icon.reset();
  // Toolbars and extensions name their own icon file in the text field.
  std::string iconFile = s.file;
  if ((item.type == core::item_type::kToolbar || item.type == core::item_type::kBrowserExtension) &&
      core::FindNoCase(item.text, ".ico") != std::string::npos)
    iconFile = item.text;
  if (exists || iconFile != s.file) s.icon = win32::ExtractFileIcon(iconFile, 0, false);
  HICON shown = s.icon ? s.icon.get()
                       : ::LoadIconW(common::App().instance, MAKEINTRESOURCEW(IDI_MISSING_FILE));
  ::SendDlgItemMessageW(dialog, IDC_INFO_ICON, STM_SETICON, reinterpret_cast<WPARAM>(shown), 0);
}

bool ProgramRuns(const InfoState& s) {
  const ProgramControl& control = s.context.program;
  if (control.running) return control.running(s.context.index);
  return system::IsEntryProgramRunning(s.context.items->At(s.context.index).path);
}

void ShowStatus(HWND dialog, const InfoState& s, bool exists) {
  // Only what Kill Task would end counts: another copy of the same program file, started with
  // other arguments, is not this item's program.
  const bool running = exists && ProgramRuns(s);
  SetText(dialog, IDC_INFO_STATUS,
          common::LoadText(running ? IDS_RUNNING : (exists ? kReadyId : IDS_FILE_NOT_FOUND), 64));
  ::ShowWindow(::GetDlgItem(dialog, IDC_INFO_KILL), running ? SW_SHOW : SW_HIDE);
  ::ShowWindow(::GetDlgItem(dialog, IDC_INFO_RUN), exists && !running ? SW_SHOW : SW_HIDE);
}

void ShowNotes(HWND dialog, InfoState& s, const core::Item& item) {
  s.notePath = common::NoteFilePath(item.path);
  std::optional<std::string> note;
  if (!s.notePath.empty() && win32::IsExistingFile(s.notePath)) note = common::ReadNote(s.notePath);
  s.noteMode = note.has_value();
  std::string text;
  if (note) {
    text = *note;
  } else if (item.type == core::item_type::kFileType) {
    text = common::LoadText(kFileTypeExtensionId, 64) + item.text;  // the extension
  } else if (item.type == 1200) {
    text = LocationLine(s, item);
  } else if (s.context.notesText) {
    text = s.context.notesText(item);
  } else {
    text = item.text.empty() ? common::LoadText(kNoDescriptionId) : item.text;
  }
  HWND box = ::GetDlgItem(dialog, IDC_INFO_NOTES);
  ::SendMessageW(
      box, WM_SETFONT,
      reinterpret_cast<WPARAM>(
          s.noteMode ? SharedFont(Font::Note, win32::WindowDpi(dialog))
                     : reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0))),
      TRUE);
  ::SendMessageW(box, EM_SETREADONLY, s.noteMode ? FALSE : TRUE, 0);
  SetText(dialog, IDC_INFO_NOTES, core::CrLfLineEnds(text));
  SetText(dialog, IDC_INFO_NOTE,
          common::LoadText(s.noteMode ? IDS_SAVE_NOTE : IDS_CREATE_NOTE, 64));
  ::EnableWindow(::GetDlgItem(dialog, IDC_INFO_NOTE), !s.notePath.empty());
}

void ShowItem(HWND dialog, InfoState& s) {
  const core::ItemList& items = *s.context.items;
  if (!items.IsValid(s.context.index)) return;
  const core::Item& item = items.At(s.context.index);
  s.file = common::CommandToProgramPath(item.path);
  std::string existing = s.file;
  const bool exists = !s.file.empty() && common::FileExists(existing);
  if (exists) s.file = existing;

  SetText(dialog, IDC_INFO_PATH, s.file.empty() ? item.path : s.file);
  const auto version = exists ? common::ReadVersionInfo(s.file) : std::nullopt;
  SetText(dialog, IDC_INFO_PRODUCT, version ? version->productName : std::string());
  SetText(dialog, IDC_INFO_COMPANY, version ? version->companyName : std::string());
  SetText(dialog, IDC_INFO_VERSION, version ? version->productVersion : std::string());
  SetText(dialog, IDC_INFO_COPYRIGHT, version ? version->legalCopyright : std::string());
  const std::string description = version ? version->fileDescription : std::string();
  SetText(dialog, IDC_INFO_DESCRIPTION, description.empty() ? item.title : description);
  SetText(dialog, IDC_INFO_CREATED, exists ? FileDateText(s.file, false) : std::string());
  SetText(dialog, IDC_INFO_LAST_SAVED, exists ? FileDateText(s.file, true) : std::string());
  const auto size = exists ? win32::FileSize(s.file) : std::nullopt;
  SetText(dialog, IDC_INFO_SIZE,
          size ? core::GroupThousands(static_cast<std::int64_t>(*size)) : std::string());
  std::string detected = common::LookupFirstDetected(item.type, item.path);
  if (detected.empty() && !s.file.empty())
    detected = common::LookupFirstDetected(item.type, s.file);
  SetText(dialog, IDC_INFO_DETECTED, detected);
  SetText(dialog, IDC_INFO_LOCATION, LocationLine(s, item));
  ShowIcon(dialog, s, item, exists);
  // A service shows its start type and state in the status line's place.
  if (!ShowServiceControls(dialog, item, s.service)) ShowStatus(dialog, s, exists);
  ShowNotes(dialog, s, item);
  // The title last: once it names the item, every field shows that item.
  ::SetWindowTextW(dialog, win32::Wide(item.title).c_str());
  if (s.context.onShow) s.context.onShow(s.context.index);
}

void ApplyExpansion(HWND dialog, const InfoState& s) {
  const core::InfoDialogLayout layout =
      core::InfoLayoutFor(s.context.expanded, win32::WindowDpi(dialog));
  for (int id : kDetailIds)
    ::ShowWindow(::GetDlgItem(dialog, id), s.context.expanded ? SW_SHOW : SW_HIDE);
  for (int id : kButtonRowIds) {
    HWND button = ::GetDlgItem(dialog, id);
    const RECT r = win32::ChildRect(dialog, button);
    ::SetWindowPos(button, nullptr, r.left, layout.buttonY, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RECT w{};
  ::GetWindowRect(dialog, &w);
  ::SetWindowPos(dialog, nullptr, 0, 0, w.right - w.left, layout.height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::InvalidateRect(dialog, nullptr, TRUE);
}

constexpr common::WindowPositionNames kInfoPosition{"xInfo", "yInfo", "dxInfo", "dyInfo"};

void OnNoteButton(HWND dialog, InfoState& s) {
  const core::Item& item = s.context.items->At(s.context.index);
  if (s.notePath.empty()) return;
  if (!s.noteMode) {
    const std::string first = item.title + "\r\n" + item.path + "\r\n";
    if (!common::WriteNote(s.notePath, first)) return;
    ShowNotes(dialog, s, item);
    ::SetFocus(::GetDlgItem(dialog, IDC_INFO_NOTES));
    return;
  }
  HWND box = ::GetDlgItem(dialog, IDC_INFO_NOTES);
  std::wstring text(kNoteCapacity, L'\0');
  const int length = ::GetWindowTextW(box, text.data(), static_cast<int>(kNoteCapacity));
  text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  common::WriteNote(s.notePath, win32::Narrow(text));
}

INT_PTR CALLBACK InfoProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* s = reinterpret_cast<InfoState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      s = reinterpret_cast<InfoState*>(lParam);
      ::SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(s));
      ApplyDialogTexts(dialog, IDD_PROGRAM_INFO);
      ::SendDlgItemMessageW(
          dialog, IDC_INFO_PRODUCT, WM_SETFONT,
          reinterpret_cast<WPARAM>(SharedFont(Font::Heading, win32::WindowDpi(dialog))), FALSE);
      ::SendDlgItemMessageW(dialog, IDC_INFO_NOTES, EM_LIMITTEXT, kNoteCapacity - 1, 0);
      common::RestoreWindowPosition(dialog, kInfoPosition);
      ShowItem(dialog, *s);
      ApplyExpansion(dialog, *s);
      return TRUE;
    case WM_COMMAND:
      if (s && LOWORD(wParam) == IDC_INFO_START_TYPE && HIWORD(wParam) == CBN_SELCHANGE) {
        OnServiceStartTypeChanged(dialog, s->service);
        return TRUE;
      }
      if (!s || HIWORD(wParam) != BN_CLICKED) break;
      switch (LOWORD(wParam)) {
        case IDC_INFO_SERVICE_STOP:
          OnServiceStop(dialog, s->context.items->At(s->context.index), s->service);
          return TRUE;
        case IDC_INFO_SERVICE_APPLY:
          OnServiceApply(dialog, s->context.items->At(s->context.index), s->service);
          return TRUE;
        case IDCANCEL:
          common::SaveWindowPosition(dialog, kInfoPosition);
          ::EndDialog(dialog, 0);
          return TRUE;
        case IDC_INFO_PREVIOUS:
        case IDC_INFO_NEXT:
          s->context.index = core::WrapIndex(s->context.index, s->context.items->Count(),
                                             LOWORD(wParam) == IDC_INFO_NEXT ? 1 : -1);
          ShowItem(dialog, *s);
          return TRUE;
        case IDC_INFO_EXPAND:
          s->context.expanded = !s->context.expanded;
          ApplyExpansion(dialog, *s);
          return TRUE;
        case IDC_INFO_PLUS: {
          const core::Item& item = s->context.items->At(s->context.index);
          ::SetWindowPos(dialog, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
          common::LookUpProgramOnline(dialog, item.type + 1000, item.path, item.title);
          return TRUE;
        }
        case IDC_INFO_NOTE:
          OnNoteButton(dialog, *s);
          return TRUE;
        case IDC_INFO_RUN: {
          // The program found for the status line, quoted: unquoted, a command in a folder
          // with a space could start another program ("C:\Program.exe").
          const std::string& command = s->context.items->At(s->context.index).path;
          win32::StartCommandLine(
              core::QuotedCommandLine(
                  s->file, core::CommandArguments(command, common::CurrentSystemFolders())),
              SW_SHOWNORMAL);
          ShowStatus(dialog, *s, true);
          return TRUE;
        }
        case IDC_INFO_KILL: {
          if (s->context.program.stop) {
            s->context.program.stop(dialog, s->context.index);
          } else {
            const core::Item& item = s->context.items->At(s->context.index);
            system::StopEntryProgram(dialog, item.path, item.title, false);
          }
          ShowStatus(dialog, *s, true);
          return TRUE;
        }
        default:
          break;
      }
      break;
    case WM_DESTROY:
      if (s) s->icon.reset();
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

void ShowItemInfo(HWND owner, InfoContext context) {
  if (!context.items || !context.items->IsValid(context.index)) return;
  InfoState state;
  state.context = std::move(context);
  ::DialogBoxParamW(common::App().instance, MAKEINTRESOURCEW(IDD_PROGRAM_INFO), owner, InfoProc,
                    reinterpret_cast<LPARAM>(&state));
}

void ShowProgramInfo(Page& page, std::size_t index, bool expanded) {
  InfoContext context;
  context.items = &page.items();
  context.index = index;
  context.expanded = expanded;
  HWND list = page.list();
  context.onShow = [list](std::size_t item) {
    for (int row = 0, n = RowCount(list); row < n; ++row)
      if (RowItemIndex(list, row) == static_cast<int>(item)) SelectRow(list, row);
  };
  context.locationText = page.description().locationText;
  context.notesText = page.description().notesText;
  const PageDescription& description = page.description();
  if (description.programRunning)
    context.program.running = [&page](std::size_t item) {
      return page.description().programRunning(page, item);
    };
  if (description.stopProgram)
    context.program.stop = [&page](HWND owner, std::size_t item) {
      page.description().stopProgram(page, owner, item);
    };
  ShowItemInfo(::GetParent(page.window()), std::move(context));
}

}  // namespace obrivo::explorer
