// The file-type change alert: the program the file type was opened with and the one it is opened
// with now, each with its own Info button.
#include "monitor/alerts/file_type_alert.h"

#include "common/app.h"
#include "core/alert_rules.h"
#include "monitor/alerts/alert_window.h"
#include "monitor/monitor_state.h"
#include "monitor_ids.h"
#include "string_ids.h"

namespace obrivo::monitor {
namespace {

constexpr int kTitleId = 760;
constexpr int kTextIds[] = {756, 757, 758, 759};  // texts 1025 to 1028

constexpr ProgramFieldIds kOldProgram{
    IDC_FT_OLD_ICON, IDC_FT_OLD_NAME, IDC_FT_OLD_COMMAND, 0, IDC_FT_OLD_COMPANY, 0, 0};
constexpr ProgramFieldIds kNewProgram{
    IDC_FT_NEW_ICON, IDC_FT_NEW_NAME, IDC_FT_NEW_COMMAND, 0, IDC_FT_NEW_COMPANY, 0, 0};

struct FileTypeRun {
  win32::UniqueIcon icons[2];  // kept while the buttons show them
};

void Initialise(HWND dialog, FileTypeRun& run) {
  const MonitorState& s = State();
  SetStringText(dialog, 0, kTitleId);
  for (int i = 0; i < 4; ++i) SetStringText(dialog, IDC_FT_INTRO + i, kTextIds[i]);
  SetStringText(dialog, IDC_FT_OLD_INFO, IDS_INFO);
  SetStringText(dialog, IDC_FT_NEW_INFO, IDS_INFO);
  SetStringText(dialog, IDC_ALERT_YES, IDS_YES);
  SetStringText(dialog, IDC_ALERT_NO, IDS_NO);
  SetNameFont(dialog, IDC_FT_EXTENSION);
  SetControlText(dialog, IDC_FT_EXTENSION, s.alertTitle);
  for (int control : {IDC_FT_OLD_NAME, IDC_FT_NEW_NAME}) SetNameFont(dialog, control);
  for (int control : {IDC_FT_OLD_COMMAND, IDC_FT_NEW_COMMAND}) SetMessageFont(dialog, control);
  run.icons[0] = std::move(ShowProgram(dialog, kOldProgram, s.alertPath).icon);
  run.icons[1] = std::move(ShowProgram(dialog, kNewProgram, s.alertPath2).icon);
  RestoreAlertPosition(dialog);
}

void Finish(HWND dialog, int result) {
  ClearAlertContext();
  ::EndDialog(dialog, result);
}

INT_PTR CALLBACK FileTypeAlertProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* run = reinterpret_cast<FileTypeRun*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      run = reinterpret_cast<FileTypeRun*>(lParam);
      ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      Initialise(dialog, *run);
      return TRUE;
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) break;
      switch (LOWORD(wParam)) {
        case IDC_ALERT_YES:
        case IDCANCEL:  // Escape and the close box accept, as Yes does
          Finish(dialog, core::kAlertYes);
          return TRUE;
        case IDC_ALERT_NO:
          Finish(dialog, core::kAlertNo);
          return TRUE;
        case IDC_FT_OLD_INFO:
          LookUpAlertProgram(dialog, State().alertPath);
          return TRUE;
        case IDC_FT_NEW_INFO:
          LookUpAlertProgram(dialog, State().alertPath2);
          return TRUE;
        default:
          break;
      }
      break;
    case WM_CLOSE:
      Finish(dialog, core::kAlertYes);
      return TRUE;
    case WM_DPICHANGED:
      FollowAlertDpiChange(dialog, wParam, lParam);
      return TRUE;
    case WM_DESTROY:
      SaveAlertPosition(dialog);
      if (run)
        for (win32::UniqueIcon& icon : run->icons) icon.reset();
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

int ShowFileTypeAlert() {
  FileTypeRun run;
  const INT_PTR result =
      ::DialogBoxParamW(common::App().instance, MAKEINTRESOURCEW(IDD_ALERT_FILE_TYPE),
                        State().mainWindow, FileTypeAlertProc, reinterpret_cast<LPARAM>(&run));
  return result > 0 ? static_cast<int>(result) : 0;
}

}  // namespace obrivo::monitor
