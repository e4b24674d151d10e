// The Monitor's tray menu, top to bottom.
#pragma once

#include <vector>

namespace obrivo::core {

struct TrayMenuEntry {
  int stringId = 0;   // 0 for a separator
  int commandId = 0;
};

// Services only on the Windows NT family; Restart Commands only on Windows 9x.
std::vector<TrayMenuEntry> TrayMenuEntries(bool ntFamily);

}  // namespace obrivo::core
