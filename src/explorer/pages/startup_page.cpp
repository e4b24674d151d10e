// The Startup Programs page: every program that starts with Windows. Its entries come with the
// startup locations.
#include "explorer/pages/page_registry.h"

#include "explorer_ids.h"

namespace obrivo::explorer {

const PageDescription& StartupPage() {
  using E = core::RowMenuEntry;
  static const PageDescription page = [] {
    PageDescription d;
    d.code = 6026;
    d.dialogId = IDD_STARTUP_PAGE;
    d.columns = {{627}, {628}, {699}, {714}, {912}};
    d.menu = {E::Info,   E::ExploreFolder, E::Properties, E::ViewNote,      E::Separator,
              E::Enable, E::Disable,       E::Remove,     E::MoveToDelayed, E::DeleteOnReboot};
    d.sortOption = "SortStartup";
    d.bottomButtons = {IDC_INFO, IDC_ENABLE, IDC_DISABLE, IDC_ADD, IDC_REMOVE, IDC_CLOSE};
    d.monitor = MonitorPicture{"Start", "RealtimeStartup"};
    return d;
  }();
  return page;
}

}  // namespace obrivo::explorer
