// The two scheduler interfaces behind scheduled_tasks.h: the version 1 work items and the 2.0
// folder tree. Each lists, deletes and describes its own tasks; scheduled_tasks.cpp joins them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "system/scheduled_tasks.h"

namespace obrivo::system::detail {

// The service the scheduler runs as ("Schedule"). The tests name one that does not exist to see
// every operation meet a scheduler that cannot be started; Wine's own cannot be stopped.
std::wstring& SchedulerServiceName();

enum class TaskState { Ready, Running, NotScheduled };

struct TaskDetails {
  std::string comment;
  TaskState state = TaskState::Ready;
  std::string nextRun;
};

// A run time as the list shows it ("Never" for a zero date).
std::string RunTimeText(const SYSTEMTIME& time);

// The version 1 work items, appended to `tasks`; the error that ended the listing, else S_OK.
HRESULT ListWorkItems(std::vector<ScheduledTask>& tasks);
HRESULT DeleteWorkItem(std::string_view name);
std::optional<TaskDetails> WorkItemDetails(std::string_view name);

// The 2.0 tasks of every folder, appended to `tasks`; the first error met, else S_OK. A folder
// that fails is skipped and the listing goes on with the next one.
HRESULT ListFolderTasks(std::vector<ScheduledTask>& tasks);
HRESULT DeleteFolderTask(std::string_view path);
std::optional<TaskDetails> FolderTaskDetails(std::string_view path);

}  // namespace obrivo::system::detail
