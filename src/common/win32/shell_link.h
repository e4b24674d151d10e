// Shortcut files (.lnk) through the shell link object: reading where one leads without ever
// showing a window, and writing one.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "core/command_line.h"

namespace obrivo::win32 {

// What a shortcut holds once resolved.
struct ShellLinkTarget {
  std::string path;  // the target file, as a full path
  std::string arguments;
  std::string description;
  std::string workingDirectory;
};

// Loads `shortcut` and resolves it without any user interface, giving up after `timeoutMs`.
// Nothing when the file is not a shortcut, the resolution fails, the shortcut names no file
// (a shell namespace object) or its target does not exist. Never writes the shortcut back.
std::optional<ShellLinkTarget> ResolveShellLink(std::string_view shortcut, DWORD timeoutMs = 500);

// What a new shortcut should hold.
struct ShellLinkFields {
  std::string target;
  std::string arguments;
  std::string description;
  std::string workingDirectory;
  std::string iconPath;  // empty: the shell's choice
  int iconIndex = 0;
};

// Writes the shortcut file `shortcut` (replacing an existing one). True when it was saved.
bool CreateShellLink(std::string_view shortcut, const ShellLinkFields& fields);

// The command line a shortcut runs: its target, quoted when it has a space, then its arguments;
// the target alone when it has none. Two shortcuts to one program differ by what they pass it.
std::string ShellLinkCommandLine(const ShellLinkTarget& link);

// The other way, for a shortcut that is to run `commandLine` again: its target and its
// arguments. A quoted target ends at its quote; an unquoted one (a listed path has lost its
// quotes) is the shortest part before a space that names an existing file.
core::CommandParts SplitShellLinkCommandLine(std::string_view commandLine);

}  // namespace obrivo::win32
