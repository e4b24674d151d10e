// The hijack log: a plain-text inventory of the places where software hooks into Windows and the
// browser, one finding per line, to be pasted into help forums. Each section asks its category's
// enumerator on its own; a category with nothing to list leaves its lines out.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "core/date_text.h"
#include "files/hidden_files.h"

namespace obrivo::explorer {

// Where the log reads what is not in the registry. The programs take the system's own; a test
// points them at fixture files.
struct HijackLogSources {
  std::string windowsFolder;  // system.ini and inf\iereset.inf
  std::string hostsFile;
  std::optional<std::vector<files::ScanRoot>> hiddenRoots;  // default: the hidden-file scan's
  std::optional<core::DateTime> now;                         // default: the local time
};
HijackLogSources SystemHijackLogSources();

// The whole log, UTF-8 without a byte-order mark, lines ended by CR LF.
std::string HijackLogText(const HijackLogSources& sources);

// The file the log goes to: HijackObrivo.log in the user's documents folder (the program's
// folder is not writable for a normal user once the product is installed). Nothing when the
// documents folder cannot be found.
std::optional<std::string> HijackLogPath();

// What the user is shown once the log is written: the button says where it went and opens it; the
// start-up copy only opens it (its window shows the file's name). A file that cannot be written is
// said in both.
enum class HijackLogNotice { SayAndOpen, Open };
// Writes the log to HijackLogPath() with the busy cursor showing. The file written, or nothing.
std::optional<std::string> WriteHijackLog(HWND owner, HijackLogNotice notice);

// True when the running program's file name holds "hijack" in any case: such a copy writes the
// log at start-up.
bool IsHijackLogProgram(std::string_view programPath);

}  // namespace obrivo::explorer
