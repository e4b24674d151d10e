// The Monitor's scheduled-task check.
#include "system/task_check.h"

#include <vector>

#include "common/first_detected.h"
#include "common/history.h"
#include "common/items.h"
#include "core/alert_rules.h"
#include "core/history_codes.h"
#include "core/text.h"
#include "system/scheduled_tasks.h"
#include "system/task_baseline.h"
#include "system/task_removal.h"

namespace obrivo::system {

TaskRemoval RejectTask(std::string_view name, std::string_view program) {
  TaskRemoval removal = RemoveScheduledTask(name);
  if (SUCCEEDED(removal.result)) {
    ForgetTask(name);
    common::WriteHistory(core::history_event::kScheduledTaskRemove,
                         core::item_type::kScheduledTask, name, removal.copy, program);
  }
  return removal;
}

bool IsExemptTask(std::string_view name) { return core::ContainsNoCase(name, "McAfee.com"); }

void CheckScheduledTasks(const TaskCheckHooks& hooks) {
  if (!IsSchedulerRunning()) return;
  // A baseline never taken (the scheduler could not be listed at start-up) is taken now rather
  // than every task there is being asked about as new.
  if (!IsTaskBaselineTaken()) {
    SnapshotTasks();
    return;
  }
  EnumScheduledTasks();
  // The list is copied: an alert's own lookups may fill the shared list again.
  std::vector<core::Item> tasks;
  for (std::size_t i = 0; i < common::ItemCount(); ++i) tasks.push_back(common::Items().At(i));
  for (const core::Item& task : tasks) {
    const std::string& name = core::EntryName(task);
    if (IsExemptTask(name) || IsTaskAccepted(name)) continue;
    common::RecordFirstDetected(common::kDetectedTasks, task.path);
    if (hooks.showAlertIcon) hooks.showAlertIcon();
    const int answer = hooks.askNewTask ? hooks.askNewTask(task) : 0;
    if (answer == core::kAlertYes) {
      AcceptTask(name);
    } else if (answer == core::kAlertNo) {
      const TaskRemoval removal = RejectTask(name, task.path);
      if (FAILED(removal.result) && hooks.removalFailed) hooks.removalFailed(task, removal.result);
    }
  }
}

}  // namespace obrivo::system
