// Removing a scheduled task so that it can be brought back: its definition is kept first (a work
// item's .job file, a 2.0 task's XML), in a folder of its own under the program's Removed folder,
// and only then is the task deleted. The history record of the removal names that copy, and
// Restore registers the task again from it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace obrivo::system {

struct TaskRemoval {
  HRESULT result = E_FAIL;  // the deletion's; a definition that could not be kept fails first
  std::string copy;         // the kept definition; empty when the removal failed
};

// Keeps the task's definition and deletes the task. On failure nothing is kept and the task
// stays registered.
TaskRemoval RemoveScheduledTask(std::string_view name);

// Registers the task `name` again from the definition `copy` kept by RemoveScheduledTask and
// accepts it in the baseline (the user asked for it back), recording TASK_Restore (13). False
// when the copy is gone or a task of that name exists again: a task is never overwritten.
bool RestoreScheduledTask(std::string_view name, std::string_view copy);

}  // namespace obrivo::system
