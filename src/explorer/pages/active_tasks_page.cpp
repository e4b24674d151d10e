// The Active Tasks page: the programs running now, with their description, company and the day
// they were first seen; Kill Task ends the selected ones.
#include "explorer/pages/page_registry.h"

#include <vector>

#include "common/app.h"
#include "common/first_detected.h"
#include "common/history.h"
#include "common/items.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/wide.h"
#include "core/history_codes.h"
#include "core/text.h"
#include "explorer/list_view.h"
#include "explorer/messages.h"
#include "explorer/page_commands.h"
#include "explorer_ids.h"
#include "menu_ids.h"
#include "startup/startup_actions.h"
#include "string_ids.h"
#include "system/processes.h"

namespace obrivo::explorer {
namespace {

constexpr int kDescriptionColumn = 1, kCompanyColumn = 2, kDetectedColumn = 3;

// The process each of the page's items was listed for, by item index. A row is ended through
// this, never through its process id alone: by the time the user presses Kill Task the id may
// have passed to another program.
std::vector<system::ProcessIdentity>& ListedProcesses() {
  static std::vector<system::ProcessIdentity> listed;
  return listed;
}

std::string FirstDetected(const std::string& path) {
  std::string date = common::LookupFirstDetected(core::item_type::kProcess, path);
  if (date.empty()) {
    common::RecordFirstDetected(common::kDetectedActiveTasks, path);
    date = common::LookupFirstDetected(core::item_type::kProcess, path);
  }
  return date;
}

void Fill(Page& page) {
  std::vector<system::ProcessIdentity> listed;
  system::EnumActiveTasks(listed);
  ListedProcesses().clear();
  const core::ItemList& found = common::Items();
  for (std::size_t i = 0; i < found.Count() && i < listed.size(); ++i) {
    const core::Item& item = found.At(i);
    // Only what names a file in a folder is a program the user can act on.
    if (item.path.find('\\') == std::string::npos) continue;
    if (!page.items().AddRaw(item)) break;
    ListedProcesses().push_back(listed[i]);
    const std::size_t index = page.items().Count() - 1;
    const int row = page.AddRow(index, core::FileNamePart(item.path), item.path);
    if (!item.title.empty()) SetCellText(page.list(), row, kDescriptionColumn, item.title);
    if (const auto version = common::ReadVersionInfo(item.path))
      SetCellText(page.list(), row, kCompanyColumn, version->companyName);
    SetCellText(page.list(), row, kDetectedColumn, FirstDetected(item.path));
  }
}

// The items of the selected rows, in row order (the rows as they are sorted now).
std::vector<std::size_t> SelectedItems(HWND list) {
  std::vector<std::size_t> items;
  for (int row = SelectedRowPosition(list); row >= 0;
       row = static_cast<int>(
           ::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED))) {
    const int index = RowItemIndex(list, row);
    if (index >= 0) items.push_back(static_cast<std::size_t>(index));
  }
  return items;
}

// Ends the process item `index` was listed for; true when it ended.
bool KillListedProcess(Page& page, std::size_t index) {
  if (!page.items().IsValid(index) || index >= ListedProcesses().size()) return false;
  if (!system::KillProcessById(ListedProcesses()[index])) return false;
  const core::Item& item = page.items().At(index);
  common::WriteHistory(core::history_event::kTaskKill, core::item_type::kProcess, item.title,
                       item.path, item.text);
  return true;
}

// Each row names its own item: two programs with the same file name in different folders are
// two rows, and each row ends its own program. No confirmation is asked.
void KillTasks(Page& page) {
  const std::vector<std::size_t> selected = SelectedItems(page.list());
  if (selected.empty()) {
    ShowNoSelection(page.window());
    return;
  }
  for (std::size_t index : selected) KillListedProcess(page, index);
  page.Fill();
}

}  // namespace

const PageDescription& ActiveTasksPage() {
  using E = core::RowMenuEntry;
  static const PageDescription page = [] {
    PageDescription d;
    d.code = 6029;
    d.dialogId = IDD_ACTIVE_TASKS_PAGE;
    d.columns = {{IDS_COLUMN_MODULE},
                 {IDS_COLUMN_DESCRIPTION},
                 {IDS_COLUMN_COMPANY},
                 {IDS_COLUMN_FIRST_DETECTED}};
    d.menu = {E::Info,      E::ExploreFolder, E::Properties, E::ViewNote,
              E::Separator, E::Refresh,       E::KillTask,   E::DeleteOnReboot};
    d.sortOption = "SortActiveTask";
    d.bottomButtons = {IDC_INFO, IDC_REFRESH, IDC_KILL_TASK, IDC_CLOSE};
    d.fill = Fill;
    // The Info window acts on the row's own process, as Kill Task does.
    d.programRunning = [](Page& page, std::size_t index) {
      return page.items().IsValid(index) && index < ListedProcesses().size() &&
             system::IsProcessRunning(ListedProcesses()[index]);
    };
    d.stopProgram = [](Page& page, HWND, std::size_t index) { KillListedProcess(page, index); };
    d.commands = {{IDC_REFRESH, [](Page& p) { p.Fill(); }},
                  {IDC_KILL_TASK, KillTasks},
                  {IDM_DELETE_ON_REBOOT, DeleteSelectedOnReboot}};
    return d;
  }();
  return page;
}

}  // namespace obrivo::explorer
