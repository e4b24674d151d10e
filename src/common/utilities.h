// Folders, files, command-line resolution on this system, version information and date texts.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "core/command_line.h"

namespace obrivo::common {

// The folder of the running program (no trailing backslash).
std::string ProgramFolder();
// %AppData%\Obrivo with its "vault" subfolder, created when missing; the program folder when
// AppData is unknown or the folders cannot be created.
std::string DataFolder();
std::string HostsFilePath();

// True when `path` names an existing file. A bare name (under 32 characters) is also looked for
// in the Windows folder and then the system folder; a hit in the system folder rewrites `path`
// to the full path found.
bool FileExists(std::string& path);
// The folder part of `name` ("C:\" for a root); for a bare name the Windows or system folder
// that holds it; empty otherwise.
std::string FolderOfProgram(std::string_view name);
// Clears the attributes, then deletes.
bool DeleteFileForce(std::string_view path);
// The whole file as text; with `crlf` every lone line feed becomes CR LF.
std::optional<std::string> ReadTextFile(std::string_view path, bool crlf);

core::SystemFolders CurrentSystemFolders();
std::string CommandToProgramPath(std::string_view command);
core::ProgramAndArgs CommandToProgramPathAndArgs(std::string_view command);
// The long form of a path, or the path unchanged when it cannot be converted.
std::string LongPathName(std::string_view path);

struct AppPathInfo {
  std::string version;  // ProductVersion of the registered program
  std::string folder;   // the registration's Path value
};
// The App Paths registration of `exeName`, when the file it names exists.
std::optional<AppPathInfo> AppPathsLookup(std::string_view exeName);

struct ClsidServer {
  std::string className;   // default value of CLSID\{id}
  std::string serverPath;  // default value of its InprocServer32 subkey
};
ClsidServer ClsidServerLookup(std::string_view clsid);

struct VersionInfo {
  std::string productName, productVersion, companyName, fileDescription, legalCopyright;
};
// The version resource of a file; nothing when no translation has a product name.
std::optional<VersionInfo> ReadVersionInfo(std::string_view path);

// Date and time in the user's short-date and time formats.
std::string LocalDateTimeText(const SYSTEMTIME& time);
std::string LocalDateTimeNow();
// "yyyy/mm/dd hh:mm" of the file's creation in local time; empty when it cannot be read.
std::string FileCreationTimeText(std::string_view path);
SYSTEMTIME FileTimeToLocal(const FILETIME& fileTime);

}  // namespace obrivo::common
