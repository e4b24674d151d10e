// The Monitor's scheduled-task check as the patrol runs it (patrol category 8): new tasks are
// asked about with the task alert (or answered by the hidden-alert options), and a removal that
// fails is said.
#pragma once

#include "system/task_check.h"

namespace obrivo::monitor {

// The user's side of the task check in the Monitor.
system::TaskCheckHooks MonitorTaskHooks();

// The patrol's tasks category; nothing while the scheduler is not running.
void VerifyScheduledTasks();

}  // namespace obrivo::monitor
