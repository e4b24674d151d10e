// What the programs write lives in the user's data folder (DataFolder), never beside the
// programs: an installed program folder is read-only for a normal user. Earlier builds wrote
// the history and the kept files beside the programs; this moves them over once, and finds a
// kept file that a record made then still names by its old path.
#pragma once

#include <string>
#include <string_view>

namespace obrivo::common {

// The folders of kept files under the data folder: Startup-folder entries that were disabled,
// files that were removed (and scheduled tasks' copies), and delayed Startup-folder entries.
inline constexpr std::string_view kDisabledFolderName = "Disabled";
inline constexpr std::string_view kRemovedFolderName = "Removed";
inline constexpr std::string_view kDelayedFolderName = "Delayed";

// DataFolder() + "\\" + name.
std::string DataPath(std::string_view name);

// Moves history.txt and the kept-file folders from the program folder to the data folder, when
// the two differ. The history of the program folder goes before any already in the data folder;
// a kept file whose name is taken there stays where it is. Runs at every start, and does nothing
// once the program folder holds none of them.
void MoveDataFromProgramFolder();

// A path under one of the program folder's kept-file folders that no longer exists there: the
// same path under the data folder. Any other path unchanged.
std::string MovedDataPath(std::string_view path);

}  // namespace obrivo::common
