// The Monitor's system-file check.
#include "monitor/sys_file_watch.h"

#include "common/app.h"
#include "core/alert_rules.h"
#include "icon_ids.h"
#include "monitor/alerts/alert_sound.h"
#include "monitor/alerts/sys_file_alert.h"
#include "monitor/monitor_state.h"
#include "monitor/tray.h"
#include "string_ids.h"

namespace obrivo::monitor {

files::SysFileCheckHooks MonitorSysFileHooks() {
  files::SysFileCheckHooks hooks;
  hooks.showAlertIcon = [] { ShowTrayStatus(IDS_CHECKING_HOSTS_TIP, IDI_TRAY_ALERT); };
  hooks.ask = [](const std::string& name, const std::string& path) {
    MonitorState& s = State();
    s.alertKey = name;
    s.alertPath = path;
    s.alertShown = true;
    // An automatic answer neither accepts nor rejects: the file and its record stay as they
    // are, so the change is found again at the next patrol.
    const core::OptionSet& options = common::App().options;
    if (const int answer = core::HideOptionAnswer(options.Get(core::OptionId::HideSystemFiles),
                                                  options.Get(core::OptionId::ShowAlerts));
        answer != 0)
      return answer == core::kAlertYes ? 1 : 0;
    PlayAlertSound(AlertSoundEvent::SystemFileAlert);
    const AlertOpenScope open;
    return ShowSysFileAlert();
  };
  return hooks;
}

void PatrolSysFiles() { files::VerifySysFiles(MonitorSysFileHooks()); }

}  // namespace obrivo::monitor
