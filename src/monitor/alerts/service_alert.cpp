// The new-service alert: the service's start type and state, and the stop and disable the
// alert itself carries out when the user rejects the service.
#include "common/history.h"
#include "common/text_loader.h"
#include "core/alert_rules.h"
#include "core/history_codes.h"
#include "core/text.h"
#include "monitor/alerts/program_alert.h"
#include "monitor/monitor_state.h"
#include "monitor_ids.h"
#include "system/service_control.h"

namespace obrivo::monitor {
namespace {

constexpr int kFindingId = 900;
constexpr int kSettingsId = 901;
constexpr int kUnknownId = 616;
constexpr int kStoppedId = 652;    // 652-658: stopped, start pending ... paused
constexpr int kAutomaticId = 664;  // 664-666: automatic, manual, disabled

std::string StartTypeText(const std::string& service) {
  const auto start = system::QueryServiceStartType(service);
  if (!start || *start < SERVICE_AUTO_START || *start > SERVICE_DISABLED)
    return common::LoadText(kUnknownId);
  return common::LoadText(kAutomaticId + static_cast<int>(*start - SERVICE_AUTO_START));
}

std::string StateText(const std::string& service) {
  const auto state = system::QueryServiceState(service);
  if (!state || *state < SERVICE_STOPPED || *state > SERVICE_PAUSED)
    return common::LoadText(kStoppedId);
  return common::LoadText(kStoppedId + static_cast<int>(*state - SERVICE_STOPPED));
}

void InitialiseServiceAlert(HWND dialog, ProgramAlertView&) {
  const std::string& service = State().alertTitle;
  SetStringText(dialog, IDC_ALERT_UPPER_MESSAGE, kFindingId);
  const std::string settings =
      core::FormatText(common::LoadText(kSettingsId), StartTypeText(service));
  SetControlText(dialog, IDC_ALERT_LOWER_MESSAGE, core::FormatText(settings, StateText(service)));
}

// The history event that names the state a rejected service was found in.
int StateEvent(DWORD state) {
  switch (state) {
    case SERVICE_START_PENDING:
      return core::history_event::kServiceWasStarting;
    case SERVICE_STOP_PENDING:
      return core::history_event::kServiceWasStopping;
    case SERVICE_RUNNING:
      return core::history_event::kServiceWasRunning;
    default:
      return kNoHistory;
  }
}

void StopAndDisable() {
  const MonitorState& s = State();
  auto record = [&s](int event) {
    common::WriteHistory(event, s.alertType, s.alertTitle, s.alertPath, "");
  };
  if (const auto state = system::QueryServiceState(s.alertTitle))
    if (const int event = StateEvent(*state); event != kNoHistory) record(event);
  // Only what was done is recorded: a service that was not running is not reported stopped.
  if (system::StopServiceByName(s.alertTitle)) record(core::history_event::kServiceStop);
  if (system::DisableServiceByName(s.alertTitle)) record(core::history_event::kServiceDisabled);
}

int AnswerServiceAlert(int buttonAnswer) {
  if (buttonAnswer == core::kAlertNo) StopAndDisable();
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
