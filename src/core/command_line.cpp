// Command-line resolution.
#include "command_line.h"

#include <algorithm>
#include <vector>

#include "text.h"
#include "utf.h"

namespace obrivo::core {
namespace {

// Replaces the first folder token (`token`, optionally wrapped in % or led by a backslash) by
// `folder`. A token may stand anywhere in the command (after a quote, in front of a program name);
// the resolution below then cuts everything before the drive letter.
bool ReplaceFolderToken(std::string& text, std::string_view token, const std::string& folder) {
  const std::size_t pos = FindNoCase(text, token);
  if (pos == std::string::npos) return false;
  std::size_t begin = pos;
  std::size_t end = pos + token.size();
  if (begin > 0 && (text[begin - 1] == '%' || text[begin - 1] == '\\')) {
    const bool percent = text[begin - 1] == '%';
    --begin;
    if (percent && end < text.size() && text[end] == '%') ++end;
  }
  text.replace(begin, end - begin, folder);
  return true;
}

// True when the name part ends at `i`: a dot three characters before it is then an extension,
// not part of a folder name ("C:\Kit.old\", "wine.explorer.exe") that only looks like one.
bool EndsNamePart(const std::u32string& chars, std::size_t i) {
  if (i >= chars.size()) return true;
  const char32_t c = chars[i];
  const bool continues = c == '\\' || c == '_' || (c >= '0' && c <= '9') ||
                         (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0x80;
  return !continues;
}

struct Walk {
  std::string result;
  std::size_t restOffset = 0;  // byte offset in the working text after the extension
};

// The walk over the working text: upper-cases, stops after the first matching extension and
// starts the result at the last drive letter met.
Walk WalkToExtension(const std::string& work, bool acceptCpl) {
  std::vector<std::size_t> offsets;
  std::u32string chars = DecodeUtf8(work, &offsets);
  std::size_t end = chars.size();
  std::size_t driveStart = 0;
  for (std::size_t i = 0; i < chars.size(); ++i) {
    if (chars[i] == ':') driveStart = i > 0 ? i - 1 : 0;
    if (chars[i] == '.' && i + 2 < chars.size() && EndsNamePart(chars, i + 4)) {
      const char32_t second = UpperCase(chars[i + 2]);
      if (second == 'X' || second == 'L' || (acceptCpl && second == 'P')) {
        end = std::min(i + 4, chars.size());
        break;
      }
    }
  }
  Walk w;
  std::u32string upper = chars.substr(driveStart, end - driveStart);
  for (char32_t& c : upper) c = UpperCase(c);
  w.result = EncodeUtf8(upper);
  w.restOffset = end < offsets.size() ? offsets[end] : work.size();
  return w;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view SkipBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

std::string_view TrimBlanks(std::string_view text) {
  text = SkipBlanks(text);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

struct FirstToken {
  std::string_view program, rest;
};

// The command's first token: a quoted one up to its closing quote (or the end), otherwise up to
// the first blank. The rest starts after the blanks that follow it.
FirstToken SplitFirstToken(std::string_view command) {
  command = SkipBlanks(command);
  if (!command.empty() && command.front() == '"') {
    const std::size_t close = command.find('"', 1);
    if (close == std::string_view::npos) return {command.substr(1), {}};
    return {command.substr(1, close - 1), SkipBlanks(command.substr(close + 1))};
  }
  const std::size_t blank = command.find_first_of(" \t");
  if (blank == std::string_view::npos) return {command, {}};
  return {command.substr(0, blank), SkipBlanks(command.substr(blank))};
}

// The name after the last folder separator.
std::string_view NamePart(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool HasExtension(std::string_view path) {
  const std::string_view name = NamePart(path);
  const std::size_t dot = name.rfind('.');
  return dot != std::string_view::npos && dot > 0 && dot + 1 < name.size();
}

// The command with its folder token replaced (the text the program walk reads).
std::string WithFolders(std::string_view command, const SystemFolders& folders) {
  std::string work(command);
  if (!ReplaceFolderToken(work, "SYSTEMROOT", folders.windowsDir)) {
    const std::string programFiles =
        folders.programFilesDir.empty() ? std::string("C:\\Program Files") : folders.programFilesDir;
    ReplaceFolderToken(work, "%PROGRAMFILES%", programFiles);
  }
  return work;
}

}  // namespace

std::string CommandToProgramPath(std::string_view command, const SystemFolders& folders) {
  return WalkToExtension(WithFolders(command, folders), false).result;
}

std::string CommandArguments(std::string_view command, const SystemFolders& folders) {
  const std::string work = WithFolders(command, folders);
  std::string_view rest = std::string_view(work).substr(WalkToExtension(work, false).restOffset);
  if (!rest.empty() && rest.front() == '"') rest.remove_prefix(1);
  return SkipLeadingSpaces(rest);
}

std::string QuotedCommandLine(std::string_view program, std::string_view arguments) {
  std::string line = "\"" + std::string(program) + "\"";
  if (!arguments.empty()) line += " " + std::string(arguments);
  return line;
}

ProgramAndArgs CommandToProgramPathAndArgs(
    std::string_view command, const SystemFolders& folders,
    const std::function<std::string(std::string_view)>& longPath) {
  std::string work(command);
  ReplaceFolderToken(work, "SYSTEMROOT", folders.windowsDir);
  const Walk w = WalkToExtension(work, true);
  ProgramAndArgs out;
  out.path = longPath ? longPath(w.result) : w.result;
  out.rest = work.substr(w.restOffset);
  return out;
}

std::optional<std::string> RundllTarget(std::string_view command) {
  const FirstToken first = SplitFirstToken(command);
  const std::string_view name = NamePart(first.program);
  if (!EqualsNoCase(name, "rundll32") && !EqualsNoCase(name, "rundll32.exe")) return std::nullopt;
  return std::string(first.rest);
}

std::string JoinCommandLine(std::string_view program, std::string_view arguments) {
  if (arguments.empty()) return std::string(program);
  const bool spaced = program.find_first_of(" \t") != std::string_view::npos;
  std::string line = spaced ? "\"" + std::string(program) + "\"" : std::string(program);
  return line + " " + std::string(arguments);
}

CommandParts SplitProgramAndArguments(std::string_view command,
                                      const std::function<bool(std::string_view)>& isFile) {
  const std::string_view text = TrimBlanks(command);
  if (!text.empty() && text.front() == '"') {
    const FirstToken first = SplitFirstToken(text);
    return {std::string(first.program), std::string(first.rest)};
  }
  // Where the program may end: before each run of blanks, and at the end.
  std::vector<std::size_t> ends;
  for (std::size_t i = 1; i < text.size(); ++i)
    if (IsBlank(text[i]) && !IsBlank(text[i - 1])) ends.push_back(i);
  ends.push_back(text.size());
  const auto splitAt = [text](std::size_t end) {
    return CommandParts{std::string(text.substr(0, end)),
                        std::string(SkipBlanks(text.substr(end)))};
  };
  if (isFile)
    for (const std::size_t end : ends)
      if (isFile(text.substr(0, end))) return splitAt(end);
  for (const std::size_t end : ends)
    if (HasExtension(text.substr(0, end))) return splitAt(end);
  return splitAt(text.size());
}

}  // namespace obrivo::core
