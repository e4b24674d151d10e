// The Delayed Start page: programs started a while after logon instead of at once.
#include "explorer/pages/page_registry.h"

#include <string>

#include "common/items.h"
#include "common/text_loader.h"
#include "common/win32/files.h"
#include "core/delayed_start.h"
#include "core/text.h"
#include "explorer/delayed_page_actions.h"
#include "explorer/explorer_state.h"
#include "explorer/list_view.h"
#include "explorer_ids.h"
#include "menu_ids.h"
#include "startup/delayed_list.h"
#include "string_ids.h"
#include "system/processes.h"

namespace obrivo::explorer {
namespace {

// The move count the list last showed (see ExplorerState::startupListChanges).
int shownChanges = 0;

std::string StatusColumn(const std::string& file) {
  if (system::FindProcessByPath(file) != 0) return common::LoadText(IDS_RUNNING, 64);
  if (win32::IsExistingFile(file)) return {};
  return common::LoadText(IDS_FILE_NOT_FOUND, 64);
}

void Fill(Page& page) {
  shownChanges = Explorer().startupListChanges;
  startup::EnumDelayed();
  page.items() = common::Items();
  const std::string minutes = common::LoadText(IDS_MINUTES_UNIT, 32);
  const std::string seconds = common::LoadText(IDS_SECONDS_UNIT, 32);
  for (std::size_t i = 0; i < page.items().Count(); ++i) {
    const core::Item& item = page.items().At(i);
    const int row = page.AddRow(i, item.title, item.path);
    // The delay the launcher will give it, which is what a stored text that is no delay means.
    const auto entry = ListedDelayedEntry(item);
    const int delay = startup::DelaySecondsOf(entry.value_or(startup::DelayedEntry{}));
    SetCellText(page.list(), row, 1, core::FileNamePart(item.path));
    SetCellText(page.list(), row, 2, StatusColumn(item.path));
    SetCellText(page.list(), row, 3, core::DelayTimeText(delay, minutes, seconds));
  }
}

void OnActivate(Page& page) {
  if (shownChanges != Explorer().startupListChanges) page.Fill();
}

}  // namespace

const PageDescription& DelayedStartPage() {
  using E = core::RowMenuEntry;
  static const PageDescription page = [] {
    PageDescription d;
    d.code = 6055;
    d.dialogId = IDD_DELAYED_PAGE;
    d.columns = {
        {IDS_COLUMN_TITLE}, {IDS_COLUMN_COMMAND}, {IDS_COLUMN_STATUS}, {IDS_COLUMN_DELAY_TIME}};
    d.menu = {E::Info,      E::ExploreFolder, E::Properties,
              E::Add,       E::LaunchProgram, E::DelayOptions,
              E::Separator, E::Remove,        E::RestoreToStartup,
              E::ViewNote};
    d.sortOption = "SortPrograms";
    d.bottomButtons = {IDC_INFO, IDC_ADD, IDC_DELAY_OPTIONS, IDC_REMOVE, IDC_CLOSE};
    d.fill = Fill;
    d.activate = OnActivate;
    d.commands = {
        {IDC_ADD, AddDelayedFromChooser},
        {IDC_DELAY_OPTIONS, EditSelectedDelayOptions},
        {IDC_REMOVE, RemoveSelectedDelayed},
        {IDM_LAUNCH_PROGRAM, LaunchSelectedDelayed},
        {IDM_RESTORE_TO_STARTUP, RestoreSelectedDelayed},
    };
    return d;
  }();
  return page;
}

}  // namespace obrivo::explorer
