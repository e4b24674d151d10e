// First-detection records.
#include "common/first_detected.h"

#include <windows.h>

#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/registry.h"
#include "core/capacity.h"
#include "core/date_text.h"
#include "core/history_codes.h"
#include "core/text.h"

namespace obrivo::common {
namespace {

constexpr std::string_view kActiveXSeeded = "P";
// The default value of Detected\Startup once every record there is named by the entry's command.
constexpr std::string_view kStartupByCommand = "Command";

std::string Today() { return core::TruncateChars(LocalDateTimeNow(), kDetectedDateMaxChars + 1); }

bool HasRecord(std::string_view subkey, std::string_view path) {
  const win32::UniqueKey key =
      win32::OpenKey(HKEY_CURRENT_USER, DetectedSubkeyPath(subkey), KEY_QUERY_VALUE);
  return key && win32::QueryValue(key.get(), path).has_value();
}

bool DefaultValueEmpty(const std::string& keyPath) {
  return ReadStoreString(keyPath, HKEY_CURRENT_USER, "", core::kTextCapacity).empty();
}

void Seed(std::string_view subkey, const FirstDetectedSeeds::Source& source) {
  if (!source) return;
  for (const std::string& path : source())
    if (!path.empty()) RecordFirstDetected(subkey, path);
}

std::string ReadDate(const std::string& keyPath, std::string_view name) {
  return ReadStoreString(keyPath, HKEY_CURRENT_USER, name, kDetectedDateMaxChars + 1);
}

// True only when both texts are dates and `a` is the earlier one.
bool IsEarlier(std::string_view a, std::string_view b) {
  const auto first = core::ParseLocalDateTime(a), second = core::ParseLocalDateTime(b);
  return first && second && *first < *second;
}

// Earlier builds seeded the startup records under the program file each command starts, while
// the check and the Startup page named them by the command itself, so one entry could hold two
// dates and the page showed the later one. Once per store, every entry listed now takes the
// earlier of its two dates under its command; the old records stay for older builds to read.
// Only the entries present at this carry-over take a date from their program file: a later entry
// starting the same program (another "cmd.exe /c ...") is a different entry with its own date.
void NameStartupRecordsByCommand(const FirstDetectedSeeds::Source& startup) {
  const std::string keyPath = DetectedSubkeyPath(kDetectedStartup);
  if (!startup || !DefaultValueEmpty(keyPath)) return;
  for (const std::string& command : startup()) {
    if (command.empty()) continue;
    const std::string file = CommandToProgramPath(command);
    if (file.empty() || core::EqualsNoCase(file, command)) continue;
    const std::string older = ReadDate(keyPath, file);
    if (older.empty()) continue;
    const std::string current = ReadDate(keyPath, command);
    if (current.empty() || IsEarlier(older, current))
      WriteStoreString(HKEY_CURRENT_USER, keyPath, command, older);
  }
  WriteStoreString(HKEY_CURRENT_USER, keyPath, "", kStartupByCommand);
}

}  // namespace

std::string_view FirstDetectedSubkey(int type) {
  namespace T = core::item_type;
  // Every startup location code lies below the restart commands' 300.
  if (type < T::kRestartDelete || type == T::kRecentStartup) return kDetectedStartup;
  switch (type) {
    case T::kHiddenFile:
    case T::kRecentHiddenFile:
      return kDetectedHidden;
    case T::kFileType:
      return kDetectedFileTypes;
    case T::kServiceExe:
    case T::kServiceSvchost:
    case T::kRecentService:
      return kDetectedServices;
    case T::kScheduledTask:
    case T::kRecentTask:
      return kDetectedTasks;
    case T::kBrowserHelper:
    case T::kToolbar:
    case T::kBrowserExtension:
    case T::kRecentBrowserHelper:
      return kDetectedIEHelper;
    case T::kRecentActiveX:
    case T::kActiveX:
      return kDetectedActiveX;
    default:
      return kDetectedActiveTasks;  // running processes
  }
}

std::string DetectedSubkeyPath(std::string_view subkey) {
  return std::string(kDetectedKey) + "\\" + std::string(subkey);
}

bool RecordFirstDetected(std::string_view subkey, std::string_view path) {
  // An empty name is the key's default value, which holds the seeding marker, not an item.
  if (path.empty()) return false;
  if (!core::EqualsNoCase(subkey, kDetectedActiveX)) {
    std::string file = CommandToProgramPath(path);
    if (!FileExists(file)) return false;
  }
  if (HasRecord(subkey, path)) return true;
  WriteStoreString(HKEY_CURRENT_USER, DetectedSubkeyPath(subkey), path, Today());
  return false;
}

std::string LookupFirstDetected(int type, std::string_view path) {
  if (path.empty()) return {};
  return ReadDate(DetectedSubkeyPath(FirstDetectedSubkey(type)), path);
}

std::string LookupOrRecordFirstDetected(int type, std::string_view path) {
  std::string date = LookupFirstDetected(type, path);
  if (date.empty()) {
    RecordFirstDetected(FirstDetectedSubkey(type), path);
    date = LookupFirstDetected(type, path);
  }
  return date;
}

void InitFirstDetected(const FirstDetectedSeeds& seeds) {
  if (DefaultValueEmpty(std::string(kDetectedKey))) {
    for (std::string_view subkey :
         {kDetectedStartup, kDetectedIEHelper, kDetectedServices, kDetectedTasks,
          kDetectedActiveTasks, kDetectedFileTypes, kDetectedHidden})
      win32::CreateKey(HKEY_CURRENT_USER, DetectedSubkeyPath(subkey), KEY_WRITE);
    WriteStoreString(HKEY_CURRENT_USER, kDetectedKey, "", Today());
    Seed(kDetectedStartup, seeds.startup);
    if (seeds.startup)
      WriteStoreString(HKEY_CURRENT_USER, DetectedSubkeyPath(kDetectedStartup), "",
                       kStartupByCommand);
    Seed(kDetectedIEHelper, seeds.ieHelpers);
    Seed(kDetectedTasks, seeds.tasks);
    Seed(kDetectedServices, seeds.services);
    Seed(kDetectedFileTypes, seeds.fileTypes);
    Seed(kDetectedActiveTasks, seeds.runningProcesses);
    Seed(kDetectedHidden, seeds.hiddenFiles);
  }
  NameStartupRecordsByCommand(seeds.startup);
  const std::string activeX = DetectedSubkeyPath(kDetectedActiveX);
  if (DefaultValueEmpty(activeX)) {
    WriteStoreString(HKEY_CURRENT_USER, activeX, "", kActiveXSeeded);
    Seed(kDetectedActiveX, seeds.activeX);
  }
}

std::size_t PruneFirstDetected(std::string_view subkey) {
  const std::string keyPath = DetectedSubkeyPath(subkey);
  std::vector<std::string> missing;
  {
    const win32::UniqueKey key = win32::OpenKey(HKEY_CURRENT_USER, keyPath, KEY_QUERY_VALUE);
    if (!key) return 0;
    // Collected first: deleting while enumerating would shift the indexes and skip values.
    // The unnamed default value is a marker, not a record, and stays.
    for (const std::string& name : win32::EnumValueNames(key.get())) {
      std::string file = name;
      if (!name.empty() && !FileExists(file)) missing.push_back(name);
    }
  }
  std::size_t removed = 0;
  for (const std::string& name : missing)
    if (DeleteStoreValue(HKEY_CURRENT_USER, keyPath, name)) ++removed;
  return removed;
}

}  // namespace obrivo::common
