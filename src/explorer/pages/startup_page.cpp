// The Startup Programs page: every program that starts with Windows, with Enable, Disable, Add
// and Remove; the advanced locations on request.
#include "explorer/pages/page_registry.h"

#include <map>
#include <optional>
#include <string>

#include "common/app.h"
#include "common/first_detected.h"
#include "common/items.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/wide.h"
#include "core/command_line.h"
#include "core/startup_codes.h"
#include "core/text.h"
#include "explorer/delayed_page_actions.h"
#include "explorer/explorer_state.h"
#include "explorer/list_view.h"
#include "explorer/sheet.h"
#include "explorer/startup_page_actions.h"
#include "explorer_ids.h"
#include "menu_ids.h"
#include "startup/startup_actions.h"
#include "startup/startup_locations.h"
#include "string_ids.h"
#include "system/processes.h"

namespace obrivo::explorer {
namespace {

constexpr int kResetTextId = 677;  // "&Reset"
constexpr std::string_view kRundllPrefix = "RunDLL32.exe ";

// The program's file name and its arguments: a folder in the arguments must not hide the
// program that runs (a command that only names an accepted DLL further on).
std::string CommandColumn(const core::Item& item) {
  const core::CommandParts parts = core::SplitProgramAndArguments(item.path, nullptr);
  const bool hasFolder = parts.program.find('\\') != std::string::npos;
  std::string shown = hasFolder ? core::FileNamePart(parts.program) : parts.program;
  if (!parts.arguments.empty()) shown += " " + parts.arguments;
  return (item.flag == 1 ? std::string(kRundllPrefix) : std::string()) + shown;
}

std::string TypeColumn(const core::Item& item) {
  if (item.disabled) return common::LoadText(IDS_DISABLED_PREFIX, 64);
  return std::string(core::StartupTypeTag(item.type));
}

// The move count the list last showed (see ExplorerState::startupListChanges).
int shownChanges = 0;

void Fill(Page& page) {
  shownChanges = Explorer().startupListChanges;
  startup::EnumStartup(true);
  page.items() = common::Items();
  // Many entries start the same program; its version information is read once per fill.
  std::map<std::string, std::optional<common::VersionInfo>> versions;
  for (std::size_t i = 0; i < page.items().Count(); ++i) {
    const core::Item& item = page.items().At(i);
    const std::string program = common::CommandToProgramPath(item.path);
    const int row = page.AddRow(i, item.title, program);
    auto known = versions.find(program);
    if (known == versions.end())
      known = versions.emplace(program, common::ReadVersionInfo(program)).first;
    const auto& version = known->second;
    SetCellText(page.list(), row, 1, CommandColumn(item));
    SetCellText(page.list(), row, 2, version ? version->companyName : std::string());
    SetCellText(page.list(), row, 3, TypeColumn(item));
    SetCellText(page.list(), row, 4, common::LookupOrRecordFirstDetected(item.type, item.path));
  }
}

void ShowButton(HWND page, int id, bool shown, bool enabled) {
  HWND button = ::GetDlgItem(page, id);
  ::ShowWindow(button, shown ? SW_SHOW : SW_HIDE);
  ::EnableWindow(button, shown && enabled);
}

// Enable and Disable follow the selected entry's state; Remove reads Reset for the Winlogon
// values (which are reset to the Windows default, not removed); the status line names the
// location.
void OnSelectionChanged(Page& page) {
  HWND window = page.window();
  const int index = page.SelectedItem();
  std::string status;
  if (index < 0) {
    ShowButton(window, IDC_ENABLE, false, false);
    ShowButton(window, IDC_DISABLE, false, false);
  } else {
    const core::Item& item = page.items().At(static_cast<std::size_t>(index));
    const bool disabled = item.disabled;
    const bool togglable = item.type < core::kWinlogonUserinit || item.type > core::kAppInitDlls;
    ShowButton(window, IDC_ENABLE, disabled, togglable);
    ShowButton(window, IDC_DISABLE, !disabled, togglable);
    ::EnableWindow(::GetDlgItem(window, IDC_REMOVE), item.type != core::kWinlogonNotify);
    const bool reset = item.type == core::kWinlogonUserinit || item.type == core::kWinlogonShell;
    ::SetDlgItemTextW(window, IDC_REMOVE,
                      win32::Wide(common::LoadText(reset ? kResetTextId : IDS_REMOVE)).c_str());
    status = common::LoadText(IDS_STARTUP_LOCATION, 64) +
             startup::LocationLabel(item.type, item.disabled);
  }
  if (HWND bar = SheetStatusBar())
    ::SendMessageW(bar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(win32::Wide(status).c_str()));
  // The bottom row spreads the buttons that show.
  ::SendMessageW(window, kLayoutMessage, 0, 0);
}

std::vector<core::RowMenuEntry> MenuFor(const core::Item& item) {
  using E = core::RowMenuEntry;
  std::vector<E> entries = {E::Info, E::ExploreFolder, E::Properties, E::ViewNote, E::Add};
  if (item.type <= 249) {
    const bool disabled = item.disabled;
    entries.insert(entries.end(), {E::MoveToDelayed, E::Separator, E::Remove,
                                   disabled ? E::Enable : E::Disable, E::DeleteOnReboot});
  }
  return entries;
}

void OnActivate(Page& page) {
  if (shownChanges != Explorer().startupListChanges) page.Fill();
  HWND box = ::GetDlgItem(page.window(), IDC_SHOW_ALL_STARTUP);
  ::EnableWindow(box, TRUE);
  ::SendMessageW(
      box, BM_SETCHECK,
      common::App().options.Get(core::OptionId::ShowAllStartup) > 0 ? BST_CHECKED : BST_UNCHECKED,
      0);
}

void ShowAllChanged(Page& page) {
  const bool all =
      ::SendDlgItemMessageW(page.window(), IDC_SHOW_ALL_STARTUP, BM_GETCHECK, 0, 0) == BST_CHECKED;
  common::App().options.Set(core::OptionId::ShowAllStartup, all ? 1 : 0);
  common::WriteOption("ShowAllStartup", all ? 1 : 0);
  page.Fill();
}

}  // namespace

const PageDescription& StartupPage() {
  static const PageDescription page = [] {
    PageDescription d;
    d.code = 6026;
    d.dialogId = IDD_STARTUP_PAGE;
    d.columns = {{IDS_COLUMN_TITLE},
                 {IDS_COLUMN_COMMAND},
                 {IDS_COLUMN_COMPANY},
                 {IDS_COLUMN_TYPE},
                 {IDS_COLUMN_FIRST_DETECTED}};
    d.menuFor = MenuFor;
    d.sortOption = "SortStartup";
    d.bottomButtons = {IDC_INFO, IDC_ENABLE, IDC_DISABLE, IDC_ADD, IDC_REMOVE, IDC_CLOSE};
    d.monitor = MonitorPicture{"Start", "RealtimeStartup"};
    d.fill = Fill;
    d.activate = OnActivate;
    d.selectionChanged = OnSelectionChanged;
    d.commands = {
        {IDC_ENABLE, EnableSelectedEntries},
        {IDC_DISABLE, DisableSelectedEntries},
        {IDC_REMOVE, RemoveSelectedEntries},
        {IDC_ADD, AddStartupProgramFromChooser},
        {IDC_SHOW_ALL_STARTUP, ShowAllChanged},
        {IDM_DELETE_ON_REBOOT, DeleteSelectedEntryOnReboot},
        {IDM_MOVE_TO_DELAYED, MoveSelectedToDelayed},
    };
    d.locationText = [](const core::Item& item) {
      return startup::LocationLabel(item.type, item.disabled);
    };
    // The program the entry started, told apart by its command line from other copies of the
    // same file (the user's own console when the entry runs cmd.exe).
    d.programRunning = [](Page& page, std::size_t index) {
      return system::IsEntryProgramRunning(startup::EntryCommandLine(page.items().At(index)));
    };
    d.stopProgram = [](Page& page, HWND owner, std::size_t index) {
      const core::Item& item = page.items().At(index);
      system::StopEntryProgram(owner, startup::EntryCommandLine(item), item.title, false);
    };
    return d;
  }();
  return page;
}

}  // namespace obrivo::explorer
