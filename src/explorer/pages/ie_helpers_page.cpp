// The IE Helpers page: browser helper objects, toolbars and extensions.
#include "explorer/pages/page_registry.h"

#include "explorer_ids.h"
#include "string_ids.h"

namespace obrivo::explorer {

const PageDescription& IEHelpersPage() {
  using E = core::RowMenuEntry;
  static const PageDescription page = [] {
    PageDescription d;
    d.code = 6040;
    d.dialogId = IDD_IE_HELPERS_PAGE;
    d.columns = {{IDS_COLUMN_NAME},
                 {IDS_COLUMN_PROGRAM},
                 {IDS_COLUMN_COMPANY},
                 {IDS_COLUMN_TYPE},
                 {IDS_COLUMN_FIRST_DETECTED}};
    d.menu = {E::Info,      E::ExploreFolder, E::Properties,    E::ViewNote,
              E::Separator, E::Remove,        E::DeleteOnReboot};
    d.sortOption = "SortIEHelper";
    d.bottomButtons = {IDC_INFO, IDC_REMOVE, IDC_CLOSE};
    d.monitor = MonitorPicture{"IEHelpers", "RealtimeIEHelper"};
    return d;
  }();
  return page;
}

}  // namespace obrivo::explorer
