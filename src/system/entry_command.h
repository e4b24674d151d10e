// A startup entry's command as Windows starts it (the program and the arguments after it), and
// whether a running process of that program is the one the command started.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace obrivo::system {

struct CommandParts {
  std::string program;                 // a full path when one was found, else the first word
  std::vector<std::string> arguments;  // as the started program's runtime reads them
};

// Splits a command line as CreateProcess and the C runtime read it. A quoted program runs to its
// closing quote. An unquoted full path may hold spaces: like CreateProcess, the shortest run of
// words that names an existing file (".exe" added when the name has no extension) is the program;
// when none does, or the program is a bare name, it is the first word. The arguments follow the
// runtime's rules: spaces and tabs separate them outside quotes, backslashes escape a quote only
// in front of one, and "" inside quotes is a quote.
CommandParts SplitCommandLine(std::string_view commandLine);

// True when the program part names a file by its folder, not by its bare name.
bool IsFullPath(std::string_view program);

// What is known of a process that runs the entry's program file.
struct ProcessFacts {
  bool self = false;            // the process doing the stopping
  bool shell = false;           // the desktop shell
  bool sessionKnown = true;     // its session could be read
  bool otherSession = false;    // it belongs to another logon session
  bool sixteenBitTask = false;  // a 16-bit task inside an NTVDM process: no command line of its own
  std::optional<std::string> commandLine;  // nothing when it could not be read
};

enum class EntryProcess {
  Other,      // the same program started with other arguments: not the entry
  Entry,      // started with the entry's command: to be ended
  Protected,  // the caller, the shell or another session's process: never ended
  Untold,     // cannot be told apart from the entry: left running, and the history says so
};

// Arguments are compared one by one without regard to case, so spacing between them and quotes
// that change nothing do not matter; an entry without arguments is a process started without any.
// A process whose command line is empty has had it wiped, and cannot be told apart.
EntryProcess JudgeEntryProcess(const CommandParts& entry, const ProcessFacts& facts);

}  // namespace obrivo::system
