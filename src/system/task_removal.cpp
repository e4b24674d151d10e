// Removing a scheduled task with its undo kept, and bringing it back.
#include "system/task_removal.h"

#include <cstring>
#include <optional>
#include <vector>

#include "common/data_folder.h"
#include "common/history.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"
#include "core/history_codes.h"
#include "core/text.h"
#include "system/scheduled_tasks.h"
#include "system/task_baseline.h"
#include "system/task_sources.h"

namespace obrivo::system {
namespace {

constexpr std::string_view kDefinitionFile = "task.xml";

// A new, empty folder under Removed\Tasks for one removal: every removal keeps its own copy, so
// an older history record never brings back a later task of the same name.
std::optional<std::string> NewCopyFolder() {
  const std::string removed = common::DataPath(common::kRemovedFolderName);
  const std::string parent = removed + "\\Tasks";
  if (!win32::EnsureDirectory(removed) || !win32::EnsureDirectory(parent)) return std::nullopt;
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  unsigned long long stamp =
      (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  for (int attempt = 0; attempt < 1000; ++attempt, ++stamp) {
    const std::string folder = parent + "\\" + std::to_string(stamp);
    if (::CreateDirectoryW(win32::Wide(folder).c_str(), nullptr)) return folder;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) return std::nullopt;
  }
  return std::nullopt;
}

bool WriteWholeFile(const std::string& path, const void* data, std::size_t size) {
  const win32::UniqueHandle file(::CreateFileW(win32::Wide(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                               CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file && ::WriteFile(file.get(), data, static_cast<DWORD>(size), &written, nullptr) &&
         written == size;
}

// Keeps the definition in `folder`; the copy's path, or nothing.
std::optional<std::string> KeepDefinition(std::string_view name, const std::string& folder) {
  if (IsFolderTaskName(name)) {
    const auto xml = detail::FolderTaskXml(name);
    if (!xml) return std::nullopt;
    const std::string copy = folder + "\\" + std::string(kDefinitionFile);
    if (!WriteWholeFile(copy, xml->data(), xml->size() * sizeof(wchar_t))) return std::nullopt;
    return copy;
  }
  const auto file = detail::WorkItemFile(name);
  if (!file) return std::nullopt;
  const std::string copy = folder + "\\" + core::FileNamePart(*file);
  if (!::CopyFileW(win32::Wide(*file).c_str(), win32::Wide(copy).c_str(), TRUE))
    return std::nullopt;
  return copy;
}

void DropCopy(const std::string& folder, const std::string& copy) {
  if (!copy.empty()) ::DeleteFileW(win32::Wide(copy).c_str());
  ::RemoveDirectoryW(win32::Wide(folder).c_str());
}

bool IsListed(std::string_view name) {
  for (const ScheduledTask& task : ListScheduledTasks().tasks)
    if (IsFolderTaskName(name) ? task.name == name : core::EqualsNoCase(task.name, name))
      return true;
  return false;
}

}  // namespace

TaskRemoval RemoveScheduledTask(std::string_view name) {
  TaskRemoval removal;
  const DWORD error = name.empty() ? ERROR_FILE_NOT_FOUND : StartScheduler();
  if (error != ERROR_SUCCESS) {
    removal.result = HRESULT_FROM_WIN32(error);
    return removal;
  }
  const auto folder = NewCopyFolder();
  if (!folder) {
    removal.result = HRESULT_FROM_WIN32(ERROR_CANNOT_MAKE);
    return removal;
  }
  // Without a copy there would be no undo: the task stays.
  const auto copy = KeepDefinition(name, *folder);
  if (!copy) {
    DropCopy(*folder, {});
    removal.result = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    return removal;
  }
  removal.result = DeleteScheduledTask(name);
  if (FAILED(removal.result)) {
    DropCopy(*folder, *copy);
    return removal;
  }
  removal.copy = *copy;
  return removal;
}

bool RestoreScheduledTask(std::string_view name, std::string_view keptCopy) {
  const std::string copy = common::MovedDataPath(keptCopy);
  if (name.empty() || !win32::IsExistingFile(copy)) return false;
  if (StartScheduler() != ERROR_SUCCESS || IsListed(name)) return false;
  if (IsFolderTaskName(name)) {
    const auto bytes = win32::ReadWholeFile(copy);
    if (!bytes || bytes->size() % sizeof(wchar_t) != 0) return false;
    std::wstring xml(bytes->size() / sizeof(wchar_t), L'\0');
    if (!bytes->empty()) std::memcpy(xml.data(), bytes->data(), bytes->size());
    if (FAILED(detail::RegisterFolderTask(name, xml))) return false;
  } else {
    // The scheduler registers a work item by its file in its Tasks folder.
    const std::string target = detail::WorkItemFolder() + "\\" + core::FileNamePart(copy);
    if (!::CopyFileW(win32::Wide(copy).c_str(), win32::Wide(target).c_str(), TRUE)) return false;
    if (!IsListed(name)) {
      ::DeleteFileW(win32::Wide(target).c_str());
      return false;
    }
  }
  AcceptTask(name);
  common::WriteHistory(core::history_event::kTaskRestore, core::item_type::kScheduledTask, name,
                       copy, "");
  return true;
}

}  // namespace obrivo::system
