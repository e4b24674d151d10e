// The scheduled-task baseline: the tasks the user has accepted, one REG_SZ value "800" per task
// under HKEY_CURRENT_USER\Software\Tolvane\Obrivo\Tasks, named by the task's name (a work item's
// "Name.job", a 2.0 task's folder path). The key's default value records the day the baseline was
// taken; a store without it has none yet (it was made before tasks were watched, or the
// scheduler could not be listed then) and takes it at the next start.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace obrivo::system {

// Writes a baseline value for every task there is now, then marks the baseline taken. Nothing
// is marked when the scheduler cannot be listed at all (not running, or neither interface
// answers): the tasks it holds would be taken for new.
void SnapshotTasks();
// At every start: takes the baseline once when it has never been taken.
void EnsureTaskBaseline();
// True once a baseline has been taken.
bool IsTaskBaselineTaken();

bool IsTaskAccepted(std::string_view name);
// True when the value was written.
bool AcceptTask(std::string_view name);
// Drops the task's value; true when there was one.
bool ForgetTask(std::string_view name);

// The program of every task there is now, as the first-detected dates are kept under it.
std::vector<std::string> TaskPrograms();

}  // namespace obrivo::system
