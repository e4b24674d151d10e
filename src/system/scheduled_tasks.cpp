// The scheduled tasks of both scheduler interfaces, joined into one list, and the "Schedule"
// service they need.
#include "system/scheduled_tasks.h"

#include <unordered_set>

#include "common/items.h"
#include "common/text_loader.h"
#include "common/win32/unique.h"
#include "core/date_text.h"
#include "core/history_codes.h"
#include "core/text.h"
#include "system/task_sources.h"

namespace obrivo::system {
namespace {

constexpr int kNeverText = 686;
constexpr int kStatusReady = 688;
constexpr int kStatusRunning = 689;
constexpr int kStatusNotScheduled = 690;

HRESULT TaskNotFound() { return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND); }

std::optional<detail::TaskDetails> DetailsOf(std::string_view name) {
  if (name.empty() || StartScheduler() != ERROR_SUCCESS) return std::nullopt;
  return IsFolderTaskName(name) ? detail::FolderTaskDetails(name) : detail::WorkItemDetails(name);
}

}  // namespace

namespace detail {

std::wstring& SchedulerServiceName() {
  static std::wstring name = L"Schedule";
  return name;
}

std::string RunTimeText(const SYSTEMTIME& time) {
  const core::DateTime t{time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute,
                         time.wSecond};
  return core::TaskRunTimeText(t, common::LoadText(kNeverText));
}

}  // namespace detail

bool IsFolderTaskName(std::string_view name) { return !name.empty() && name.front() == '\\'; }

DWORD StartScheduler() {
  const win32::UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return ::GetLastError();
  const win32::UniqueServiceHandle service(::OpenServiceW(
      manager.get(), detail::SchedulerServiceName().c_str(), SERVICE_START | SERVICE_QUERY_STATUS));
  if (!service) return ::GetLastError();
  SERVICE_STATUS status{};
  if (!::QueryServiceStatus(service.get(), &status)) return ::GetLastError();
  if (status.dwCurrentState == SERVICE_RUNNING) return ERROR_SUCCESS;
  // The service is left running afterwards: it is the system's own scheduler, which every
  // task needs to run at all.
  if (::StartServiceW(service.get(), 0, nullptr)) return ERROR_SUCCESS;
  const DWORD error = ::GetLastError();
  return error == ERROR_SERVICE_ALREADY_RUNNING ? ERROR_SUCCESS : error;
}

bool IsSchedulerRunning() {
  const win32::UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return false;
  const win32::UniqueServiceHandle service(
      ::OpenServiceW(manager.get(), detail::SchedulerServiceName().c_str(), SERVICE_QUERY_STATUS));
  SERVICE_STATUS status{};
  return service && ::QueryServiceStatus(service.get(), &status) &&
         status.dwCurrentState == SERVICE_RUNNING;
}

TaskListing ListScheduledTasks() {
  TaskListing listing;
  listing.schedulerError = StartScheduler();
  if (listing.schedulerError != ERROR_SUCCESS) return listing;
  listing.workItemsError = detail::ListWorkItems(listing.tasks);

  // A work item "X.job" is also the root folder's task "\X" where both interfaces see one
  // store; it is listed once, under the name the version 1 interfaces give it.
  std::unordered_set<std::string> workItems;
  for (const ScheduledTask& task : listing.tasks) workItems.insert(core::ToUpper(task.name));
  std::vector<ScheduledTask> folderTasks;
  listing.foldersError = detail::ListFolderTasks(folderTasks);
  for (ScheduledTask& task : folderTasks) {
    const std::string_view path = task.name;
    const bool inRoot = path.rfind('\\') == 0;
    if (inRoot && workItems.count(core::ToUpper(std::string(path.substr(1)) + ".job"))) continue;
    listing.tasks.push_back(std::move(task));
  }
  return listing;
}

std::size_t EnumScheduledTasks() { return FillTaskItems(ListScheduledTasks()); }

std::size_t FillTaskItems(const TaskListing& listing) {
  common::ClearItems();
  for (const ScheduledTask& task : listing.tasks)
    if (!common::AddItem(task.name, task.application, task.nextRun, task.lastRun,
                         core::item_type::kScheduledTask, 0))
      break;
  return common::ItemCount();
}

HRESULT DeleteScheduledTask(std::string_view name) {
  if (name.empty()) return TaskNotFound();
  const DWORD error = StartScheduler();
  if (error != ERROR_SUCCESS) return HRESULT_FROM_WIN32(error);
  return IsFolderTaskName(name) ? detail::DeleteFolderTask(name) : detail::DeleteWorkItem(name);
}

std::string GetTaskComment(std::string_view name) {
  const auto details = DetailsOf(name);
  return details ? details->comment : std::string();
}

std::string GetTaskStatusText(std::string_view name) {
  const auto details = DetailsOf(name);
  if (!details) return {};
  switch (details->state) {
    case detail::TaskState::Running: return common::LoadText(kStatusRunning);
    case detail::TaskState::NotScheduled: return common::LoadText(kStatusNotScheduled);
    case detail::TaskState::Ready: break;
  }
  return common::LoadText(kStatusReady);
}

std::string GetTaskNextRunText(std::string_view name) {
  const auto details = DetailsOf(name);
  return details ? details->nextRun : std::string();
}

}  // namespace obrivo::system
