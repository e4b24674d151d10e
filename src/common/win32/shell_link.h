// Shortcut files (.lnk) through the shell link object: reading where one leads without ever
// showing a window, and writing one.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

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

}  // namespace obrivo::win32
