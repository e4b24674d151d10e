// The Services page: the installed Windows services, their state and start type.
#include "explorer/pages/page_registry.h"

#include "explorer_ids.h"
#include "string_ids.h"

namespace obrivo::explorer {

const PageDescription& ServicesPage() {
  using E = core::RowMenuEntry;
  static const PageDescription page = [] {
    PageDescription d;
    d.code = 6038;
    d.dialogId = IDD_SERVICES_PAGE;
    d.columns = {{IDS_COLUMN_TITLE},
                 {IDS_COLUMN_COMMAND},
                 {IDS_COLUMN_COMPANY},
                 {IDS_COLUMN_STATUS},
                 {651},
                 {IDS_COLUMN_FIRST_DETECTED}};
    d.menu = {E::Info, E::ExploreFolder, E::Properties, E::ViewNote};
    d.sortOption = "SortService";
    d.bottomButtons = {IDC_INFO, IDC_CLOSE};
    d.monitor = MonitorPicture{"Services", "RealtimeServices"};
    return d;
  }();
  return page;
}

}  // namespace obrivo::explorer
