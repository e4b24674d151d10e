// Turning a command line found in the registry or a shortcut into the program file it starts.
// Folders come in from the caller, so these rules run the same on any machine.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace obrivo::core {

struct SystemFolders {
  std::string windowsDir;       // e.g. C:\windows
  std::string programFilesDir;  // e.g. C:\Program Files
};

// The program file named by `command`, in upper case, without quotes or parameters:
// the text up to and including the first ".EXE"/".DLL"-like extension (a dot whose second
// following character is X or L, ending a name part: "C:\Kit.old\a.exe" is not cut at ".old"),
// starting at the last drive letter met before it.
// %SystemRoot% / \SystemRoot and %ProgramFiles% are replaced by the folders given.
std::string CommandToProgramPath(std::string_view command, const SystemFolders& folders);

// What `command` hands its program: the text after the program file CommandToProgramPath finds,
// without that path's closing quote and the blanks before the first argument.
std::string CommandArguments(std::string_view command, const SystemFolders& folders);

// `program` in quotes, then `arguments` after one blank (nothing when there are none). Windows
// reads a quoted path whole; unquoted, "C:\Program Files\Tool\tool.exe" is first tried as
// "C:\Program.exe".
std::string QuotedCommandLine(std::string_view program, std::string_view arguments);

struct ProgramAndArgs {
  std::string path;  // long form of the program file
  std::string rest;  // the command's text after the recognised extension
};

// Like CommandToProgramPath, also recognising ".CPL"-like extensions (P as the second following
// character); the path is passed through `longPath`. %ProgramFiles% is not replaced.
ProgramAndArgs CommandToProgramPathAndArgs(
    std::string_view command, const SystemFolders& folders,
    const std::function<std::string(std::string_view)>& longPath);

// When `command` runs through RUNDLL32.EXE: the text after "RUNDLL32.EXE " (the DLL and its
// entry point). Otherwise nothing.
std::optional<std::string> RundllTarget(std::string_view command);

}  // namespace obrivo::core
