// The scheduled-task baseline.
#include "system/task_baseline.h"

#include <windows.h>

#include "common/store.h"
#include "common/utilities.h"
#include "core/history_codes.h"
#include "core/text.h"
#include "system/scheduled_tasks.h"

namespace obrivo::system {
namespace {

// A value is read with room for this many characters; longer data is no type code.
constexpr std::size_t kBaselineReadChars = 32;

std::string BaselineKey() { return common::ProductSubkey("Tasks"); }

}  // namespace

bool IsTaskBaselineTaken() {
  return !common::ReadStoreString(BaselineKey(), HKEY_CURRENT_USER, "", 128).empty();
}

void SnapshotTasks() {
  const TaskListing listing = ListScheduledTasks();
  if (listing.schedulerError != ERROR_SUCCESS ||
      (FAILED(listing.workItemsError) && FAILED(listing.foldersError)))
    return;
  for (const ScheduledTask& task : listing.tasks) AcceptTask(task.name);
  common::WriteStoreString(HKEY_CURRENT_USER, BaselineKey(), "", common::LocalDateTimeNow());
}

void EnsureTaskBaseline() {
  if (!IsTaskBaselineTaken()) SnapshotTasks();
}

bool IsTaskAccepted(std::string_view name) {
  // The default value is the baseline's own date, never a task.
  if (name.empty()) return false;
  return core::LeadingNumber(common::ReadStoreString(BaselineKey(), HKEY_CURRENT_USER, name,
                                                     kBaselineReadChars)) != 0;
}

bool AcceptTask(std::string_view name) {
  if (name.empty()) return false;
  return common::WriteStoreString(HKEY_CURRENT_USER, BaselineKey(), name,
                                  std::to_string(core::item_type::kScheduledTask));
}

bool ForgetTask(std::string_view name) {
  if (name.empty()) return false;
  return common::DeleteStoreValue(HKEY_CURRENT_USER, BaselineKey(), name);
}

std::vector<std::string> TaskPrograms() {
  std::vector<std::string> programs;
  for (const ScheduledTask& task : ListScheduledTasks().tasks)
    if (!task.application.empty()) programs.push_back(task.application);
  return programs;
}

}  // namespace obrivo::system
