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

// Command ids the menu sends that are not page buttons.
namespace menu_cmd {
inline constexpr int kPlusInfo = 1067;
inline constexpr int kObrivoLog = 9;
inline constexpr int kHelp = 1077;
inline constexpr int kViewNote = 1164;
inline constexpr int kExploreFolder = 1201;
inline constexpr int kProperties = 1202;
inline constexpr int kDeleteOnReboot = 1144;
}  // namespace menu_cmd

struct MenuLine {
  int stringId = 0;  // 0 for a separator
  int commandId = 0;
  bool separator() const { return stringId == 0; }
};

// The lines of a page's menu: its entries in order ("View Note" only when a note exists for the
// row's program), then a separator, "PLUS Info...", "Obrivo Log" (not on the Cookies page) and
// "Obrivo Help".
std::vector<MenuLine> BuildRowMenu(std::span<const RowMenuEntry> entries, bool noteExists,
                                   bool cookiesPage);

}  // namespace obrivo::core
