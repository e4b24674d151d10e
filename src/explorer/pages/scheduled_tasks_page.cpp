// The Scheduled Tasks page: the programs the Task Scheduler runs, from its work items and its
// folder tree. Remove deletes the selected task (its definition kept for the history's Restore);
// a scheduler that cannot be listed leaves the list empty and says why on the status line.
#include "explorer/pages/page_registry.h"

#include <windows.h>
#include <commctrl.h>

#include "common/items.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/system.h"
#include "common/win32/wide.h"
#include "core/text.h"
#include "explorer/list_view.h"
#include "explorer/messages.h"
#include "explorer/page_commands.h"
#include "explorer/sheet.h"
#include "explorer_ids.h"
#include "menu_ids.h"
#include "string_ids.h"
#include "system/scheduled_tasks.h"
#include "system/task_check.h"

namespace obrivo::explorer {
namespace {

constexpr int kProgramColumn = 1, kCompanyColumn = 2, kNextRunColumn = 3, kLastRunColumn = 4;
constexpr int kRemoveQuestionId = 687;

void SetStatus(const std::string& text) {
  if (HWND bar = SheetStatusBar())
    ::SendMessageW(bar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(win32::Wide(text).c_str()));
}

std::string ErrorText(int stringId, DWORD code) {
  return core::FormatText(common::LoadText(stringId), win32::SystemErrorText(code));
}

// Why the list is empty or short, or nothing when it is whole.
std::string ListingStatus(const system::TaskListing& listing) {
  if (listing.schedulerError != ERROR_SUCCESS)
    return ErrorText(IDS_TASKS_SCHEDULER_DOWN, listing.schedulerError);
  if (FAILED(listing.workItemsError))
    return ErrorText(IDS_TASKS_NOT_LISTED, static_cast<DWORD>(listing.workItemsError));
  if (FAILED(listing.foldersError))
    return ErrorText(IDS_TASK_FOLDERS_NOT_LISTED, static_cast<DWORD>(listing.foldersError));
  return {};
}

// A work item shows without its .job extension; a folder task by its whole path.
std::string ShownName(const std::string& name) {
  constexpr std::string_view kExtension = ".job";
  if (name.size() > kExtension.size() &&
      core::EqualsNoCase(std::string_view(name).substr(name.size() - kExtension.size()),
                         kExtension))
    return name.substr(0, name.size() - kExtension.size());
  return name;
}

void Fill(Page& page) {
  const system::TaskListing listing = system::ListScheduledTasks();
  system::FillTaskItems(listing);
  const core::ItemList& found = common::Items();
  for (std::size_t i = 0; i < found.Count(); ++i) {
    const core::Item& item = found.At(i);
    if (!page.items().AddRaw(item)) break;
    const std::size_t index = page.items().Count() - 1;
    const int row = page.AddRow(index, core::VisibleTitle(ShownName(core::EntryName(item))),
                                item.path);
    const bool inFolder = item.path.find('\\') != std::string::npos;
    SetCellText(page.list(), row, kProgramColumn,
                inFolder ? core::FileNamePart(item.path) : item.path);
    if (const auto version = common::ReadVersionInfo(item.path))
      SetCellText(page.list(), row, kCompanyColumn, version->companyName);
    SetCellText(page.list(), row, kNextRunColumn, item.key);
    SetCellText(page.list(), row, kLastRunColumn, item.text);
  }
  SetStatus(ListingStatus(listing));
}

// Asks, then removes the selected task. Its baseline value goes only with a removal that
// worked; a failure is said and the task stays listed.
void RemoveSelectedTask(Page& page) {
  const int index = page.SelectedItem();
  if (index < 0) {
    ShowNoSelection(page.window());
    return;
  }
  const core::Item item = page.items().At(static_cast<std::size_t>(index));
  const std::string name = core::EntryName(item);
  if (!AskYesNo(page.window(),
                core::FormatText(common::LoadText(kRemoveQuestionId), ShownName(name)),
                MB_ICONEXCLAMATION))
    return;
  const system::TaskRemoval removal = system::RejectTask(name, item.path);
  if (FAILED(removal.result)) {
    std::string text = core::FormatText(common::LoadText(IDS_TASK_DELETE_FAILED), name);
    text = core::FormatText(text, win32::SystemErrorText(static_cast<DWORD>(removal.result)));
    ShowMessageText(page.window(), text, MB_ICONWARNING);
  }
  page.Fill();
}

// The Info window's notes: the task's status, then its comment.
std::string TaskNotes(const core::Item& item) {
  const std::string name = core::EntryName(item);
  return system::GetTaskStatusText(name) + "\r\n" + system::GetTaskComment(name);
}

}  // namespace

const PageDescription& ScheduledTasksPage() {
  using E = core::RowMenuEntry;
  static const PageDescription page = [] {
    PageDescription d;
    d.code = 6039;
    d.dialogId = IDD_SCHEDULED_TASKS_PAGE;
    d.columns = {{IDS_COLUMN_NAME}, {IDS_COLUMN_PROGRAM}, {IDS_COLUMN_COMPANY}, {683}, {682}};
    d.menu = {E::Info,      E::ExploreFolder, E::Properties,    E::ViewNote,
              E::Separator, E::Remove,        E::DeleteOnReboot};
    d.sortOption = "SortScheduledTask";
    d.bottomButtons = {IDC_INFO, IDC_REMOVE};
    d.monitor = MonitorPicture{"Tasks", {}};
    d.fill = Fill;
    d.notesText = TaskNotes;
    d.commands = {{IDC_REMOVE, RemoveSelectedTask},
                  {IDM_DELETE_ON_REBOOT, DeleteSelectedOnReboot}};
    return d;
  }();
  return page;
}

}  // namespace obrivo::explorer
