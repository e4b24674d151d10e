// The File Types page: the programs that open each watched file type.
#include "explorer/pages/page_registry.h"

#include "explorer_ids.h"
#include "string_ids.h"

namespace obrivo::explorer {

const PageDescription& FileTypesPage() {
  using E = core::RowMenuEntry;
  static const PageDescription page = [] {
    PageDescription d;
    d.code = 6042;
    d.dialogId = IDD_FILE_TYPES_PAGE;
    d.columns = {{IDS_COLUMN_TITLE},
                 {IDS_COLUMN_COMMAND},
                 {IDS_COLUMN_COMPANY},
                 {747},
                 {748},
                 {IDS_COLUMN_TYPE, false, false}};
    d.menu = {E::Info, E::ViewNote, E::Add, E::Remove};
    d.sortOption = "SortFileType";
    d.bottomButtons = {IDC_INFO, IDC_ADD, IDC_REMOVE, IDC_CLOSE};
    d.monitor = MonitorPicture{"FileType", "RealtimeFileType"};
    return d;
  }();
  return page;
}

}  // namespace obrivo::explorer
