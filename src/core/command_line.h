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

// When `command` runs through RUNDLL32.EXE: what follows the host (the DLL and its entry
// point), leading spaces skipped. The host counts only as the command's program, its first
// token (quoted or not, with or without folder and extension): a command that merely mentions
// it further on runs a program of its own, and that program is what the entry is.
std::optional<std::string> RundllTarget(std::string_view command);

// A command line as its program and the arguments passed to it.
struct CommandParts {
  std::string program;    // without the quotes around it
  std::string arguments;  // without the spaces in front of them
};

// The command line that runs `program` with `arguments`: the program quoted when it has a space
// (unquoted, Windows would take its first part for the program), then a space and the arguments.
// Without arguments, the program alone, as it is.
std::string JoinCommandLine(std::string_view program, std::string_view arguments);

// Splits a command line into its program and arguments. A quoted program ends at its closing
// quote. An unquoted one may hold spaces (listed paths lose their quotes), so it is the shortest
// text before a space, or the whole command, that `isFile` accepts, the order in which Windows
// itself tries them; when none is accepted (or `isFile` is empty), the shortest such text whose
// file name has an extension; failing that, the whole command.
CommandParts SplitProgramAndArguments(std::string_view command,
                                      const std::function<bool(std::string_view)>& isFile);

}  // namespace obrivo::core
