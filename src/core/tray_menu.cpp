// The Monitor's tray menu.
#include "tray_menu.h"

#include "command_switches.h"
#include "string_ids.h"

namespace obrivo::core {

std::vector<TrayMenuEntry> TrayMenuEntries(bool ntFamily) {
  std::vector<TrayMenuEntry> menu = {
      {501, cmd::kPlus},    {IDS_MENU_OPTIONS, cmd::kOptions}, {0, 0},
      {503, cmd::kStartup}, {1020, cmd::kDelayedStart},        {697, cmd::kIEHelpers},
  };
  if (ntFamily) menu.push_back({509, cmd::kServices});
  menu.insert(menu.end(), {{685, cmd::kScheduledTasks},
                           {1067, cmd::kActiveX},
                           {0, 0},
                           {504, cmd::kActiveTasks},
                           {505, cmd::kCookies},
                           {510, cmd::kFileTypes},
                           {1018, cmd::kHiddenFiles},
                           {IDS_MENU_RECENT, cmd::kRecent}});
  if (!ntFamily) menu.push_back({507, cmd::kRestartCommands});
  menu.insert(menu.end(), {{0, 0}, {508, cmd::kExit}});
  return menu;
}

}  // namespace obrivo::core
