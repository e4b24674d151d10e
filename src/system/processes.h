// Running programs, found by the file they run from.
#pragma once

#include <windows.h>

#include <string_view>

namespace obrivo::system {

// The id of the first process whose image is the program file of `path`: the resolved paths
// compared without regard to case, else the wanted path against the image's file name. 0 when
// none runs.
DWORD FindProcessByPath(std::string_view path);

// Ends the program running from `path`. With `ask`, first asks whether to stop `name` (the path
// when empty); a No leaves it running. Writes the kill to the history when it ended it.
// Returns the process id found, 0 when none runs or it could not be opened.
DWORD StopProgramByPath(HWND owner, std::string_view path, std::string_view name, bool ask);

}  // namespace obrivo::system
