// The Monitor's scheduled-task check: each task the baseline does not know is asked about; an
// accepted task joins the baseline, a rejected one is removed (its definition kept for the
// history's Restore) and only then leaves the baseline.
#pragma once

#include <windows.h>

#include <functional>

#include "core/item_list.h"
#include "system/task_removal.h"

namespace obrivo::system {

struct TaskCheckHooks {
  // A new task (an item of EnumScheduledTasks): 6 accept, 7 reject, 0 not answered (asked again
  // at the next patrol).
  std::function<int(const core::Item&)> askNewTask;
  std::function<void()> showAlertIcon;
  // A rejected task whose removal failed, with the failure: it stays registered and new.
  std::function<void(const core::Item&, HRESULT)> removalFailed;
};

// Removes a rejected task (its definition kept for Restore); only when that worked, drops its
// baseline value and writes ScheduledTask_Remove (15) naming the copy. `program` is the task's
// program, for the record's description.
TaskRemoval RejectTask(std::string_view name, std::string_view program);

// True when a task's name exempts it from the check.
bool IsExemptTask(std::string_view name);

// Does nothing while the scheduler is not running (the check never starts it); takes the baseline
// when it was never taken; otherwise asks about every new task. A removal that worked is written to the history (event 15, with the kept
// copy for Restore); one that failed writes nothing.
void CheckScheduledTasks(const TaskCheckHooks& hooks);

}  // namespace obrivo::system
