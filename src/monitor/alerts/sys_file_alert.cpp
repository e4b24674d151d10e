// The system-file change alert: the file's name, place and description, Notepad on the new file
// or the saved copy, and the two answers, which act on the file themselves.
#include "monitor/alerts/sys_file_alert.h"

#include <string>

#include "common/app.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/win32/wide.h"
#include "core/capacity.h"
#include "core/text.h"
#include "files/sys_files.h"
#include "monitor/alerts/alert_window.h"
#include "monitor/monitor.h"
#include "monitor/monitor_state.h"
#include "monitor_ids.h"
#include "string_ids.h"

namespace obrivo::monitor {
namespace {

constexpr common::WindowPositionNames kPosition{"xPosSysFiles", "yPosSysFiles", "dxSysFiles",
                                                "dySysFiles"};

struct TextOf {
  int control, stringId;
};
constexpr TextOf kTexts[] = {
    {0, IDS_SYSFILE_ALERT_TITLE},
    {IDC_SF_HEADING, IDS_SYSFILE_ALERT_HEADING},
    {IDC_SF_EXPECTED, IDS_SYSFILE_ALERT_EXPECTED},
    {IDC_SF_UNEXPECTED, IDS_SYSFILE_ALERT_UNEXPECTED},
    {IDC_SF_NAME_LABEL, IDS_SYSFILE_NAME_LABEL},
    {IDC_SF_LOCATION_LABEL, IDS_SYSFILE_LOCATION_LABEL},
    {IDC_SF_VIEW_NEW, IDS_SYSFILE_VIEW_NEW},
    {IDC_SF_VIEW_PREVIOUS, IDS_SYSFILE_VIEW_PREVIOUS},
    {IDC_SF_ACCEPT, IDS_SYSFILE_ACCEPT},
    {IDC_SF_REJECT, IDS_SYSFILE_REJECT},
    {IDC_SF_STOP_WATCHING, IDS_SYSFILE_STOP_WATCHING},
};

void Initialise(HWND dialog) {
  const MonitorState& s = State();
  for (const TextOf& t : kTexts) SetStringText(dialog, t.control, t.stringId);
  SetNameFont(dialog, IDC_SF_NAME);
  SetMessageFont(dialog, IDC_SF_HEADING);
  SetControlText(dialog, IDC_SF_NAME, s.alertKey);
  SetControlText(dialog, IDC_SF_LOCATION, s.alertPath);
  SetControlText(dialog, IDC_SF_COMMENT,
                 common::ReadStoreString(files::SysFileRecordKey(s.alertKey), HKEY_LOCAL_MACHINE,
                                         "Comment", core::kTextCapacity));
  RestoreAlertPosition(dialog, kPosition);
}

void ReportError(DWORD error) {
  ::SetLastError(error);
  ShowSystemError();
}

// Notepad on the file; the alert then leaves the topmost band so that Notepad can be seen.
void View(HWND dialog, const std::string& path) {
  if (const DWORD error = files::OpenInNotepad(dialog, path)) ReportError(error);
  ::SetWindowPos(dialog, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Finish(HWND dialog, int result) {
  ClearAlertContext();
  ::EndDialog(dialog, result);
}

bool StopWatchingTicked(HWND dialog) {
  return ::IsDlgButtonChecked(dialog, IDC_SF_STOP_WATCHING) == BST_CHECKED;
}

void Accept(HWND dialog) {
  const MonitorState& s = State();
  const files::SysFileAction action =
      files::AcceptSysFileChange(s.alertKey, s.alertPath, StopWatchingTicked(dialog));
  if (!action.done) ReportError(action.error);
  Finish(dialog, action.done ? 1 : 0);
}

// A copy that no longer matches what was saved is never written; the alert stays, so the user
// can look at both versions and keep the file instead.
void Reject(HWND dialog) {
  const MonitorState& s = State();
  const files::SysFileAction action =
      files::RejectSysFileChange(s.alertKey, s.alertPath, StopWatchingTicked(dialog));
  if (action.backupChanged) {
    const std::string text =
        core::FormatText(common::LoadText(IDS_SYSFILE_BACKUP_CHANGED), s.alertKey);
    ::MessageBoxExW(dialog, win32::Wide(text).c_str(),
                    win32::Wide(common::LoadText(IDS_SYSFILE_ALERT_TITLE, 128)).c_str(),
                    MB_OK | MB_ICONWARNING | MB_TOPMOST, common::App().languageId);
    return;
  }
  if (!action.done) ReportError(action.error);
  Finish(dialog, action.done ? 1 : 0);
}

INT_PTR CALLBACK SysFileAlertProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Initialise(dialog);
      return TRUE;
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) break;
      switch (LOWORD(wParam)) {
        case IDC_SF_VIEW_NEW:
          View(dialog, State().alertPath);
          return TRUE;
        case IDC_SF_VIEW_PREVIOUS:
          View(dialog, files::SysFileBackupPath(State().alertKey));
          return TRUE;
        case IDC_SF_ACCEPT:
          Accept(dialog);
          return TRUE;
        case IDC_SF_REJECT:
          Reject(dialog);
          return TRUE;
        case IDCANCEL:  // Escape answers nothing: only Accept and Reject end the alert
          SaveAlertPosition(dialog, kPosition);
          return TRUE;
        default:
          break;
      }
      break;
    case WM_CLOSE:
      SaveAlertPosition(dialog, kPosition);
      return TRUE;
    case WM_DPICHANGED:
      FollowAlertDpiChange(dialog, wParam, lParam);
      return TRUE;
    case WM_DESTROY:
      SaveAlertPosition(dialog, kPosition);
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

int ShowSysFileAlert() {
  const INT_PTR result =
      ::DialogBoxParamW(common::App().instance, MAKEINTRESOURCEW(IDD_ALERT_SYS_FILE),
                        State().mainWindow, SysFileAlertProc, 0);
  return result > 0 ? 1 : 0;
}

}  // namespace obrivo::monitor
