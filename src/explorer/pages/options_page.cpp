// The Options page: the settings of both programs and the entry points to the tools.
#include "explorer/pages/page_registry.h"

#include "common/options_store.h"
#include "explorer/explorer_state.h"
#include "explorer/history_viewer.h"
#include "explorer_ids.h"

namespace obrivo::explorer {
namespace {

// The three patrol pictures of the page, each showing whether its check is on.
void ShowPatrolPictures(Page& page) {
  const struct {
    int control;
    const char* option;
  } pictures[] = {{IDC_RESTART_FILE_PICTURE, "WinInit"},
                  {IDC_START_PAGES_PICTURE, "StartPage"},
                  {IDC_HOSTS_PICTURE, "HostFile"}};
  for (const auto& p : pictures) {
    const bool on = common::ReadOptionOrDefault(p.option) > 0;
    ::SendDlgItemMessageW(
        page.window(), p.control, STM_SETIMAGE, IMAGE_BITMAP,
        reinterpret_cast<LPARAM>(SharedBitmap(on ? IDB_PATROL_ON : IDB_PATROL_OFF)));
  }
}

}  // namespace

const PageDescription& OptionsPage() {
  static const PageDescription page = [] {
    PageDescription d;
    d.code = 6033;
    d.dialogId = IDD_OPTIONS_PAGE;
    d.commands = {
        {IDC_VIEW_HISTORY, [](Page& p) { ShowHistoryViewer(::GetParent(p.window())); }},
    };
    d.init = ShowPatrolPictures;
    return d;
  }();
  return page;
}

}  // namespace obrivo::explorer
