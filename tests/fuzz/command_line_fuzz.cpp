// Command lines from the registry and shortcuts: the program path, its arguments, the RUNDLL32
// target, and splitting a command back into the program and arguments it was joined from.
#include <optional>
#include <string>
#include <string_view>

#include "core/command_line.h"
#include "core/text.h"
#include "core/utf.h"
#include "fuzz_input.h"

using namespace obrivo::core;

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

std::string_view SkipBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

// A folder token changes the text the walk reads; without one, every part is the command's own.
bool HasFolderToken(std::string_view command) {
  return FindNoCase(command, "SYSTEMROOT") != std::string::npos ||
         FindNoCase(command, "PROGRAMFILES") != std::string::npos;
}

void CheckProgramPath(std::string_view command, const SystemFolders& folders) {
  const std::string path = CommandToProgramPath(command, folders);
  // Always well-formed text in upper case, whatever bytes came in.
  FUZZ_CHECK(IsUtf8(path));
  FUZZ_CHECK(ToUpper(path) == path);

  const std::string arguments = CommandArguments(command, folders);
  FUZZ_CHECK(arguments.empty() || arguments.front() != ' ');

  int longPathCalls = 0;
  std::string walked;
  const ProgramAndArgs withArgs =
      CommandToProgramPathAndArgs(command, folders, [&](std::string_view p) {
        ++longPathCalls;
        walked = std::string(p);
        return std::string(p);
      });
  FUZZ_CHECK(longPathCalls == 1);
  FUZZ_CHECK(withArgs.path == walked);
  FUZZ_CHECK(IsUtf8(withArgs.path));

  if (HasFolderToken(command)) return;
  // The path is the upper-case text just before the rest; the rest is the command's own end.
  FUZZ_CHECK(EndsWith(command, withArgs.rest));
  const std::string_view before = command.substr(0, command.size() - withArgs.rest.size());
  FUZZ_CHECK(EndsWith(ToUpper(before), withArgs.path));
  FUZZ_CHECK(EndsWith(command, arguments));

  // Without a ".?P?" extension both walks stop at the same place.
  bool cplLike = false;
  const std::u32string chars = DecodeUtf8(command);
  for (std::size_t i = 0; i + 2 < chars.size(); ++i)
    if (chars[i] == '.' && UpperCase(chars[i + 2]) == 'P') cplLike = true;
  if (!cplLike) {
    FUZZ_CHECK(withArgs.path == path);
    std::string_view rest = withArgs.rest;
    if (!rest.empty() && rest.front() == '"') rest.remove_prefix(1);
    FUZZ_CHECK(SkipLeadingSpaces(rest) == arguments);
  }
}

void CheckRundll(std::string_view command, std::string_view program, std::string_view target) {
  if (const std::optional<std::string> found = RundllTarget(command)) {
    FUZZ_CHECK(EndsWith(command, *found));
    FUZZ_CHECK(found->empty() || !IsBlank(found->front()));
  }
  // The host as the first token, bare, with a folder, quoted with spaces: the rest is the target.
  const std::string_view expected = SkipBlanks(target);
  for (const std::string_view host : {"rundll32.exe ", "RunDll32\t",
                                     "C:\\Windows\\System32\\RUNDLL32.EXE ",
                                     "\"C:\\Windows Folder\\rundll32\" "}) {
    const std::optional<std::string> found = RundllTarget(std::string(host) + std::string(target));
    FUZZ_CHECK(found && *found == expected);
  }
  // A command whose own program is something else only mentions the host.
  const bool programIsToken = !program.empty() &&
                              program.find_first_of(" \t\"") == std::string_view::npos;
  if (programIsToken) {
    const std::string name(program.substr(program.find_last_of("\\/") == std::string_view::npos
                                              ? 0
                                              : program.find_last_of("\\/") + 1));
    if (!EqualsNoCase(name, "rundll32") && !EqualsNoCase(name, "rundll32.exe"))
      FUZZ_CHECK(!RundllTarget(std::string(program) + " rundll32.exe " + std::string(target)));
  }
}

void CheckSplit(std::string_view command, std::string_view program, std::string_view arguments) {
  const auto accepts = [](std::string_view) { return false; };
  for (const CommandParts& parts :
       {SplitProgramAndArguments(command, nullptr), SplitProgramAndArguments(command, accepts)}) {
    FUZZ_CHECK(parts.arguments.empty() || !IsBlank(parts.arguments.front()));
    FUZZ_CHECK(parts.arguments.size() + parts.program.size() <= command.size());
  }

  // Joining and splitting give back what went in, when the parts are what a split can give: a
  // program without quotes or blanks at its ends, arguments without blanks at their ends.
  const bool programFits = !program.empty() && program.find('"') == std::string_view::npos &&
                           !IsBlank(program.front()) && !IsBlank(program.back());
  const bool argumentsFit =
      arguments.empty() || (!IsBlank(arguments.front()) && !IsBlank(arguments.back()));
  if (!programFits || !argumentsFit) return;
  const auto isProgram = [program](std::string_view p) { return p == program; };
  const CommandParts joined = SplitProgramAndArguments(JoinCommandLine(program, arguments), isProgram);
  FUZZ_CHECK(joined.program == program);
  FUZZ_CHECK(joined.arguments == arguments);
  // A quoted program is read whole, whatever the file system says.
  const CommandParts quoted = SplitProgramAndArguments(QuotedCommandLine(program, arguments), nullptr);
  FUZZ_CHECK(quoted.program == program);
  FUZZ_CHECK(quoted.arguments == arguments);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const obrivo::fuzz::Fields in(data, size);
  const std::string_view command = in.Text(0);
  const SystemFolders folders{std::string(in.Text(1)), std::string(in.Text(2))};
  CheckProgramPath(command, folders);
  CheckRundll(command, in.Text(1), in.Text(3));
  CheckSplit(command, in.Text(1), in.Text(3));
  return 0;
}
