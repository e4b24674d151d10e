// The one dialog procedure of the program alerts.
#include "monitor/alerts/program_alert.h"

#include "common/app.h"
#include "common/history.h"
#include "core/alert_rules.h"
#include "monitor/monitor_state.h"
#include "monitor_ids.h"
#include "string_ids.h"

namespace obrivo::monitor {

const ProgramFieldIds kProgramFields{IDC_ALERT_ITEM_ICON, IDC_ALERT_NAME,    IDC_ALERT_COMMAND,
                                     IDC_ALERT_VERSION,   IDC_ALERT_COMPANY, IDC_ALERT_DESCRIPTION,
                                     IDC_ALERT_COPYRIGHT};

ProgramAlert YesNoAlert(int dialogId, int messageId, int historyEvent, int historyType) {
  ProgramAlert a{};
  a.dialogId = dialogId;
  a.titleId = 718;
  a.messageId = messageId;
  a.versionLabelId = IDS_VERSION_LABEL;
  a.yesControl = IDC_ALERT_YES;
  a.noControl = IDC_ALERT_NO;
  a.yesTextId = IDS_YES;
  a.noTextId = IDS_NO;
  a.closeAnswer = core::kAlertYes;
  a.historyEvent = historyEvent;
  a.historyType = historyType;
  a.titleStandsIn = false;
  a.largeMessage = true;
  return a;
}

namespace {

struct AlertRun {
  const ProgramAlert* alert;
  ProgramAlertView view;
};

void Initialise(HWND dialog, AlertRun& run) {
  const ProgramAlert& a = *run.alert;
  MonitorState& s = State();
  SetStringText(dialog, 0, a.titleId);
  SetStringText(dialog, IDC_ALERT_INFO, IDS_PLUS_INFO);
  if (a.yesTextId != 0) SetStringText(dialog, a.yesControl, a.yesTextId);
  if (a.noTextId != 0) SetStringText(dialog, a.noControl, a.noTextId);
  SetStringText(dialog, IDC_ALERT_VERSION_LABEL, a.versionLabelId);
  if (a.messageId != 0) SetStringText(dialog, IDC_ALERT_MESSAGE, a.messageId);
  SetMessageFont(dialog, IDC_ALERT_COMMAND);
  if (a.largeMessage)
    for (int control : {IDC_ALERT_MESSAGE, IDC_ALERT_UPPER_MESSAGE, IDC_ALERT_LOWER_MESSAGE})
      SetMessageFont(dialog, control);
  SetNameFont(dialog, IDC_ALERT_NAME);

  run.view.program = ShowProgram(dialog, kProgramFields, s.alertPath);
  run.view.name = run.view.program.productName;
  if (run.view.name.empty() && a.titleStandsIn && !s.alertTitle.empty()) {
    run.view.name = s.alertTitle;
    SetControlText(dialog, IDC_ALERT_NAME, run.view.name);
  }
  if (a.initialise) a.initialise(dialog, run.view);

  if (a.historyEvent != kNoHistory) {
    const int type = a.historyType == kAlertItemType ? s.alertType : a.historyType;
    const std::string& title = run.view.name.empty() ? s.alertTitle : run.view.name;
    common::WriteHistory(a.historyEvent, type, title, s.alertPath, run.view.program.description);
  }
  RestoreAlertPosition(dialog);
}

void Finish(HWND dialog, const AlertRun& run, int buttonAnswer) {
  const int result = run.alert->answer ? run.alert->answer(buttonAnswer) : buttonAnswer;
  ClearAlertContext();
  ::EndDialog(dialog, result);
}

INT_PTR CALLBACK ProgramAlertProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* run = reinterpret_cast<AlertRun*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      run = reinterpret_cast<AlertRun*>(lParam);
      ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      Initialise(dialog, *run);
      return TRUE;
    case WM_COMMAND: {
      if (!run || HIWORD(wParam) != BN_CLICKED) break;
      const int id = LOWORD(wParam);
      if (id == run->alert->yesControl) {
        Finish(dialog, *run, core::kAlertYes);
      } else if (id == run->alert->noControl) {
        Finish(dialog, *run, core::kAlertNo);
      } else if (id == IDCANCEL) {
        Finish(dialog, *run, run->alert->closeAnswer);
      } else if (id == IDC_ALERT_INFO) {
        LookUpAlertProgram(dialog, State().alertPath);
      } else {
        break;
      }
      return TRUE;
    }
    case WM_CLOSE:
      if (run) Finish(dialog, *run, run->alert->closeAnswer);
      return TRUE;
    case WM_DPICHANGED:
      FollowAlertDpiChange(dialog, wParam, lParam);
      return TRUE;
    case WM_DESTROY:
      // Every way out passes here: the place is kept whichever button ended the alert.
      SaveAlertPosition(dialog);
      if (run) run->view.program.icon.reset();
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

int ShowProgramAlert(const ProgramAlert& alert) {
  AlertRun run{&alert, {}};
  const INT_PTR result =
      ::DialogBoxParamW(common::App().instance, MAKEINTRESOURCEW(alert.dialogId),
                        State().mainWindow, ProgramAlertProc, reinterpret_cast<LPARAM>(&run));
  return result > 0 ? static_cast<int>(result) : 0;
}

}  // namespace obrivo::monitor
