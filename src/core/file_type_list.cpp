#include "core/file_type_list.h"

#include <algorithm>

#include "core/text.h"

namespace obrivo::core {
namespace {

// A name as the list keeps it: no dots or spaces before it, no spaces after it.
std::string NameOf(std::string_view token) {
  const std::size_t first = token.find_first_not_of(" \t.");
  if (first == std::string_view::npos) return {};
  const std::size_t last = token.find_last_not_of(" \t");
  return std::string(token.substr(first, last - first + 1));
}

bool Names(const std::vector<std::string>& names, std::string_view name) {
  for (const std::string& n : names)
    if (EqualsNoCase(n, name)) return true;
  return false;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& n : names) list += n + ";";
  return list;
}

// The raw tokens, as stored (a spelling the reader would correct is still the user's).
std::vector<std::string> Tokens(std::string_view list) {
  std::vector<std::string> tokens;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t end = std::min(list.find(';', start), list.size());
    tokens.emplace_back(list.substr(start, end - start));
    start = end + 1;
  }
  return tokens;
}

}  // namespace

std::vector<std::string> MonitoredExtensions(std::string_view list) {
  std::vector<std::string> names;
  for (const std::string& token : Tokens(list)) {
    std::string name = NameOf(token);
    if (!name.empty() && !Names(names, name)) names.push_back(std::move(name));
  }
  return names;
}

std::string DefaultMonitoredList(std::string_view productList) {
  std::vector<std::string> names = MonitoredExtensions(productList);
  for (const std::string& type : MonitoredExtensions(kScriptTypes))
    if (!Names(names, type)) names.push_back(type);
  return Joined(names);
}

AddDecision DecideAdd(std::string_view list, std::string_view typed) {
  AddDecision d;
  d.name = NameOf(typed);
  // A ";" would split the name in the list, a backslash would name another registry key.
  if (d.name.empty() || d.name.find_first_of(";\\") != std::string::npos ||
      d.name.find('\0') != std::string::npos) {
    d.refusal = IDS_NOT_AN_EXTENSION;
    return d;
  }
  if (Names(MonitoredExtensions(list), d.name)) {
    d.refusal = IDS_ALREADY_MONITORED;
    return d;
  }
  if (CharCount(list) + CharCount(d.name) > kMonitoredListLimit) {
    d.refusal = IDS_FILE_TYPE_LIST_FULL;
    return d;
  }
  d.list = std::string(list);
  if (!d.list.empty() && d.list.back() != ';') d.list += ';';
  d.list += d.name + ";";
  return d;
}

std::string ListWithout(std::string_view list, std::string_view name) {
  const std::string target = NameOf(name);
  std::vector<std::string> kept;
  for (const std::string& token : Tokens(list))
    if (!NameOf(token).empty() && !EqualsNoCase(NameOf(token), target)) kept.push_back(token);
  return Joined(kept);
}

std::string DottedExtension(std::string_view name) {
  if (!name.empty() && name.front() == '.') return std::string(name);
  return "." + std::string(name);
}

bool CommandTailsDiffer(std::string_view baseline, std::string_view current) {
  return !EqualsNoCase(baseline.substr(FileNameOffset(baseline)),
                       current.substr(FileNameOffset(current)));
}

IconLocation ParseDefaultIcon(std::string_view value) {
  IconLocation icon;
  const std::size_t comma = value.rfind(',');
  if (comma == std::string_view::npos) {
    icon.file = StripQuotes(value);
    return icon;
  }
  icon.file = StripQuotes(value.substr(0, comma));
  icon.index = LeadingNumber(SkipLeadingSpaces(value.substr(comma + 1)));
  return icon;
}

CommandKind ClassifyCommand(std::string_view command) {
  if (command.empty()) return CommandKind::Empty;
  const std::string trimmed = SkipLeadingSpaces(command);
  for (std::string_view self : {"%1 %*", "%1 /S", "\"%1\" %*", "\"%1\" /S"})
    if (EqualsNoCase(trimmed, self)) return CommandKind::SelfExecuting;
  return CommandKind::Program;
}

}  // namespace obrivo::core
