// The Task Scheduler's version 1 work items (ITaskScheduler): the .job tasks.
#include <windows.h>
#include <mstask.h>

#include <vector>

#include "common/win32/files.h"
#include "common/win32/system.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"
#include "core/text.h"
#include "system/task_sources.h"

namespace obrivo::system::detail {
namespace {

using win32::ComPtr;

// The GUIDs are defined here so that no import library has to provide them.
constexpr GUID kClsidTaskScheduler = {
    0x148BD52A, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
constexpr GUID kIidTaskScheduler = {
    0x148BD527, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};
constexpr GUID kIidTask = {
    0x148BD524, 0xA2AB, 0x11CE, {0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03}};

// Names are fetched a few at a time, as the scheduler hands them out.
constexpr ULONG kNamesPerBatch = 5;

// Text the scheduler allocated, freed with it.
std::string TakeTaskText(LPWSTR text) {
  std::string result = text ? win32::Narrow(text) : std::string();
  ::CoTaskMemFree(text);
  return result;
}

HRESULT CreateScheduler(ComPtr<ITaskScheduler>& scheduler) {
  return ::CoCreateInstance(kClsidTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, kIidTaskScheduler,
                            scheduler.put_void());
}

// Every work item's name, exactly as the scheduler enumerates it.
HRESULT WorkItemNames(ITaskScheduler* scheduler, std::vector<std::wstring>& names) {
  ComPtr<IEnumWorkItems> items;
  const HRESULT hr = scheduler->Enum(items.put());
  if (FAILED(hr)) return hr;
  if (!items) return E_POINTER;
  for (;;) {
    LPWSTR* batch = nullptr;
    ULONG fetched = 0;
    const HRESULT next = items->Next(kNamesPerBatch, &batch, &fetched);
    if (FAILED(next) || !batch) {
      ::CoTaskMemFree(batch);
      return FAILED(next) ? next : S_OK;
    }
    for (ULONG i = 0; i < fetched; ++i) {
      if (batch[i]) names.emplace_back(batch[i]);
      ::CoTaskMemFree(batch[i]);
    }
    ::CoTaskMemFree(batch);
    if (next != S_OK || fetched == 0) return S_OK;
  }
}

// The names a work item may be asked for by: as enumerated ("Backup.job"), then without the
// extension, which is the only form some schedulers take (Wine's refuses the enumerated name with
// E_INVALIDARG).
std::vector<std::wstring> CallNames(const std::wstring& name) {
  std::vector<std::wstring> names{name};
  constexpr std::wstring_view kExtension = L".job";
  if (name.size() > kExtension.size() &&
      core::EqualsNoCase(win32::Narrow(name.substr(name.size() - kExtension.size())), ".job"))
    names.push_back(name.substr(0, name.size() - kExtension.size()));
  return names;
}

ComPtr<ITask> Activate(ITaskScheduler* scheduler, const std::wstring& name) {
  ComPtr<ITask> task;
  for (const std::wstring& callName : CallNames(name)) {
    if (SUCCEEDED(scheduler->Activate(callName.c_str(), kIidTask,
                                      reinterpret_cast<IUnknown**>(task.put()))) &&
        task)
      return task;
    task.reset();
  }
  return task;
}

std::string NextRunText(ITask* task) {
  SYSTEMTIME time{};
  if (FAILED(task->GetNextRunTime(&time))) time = SYSTEMTIME{};
  return RunTimeText(time);
}

// The enumerated name that `name` stands for (names are compared without regard to case, as
// the scheduler's own file names are); nothing when no work item has it.
std::optional<std::wstring> FindWorkItem(ITaskScheduler* scheduler, std::string_view name) {
  std::vector<std::wstring> names;
  WorkItemNames(scheduler, names);
  for (const std::wstring& candidate : names)
    if (core::EqualsNoCase(win32::Narrow(candidate), name)) return candidate;
  return std::nullopt;
}

}  // namespace

HRESULT ListWorkItems(std::vector<ScheduledTask>& tasks) {
  win32::ComScope com;
  ComPtr<ITaskScheduler> scheduler;
  HRESULT hr = CreateScheduler(scheduler);
  if (FAILED(hr)) return hr;
  std::vector<std::wstring> names;
  hr = WorkItemNames(scheduler.get(), names);
  for (const std::wstring& name : names) {
    // A work item that cannot be activated (a damaged or foreign .job file) is left out.
    const ComPtr<ITask> task = Activate(scheduler.get(), name);
    if (!task) continue;
    ScheduledTask item;
    item.name = win32::Narrow(name);
    LPWSTR application = nullptr;
    if (SUCCEEDED(task->GetApplicationName(&application)))
      item.application = TakeTaskText(application);
    else
      ::CoTaskMemFree(application);
    item.nextRun = NextRunText(task.get());
    SYSTEMTIME last{};
    if (FAILED(task->GetMostRecentRunTime(&last))) last = SYSTEMTIME{};
    item.lastRun = RunTimeText(last);
    tasks.push_back(std::move(item));
  }
  return hr;
}

HRESULT DeleteWorkItem(std::string_view name) {
  win32::ComScope com;
  ComPtr<ITaskScheduler> scheduler;
  const HRESULT hr = CreateScheduler(scheduler);
  if (FAILED(hr)) return hr;
  const auto found = FindWorkItem(scheduler.get(), name);
  if (!found) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  HRESULT result = E_FAIL;
  for (const std::wstring& callName : CallNames(*found)) {
    result = scheduler->Delete(callName.c_str());
    if (SUCCEEDED(result)) break;
  }
  return result;
}

std::optional<TaskDetails> WorkItemDetails(std::string_view name) {
  win32::ComScope com;
  ComPtr<ITaskScheduler> scheduler;
  if (FAILED(CreateScheduler(scheduler))) return std::nullopt;
  const auto found = FindWorkItem(scheduler.get(), name);
  if (!found) return std::nullopt;
  const ComPtr<ITask> task = Activate(scheduler.get(), *found);
  if (!task) return std::nullopt;
  TaskDetails details;
  LPWSTR comment = nullptr;
  if (SUCCEEDED(task->GetComment(&comment)))
    details.comment = TakeTaskText(comment);
  else
    ::CoTaskMemFree(comment);
  HRESULT status = S_OK;
  if (SUCCEEDED(task->GetStatus(&status))) {
    if (status == SCHED_S_TASK_RUNNING) details.state = TaskState::Running;
    if (status == SCHED_S_TASK_NOT_SCHEDULED) details.state = TaskState::NotScheduled;
  }
  details.nextRun = NextRunText(task.get());
  return details;
}

std::string WorkItemFolder() { return win32::WindowsDirectory() + "\\Tasks"; }

std::optional<std::string> WorkItemFile(std::string_view name) {
  win32::ComScope com;
  ComPtr<ITaskScheduler> scheduler;
  if (FAILED(CreateScheduler(scheduler))) return std::nullopt;
  const auto found = FindWorkItem(scheduler.get(), name);
  if (!found) return std::nullopt;
  std::string file = WorkItemFolder() + "\\" + win32::Narrow(*found);
  if (CallNames(*found).size() == 1) file += ".job";  // enumerated without its extension
  if (!win32::IsExistingFile(file)) return std::nullopt;
  return file;
}

}  // namespace obrivo::system::detail
