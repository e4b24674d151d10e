// What is done to one service, by its key name, with the history records of what was really
// done: a failure is said in the result and recorded as nothing.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace obrivo::system {

// The service as its history records name it.
struct ServiceRef {
  std::string keyName;  // what every operation acts on
  std::string title;    // the display name the records show
  std::string path;     // the file the records show
  int type = 0;         // 700 or 701
};

// What a stop or start-type change came to.
enum class ServiceActionResult {
  Done,
  NothingToDo,  // already stopped, already of that start type
  Failed,
};

// Stops a service that runs (or is starting); records its state before (events 18-20) and the
// stop (9) once the control manager accepts it.
ServiceActionResult StopServiceRecorded(const ServiceRef& service);

// The start type (2, 3, 4); the control manager's when it knows the service, else the Start value.
std::optional<DWORD> ServiceStartType(std::string_view keyName);

// Sets the start type (2 automatic, 3 manual, 4 disabled) through the control manager, or in the
// Start value of a service the control manager does not know; records event 10, 11 or 12 whose
// description holds the earlier start type and the key name ("Start=3;Service=<key name>"),
// which the undo sets back.
ServiceActionResult SetServiceStartRecorded(const ServiceRef& service, DWORD start);

// What a start-type record's description holds; nothing when it is not such a description or
// names no start type the undo could set back (2-4).
struct StartRecord {
  DWORD earlierStart = 0;
  std::string keyName;
};
std::optional<StartRecord> ParseStartRecord(std::string_view description);

// A rejected service: stopped, then disabled. Both are tried whatever the first gave.
struct RejectResult {
  ServiceActionResult stop = ServiceActionResult::NothingToDo;
  ServiceActionResult disable = ServiceActionResult::NothingToDo;
};
RejectResult RejectService(const ServiceRef& service);

// Writes ImagePath (and, for a hosted service, Parameters\ServiceDll) back as they were; records
// event 33 with the command put back. False when a value could not be written.
bool RestoreServiceCommand(const ServiceRef& service, std::string_view imagePath,
                           std::string_view serviceDll);

}  // namespace obrivo::system
