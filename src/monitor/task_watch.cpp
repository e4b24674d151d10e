// The Monitor's scheduled-task check.
#include "monitor/task_watch.h"

#include "common/app.h"
#include "common/text_loader.h"
#include "common/win32/system.h"
#include "common/win32/wide.h"
#include "core/text.h"
#include "icon_ids.h"
#include "monitor/alerts/alerts.h"
#include "monitor/monitor_state.h"
#include "monitor/tray.h"
#include "string_ids.h"

namespace obrivo::monitor {
namespace {

constexpr int kLookingForTasksTip = 823;

int AskNewTask(const core::Item& item) {
  MonitorState& s = State();
  s.alertPath = item.path;
  s.alertTitle = item.title;
  s.alertKey = core::EntryName(item);  // the alert asks the scheduler about the task by it
  s.alertType = item.type;
  const int answer = AskAlert(AlertKind::Task);
  s.alertPath.clear();
  s.alertTitle.clear();
  s.alertKey.clear();
  return answer;
}

void SayRemovalFailed(const core::Item& item, HRESULT result) {
  std::string text = core::FormatText(common::LoadText(IDS_TASK_DELETE_FAILED), item.title);
  text = core::FormatText(text, win32::SystemErrorText(static_cast<DWORD>(result)));
  const AlertOpenScope open;
  ::MessageBoxExW(nullptr, win32::Wide(text).c_str(), win32::Wide(State().caption).c_str(),
                  MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST, common::App().languageId);
}

}  // namespace

system::TaskCheckHooks MonitorTaskHooks() {
  system::TaskCheckHooks hooks;
  hooks.askNewTask = AskNewTask;
  hooks.showAlertIcon = [] { ShowTrayStatus(kLookingForTasksTip, IDI_TRAY_ALERT); };
  hooks.removalFailed = SayRemovalFailed;
  return hooks;
}

void VerifyScheduledTasks() { system::CheckScheduledTasks(MonitorTaskHooks()); }

}  // namespace obrivo::monitor
