// Deleting a startup entry's program file at the next start of Windows: which file that is, and
// what became of the request.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace obrivo::startup {

// The existing file that a startup entry's command runs: for a command through RUNDLL32 (or,
// with `throughRundll`, the host's target as the entry lists it) the DLL it loads; otherwise the
// program the command starts, without its arguments. A bare name is looked for in the Windows
// and system folders. Nothing when no such file exists.
std::optional<std::string> EntryProgramFile(std::string_view command, bool throughRundll);

struct RebootDeletion {
  std::string file;  // the file scheduled, or the command when it names no file
  DWORD error = 0;   // 0 when scheduled; ERROR_FILE_NOT_FOUND when there is no file
};

// Schedules EntryProgramFile(command, throughRundll) for deletion at the next restart.
RebootDeletion DeleteEntryProgramOnReboot(std::string_view command, bool throughRundll);
// Schedules the file at `path` itself (of any length) for deletion at the next restart.
RebootDeletion DeleteFileAtPathOnReboot(std::string_view path);

}  // namespace obrivo::startup
