// Commands that several list pages share.
#include "explorer/page_commands.h"

#include "common/text_loader.h"
#include "explorer/messages.h"
#include "startup/startup_actions.h"

namespace obrivo::explorer {
namespace {

constexpr int kDeleteOnRebootQuestionId = 800;

}  // namespace

void DeleteSelectedOnReboot(Page& page) {
  const int index = page.SelectedItem();
  if (index < 0) {
    ShowNoSelection(page.window());
    return;
  }
  const std::string path = page.items().At(static_cast<std::size_t>(index)).path;
  if (AskYesNo(page.window(), common::LoadText(kDeleteOnRebootQuestionId)))
    startup::DeleteFileOnReboot(path);
}

}  // namespace obrivo::explorer
