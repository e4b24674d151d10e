// The right-click menu of the list pages.
#include "row_menu.h"

#include "explorer_ids.h"
#include "menu_ids.h"
#include "string_ids.h"

namespace obrivo::core {
namespace {

MenuLine LineFor(RowMenuEntry entry) {
  using E = RowMenuEntry;
  // An entry that does what a page's button does sends the button's id.
  switch (entry) {
    case E::Info:
      return {IDS_INFO, IDC_INFO};
    case E::ExploreFolder:
      return {1135, IDM_EXPLORE_FOLDER};
    case E::Properties:
      return {1136, IDM_PROPERTIES};
    case E::ViewNote:
      return {971, IDM_VIEW_NOTE};
    case E::Add:
      return {IDS_ADD, IDC_ADD};
    case E::MoveToDelayed:
      return {1116, IDM_MOVE_TO_DELAYED};
    case E::Remove:
      return {IDS_REMOVE, IDC_REMOVE};
    case E::Enable:
      return {IDS_ENABLE, IDC_ENABLE};
    case E::Disable:
      return {IDS_DISABLE, IDC_DISABLE};
    case E::Refresh:
      return {IDS_REFRESH, IDC_REFRESH};
    case E::KillTask:
      return {IDS_KILL_TASK, IDC_KILL_TASK};
    case E::DeleteOnReboot:
      return {801, IDM_DELETE_ON_REBOOT};
    case E::Delete:
      return {IDS_DELETE, IDM_DELETE};
    case E::ViewNotepad:
      return {913, IDM_VIEW_NOTEPAD};
    case E::LaunchProgram:
      return {1117, IDM_LAUNCH_PROGRAM};
    case E::DelayOptions:
      return {1118, IDC_DELAY_OPTIONS};
    case E::RestoreToStartup:
      return {1124, IDM_RESTORE_TO_STARTUP};
    case E::View:
      return {659, IDC_INFO};
    case E::RemoveUnchecked:
      return {303, IDM_REMOVE_UNCHECKED};
    case E::RemoveChecked:
      return {708, IDM_REMOVE_CHECKED};
    case E::Separator:
      return {};
  }
  return {};
}

}  // namespace

std::vector<MenuLine> BuildRowMenu(std::span<const RowMenuEntry> entries, bool noteExists,
                                   bool cookiesPage) {
  std::vector<MenuLine> lines;
  for (RowMenuEntry e : entries) {
    if (e == RowMenuEntry::ViewNote && !noteExists) continue;
    lines.push_back(LineFor(e));
  }
  lines.push_back({});
  lines.push_back({IDS_PLUS_INFO, IDM_PLUS_INFO});
  if (!cookiesPage) lines.push_back({IDS_OBRIVO_LOG, IDM_OBRIVO_LOG});
  // Help does what the page's Help picture does.
  lines.push_back({IDS_HELP_TITLE, IDC_HELP_PICTURE});
  return lines;
}

}  // namespace obrivo::core
