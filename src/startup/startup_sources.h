// The startup locations one group at a time, each appending its entries to the item list;
// EnumStartup runs them in their order. Every group reads what it can and leaves out what it
// cannot open or read, so one bad place never ends the listing.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace obrivo::startup::detail {

// The seven Run keys under each root (the 32-bit view only when the system has one).
void ListRunKeys();
// The Startup and Common Startup folders named under both hives.
void ListStartupFolders();
// One folder's files as Startup-folder entries (code 200).
void ListStartupFolder(const std::string& folder);
// win.ini's [windows] "run" then "load" lists.
void ListWinIni();
// The entries kept in the Disabled store, then the files of the program's Disabled folder.
void ListDisabledEntries();
// Winlogon's Userinit and Shell.
void ListWinlogon();
// The shell's delay-loaded objects and hooks, AppInit_DLLs and Winlogon Notify.
void ListAdvancedLocations();

// A string value of a key (REG_SZ, or REG_EXPAND_SZ expanded), read whole.
struct StringValue {
  std::string name;
  std::string data;     // as stored
  std::string command;  // with environment references expanded for REG_EXPAND_SZ
  DWORD type = REG_SZ;  // REG_SZ or REG_EXPAND_SZ
};
// Adds a Run value as an entry of location `code` (listed from the Disabled store when
// `disabled`): its path is what RUNDLL32.EXE loads when that is its program.
void AddRunEntry(const StringValue& value, int code, bool disabled);
// Adds one win.ini list token as an entry of location `code`, known by the token itself: the
// titles "load" and "run" are shared by every entry of a list.
void AddWinIniEntry(const std::string& token, int code, bool disabled);

// Every string value of the key, in registry order; values of other types cannot start
// anything and are left out. Empty when the key cannot be opened.
std::vector<StringValue> ReadStringValues(HKEY hive, std::string_view path);
// One string value, expanded when REG_EXPAND_SZ; nothing when missing or not a string.
std::optional<std::string> ReadStringValue(HKEY hive, std::string_view path, std::string_view name);

}  // namespace obrivo::startup::detail
