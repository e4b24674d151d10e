// The Recent page: recently detected programs of every category, for cleaning up.
#include "explorer/pages/page_registry.h"

#include "explorer_ids.h"
#include "string_ids.h"

namespace obrivo::explorer {

const PageDescription& RecentPage() {
  using E = core::RowMenuEntry;
  static const PageDescription page = [] {
    PageDescription d;
    d.code = 6060;
    d.dialogId = IDD_RECENT_PAGE;
    d.columns = {{IDS_COLUMN_PROGRAM},
                 {IDS_COLUMN_DESCRIPTION},
                 {IDS_COLUMN_COMPANY},
                 {IDS_COLUMN_TYPE},
                 {IDS_COLUMN_FIRST_DETECTED}};
    d.menu = {E::ExploreFolder, E::Properties, E::ViewNote,
              E::Separator,     E::Refresh,    E::DeleteOnReboot};
    d.sortOption = "SortRecent";
    d.bottomButtons = {IDC_RECENT_ACTION, IDC_INFO, IDC_CLOSE};
    return d;
  }();
  return page;
}

}  // namespace obrivo::explorer
