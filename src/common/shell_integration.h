// The system-wide places the programs edit for themselves: the "Obrivo PLUS" verb on every
// program file, and win.ini's program lists.
#pragma once

#include <string_view>

namespace obrivo::common {

inline constexpr std::string_view kShellMenuKey = "exefile\\shell\\Obrivo PLUS";

// On: the verb runs the Monitor with the chosen file; off: the verb is removed.
void SetExplorerMenu(bool on);
bool ExplorerMenuExists();
// Creates or removes the verb so that it matches the ExplorerMenu option (1 = keep it).
void SyncExplorerMenu(int explorerMenuOption);

// Edit the ";"-separated lists of win.ini's [windows] section (keys "load" and "run").
bool AppendProfileListEntry(std::string_view keyName, std::string_view entry);
bool RemoveProfileListEntry(std::string_view keyName, std::string_view entry);

}  // namespace obrivo::common
