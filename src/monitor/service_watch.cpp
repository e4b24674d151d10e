// The Monitor's services check.
#include "monitor/service_watch.h"

#include "common/app.h"
#include "common/text_loader.h"
#include "common/win32/wide.h"
#include "icon_ids.h"
#include "monitor/alerts/alerts.h"
#include "monitor/monitor_state.h"
#include "monitor/tray.h"
#include "string_ids.h"

namespace obrivo::monitor {
namespace {

// The alert names the service by its key name, so that stopping and disabling it can never
// reach another service of the same display name; when its command changed, alertPath2 holds
// the command it had and alertPath the one it has now.
int Ask(const core::Item& item, const std::string& oldCommand, const std::string& newCommand) {
  MonitorState& s = State();
  s.alertPath = oldCommand.empty() ? item.path : newCommand;
  s.alertTitle = item.title;
  s.alertKey = item.name;
  s.alertPath2 = oldCommand;
  s.alertType = item.type;
  const int answer = AskAlert(AlertKind::Service);
  s.alertPath.clear();
  s.alertTitle.clear();
  s.alertKey.clear();
  s.alertPath2.clear();
  return answer;
}

}  // namespace

system::ServiceCheckHooks MonitorServiceHooks() {
  system::ServiceCheckHooks hooks;
  hooks.askNewService = [](const core::Item& item) { return Ask(item, {}, {}); };
  hooks.askChangedCommand = [](const core::Item& item, const std::string& oldCommand,
                               const std::string& newCommand) {
    return Ask(item, oldCommand, newCommand);
  };
  hooks.showAlertIcon = [] { ShowTrayStatus(IDS_VERIFYING_STARTUP_TIP, IDI_TRAY_ALERT); };
  hooks.reportFailure = [](const std::string& text) {
    const AlertOpenScope open;  // no patrol starts under the message
    ::MessageBoxExW(State().mainWindow, win32::Wide(text).c_str(),
                    win32::Wide(State().caption).c_str(), MB_OK | MB_ICONERROR | MB_TOPMOST,
                    common::App().languageId);
  };
  return hooks;
}

void VerifyServices() { system::CheckServices(MonitorServiceHooks()); }

}  // namespace obrivo::monitor
