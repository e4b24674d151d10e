// The Services page: the installed Windows services, their state and start type.
#include "explorer/pages/page_registry.h"

#include "common/app.h"
#include "common/first_detected.h"
#include "common/items.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/wide.h"
#include "core/history_codes.h"
#include "core/options.h"
#include "core/text.h"
#include "explorer/list_view.h"
#include "explorer/sheet.h"
#include "explorer_ids.h"
#include "string_ids.h"
#include "system/service_control.h"
#include "system/services.h"

namespace obrivo::explorer {
namespace {

constexpr int kCommandColumn = 1, kCompanyColumn = 2, kStatusColumn = 3, kStartupColumn = 4,
              kDetectedColumn = 5;

bool HideMicrosoft() {
  return common::App().options.Get(core::OptionId::HideMicrosoftServices) > 0;
}

std::string FirstDetected(const std::string& path) {
  const int type = core::item_type::kServiceExe;
  std::string date = common::LookupFirstDetected(type, path);
  if (date.empty()) {
    common::RecordFirstDetected(common::kDetectedServices, path);
    date = common::LookupFirstDetected(type, path);
  }
  return date;
}

// The file name as the service's command spells it (the resolved program path is upper case).
std::string FileNameAsWritten(const std::string& path, const std::string& file) {
  const std::string name = core::FileNamePart(file);
  const std::string upper = core::ToUpper(path);
  // Upper case may take more or fewer bytes for some letters: then no place maps back.
  const std::size_t at = upper.size() == path.size() ? upper.find(core::ToUpper(name))
                                                     : std::string::npos;
  if (name.empty() || at == std::string::npos) return name;
  return path.substr(at, name.size());
}

// What the listing could not read, in the sheet's status line; empty when it read everything.
std::string& ReadingStatus() {
  static std::string text;
  return text;
}

void ShowReadingStatus() {
  if (HWND bar = SheetStatusBar())
    ::SendMessageW(bar, SB_SETTEXTW, 0,
                   reinterpret_cast<LPARAM>(win32::Wide(ReadingStatus()).c_str()));
}

void Fill(Page& page) {
  system::ServicesReadStatus status;
  system::EnumServices(HideMicrosoft(), &status);
  ReadingStatus() =
      !status.databaseRead ? common::LoadText(IDS_SERVICES_UNREADABLE)
      : status.unreadableKeys > 0
          ? core::FormatText(common::LoadText(IDS_SERVICES_PARTIAL),
                             std::to_string(status.unreadableKeys))
          : std::string();
  ShowReadingStatus();
  const core::ItemList& found = common::Items();
  for (std::size_t i = 0; i < found.Count(); ++i) {
    const core::Item& item = found.At(i);
    if (!page.items().AddRaw(item)) break;
    const std::size_t index = page.items().Count() - 1;
    const std::string file = common::CommandToProgramPath(item.path);
    const int row = page.AddRow(index, item.title, file);
    HWND list = page.list();
    const std::string host = item.type == core::item_type::kServiceSvchost ? "svchost.exe " : "";
    SetCellText(list, row, kCommandColumn, host + FileNameAsWritten(item.path, file));
    const auto version = common::ReadVersionInfo(file);
    SetCellText(list, row, kCompanyColumn,
                version && !version->companyName.empty() ? version->companyName : " ");
    // Only a service the control manager can be asked about has a state.
    const auto state = system::QueryServiceState(item.name, system::NameKind::Key);
    SetCellText(list, row, kStatusColumn, state ? system::RunStateText(state) : " ");
    SetCellText(list, row, kStartupColumn, item.key);
    SetCellText(list, row, kDetectedColumn, FirstDetected(system::ServiceFileOfPath(item.path)));
  }
}

void OnActivate(Page& page) {
  ShowReadingStatus();
  ::SendDlgItemMessageW(page.window(), IDC_HIDE_MICROSOFT, BM_SETCHECK,
                        HideMicrosoft() ? BST_CHECKED : BST_UNCHECKED, 0);
}

void HideMicrosoftChanged(Page& page) {
  const bool hide =
      ::SendDlgItemMessageW(page.window(), IDC_HIDE_MICROSOFT, BM_GETCHECK, 0, 0) == BST_CHECKED;
  common::App().options.Set(core::OptionId::HideMicrosoftServices, hide ? 1 : 0);
  common::WriteOption("HideMicrosoftServices", hide ? 1 : 0);
  page.Fill();
}

}  // namespace

const PageDescription& ServicesPage() {
  using E = core::RowMenuEntry;
  static const PageDescription page = [] {
    PageDescription d;
    d.code = 6038;
    d.dialogId = IDD_SERVICES_PAGE;
    d.columns = {{IDS_COLUMN_TITLE},
                 {IDS_COLUMN_COMMAND},
                 {IDS_COLUMN_COMPANY},
                 {IDS_COLUMN_STATUS},
                 {651},
                 {IDS_COLUMN_FIRST_DETECTED}};
    d.menu = {E::Info, E::ExploreFolder, E::Properties, E::ViewNote};
    d.sortOption = "SortService";
    d.bottomButtons = {IDC_INFO, IDC_CLOSE};
    d.monitor = MonitorPicture{"Services", "RealtimeServices"};
    d.fill = Fill;
    d.activate = OnActivate;
    d.commands = {{IDC_HIDE_MICROSOFT, HideMicrosoftChanged}};
    return d;
  }();
  return page;
}

}  // namespace obrivo::explorer
