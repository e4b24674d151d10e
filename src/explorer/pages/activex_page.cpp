// The ActiveX page: the browser's registered controls and their kill bits.
#include "explorer/pages/page_registry.h"

#include "explorer_ids.h"
#include "string_ids.h"

namespace obrivo::explorer {

const PageDescription& ActiveXPage() {
  using E = core::RowMenuEntry;
  static const PageDescription page = [] {
    PageDescription d;
    d.code = 6056;
    d.dialogId = IDD_ACTIVEX_PAGE;
    d.columns = {{IDS_COLUMN_MODULE}, {IDS_COLUMN_COMMAND},        {IDS_COLUMN_COMPANY},
                 {IDS_COLUMN_TYPE},   {IDS_COLUMN_FIRST_DETECTED}, {IDS_CLSID}};
    d.menu = {E::Info,      E::ExploreFolder, E::Properties, E::ViewNote,
              E::Separator, E::Enable,        E::Disable};
    d.sortOption = "SortActiveX";
    d.bottomButtons = {IDC_INFO, IDC_ENABLE, IDC_DISABLE, IDC_CLOSE};
    d.monitor = MonitorPicture{"ActiveX", "RealtimeActiveX"};
    return d;
  }();
  return page;
}

}  // namespace obrivo::explorer
