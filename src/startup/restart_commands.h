// The restart commands of Windows 9x: what wininit.ini in the Windows folder will carry out when
// Windows next starts ("NUL=" lines delete files, others rename or replace them). Only where
// that system runs them (wininit.exe beside it, never on the NT family) does any of this act.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace obrivo::startup {

// The Windows folder these functions look in; the system's own unless a test gives another.
void SetRestartCommandsFolder(std::optional<std::string> folder);

// The family applies and wininit.exe is there to carry the commands out.
bool RestartCommandsApply();
// Commands are waiting: the family applies and wininit.ini is there and not empty.
bool RestartCommandsWaiting();
// What the viewer shows: the file's first 16,384 bytes, line ends made CR LF. Nothing when the
// file cannot be read.
std::optional<std::string> RestartCommandsText();
// Deletes wininit.ini, whatever its attributes, cancelling every waiting command.
bool DeleteRestartCommands();

// The viewer, both programs: waiting commands are shown; none gives the "no commands" message;
// where the family does not apply nothing happens.
void ShowRestartCommands(HWND owner);
// The viewer itself, for the Monitor's question.
void ShowRestartCommandsViewer(HWND owner);

}  // namespace obrivo::startup
