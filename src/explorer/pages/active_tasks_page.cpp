// The Active Tasks page: the programs running now.
#include "explorer/pages/page_registry.h"

#include "explorer_ids.h"

namespace obrivo::explorer {

const PageDescription& ActiveTasksPage() {
  using E = core::RowMenuEntry;
  static const PageDescription page = [] {
    PageDescription d;
    d.code = 6029;
    d.dialogId = IDD_ACTIVE_TASKS_PAGE;
    d.columns = {{629}, {631}, {699}, {912}};
    d.menu = {E::Info,      E::ExploreFolder, E::Properties, E::ViewNote,
              E::Separator, E::Refresh,       E::KillTask,   E::DeleteOnReboot};
    d.sortOption = "SortActiveTask";
    d.bottomButtons = {IDC_INFO, IDC_REFRESH, IDC_KILL_TASK, IDC_CLOSE};
    return d;
  }();
  return page;
}

}  // namespace obrivo::explorer
