// The delayed-start list: startup programs taken out of Windows' startup locations, which the
// Monitor starts itself a while after logon, and put back from there.
//
// The list lives in two parallel sets of keys below Software\Tolvane\Obrivo, one per hive:
// HKEY_LOCAL_MACHINE for entries that came from the machine-wide Run keys, HKEY_CURRENT_USER for
// the user's. In every key the value name is the program file (upper case, long form, no
// parameters); `Delay` holds the location code the entry came from, and its subkeys the delay
// (Time), the parameters, the Startup-folder file (Shortcuts), the RUNDLL32 host (Applet), the
// title and, in HKEY_CURRENT_USER only, the window mode (OpenAs).
//
// Those values name the program but cannot put its entry back as it stood: a Run value's exact
// name, its command with quotes and value type, a shortcut with its arguments and working folder.
// So a moved entry also keeps its exact name (Delay\Entry) and what it held (Delay\Command: the
// command with its value type; for a Startup-folder file, the file itself, kept in the program's
// Delayed folder), and the path the startup listing knew it by (Delay\Listed), under which its
// baseline marks it as moved. The return puts exactly that back.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/item_list.h"

namespace obrivo::startup {

enum class DelayHive { Machine = 0, User = 1 };
HKEY DelayHiveKey(DelayHive hive);

// One entry as the list's keys hold it.
struct DelayedEntry {
  DelayHive hive = DelayHive::User;
  std::string name;        // the value name in every key: the program file
  int code = 0;            // the startup location it came from
  std::string time;        // Delay\Time as stored ("" when missing or not text)
  std::string parameters;  // Delay\Parameters
  std::string shortcut;    // Delay\Shortcuts: where a Startup-folder file stood
  std::string applet;      // Delay\Applet: the host of an entry that ran through RUNDLL32
  std::string title;       // Delay\Title
  std::string entryName;   // Delay\Entry: the entry's exact name at its location
  std::string command;     // Delay\Command: what the entry held (a kept file's path for 200)
  DWORD commandType = REG_SZ;
  std::string listed;  // Delay\Listed: the path the startup listing knew the entry by
};

// Every entry, the machine's first, each hive in the registry's order.
std::vector<DelayedEntry> ReadDelayedList();
std::optional<DelayedEntry> FindDelayedEntry(DelayHive hive, std::string_view name);

// Empties the item list and lists the entries: title (Delay\Title, else the file's product name,
// else its file name; a title naming the operating system gives way to the file's description),
// path = the value name, key = the Startup-folder file for code 200 else the title, text = the
// file's description, type = the code, flag = the hive. Returns the count.
std::size_t EnumDelayed();

// The delay, in seconds, the launcher gives an entry (its Time read as core::StoredDelaySeconds).
int DelaySecondsOf(const DelayedEntry& entry);

enum class DelayMove {
  Moved,
  MustStay,       // the advanced locations, the 32-bit view and this product's own entry
  Declined,       // a machine-wide entry whose move the user did not confirm
  AlreadyListed,  // the list holds that program in that hive already: nothing is overwritten
  Failed,         // nothing changed (the entry was not there, or a write or delete failed)
};

// Moves a listed startup entry into the list: the list's values first, then the entry leaves
// its location (a Startup-folder file moves into the program's Delayed folder), then the startup
// baseline marks it as moved (1103). `confirmMachineWide` is asked before an entry of the
// machine-wide Run keys moves; false keeps it where it is. A disabled entry is not moved.
DelayMove MoveToDelayed(const core::Item& item, const std::function<bool()>& confirmMachineWide);
// This product's own startup entry, which always stays (MoveToDelayed answers MustStay).
bool IsProductStartupEntry(const core::Item& item);

// Puts the entry back at its location as it stood and accepts it in the baseline; with
// `deleteAll` its values then leave the list. An entry added to the list by hand, or by a
// version that kept nothing more, is rebuilt from the program, its parameters and its host.
// True when the entry is back (and, with `deleteAll`, off the list); when it could not go back
// the list keeps it.
bool RestoreFromDelayed(const DelayedEntry& entry, bool deleteAll);

// Deletes the entry's values from every key of its hive.
bool DeleteDelayedEntry(std::string_view name, DelayHive hive);
// Takes the entry out of the list without putting it back anywhere: Delay, Time and Parameters
// (the page's Remove answered No; the rest stays for a later move of the same program).
bool DropDelayedEntry(std::string_view name, DelayHive hive);

// Takes the program of a listed startup entry off the list: the entry MoveToDelayed would have
// made for it (its program file, upper case, in the machine's list for the machine-wide Run
// keys, the user's otherwise) loses its values in every key. The same program's entry in the
// other hive stays. True when the list no longer holds it.
bool DeleteDelayedEntryOf(const core::Item& item);

// Every entry back to its location; true when all went back.
bool RestoreAllDelayed();

// Adds a program chosen by the user, with the shortest list values (code 1 for all users,
// 11 for the current user; delay 30). False when the list holds it already or a write failed.
bool AddDelayedProgram(std::string_view path, DelayHive hive);

// The options dialog's values.
struct DelayOptions {
  int seconds = 0;
  int openAs = 0;  // 0 normal, 1 minimised, 2 maximised
  std::string parameters;
  std::string title;
};
std::optional<DelayOptions> ReadDelayOptions(const DelayedEntry& entry);
bool WriteDelayOptions(const DelayedEntry& entry, const DelayOptions& options);

// Starts the program with its parameters, in the window mode stored for it (Delay\OpenAs of
// HKEY_CURRENT_USER). True when started.
bool LaunchDelayedNow(std::string_view file, std::string_view parameters);

enum class DelayLaunch { Started, AlreadyRunning, Missing, Failed };
// The launcher's start of one entry: nothing when a process already runs its program file; the
// host with the program's file first in its parameters when the entry has one.
DelayLaunch LaunchDelayedEntry(const DelayedEntry& entry);

}  // namespace obrivo::startup
