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

// The class of the 2.0 interfaces' scheduler object. The tests name one that is not registered,
// to see a system without the folder tree keep the version 1 list.
GUID& TaskServiceClass();

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
// The work item's .job file in the scheduler's Tasks folder; nothing when no work item has the
// name or its file is not there.
std::optional<std::string> WorkItemFile(std::string_view name);
// The folder a work item's .job file is put into to register it.
std::string WorkItemFolder();

// The 2.0 tasks of every folder, appended to `tasks`; the first error met, else S_OK. A folder
// that fails is skipped and the listing goes on with the next one.
HRESULT ListFolderTasks(std::vector<ScheduledTask>& tasks);
HRESULT DeleteFolderTask(std::string_view path);
std::optional<TaskDetails> FolderTaskDetails(std::string_view path);
// The task's XML definition; nothing when it cannot be read.
std::optional<std::wstring> FolderTaskXml(std::string_view path);
// Registers a task at `path` from its XML, creating the folders on the way; a task of that path
// is never replaced.
HRESULT RegisterFolderTask(std::string_view path, const std::wstring& xml);

}  // namespace obrivo::system::detail
