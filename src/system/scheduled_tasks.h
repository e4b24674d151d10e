// The Task Scheduler's tasks: listed, described and deleted through its own COM interfaces, the
// work items of the version 1 interfaces and the folder tree of the 2.0 interfaces alike.
//
// A task is known by one name, its identity everywhere (item list, baseline, first detection,
// history): a version 1 work item by the name the scheduler enumerates it under ("Backup.job"),
// a 2.0 task by its folder path ("\Vendor\Updater"). A folder path always starts with a
// backslash, which a work item's name (a file name) can never hold, so the two never meet.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace obrivo::system {

struct ScheduledTask {
  std::string name;         // the identity, exact and whole (see above)
  std::string application;  // the program it runs; empty when it has none
  std::string nextRun;      // formatted run times, "Never" (string 686) when there is none
  std::string lastRun;
};

// What one listing found, and why it may be short.
struct TaskListing {
  std::vector<ScheduledTask> tasks;
  // StartScheduler's error: the scheduler is not running and could not be started, so nothing
  // was listed.
  DWORD schedulerError = ERROR_SUCCESS;
  // The version 1 scheduler object or its enumeration failed: no work items were listed.
  HRESULT workItemsError = S_OK;
  // The 2.0 interfaces failed (not there, or a call they lack): the folder tree is missing
  // from the list, or the part of it past the failing folder is.
  HRESULT foldersError = S_OK;
};

// True for a 2.0 task's folder path, false for a work item's name.
bool IsFolderTaskName(std::string_view name);

// Makes sure the scheduler runs: the "Schedule" service is started when it is stopped.
// ERROR_SUCCESS, or the system's error code.
DWORD StartScheduler();
// True when the "Schedule" service is running.
bool IsSchedulerRunning();

// Every task of both interfaces. A work item that cannot be activated is left out; a 2.0 task
// that the root folder also shows as a work item is listed once, under its work item's name.
TaskListing ListScheduledTasks();

// Empties the item list and fills it with the tasks (type 800: title and name the identity,
// path the program, key the next run text, text the last run text); the count listed.
std::size_t EnumScheduledTasks();
// The same from a listing already taken.
std::size_t FillTaskItems(const TaskListing& listing);

// Deletes the task of that name (a work item's name compared without regard to case, a folder
// path exactly as listed). The deletion's HRESULT; a task not found is
// HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), a scheduler that cannot be started the same
// conversion of its error.
HRESULT DeleteScheduledTask(std::string_view name);

// The task's comment (its description); empty when it has none or cannot be read.
std::string GetTaskComment(std::string_view name);
// "Status: Running" (689), "Status: Not Scheduled" (690) or "Status: Ready" (688); empty when
// the task cannot be read.
std::string GetTaskStatusText(std::string_view name);
// The formatted next run time; empty when the task cannot be read.
std::string GetTaskNextRunText(std::string_view name);

}  // namespace obrivo::system
