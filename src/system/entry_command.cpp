// Startup entry commands split as Windows starts them, and running processes judged by them.
#include "system/entry_command.h"

#include <cstddef>

#include "common/win32/files.h"
#include "core/text.h"

namespace obrivo::system {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::size_t SkipBlanks(std::string_view text, std::size_t at) {
  while (at < text.size() && IsBlank(text[at])) ++at;
  return at;
}

// The file a run of words names, the way CreateProcess tries it: as it is, then with ".exe"
// when the name has no extension of its own.
std::optional<std::string> ExistingProgram(std::string_view words) {
  std::string path(words);
  if (win32::IsExistingFile(path)) return path;
  if (core::FileNamePart(path).find('.') == std::string::npos) {
    path += ".exe";
    if (win32::IsExistingFile(path)) return path;
  }
  return std::nullopt;
}

std::vector<std::string> SplitArguments(std::string_view text) {
  std::vector<std::string> arguments;
  std::string current;
  bool started = false, quoted = false;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (IsBlank(c) && !quoted) {
      if (started) arguments.push_back(std::move(current));
      current.clear();
      started = false;
      ++i;
      continue;
    }
    started = true;
    if (c == '\\') {
      std::size_t run = 0;
      while (i < text.size() && text[i] == '\\') ++run, ++i;
      if (i < text.size() && text[i] == '"') {
        current.append(run / 2, '\\');
        if (run % 2 == 1) {  // an escaped quote
          current += '"';
          ++i;
        }
      } else {
        current.append(run, '\\');
      }
      continue;
    }
    if (c == '"') {
      if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
        current += '"';
        i += 2;
        continue;
      }
      quoted = !quoted;
      ++i;
      continue;
    }
    current += c;
    ++i;
  }
  if (started) arguments.push_back(std::move(current));
  return arguments;
}

bool SameArguments(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!core::EqualsNoCase(a[i], b[i])) return false;
  return true;
}

}  // namespace

bool IsFullPath(std::string_view program) {
  const bool drive =
      program.size() >= 3 && program[1] == ':' && (program[2] == '\\' || program[2] == '/');
  return drive || program.substr(0, 2) == "\\\\";
}

CommandParts SplitCommandLine(std::string_view commandLine) {
  CommandParts parts;
  const std::size_t begin = SkipBlanks(commandLine, 0);
  if (begin == commandLine.size()) return parts;
  std::size_t rest = commandLine.size();
  if (commandLine[begin] == '"') {
    const std::size_t close = commandLine.find('"', begin + 1);
    parts.program = std::string(commandLine.substr(begin + 1, close - begin - 1));
    rest = close == std::string_view::npos ? commandLine.size() : close + 1;
    if (IsFullPath(parts.program))
      if (auto found = ExistingProgram(parts.program)) parts.program = *found;
  } else {
    std::size_t firstEnd = begin;
    while (firstEnd < commandLine.size() && !IsBlank(commandLine[firstEnd])) ++firstEnd;
    parts.program = std::string(commandLine.substr(begin, firstEnd - begin));
    rest = firstEnd;
    if (IsFullPath(parts.program)) {
      for (std::size_t end = firstEnd;; ++end) {
        if (end == commandLine.size() || IsBlank(commandLine[end])) {
          if (auto found = ExistingProgram(commandLine.substr(begin, end - begin))) {
            parts.program = *found;
            rest = end;
            break;
          }
        }
        if (end == commandLine.size()) break;
      }
    }
  }
  parts.arguments = SplitArguments(commandLine.substr(rest));
  return parts;
}

EntryProcess JudgeEntryProcess(const CommandParts& entry, const ProcessFacts& facts) {
  if (facts.self || facts.shell || (facts.sessionKnown && facts.otherSession))
    return EntryProcess::Protected;
  if (!facts.sessionKnown || facts.sixteenBitTask || !facts.commandLine)
    return EntryProcess::Untold;
  const CommandParts process = SplitCommandLine(*facts.commandLine);
  if (process.program.empty()) return EntryProcess::Untold;
  return SameArguments(entry.arguments, process.arguments) ? EntryProcess::Entry
                                                           : EntryProcess::Other;
}

}  // namespace obrivo::system
