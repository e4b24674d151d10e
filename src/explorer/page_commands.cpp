// Commands that several list pages share.
#include "explorer/page_commands.h"

#include "common/text_loader.h"
#include "explorer/messages.h"
#include "startup/startup_actions.h"
#include "string_ids.h"

namespace obrivo::explorer {
namespace {


}  // namespace

void DeleteSelectedOnReboot(Page& page) {
  const int index = page.SelectedItem();
  if (index < 0) {
    ShowNoSelection(page.window());
    return;
  }
  const std::string path = page.items().At(static_cast<std::size_t>(index)).path;
  if (AskYesNo(page.window(), common::LoadText(IDS_DELETE_ON_REBOOT_QUESTION)))
    startup::DeleteFileOnReboot(path);
}

}  // namespace obrivo::explorer
