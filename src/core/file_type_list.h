// The list of watched file extensions and the rules around it: how the stored list reads, what
// Add accepts, what Remove leaves, and how two commands of one association compare.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "string_ids.h"

namespace obrivo::core {

// The stored list is one text, each extension without its dot followed by ";".
// The extensions it names, in its order: spaces around a name and a leading dot dropped, empty
// names left out, each name once (the first spelling wins, case-insensitively). A list of any
// length reads whole.
std::vector<std::string> MonitoredExtensions(std::string_view list);

// Script and console types that are often re-pointed and that a new store watches besides the
// product's own list.
inline constexpr std::string_view kScriptTypes = "HTA;JSE;PS1;SCT;MSC;";
// The list a new store starts with: `productList` and every script type it does not name yet.
std::string DefaultMonitoredList(std::string_view productList);

// Stored list plus a new name may hold this many characters at most.
inline constexpr std::size_t kMonitoredListLimit = 1019;

// What Add makes of a typed extension.
struct AddDecision {
  // 0: accepted; else the string id of the message to show: IDS_ALREADY_MONITORED,
  // IDS_FILE_TYPE_LIST_FULL, IDS_NOT_AN_EXTENSION (empty, or a character a list cannot hold).
  int refusal = 0;
  std::string name;   // the name as it goes into the list (no dot, no spaces around it)
  std::string list;   // the list to store when accepted
};
AddDecision DecideAdd(std::string_view list, std::string_view typed);

// The list without `name` (every token equal to it case-insensitively), in the stored form.
std::string ListWithout(std::string_view list, std::string_view name);

// ".<name>", the form the registry's keys and the baseline's value names take.
std::string DottedExtension(std::string_view name);

// True when the two commands run a different program or the same one differently: their texts
// after the last backslash differ (case-insensitively). A program moved to another folder under
// the same name is no change.
bool CommandTailsDiffer(std::string_view baseline, std::string_view current);

// The icon a class names in its DefaultIcon value: "file,index" (the index after the last comma)
// or a file alone (index 0).
struct IconLocation {
  std::string file;
  int index = 0;
};
IconLocation ParseDefaultIcon(std::string_view value);

// The page's Command column when the command names no program of its own.
enum class CommandKind { Empty, SelfExecuting, Program };
CommandKind ClassifyCommand(std::string_view command);

}  // namespace obrivo::core
