// Facts about the running system and module: folders, version, resources, error texts.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "common/win32/unique.h"

namespace obrivo::win32 {

// Full path of a module (nullptr: the running program), however long.
std::string ModuleFileName(HMODULE module = nullptr);
std::string WindowsDirectory();
std::string SystemDirectory();

struct OsVersion {
  DWORD major = 0, minor = 0, platformId = 0;
};
OsVersion GetOsVersion();
// Windows NT family (platform id 2); everything this program runs on today.
bool IsNtFamily();

// A string-table text of `module`; nothing when the id has no text.
std::optional<std::string> LoadResourceString(HINSTANCE module, int id);

// Starts a command line (program and arguments) without waiting for it; false when it cannot run.
// Icon `index` of a file, large or small; none when the file has no such icon (ExtractIcon's
// "not an icon file" answer included).
UniqueIcon ExtractFileIcon(std::string_view file, int index, bool small);

bool StartCommandLine(std::string_view commandLine, int showCommand = SW_SHOWNORMAL);

// "code  text" for a system error code.
std::string SystemErrorText(DWORD code);

}  // namespace obrivo::win32
