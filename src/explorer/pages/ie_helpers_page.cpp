// The IE Helpers page: browser helper objects, toolbars and extensions, with Remove (which
// deletes the add-on's registrations, never its file) and Delete File on Reboot.
#include "explorer/pages/page_registry.h"

#include <map>
#include <optional>
#include <string>

#include "browser/ie_helpers.h"
#include "common/first_detected.h"
#include "common/items.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/wide.h"
#include "core/history_codes.h"
#include "core/text.h"
#include "explorer/list_view.h"
#include "explorer/messages.h"
#include "explorer/sheet.h"
#include "explorer/startup_page_actions.h"
#include "explorer_ids.h"
#include "menu_ids.h"
#include "string_ids.h"

namespace obrivo::explorer {
namespace {

namespace T = core::item_type;

std::string_view TypeColumn(int type) {
  switch (type) {
    case T::kBrowserHelper:
      return "BHO";
    case T::kToolbar:
      return "TOOLBAR";
    case T::kBrowserExtension:
      return "EXTENSION";
    default:
      return {};
  }
}

void Fill(Page& page) {
  browser::EnumIEHelpers();
  page.items() = common::Items();
  std::map<std::string, std::optional<common::VersionInfo>> versions;
  for (std::size_t i = 0; i < page.items().Count(); ++i) {
    const core::Item& item = page.items().At(i);
    // Toolbars and extensions may name an icon file of their own.
    const bool ownIcon = core::FindNoCase(item.text, ".ico") != std::string::npos;
    const int row = page.AddRow(i, item.title, ownIcon ? item.text : item.path);
    const std::string program =
        item.type == T::kBrowserExtension ? common::CommandToProgramPath(item.path) : item.path;
    auto known = versions.find(program);
    if (known == versions.end())
      known = versions.emplace(program, program.empty() ? std::nullopt
                                                        : common::ReadVersionInfo(program))
                  .first;
    SetCellText(page.list(), row, 1, core::FileNamePart(item.path));
    SetCellText(page.list(), row, 2, known->second ? known->second->companyName : std::string());
    SetCellText(page.list(), row, 3, TypeColumn(item.type));
    SetCellText(page.list(), row, 4, common::LookupOrRecordFirstDetected(item.type, item.path));
  }
}

// The status line names the registration of the selected add-on.
void OnSelectionChanged(Page& page) {
  const int index = page.SelectedItem();
  std::string status;
  if (index >= 0) {
    const core::Item& item = page.items().At(static_cast<std::size_t>(index));
    status = common::LoadText(IDS_LOCATION, 64) + ": " +
             browser::IEHelperLocation(item.type, item.key);
  }
  if (HWND bar = SheetStatusBar())
    ::SendMessageW(bar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(win32::Wide(status).c_str()));
}

void RemoveSelected(Page& page) {
  const int index = page.SelectedItem();
  if (index < 0) {
    ShowNoSelection(page.window());
    return;
  }
  const core::Item item = page.items().At(static_cast<std::size_t>(index));
  if (!AskYesNo(page.window(),
                core::FormatText(common::LoadText(IDS_REMOVE_IE_HELPER_QUESTION), item.title),
                MB_ICONEXCLAMATION))
    return;
  if (!browser::RemoveIEHelper(item).removed)
    ShowMessageText(page.window(),
                    core::FormatText(common::LoadText(IDS_IE_HELPER_REMOVE_FAILED), item.title),
                    MB_ICONWARNING);
  page.Fill();
}

}  // namespace

const PageDescription& IEHelpersPage() {
  using E = core::RowMenuEntry;
  static const PageDescription page = [] {
    PageDescription d;
    d.code = 6040;
    d.dialogId = IDD_IE_HELPERS_PAGE;
    d.columns = {{IDS_COLUMN_NAME},
                 {IDS_COLUMN_PROGRAM},
                 {IDS_COLUMN_COMPANY},
                 {IDS_COLUMN_TYPE},
                 {IDS_COLUMN_FIRST_DETECTED}};
    d.menu = {E::Info,      E::ExploreFolder, E::Properties,    E::ViewNote,
              E::Separator, E::Remove,        E::DeleteOnReboot};
    d.sortOption = "SortIEHelper";
    d.bottomButtons = {IDC_INFO, IDC_REMOVE, IDC_CLOSE};
    d.monitor = MonitorPicture{"IEHelpers", "RealtimeIEHelper"};
    d.fill = Fill;
    d.selectionChanged = OnSelectionChanged;
    d.commands = {
        {IDC_REMOVE, RemoveSelected},
        // The file the add-on loads; an extension's command is resolved to its program.
        {IDM_DELETE_ON_REBOOT, DeleteSelectedEntryOnReboot},
    };
    d.locationText = [](const core::Item& item) {
      return browser::IEHelperLocation(item.type, item.key);
    };
    return d;
  }();
  return page;
}

}  // namespace obrivo::explorer
