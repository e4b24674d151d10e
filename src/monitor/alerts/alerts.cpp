// The alert kinds: which dialog, hide option and sound each has, and the descriptions of the
// program alerts that need no hooks.
#include "monitor/alerts/alerts.h"

#include "common/app.h"
#include "core/alert_rules.h"
#include "core/history_codes.h"
#include "monitor/alerts/alert_sound.h"
#include "monitor/alerts/file_type_alert.h"
#include "monitor/alerts/program_alert.h"
#include "monitor/monitor_state.h"
#include "monitor_ids.h"
#include "string_ids.h"
#include "system/scheduled_tasks.h"

namespace obrivo::monitor {
namespace {

namespace E = core::history_event;
namespace T = core::item_type;

// The task's next run time below the program fields; the task is named by alertKey.
void InitialiseTaskAlert(HWND dialog, ProgramAlertView&) {
  SetStringText(dialog, IDC_ALERT_NEXT_RUN_LABEL, 693);
  SetControlText(dialog, IDC_ALERT_NEXT_RUN, system::GetTaskNextRunText(State().alertKey));
}

const ProgramAlert kTaskAlert = [] {
  ProgramAlert a = YesNoAlert(IDD_ALERT_TASK, 692, E::kTaskAlert, T::kScheduledTask);
  a.initialise = InitialiseTaskAlert;
  return a;
}();
const ProgramAlert kIeHelperAlert =
    YesNoAlert(IDD_ALERT_IE_HELPER, 701, E::kIEHelperAlert, T::kBrowserHelper);
const ProgramAlert kActiveXAlert =
    YesNoAlert(IDD_ALERT_ACTIVEX, 1066, E::kIEHelperAlert, T::kBrowserHelper);

const ProgramAlert kDelayedAlert = [] {
  ProgramAlert a = YesNoAlert(IDD_ALERT_DELAYED, 1022, kNoHistory, kAlertItemType);
  a.titleId = 1023;
  a.noTextId = IDS_DISABLE;  // the program stays in the delayed list only
  return a;
}();

// OK keeps the file, and so does closing the alert: only the Delete button deletes.
const ProgramAlert kHiddenAlert = [] {
  ProgramAlert a = YesNoAlert(IDD_ALERT_HIDDEN, 1015, E::kHiddenAlert, T::kHiddenFile);
  a.yesControl = IDC_ALERT_OK;
  a.noControl = IDC_ALERT_DELETE;
  a.yesTextId = 0;
  a.noTextId = IDS_DELETE;
  a.closeAnswer = core::kAlertYes;
  a.titleStandsIn = true;  // the file's name
  a.largeMessage = false;  // the explanation is long
  return a;
}();

struct KindInfo {
  AlertKind kind;
  const ProgramAlert* alert;  // null: the file-type alert, which has a layout of its own
  core::OptionId hideOption;
  AlertSoundEvent sound;
};

const KindInfo kKinds[] = {
    {AlertKind::Startup, &kStartupAlert, core::OptionId::HideStartup,
     AlertSoundEvent::StartupAlert},
    {AlertKind::Delayed, &kDelayedAlert, core::OptionId::HideStartup,
     AlertSoundEvent::StartupAlert},
    {AlertKind::Task, &kTaskAlert, core::OptionId::HideTasks, AlertSoundEvent::TaskAlert},
    {AlertKind::Service, &kServiceAlert, core::OptionId::HideServices,
     AlertSoundEvent::StartupAlert},
    {AlertKind::IeHelper, &kIeHelperAlert, core::OptionId::HideIEHelper, AlertSoundEvent::IeHelper},
    {AlertKind::ActiveX, &kActiveXAlert, core::OptionId::HideActiveX, AlertSoundEvent::IeHelper},
    {AlertKind::Hidden, &kHiddenAlert, core::OptionId::HideHidden, AlertSoundEvent::IeHelper},
    {AlertKind::FileType, nullptr, core::OptionId::HideFileType, AlertSoundEvent::FileTypeAlert},
};

const KindInfo& InfoFor(AlertKind kind) {
  for (const KindInfo& k : kKinds)
    if (k.kind == kind) return k;
  return kKinds[0];
}

}  // namespace

int ShowAlert(AlertKind kind) {
  const KindInfo& k = InfoFor(kind);
  const AlertOpenScope open;
  return k.alert ? ShowProgramAlert(*k.alert) : ShowFileTypeAlert();
}

int AskAlert(AlertKind kind) {
  const KindInfo& k = InfoFor(kind);
  const core::OptionSet& options = common::App().options;
  if (const int answer = core::HideOptionAnswer(options.Get(k.hideOption),
                                                options.Get(core::OptionId::ShowAlerts));
      answer != 0)
    return answer;
  PlayAlertSound(k.sound);
  return ShowAlert(kind);
}

}  // namespace obrivo::monitor
