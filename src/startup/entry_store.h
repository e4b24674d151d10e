// What the startup operations share: the machine-wide Disabled store and the per-user startup
// baseline.
//
// A disabled entry is known by its location and its exact name, never by its name alone: the
// same name may stand in the machine's and the user's Run keys, twice in win.ini's lists or in
// two Startup folders. Each location code has a key of its own, Disabled\<code>, with one value
// per disabled entry, named by the entry's name, holding what is needed to put it back (the
// command with its value type, the win.ini token, the Notify DLL, or the folder a Startup-folder
// file came from). That one value is both the record of "disabled" and the stored copy, so every
// change of state is a single write followed by a single delete, and an interruption between
// the two leaves an entry that can still be found and put back.
//
// Stores written by earlier versions (a marker value in Disabled named by the title, holding the
// code, and the stored copy in Disabled\Run, Disabled\WinLoad ...) are moved into this form the
// first time a listing sees them.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace obrivo::startup::detail {

// The HKLM key of a location whose entries are single values (252-254); empty otherwise.
std::string_view AdvancedValueKey(int code);

// Software\Tolvane\Obrivo\Disabled, or one of its subkeys.
std::string DisabledKey(std::string_view subkey = {});
// The key holding the disabled entries of one location: Disabled\<code>.
std::string DisabledRecordKey(int code);

// A string value read whole, exactly as stored (not expanded, not cut); nothing when missing.
std::optional<std::string> ReadExactString(HKEY hive, std::string_view subkey,
                                           std::string_view name);

// A command value as it stands, with its type: an expandable command stays expandable when it
// moves between its location and the Disabled store.
struct StoredCommand {
  std::string text;
  DWORD type = REG_SZ;
};
std::optional<StoredCommand> ReadCommandValue(HKEY hive, std::string_view subkey,
                                              std::string_view name);
bool WriteCommandValue(HKEY hive, std::string_view subkey, std::string_view name,
                       const StoredCommand& command);
// True when the value is gone afterwards: deleted now, or not there in the first place (the
// key missing too). False when it is still there.
bool DeleteValueIfPresent(HKEY hive, std::string_view subkey, std::string_view name);

// One location's record of a disabled entry.
std::optional<StoredCommand> ReadDisabledRecord(int code, std::string_view name);
bool WriteDisabledRecord(int code, std::string_view name, const StoredCommand& stored);
bool DeleteDisabledRecord(int code, std::string_view name);

// Every record at once, for a listing that asks for each of its entries: the store is read once
// instead of once an entry. Names compare without regard to case, as the registry's do.
class DisabledRecords {
 public:
  struct Record {
    std::string name;
    StoredCommand stored;
  };
  DisabledRecords();
  const StoredCommand* Find(int code, std::string_view name) const;
  // The records of one location, in the registry's order.
  const std::vector<Record>& Of(int code) const;

 private:
  std::map<int, std::vector<Record>> byCode_;
  std::map<std::pair<int, std::string>, std::size_t> index_;
};

// Moves what an earlier version stored (markers named by title, copies by location family) into
// the per-location records. Each entry is written in its new place before its old values are
// deleted. Cheap when there is nothing left to move.
void MoveEarlierDisabledStore();

// The folder below the program folder that holds the disabled Startup-folder files; their
// records (by file name) hold the folder each one came from.
std::string DisabledFolder();
// Where removed Startup-folder files are kept so that the history can put them back.
std::string RemovedFolder();
// A path in `folder` for `fileName` that names no existing file: the name itself, else
// "name (2).ext", "name (3).ext" ...
std::string FreePathIn(const std::string& folder, std::string_view fileName);

// The startup baseline: `command` accepted with `code`, or forgotten. Both use the value-name
// form the check looks the entry up by. False when the store could not be written.
bool AcceptInBaseline(std::string_view command, int code);
void ForgetInBaseline(std::string_view name);

}  // namespace obrivo::startup::detail
