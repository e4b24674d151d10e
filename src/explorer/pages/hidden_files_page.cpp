// The Hidden Files page: files marked hidden in the folders Windows itself uses.
#include "explorer/pages/page_registry.h"

#include "explorer_ids.h"
#include "string_ids.h"

namespace obrivo::explorer {

const PageDescription& HiddenFilesPage() {
  using E = core::RowMenuEntry;
  static const PageDescription page = [] {
    PageDescription d;
    d.code = 6052;
    d.dialogId = IDD_HIDDEN_FILES_PAGE;
    d.columns = {{IDS_COLUMN_MODULE}, {776}, {IDS_COLUMN_FIRST_DETECTED}, {914}, {IDS_COLUMN_TYPE}};
    d.menu = {E::Info,    E::ExploreFolder, E::Properties,     E::ViewNote,
              E::Refresh, E::Delete,        E::DeleteOnReboot, E::ViewNotepad};
    d.sortOption = "SortHidden";
    d.bottomButtons = {IDC_INFO, IDC_REFRESH, IDC_UNHIDE, IDC_CLOSE};
    d.monitor = MonitorPicture{"Hidden", "RealtimeHidden"};
    return d;
  }();
  return page;
}

}  // namespace obrivo::explorer
