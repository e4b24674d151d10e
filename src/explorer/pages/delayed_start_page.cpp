// The Delayed Start page: programs started a while after logon instead of at once.
#include "explorer/pages/page_registry.h"

#include "explorer_ids.h"
#include "string_ids.h"

namespace obrivo::explorer {

const PageDescription& DelayedStartPage() {
  using E = core::RowMenuEntry;
  static const PageDescription page = [] {
    PageDescription d;
    d.code = 6055;
    d.dialogId = IDD_DELAYED_PAGE;
    d.columns = {{IDS_COLUMN_TITLE}, {IDS_COLUMN_COMMAND}, {IDS_COLUMN_STATUS}, {1119}};
    d.menu = {E::Info,          E::ExploreFolder, E::Properties,       E::ViewNote, E::Separator,
              E::LaunchProgram, E::DelayOptions,  E::RestoreToStartup, E::Remove};
    d.bottomButtons = {IDC_INFO, IDC_ADD, IDC_DELAY_OPTIONS, IDC_REMOVE, IDC_CLOSE};
    return d;
  }();
  return page;
}

}  // namespace obrivo::explorer
