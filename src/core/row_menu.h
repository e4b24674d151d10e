// The right-click menu of the Explorer's list pages: every entry a page may show, and the
// common tail that ends every menu.
#pragma once

#include <span>
#include <vector>

namespace obrivo::core {

enum class RowMenuEntry {
  Info,
  ExploreFolder,
  Properties,
  ViewNote,
  Add,
  MoveToDelayed,
  Remove,
  Enable,
  Disable,
  Refresh,
  KillTask,
  DeleteOnReboot,
  Delete,
  ViewNotepad,
  LaunchProgram,
  DelayOptions,
  RestoreToStartup,
  View,
  RemoveUnchecked,
  RemoveChecked,
  Separator,
};

struct MenuLine {
  int stringId = 0;   // 0 for a separator
  int commandId = 0;  // a page control's id (explorer_ids.h) or one of menu_ids.h
  bool separator() const { return stringId == 0; }
};

// The lines of a page's menu: its entries in order ("View Note" only when a note exists for the
// row's program), then a separator, "PLUS Info...", "Obrivo Log" (not on the Cookies page) and
// "Obrivo Help".
std::vector<MenuLine> BuildRowMenu(std::span<const RowMenuEntry> entries, bool noteExists,
                                   bool cookiesPage);

}  // namespace obrivo::core
