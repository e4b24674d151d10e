// The new-program alert: the location it names, and the repeat rule for a program that keeps
// putting itself back.
#include "common/help_page.h"
#include "common/text_loader.h"
#include "core/alert_rules.h"
#include "core/history_codes.h"
#include "core/text.h"
#include "monitor/alerts/program_alert.h"
#include "monitor/monitor_state.h"
#include "monitor_ids.h"

namespace obrivo::monitor {
namespace {

constexpr int kMessageId = 7;

void InitialiseStartupAlert(HWND dialog, ProgramAlertView& view) {
  MonitorState& s = State();
  HWND check = ::GetDlgItem(dialog, IDC_ALERT_CHECK);
  ::ShowWindow(check, SW_HIDE);
  ::EnableWindow(check, FALSE);
  core::NoteStartupAlert(s.repeatCount, s.lastAlertPath, s.alertPath);
  // The special locations run what they name through Windows itself: their name says more than
  // the file's product name.
  if (const std::string_view label = core::StartupLocationLabel(s.alertType); !label.empty()) {
    view.name = std::string(label);
    SetControlText(dialog, IDC_ALERT_NAME, view.name);
  }
  const std::string sentence = common::LoadText(core::StartupLocationSentenceId(s.alertType));
  SetControlText(dialog, IDC_ALERT_MESSAGE,
                 core::FormatText(common::LoadText(kMessageId), sentence));
}

int AnswerStartupAlert(int buttonAnswer) {
  MonitorState& s = State();
  const core::StartupAnswer a =
      core::StartupAlertAnswer(buttonAnswer == core::kAlertYes, s.repeatCount, s.alertType);
  if (a.repeated) {
    s.repeatCount = 0;
    s.lastAlertPath.clear();
    if (a.suppress) s.alertSuppress = 2;
    common::OpenHelpPage(s.mainWindow, common::kGeneralHelpPage);
  }
  return a.result;
}

}  // namespace

const ProgramAlert kStartupAlert = [] {
  ProgramAlert a =
      YesNoAlert(IDD_ALERT_STARTUP, 0, core::history_event::kStartupAlert, kAlertItemType);
  a.versionLabelId = 630;  // "Version"
  a.initialise = InitialiseStartupAlert;
  a.answer = AnswerStartupAlert;
  return a;
}();

}  // namespace obrivo::monitor
