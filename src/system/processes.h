// Running programs, found by the file they run from: the enumeration of processes, the Active
// Tasks list, their first-detected dates, and ending them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace obrivo::system {

// One process as the enumeration saw it. The image path and the creation time are read through
// the same handle, so they belong to the same process even if its id is reused meanwhile.
struct RunningProcess {
  DWORD id = 0;
  std::string imagePath;        // empty when the process could not be read
  std::uint64_t createdAt = 0;  // creation time in FILETIME units; 0 when unreadable
  bool sixteenBitTask = false;  // a 16-bit task of the NTVDM process `id`, `imagePath` its file
};

// A listed process, to be found again: the id alone may name another program by then.
struct ProcessIdentity {
  DWORD id = 0;
  std::uint64_t createdAt = 0;
};

// Returns false to stop the enumeration.
using ProcessVisitor = std::function<bool(const RunningProcess&)>;

// Calls `visit` once per running process (and, on the NT family, once per 16-bit task of an
// NTVDM process, with that process's id and the task's file). False when the system's process
// functions are not available.
bool EnumRunningProcesses(const ProcessVisitor& visit);

// The process functions' libraries come from the system folder. A test names another folder for
// the 16-bit task library, so that a stand-in can report tasks; the programs never call this.
// An empty folder goes back to the system folder.
void UseTaskLibraryFolderForTesting(std::string folder);

// Empties the item list and fills it with one entry per running program file (type 600, the
// file's description as title, flag = the id of the first process found running it). Returns
// the count. The second form also gives, for each item by index, the process it was listed for.
std::size_t EnumActiveTasks();
std::size_t EnumActiveTasks(std::vector<ProcessIdentity>& listed);

// The file of every running program, once each, as EnumActiveTasks lists them.
std::vector<std::string> RunningProgramFiles();
// Dates every running program under Detected\ActiveTasks; dates already recorded stay.
void RecordRunningPrograms();

// The id of the first process whose image is the program file of `path`: the resolved paths
// compared without regard to case, else the wanted path against the image's file name. 0 when
// none runs.
DWORD FindProcessByPath(std::string_view path);

// Ends process `id`; true when it was opened and terminated. For an id just found.
bool KillProcessById(DWORD id);
// Ends the listed process only while its id still names it: a process that started since under
// the same id is left alone (false).
bool KillProcessById(const ProcessIdentity& process);

// True while the listed process runs (not a later one under its id).
bool IsProcessRunning(const ProcessIdentity& process);

// True when a process that StopEntryProgram would end for `command` runs.
bool IsEntryProgramRunning(std::string_view command);

// Ends every process that the startup entry's `command` started: a process of the command's
// program file (a bare name matches any folder's file of that name) whose own command line has
// the same arguments. Never the caller, the shell, nor a process of another session. A process of
// the program whose command line cannot be read is left running with a history record saying
// so. With `ask`, first asks whether to stop `name` (the command when empty); a No leaves them
// all running. Writes a kill record to the history for each process ended. Returns the id of
// the first process of the entry ended, or after a No the first found; 0 when none runs or none
// could be ended.
DWORD StopEntryProgram(HWND owner, std::string_view command, std::string_view name, bool ask);

}  // namespace obrivo::system
