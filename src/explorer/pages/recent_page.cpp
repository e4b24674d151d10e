// The Recent page: recently detected programs of every category, for cleaning up.
#include "explorer/pages/page_registry.h"

#include "explorer_ids.h"

namespace obrivo::explorer {

const PageDescription& RecentPage() {
  using E = core::RowMenuEntry;
  static const PageDescription page = [] {
    PageDescription d;
    d.code = 6060;
    d.dialogId = IDD_RECENT_PAGE;
    d.columns = {{684}, {631}, {699}, {714}, {912}};
    d.menu = {E::ExploreFolder, E::Properties, E::ViewNote,
              E::Separator,     E::Refresh,    E::DeleteOnReboot};
    d.sortOption = "SortRecent";
    d.bottomButtons = {IDC_RECENT_ACTION, IDC_INFO, IDC_CLOSE};
    return d;
  }();
  return page;
}

}  // namespace obrivo::explorer
