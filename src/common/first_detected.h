// First-detection records: the date on which each watched item was first seen, one REG_SZ value
// per item in a subkey per category under HKEY_CURRENT_USER\Software\Tolvane\Detected. A record
// is named by the item's path as its category passes it (the whole command of a startup entry,
// the control's key for ActiveX controls), so two entries starting one program keep two dates.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace obrivo::common {

// The category subkeys below kDetectedKey.
inline constexpr std::string_view kDetectedStartup = "Startup";
inline constexpr std::string_view kDetectedHidden = "Hidden";
inline constexpr std::string_view kDetectedFileTypes = "FileTypes";
inline constexpr std::string_view kDetectedServices = "Services";
inline constexpr std::string_view kDetectedTasks = "Tasks";
inline constexpr std::string_view kDetectedIEHelper = "IEHelper";
inline constexpr std::string_view kDetectedActiveX = "ActiveX";
inline constexpr std::string_view kDetectedActiveTasks = "ActiveTasks";

// Dates are cut to this many characters.
inline constexpr std::size_t kDetectedDateMaxChars = 23;

// The subkey whose records an item of this type (or page category code) is looked up in.
std::string_view FirstDetectedSubkey(int type);
// kDetectedKey + "\" + subkey.
std::string DetectedSubkeyPath(std::string_view subkey);

// Records today's date for `path` unless it has a record already; true when it had one.
// Outside ActiveX the path is resolved to its program file first, and an item whose file does
// not exist gets no record.
bool RecordFirstDetected(std::string_view subkey, std::string_view path);

// The recorded date for an item of `type`; empty when there is none.
std::string LookupFirstDetected(int type, std::string_view path);
// The same, recording today's date first when the item has none yet (what a page shows of an
// item it is the first to see).
std::string LookupOrRecordFirstDetected(int type, std::string_view path);

// What each category lists now, as the paths (keys for ActiveX) it records: the item paths as the
// category passes them. A category whose enumerator does not exist yet leaves its source empty.
struct FirstDetectedSeeds {
  using Source = std::function<std::vector<std::string>()>;
  Source startup, ieHelpers, tasks, services, fileTypes, runningProcesses, hiddenFiles, activeX;
};

// Dates everything present on the first run with that day. The categories are seeded once,
// marked by the default value of the Detected key (the seeding date); ActiveX has its own
// marker (the default value "P" of its subkey), so it is seeded on its own. A store whose
// startup records were seeded under the program files their commands start has them carried
// over to the commands once (the earlier date wins), marked by the Startup subkey's default value.
void InitFirstDetected(const FirstDetectedSeeds& seeds);

// Deletes the records of items whose files no longer exist; returns how many went.
std::size_t PruneFirstDetected(std::string_view subkey);

}  // namespace obrivo::common
