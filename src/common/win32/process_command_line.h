// Another process's command line, read from that process: what it was started with, not what its
// image file is.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace obrivo::win32 {

// The command line of the process behind `process`; nothing when it cannot be read. The handle
// needs PROCESS_QUERY_LIMITED_INFORMATION where the system answers the question itself, and
// PROCESS_QUERY_INFORMATION with PROCESS_VM_READ where the process's own memory must be read.
std::optional<std::string> ReadProcessCommandLine(HANDLE process);

}  // namespace obrivo::win32
