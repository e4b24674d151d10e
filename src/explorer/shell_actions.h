// The shell actions of a row: the program's folder in Windows Explorer, the file's properties.
#pragma once

#include <windows.h>

#include <string_view>

namespace obrivo::explorer {

// Opens the folder of the command's program file; false when there is no such folder.
bool ExploreProgramFolder(HWND owner, std::string_view command);
// Opens the Windows properties of the command's program file when the file exists.
bool OpenProgramProperties(HWND owner, std::string_view command);

}  // namespace obrivo::explorer
