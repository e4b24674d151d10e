// File-type associations: which program opens a file of each watched extension, the baseline of
// what the user accepted, and writing an accepted association back.
//
// An association is known by its extension and its kind. Every watched extension is looked up
// three ways (kinds 1 to 3); the fourth is read and restored but never listed:
//   1 "System"   HKLM Software\Classes\.<ext> (default) = class;  its shell\open\command there
//   2 "Explorer" HKCU ...\Explorer\FileExts\.<ext> Application = application;
//                HKCR Applications\<application>\shell\open\command
//   3 "Explorer" the same FileExts key's ProgID = ProgID;  HKCR <ProgID>\shell\open\command
//   4 "Root"     HKCR .<ext> (default) = class;  HKCR <class>\shell\open\command
// Baseline, below HKCU Software\Tolvane\Obrivo: the kind's link key (Ext, ExtApp, ExtProgID,
// ExtRoot) holds ".<ext>" = link; Class (ClassRoot for kind 4) holds <link> = command, exactly as
// the registry held it, with its value type, so that writing it back gives the same command.
// Class's default value is the watched-extension list; Ext's default value marks the baseline
// as taken.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_type_list.h"

namespace obrivo::file_types {

inline constexpr int kFirstListedKind = 1;
inline constexpr int kLastListedKind = 3;
inline constexpr int kRootKind = 4;

// Below HKEY_CURRENT_USER.
std::string BaselineKey(std::string_view sub);  // "Class", "Ext", ...
inline constexpr std::string_view kBaselineMarker = "Do not edit.";

// A command as a value holds it: REG_SZ or REG_EXPAND_SZ, unexpanded.
struct StoredCommand {
  DWORD type = REG_SZ;
  std::string text;
  std::string Expanded() const;
};

struct Association {
  std::string link;        // class, application or ProgID
  StoredCommand command;   // its open command
};

// One kind of one extension (given with or without its dot). Nothing when the link or the
// command is missing, empty or not a string.
std::optional<Association> LookUpAssociation(std::string_view extension, int kind);

// The watched list as stored, and as extension names.
std::string MonitoredList();
std::vector<std::string> MonitoredExtensionNames();

// Empties the item list and lists every resolved (watched extension, kind 1 to 3): title = the
// class's description or the program's product name, path = the command (expanded), key = the
// link, text = ".<ext>" as the list spells it, type 400, flag = the kind. Returns the rows.
std::size_t EnumFileTypes();

// The baseline of one kind: the link and command the system has now. False when the kind does not
// resolve or a write failed.
bool SnapshotFileType(int kind, std::string_view extension);

// The accepted association of one kind, when the baseline holds one.
std::optional<Association> BaselineAssociation(std::string_view extension, int kind);

// At every start: a store without the baseline mark gets the watched list when it has none (an
// existing list stays as the user keeps it), every listed association accepted and the mark.
// A mark of exactly 11 characters (an interrupted write of an earlier version) takes it again.
void InitFileTypeBaseline();

// Writes the accepted link and command of one kind back to the system. False when there is no
// accepted association or a write failed (the caller says so).
bool RestoreFileType(std::string_view extension, int kind);

// Adds a typed extension to the watched list and accepts its associations. 0, or the string id of
// the refusal (see core::AddDecision); nothing is written on a refusal.
int AddMonitoredFileType(std::string_view typed);

// Stops watching the extension: it leaves the list and its baseline values go; a command value
// goes too when no other watched extension's baseline names its link.
void RemoveMonitoredFileType(std::string_view extension);

// The icon of a row: the class's DefaultIcon (kind 1's class), else the command's program.
core::IconLocation FileTypeIcon(std::string_view extension, std::string_view command);

// The links of every association listed now, for the first-detected seeding.
std::vector<std::string> FileTypeCommands();

}  // namespace obrivo::file_types
