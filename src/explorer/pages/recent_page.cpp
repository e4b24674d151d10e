// The Recent page: recently detected programs of every category, for cleaning up. Every
// category's enumerator runs in turn; each item whose program file exists becomes a row that
// keeps the category's own item, so that the action button can hand it to that category's own
// action (Kill Task, Remove, Stop, Delete). The list is gathered again after every action.
#include "explorer/pages/page_registry.h"

#include <string>
#include <vector>

#include "browser/activex.h"
#include "browser/ie_helpers.h"
#include "common/first_detected.h"
#include "common/history.h"
#include "common/items.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/system.h"
#include "common/win32/wide.h"
#include "core/history_codes.h"
#include "core/startup_codes.h"
#include "core/text.h"
#include "explorer/advanced_warning.h"
#include "explorer/list_view.h"
#include "explorer/messages.h"
#include "explorer/sheet.h"
#include "explorer/startup_page_actions.h"
#include "explorer_ids.h"
#include "files/hidden_files.h"
#include "files/hidden_vault.h"
#include "menu_ids.h"
#include "startup/startup_actions.h"
#include "startup/startup_locations.h"
#include "string_ids.h"
#include "system/processes.h"
#include "system/scheduled_tasks.h"
#include "system/service_control.h"
#include "system/services.h"
#include "system/task_check.h"

namespace obrivo::explorer {
namespace {

namespace T = core::item_type;

constexpr int kDescriptionColumn = 1, kCompanyColumn = 2, kTypeColumn = 3, kDetectedColumn = 4;
constexpr int kStopText = 650, kDeleteText = 614;
constexpr int kTaskRemoveQuestion = 687, kHiddenDeleteQuestion = 926;

// One source of the page: a category, the text of its Type cell and its action button.
struct Source {
  int code;        // the category's code on this page
  int typeText;    // the Type cell
  int actionText;  // the action button's label; 0: no action (the button hides)
  // Runs the category's enumerator into common::Items(); `keep` says which items are rows.
  void (*enumerate)(std::vector<system::ProcessIdentity>& processes);
  bool (*keep)(const core::Item& item);
};

bool Always(const core::Item&) { return true; }
bool ServiceRunning(const core::Item& item) {
  const auto state = system::QueryServiceState(item.name, system::NameKind::Key);
  return state && *state == SERVICE_RUNNING;
}

// In the order the page gathers them.
const Source kSources[] = {
    {T::kProcess, 1193, IDS_KILL_TASK,
     [](std::vector<system::ProcessIdentity>& p) { system::EnumActiveTasks(p); }, Always},
    {T::kRecentStartup, 1194, IDS_REMOVE,
     [](std::vector<system::ProcessIdentity>&) { startup::EnumStartup(true); }, Always},
    {T::kRecentBrowserHelper, 1195, IDS_REMOVE,
     [](std::vector<system::ProcessIdentity>&) { browser::EnumIEHelpers(); }, Always},
    {T::kRecentService, 1197, kStopText,
     [](std::vector<system::ProcessIdentity>&) { system::EnumServices(false); }, ServiceRunning},
    {T::kRecentHiddenFile, 1198, kDeleteText,
     [](std::vector<system::ProcessIdentity>&) { files::EnumHiddenFiles(); }, Always},
    {T::kRecentTask, 1196, IDS_REMOVE,
     [](std::vector<system::ProcessIdentity>&) {
       system::FillTaskItems(system::ListScheduledTasks());
     },
     Always},
    {T::kRecentActiveX, 1199, 0,
     [](std::vector<system::ProcessIdentity>&) { browser::EnumUsedActiveX({false, false}); },
     Always},
};

const Source& SourceOf(int code) {
  for (const Source& source : kSources)
    if (source.code == code) return source;
  return kSources[0];  // an unknown category shows as a running program
}

// What the page keeps beside each item, by item index.
struct RowFacts {
  int code = 0;
  std::string file;                  // the program file the row stands for
  system::ProcessIdentity process;  // running programs: the process listed
};

std::vector<RowFacts>& Facts() {
  static std::vector<RowFacts> facts;
  return facts;
}

// The name the category keeps the item's first-detected date under, as its own page looks it up.
std::string DetectedName(int code, const core::Item& item) {
  switch (code) {
    case T::kRecentActiveX:
      return item.key;
    case T::kRecentService:
      return system::ServiceFileOfPath(item.path);
    default:
      return item.path;
  }
}

// The type the first-detected records of the item are kept for.
int DetectedType(int code, const core::Item& item) {
  return code == T::kProcess ? T::kProcess : item.type;
}

bool justFilled = false;

void Fill(Page& page) {
  Facts().clear();
  bool full = false;
  for (const Source& source : kSources) {
    if (full) break;
    std::vector<system::ProcessIdentity> processes;
    source.enumerate(processes);
    const core::ItemList found = common::Items();
    for (std::size_t i = 0; i < found.Count(); ++i) {
      const core::Item& item = found.At(i);
      if (!source.keep(item)) continue;
      std::string file = common::CommandToProgramPath(item.path);
      // A program whose file is gone is nothing to clean up any more.
      if (file.empty() || !common::FileExists(file)) continue;
      if (!page.items().AddRaw(item)) {
        full = true;
        break;
      }
      RowFacts facts{source.code, file, {}};
      if (source.code == T::kProcess && i < processes.size()) facts.process = processes[i];
      Facts().push_back(facts);
      const std::size_t index = page.items().Count() - 1;
      // The resolved path is upper case: the row shows the name as the file system keeps it.
      const int row = page.AddRow(
          index, win32::StoredFileName(file).value_or(core::FileNamePart(file)), file);
      HWND list = page.list();
      SetCellText(list, row, kDescriptionColumn, page.items().At(index).title);
      const auto version = common::ReadVersionInfo(file);
      SetCellText(list, row, kCompanyColumn, version ? version->companyName : std::string());
      SetCellText(list, row, kTypeColumn, common::LoadText(source.typeText, 64));
      SetCellText(list, row, kDetectedColumn,
                  common::LookupOrRecordFirstDetected(DetectedType(source.code, item),
                                                      DetectedName(source.code, item)));
    }
  }
  justFilled = true;
}

// Every activation gathers again and shows the newest detections by date.
void OnActivate(Page& page) {
  if (!justFilled) page.Fill();
  justFilled = false;
  page.SortBy(kDetectedColumn, false);
  ::ShowWindow(::GetDlgItem(page.window(), IDC_RECENT_ACTION), SW_HIDE);
}

const RowFacts* FactsOf(std::size_t index) {
  return index < Facts().size() ? &Facts()[index] : nullptr;
}

// The status line shows the selected program; the action button follows its category.
void OnSelectionChanged(Page& page) {
  const int index = page.SelectedItem();
  const RowFacts* facts = index >= 0 ? FactsOf(static_cast<std::size_t>(index)) : nullptr;
  if (HWND bar = SheetStatusBar())
    ::SendMessageW(bar, SB_SETTEXTW, 0,
                   reinterpret_cast<LPARAM>(win32::Wide(facts ? facts->file : "").c_str()));
  HWND button = ::GetDlgItem(page.window(), IDC_RECENT_ACTION);
  const int label = facts ? SourceOf(facts->code).actionText : 0;
  if (label != 0)
    ::SetWindowTextW(button, win32::Wide(common::LoadText(label, 64)).c_str());
  ::ShowWindow(button, label != 0 ? SW_SHOW : SW_HIDE);
}

void SayFailed(Page& page, int textId, std::string_view name) {
  ShowMessageText(page.window(), core::FormatText(common::LoadText(textId), name), MB_ICONWARNING);
}

// Ends every selected running program, each by the process it was listed for, never by its id
// alone: by the time the user acts the id may have passed to another program.
void KillSelected(Page& page) {
  const std::vector<std::size_t> selected = page.SelectedItemsOrSay();
  for (std::size_t index : selected) {
    const RowFacts* facts = FactsOf(index);
    if (!facts || facts->code != T::kProcess) continue;
    if (!system::KillProcessById(facts->process)) continue;
    const core::Item& item = page.items().At(index);
    common::WriteHistory(core::history_event::kTaskKill, T::kProcess, item.title, item.path,
                         item.text);
  }
  if (!selected.empty()) page.Fill();
}

void RemoveStartup(Page& page, const core::Item& item) {
  const std::string name = core::EntryName(item);
  if (item.type >= core::kWinlogonUserinit) {
    startup::RemoveAdvancedStartupEntry(item.type, name, item.path, item.key,
                                        AdvancedWarningConfirm(page.window()));
    return;
  }
  system::StopEntryProgram(page.window(), startup::EntryCommandLine(item), item.title, false);
  if (!startup::RemoveStartupEntry(name, item.path, item.key, item.type, {}))
    SayFailed(page, IDS_STARTUP_REMOVE_FAILED, item.title);
}

void RemoveHelper(Page& page, const core::Item& item) {
  if (!AskYesNo(page.window(),
                core::FormatText(common::LoadText(IDS_REMOVE_IE_HELPER_QUESTION), item.title),
                MB_ICONEXCLAMATION))
    return;
  if (!browser::RemoveIEHelper(item).removed)
    SayFailed(page, IDS_IE_HELPER_REMOVE_FAILED, item.title);
}

void RemoveTask(Page& page, const core::Item& item) {
  const std::string name = core::EntryName(item);
  if (!AskYesNo(page.window(), core::FormatText(common::LoadText(kTaskRemoveQuestion), name),
                MB_ICONEXCLAMATION))
    return;
  const system::TaskRemoval removal = system::RejectTask(name, item.path);
  if (FAILED(removal.result))
    ShowMessageText(page.window(),
                    core::FormatText(core::FormatText(common::LoadText(IDS_TASK_DELETE_FAILED), name),
                                     win32::SystemErrorText(static_cast<DWORD>(removal.result))),
                    MB_ICONWARNING);
}

void StopService(Page& page, const core::Item& item) {
  if (!system::StopServiceByName(item.name, system::NameKind::Key))
    SayFailed(page, IDS_SERVICE_STOP_FAILED, item.title);
}

void DeleteHidden(Page& page, const core::Item& item) {
  if (!AskYesNo(page.window(), common::LoadText(kHiddenDeleteQuestion), MB_ICONWARNING)) return;
  const files::HiddenDeletionResult result = files::DeleteHiddenFile(item.path, item.title);
  if (result.outcome != files::HiddenDeletion::Deleted)
    SayFailed(page, IDS_HIDDEN_DELETE_FAILED, item.path);
}

// The action button and the menu's Remove and Delete: the selected row's own category decides.
void ActOnSelected(Page& page) {
  const int index = page.SelectedItem();
  const RowFacts* facts = index >= 0 ? FactsOf(static_cast<std::size_t>(index)) : nullptr;
  if (!facts) {
    ShowNoSelection(page.window());
    return;
  }
  const core::Item item = page.items().At(static_cast<std::size_t>(index));
  switch (facts->code) {
    case T::kProcess:
      KillSelected(page);
      return;
    case T::kRecentStartup:
      RemoveStartup(page, item);
      break;
    case T::kRecentBrowserHelper:
      RemoveHelper(page, item);
      break;
    case T::kRecentTask:
      RemoveTask(page, item);
      break;
    case T::kRecentService:
      StopService(page, item);
      break;
    case T::kRecentHiddenFile:
      DeleteHidden(page, item);
      break;
    default:
      return;  // ActiveX controls have no action here
  }
  page.Fill();
}

void UnhideSelected(Page& page) {
  const int index = page.SelectedItem();
  if (index < 0) {
    ShowNoSelection(page.window());
    return;
  }
  files::UnhideFile(Facts()[static_cast<std::size_t>(index)].file);
  page.Fill();
}

// The row's menu: the common entries, then what the row's category can do.
std::vector<core::RowMenuEntry> MenuFor(const core::Item& item) {
  using E = core::RowMenuEntry;
  std::vector<E> menu = {E::ExploreFolder, E::Properties, E::ViewNote, E::Separator};
  const std::string_view category = common::FirstDetectedSubkey(item.type);
  if (category == common::kDetectedStartup)
    menu.insert(menu.end(), {E::Separator, E::Remove});
  else if (category == common::kDetectedHidden)
    menu.insert(menu.end(), {E::Delete, E::ViewNotepad});
  else if (category == common::kDetectedIEHelper)
    menu.push_back(E::Remove);
  else if (category == common::kDetectedActiveTasks)
    menu.push_back(E::KillTask);
  menu.insert(menu.end(), {E::Refresh, E::DeleteOnReboot});
  return menu;
}

}  // namespace

const PageDescription& RecentPage() {
  using E = core::RowMenuEntry;
  static const PageDescription page = [] {
    PageDescription d;
    d.code = 6060;
    d.dialogId = IDD_RECENT_PAGE;
    d.columns = {{IDS_COLUMN_PROGRAM},
                 {IDS_COLUMN_DESCRIPTION},
                 {IDS_COLUMN_COMPANY},
                 {IDS_COLUMN_TYPE},
                 {IDS_COLUMN_FIRST_DETECTED}};
    d.menu = {E::ExploreFolder, E::Properties, E::ViewNote,
              E::Separator,     E::Refresh,    E::DeleteOnReboot};
    d.sortOption = "SortRecent";
    d.bottomButtons = {IDC_RECENT_ACTION, IDC_INFO, IDC_CLOSE};
    d.fill = Fill;
    d.activate = OnActivate;
    d.selectionChanged = OnSelectionChanged;
    d.menuFor = MenuFor;
    d.commands = {
        {IDC_RECENT_ACTION, ActOnSelected},
        {IDC_REMOVE, ActOnSelected},
        {IDM_DELETE, ActOnSelected},
        {IDC_KILL_TASK, KillSelected},
        {IDC_REFRESH, [](Page& p) { p.Fill(); }},
        {IDC_UNHIDE, UnhideSelected},
        {IDM_DELETE_ON_REBOOT,
         [](Page& p) {
           const int index = p.SelectedItem();
           const std::string file =
               index >= 0 ? Facts()[static_cast<std::size_t>(index)].file : std::string();
           DeleteSelectedFileOnReboot(p, [file](const core::Item&) {
             return startup::DeleteFileAtPathOnReboot(file);
           });
           p.Fill();
         }},
    };
    return d;
  }();
  return page;
}

}  // namespace obrivo::explorer
