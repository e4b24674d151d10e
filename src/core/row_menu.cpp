// The right-click menu of the list pages.
#include "row_menu.h"

namespace obrivo::core {
namespace {

MenuLine LineFor(RowMenuEntry entry) {
  using E = RowMenuEntry;
  switch (entry) {
    case E::Info:
      return {301, 1008};
    case E::ExploreFolder:
      return {1135, menu_cmd::kExploreFolder};
    case E::Properties:
      return {1136, menu_cmd::kProperties};
    case E::ViewNote:
      return {971, menu_cmd::kViewNote};
    case E::Add:
      return {311, 1064};
    case E::MoveToDelayed:
      return {1116, 1195};
    case E::Remove:
      return {302, 1003};
    case E::Enable:
      return {632, 10};
    case E::Disable:
      return {633, 11};
    case E::Refresh:
      return {305, 1006};
    case E::KillTask:
      return {306, 1007};
    case E::DeleteOnReboot:
      return {801, menu_cmd::kDeleteOnReboot};
    case E::Delete:
      return {925, 1184};
    case E::ViewNotepad:
      return {913, 1180};
    case E::LaunchProgram:
      return {1117, 1065};
    case E::DelayOptions:
      return {1118, 1197};
    case E::RestoreToStartup:
      return {1124, 1198};
    case E::View:
      return {659, 1008};
    case E::RemoveUnchecked:
      return {303, 1004};
    case E::RemoveChecked:
      return {708, 1103};
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
  lines.push_back({641, menu_cmd::kPlusInfo});
  if (!cookiesPage) lines.push_back({310, menu_cmd::kObrivoLog});
  lines.push_back({31, menu_cmd::kHelp});
  return lines;
}

}  // namespace obrivo::core
