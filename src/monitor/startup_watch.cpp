// The Monitor's startup check.
#include "monitor/startup_watch.h"

#include "icon_ids.h"
#include "monitor/advanced_removal.h"
#include "monitor/alerts/alerts.h"
#include "monitor/monitor_state.h"
#include "monitor/tray.h"
#include "startup/delayed_list.h"
#include "string_ids.h"

namespace obrivo::monitor {

int AskAboutItem(AlertKind kind, const core::Item& item) {
  MonitorState& s = State();
  s.alertPath = item.path;
  s.alertTitle = item.title;
  s.alertKey = item.key;
  s.alertType = item.type;
  const int answer = AskAlert(kind);
  // An alert clears its context when it closes; an answer given without one leaves it.
  s.alertPath.clear();
  s.alertTitle.clear();
  s.alertKey.clear();
  return answer;
}

startup::StartupCheckHooks MonitorStartupHooks() {
  startup::StartupCheckHooks hooks;
  hooks.askNewEntry = [](const core::Item& item) {
    return AskAboutItem(AlertKind::Startup, item);
  };
  hooks.askReturnedEntry = [](const core::Item& item) {
    return AskAboutItem(AlertKind::Delayed, item);
  };
  hooks.showAlertIcon = [] { ShowTrayStatus(IDS_VERIFYING_STARTUP_TIP, IDI_TRAY_ALERT); };
  hooks.confirmAdvancedRemoval = AdvancedRemovalConfirmation();
  // Let back into the startup list, the program starts from there from now on: it leaves the
  // delayed-start list, so that the launcher cannot start it a second time.
  hooks.removeFromDelayedList = [](const core::Item& item) { startup::DeleteDelayedEntryOf(item); };
  return hooks;
}

// The check does what the quick test would, and asks only about what the baseline does not
// know: with nothing new it is the quick test, and with something new one listing is enough.
void PatrolStartup() { startup::CheckStartup(MonitorStartupHooks()); }

}  // namespace obrivo::monitor
