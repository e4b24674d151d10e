// The Scheduled Tasks page: the programs the Task Scheduler runs.
#include "explorer/pages/page_registry.h"

#include "explorer_ids.h"
#include "string_ids.h"

namespace obrivo::explorer {

const PageDescription& ScheduledTasksPage() {
  using E = core::RowMenuEntry;
  static const PageDescription page = [] {
    PageDescription d;
    d.code = 6039;
    d.dialogId = IDD_SCHEDULED_TASKS_PAGE;
    d.columns = {{IDS_COLUMN_NAME}, {IDS_COLUMN_PROGRAM}, {IDS_COLUMN_COMPANY}, {683}, {682}};
    d.menu = {E::Info,      E::ExploreFolder, E::Properties,    E::ViewNote,
              E::Separator, E::Remove,        E::DeleteOnReboot};
    d.sortOption = "SortScheduledTask";
    d.bottomButtons = {IDC_INFO, IDC_REMOVE};
    d.monitor = MonitorPicture{"Tasks", {}};
    return d;
  }();
  return page;
}

}  // namespace obrivo::explorer
