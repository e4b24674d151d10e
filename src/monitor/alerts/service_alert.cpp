// The service alert: a new service with its start type and state, or an accepted service whose
// command changed, with the command it had and the one it has now. Rejecting a new service stops
// and disables it here; the check puts a changed command back.
#include "common/text_loader.h"
#include "core/alert_rules.h"
#include "core/text.h"
#include "monitor/alerts/program_alert.h"
#include "monitor/monitor_state.h"
#include "monitor_ids.h"
#include "string_ids.h"
#include "system/service_actions.h"
#include "system/service_control.h"
#include "system/services.h"

namespace obrivo::monitor {
namespace {

constexpr int kFindingId = 900;
constexpr int kSettingsId = 901;
constexpr int kUnknownId = 616;

// The service is named by its key name where the check gave one (two services may share a
// display name), else by its title.
std::string ServiceName() {
  const MonitorState& s = State();
  return s.alertKey.empty() ? s.alertTitle : s.alertKey;
}

system::NameKind ServiceNameKind() {
  return State().alertKey.empty() ? system::NameKind::DisplayOrKey : system::NameKind::Key;
}

// A changed command: the check puts the command it had into alertPath2.
bool IsChangedCommand() { return !State().alertPath2.empty(); }

std::string StartTypeText(const std::string& service) {
  const auto start = system::QueryServiceStartType(service, ServiceNameKind());
  if (!start || *start < SERVICE_AUTO_START || *start > SERVICE_DISABLED)
    return common::LoadText(kUnknownId);
  return system::StartTypeText(*start);
}

void InitialiseServiceAlert(HWND dialog, ProgramAlertView&) {
  const MonitorState& s = State();
  if (IsChangedCommand()) {
    SetStringText(dialog, IDC_ALERT_UPPER_MESSAGE, IDS_SERVICE_COMMAND_CHANGED);
    SetControlText(dialog, IDC_ALERT_LOWER_MESSAGE,
                   core::FormatText(core::FormatText(common::LoadText(IDS_SERVICE_COMMAND_TEXT),
                                                     s.alertPath2),
                                    s.alertPath));
    return;
  }
  const std::string service = ServiceName();
  SetStringText(dialog, IDC_ALERT_UPPER_MESSAGE, kFindingId);
  const std::string settings =
      core::FormatText(common::LoadText(kSettingsId), StartTypeText(service));
  SetControlText(dialog, IDC_ALERT_LOWER_MESSAGE,
                 core::FormatText(settings, system::RunStateText(system::QueryServiceState(
                                                service, ServiceNameKind()))));
}

void StopAndDisable() {
  const MonitorState& s = State();
  std::string key = s.alertKey;
  // Without a key name the title is the display name, which the control manager maps.
  if (key.empty())
    if (const auto found = system::KeyNameOfService(s.alertTitle)) key = *found;
  if (key.empty()) return;
  system::RejectService(system::ServiceRef{key, s.alertTitle, s.alertPath, s.alertType});
}

int AnswerServiceAlert(int buttonAnswer) {
  if (buttonAnswer == core::kAlertNo && !IsChangedCommand()) StopAndDisable();
  return buttonAnswer;
}

}  // namespace

// No history record on opening: the records are the ones of the stop and the disable.
const ProgramAlert kServiceAlert = [] {
  ProgramAlert a = YesNoAlert(IDD_ALERT_SERVICE, 0, kNoHistory, kAlertItemType);
  a.closeAnswer = core::kAlertNo;  // closing rejects the service
  a.titleStandsIn = true;          // the service's name, when its file has no product name
  a.initialise = InitialiseServiceAlert;
  a.answer = AnswerServiceAlert;
  return a;
}();

}  // namespace obrivo::monitor
