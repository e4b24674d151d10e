// The ActiveX page: the controls the browser has used (or, with the list-all box, every control of
// its compatibility list too), each Enabled or Disabled by its kill bit, with Enable and Disable.
#include "explorer/pages/page_registry.h"

#include <string>
#include <vector>

#include "browser/activex.h"
#include "browser/class_registry.h"
#include "common/app.h"
#include "common/first_detected.h"
#include "common/items.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "core/options.h"
#include "core/text.h"
#include "explorer/list_view.h"
#include "explorer/messages.h"
#include "explorer_ids.h"
#include "string_ids.h"

namespace obrivo::explorer {
namespace {

constexpr int kCommandColumn = 1, kCompanyColumn = 2, kStateColumn = 3, kDetectedColumn = 4,
              kClassColumn = 5;

// The two boxes: each shows an option of its own and refills the list when it changes.
struct ListingBox {
  int control;
  core::OptionId option;
  std::string_view name;
};
constexpr ListingBox kListAll{IDC_ACTIVEX_LIST_ALL, core::OptionId::ActiveXListAll,
                              "ActiveXListAll"};
constexpr ListingBox kNonMicrosoftOnly{IDC_HIDE_MICROSOFT, core::OptionId::HideMicrosoftActiveX,
                                       "HideMicrosoftActiveX"};

bool IsOn(const ListingBox& box) { return common::App().options.Get(box.option) > 0; }

void Fill(Page& page) {
  const bool hideMicrosoft = IsOn(kNonMicrosoftOnly);
  if (IsOn(kListAll))
    browser::EnumAllActiveX(hideMicrosoft);
  else
    browser::EnumUsedActiveX({false, hideMicrosoft});
  page.items() = common::Items();
  HWND list = page.list();
  for (std::size_t i = 0; i < page.items().Count(); ++i) {
    const core::Item& item = page.items().At(i);
    const bool ownIcon = core::FindNoCase(item.text, ".ico") != std::string::npos;
    const int row = page.AddRow(i, item.title, ownIcon ? item.text : item.path);
    const auto version = browser::CachedVersionInfo(item.path);
    SetCellText(list, row, kCommandColumn, core::FileNamePart(item.path));
    SetCellText(list, row, kCompanyColumn, version ? version->companyName : std::string());
    const bool killed = (static_cast<DWORD>(item.flag) & browser::kKillBit) != 0;
    SetCellText(list, row, kStateColumn,
                common::LoadText(killed ? IDS_ACTIVEX_DISABLED : IDS_ACTIVEX_ENABLED, 64));
    SetCellText(list, row, kDetectedColumn, common::LookupOrRecordFirstDetected(item.type, item.key));
    SetCellText(list, row, kClassColumn, item.key);
  }
}

void OnActivate(Page& page) {
  for (const ListingBox* box : {&kListAll, &kNonMicrosoftOnly})
    ::SendDlgItemMessageW(page.window(), box->control, BM_SETCHECK,
                          IsOn(*box) ? BST_CHECKED : BST_UNCHECKED, 0);
}

void BoxChanged(Page& page, const ListingBox& box) {
  const bool on =
      ::SendDlgItemMessageW(page.window(), box.control, BM_GETCHECK, 0, 0) == BST_CHECKED;
  common::App().options.Set(box.option, on ? 1 : 0);
  common::WriteOption(box.name, on ? 1 : 0);
  page.Fill();
}

// Disable asks about each control first; Enable does not. A write that fails is said, naming the
// control, and the refilled list shows the state each control is really in.
void SetKillBits(Page& page, bool disable) {
  const std::vector<std::size_t> chosen = page.SelectedItemsOrSay();
  if (chosen.empty()) return;
  // The list is refilled afterwards: act on copies.
  std::vector<core::Item> controls;
  for (std::size_t index : chosen) controls.push_back(page.items().At(index));
  for (const core::Item& control : controls) {
    if (disable &&
        !AskYesNo(page.window(), common::LoadText(IDS_DISABLE_ACTIVEX_QUESTION), MB_ICONEXCLAMATION))
      continue;
    const browser::KillBitWrite write =
        disable ? browser::DisableActiveX(control) : browser::EnableActiveX(control);
    if (!write.done)
      ShowMessageText(page.window(),
                      core::FormatText(common::LoadText(disable ? IDS_ACTIVEX_DISABLE_FAILED
                                                                : IDS_ACTIVEX_ENABLE_FAILED),
                                       control.title),
                      MB_ICONWARNING);
  }
  page.Fill();
}

}  // namespace

const PageDescription& ActiveXPage() {
  using E = core::RowMenuEntry;
  static const PageDescription page = [] {
    PageDescription d;
    d.code = 6056;
    d.dialogId = IDD_ACTIVEX_PAGE;
    d.columns = {{IDS_COLUMN_MODULE}, {IDS_COLUMN_COMMAND},        {IDS_COLUMN_COMPANY},
                 {IDS_COLUMN_TYPE},   {IDS_COLUMN_FIRST_DETECTED}, {IDS_CLSID}};
    d.menu = {E::Info,      E::ExploreFolder, E::Properties, E::ViewNote,
              E::Separator, E::Enable,        E::Disable};
    d.sortOption = "SortActiveX";
    d.bottomButtons = {IDC_INFO, IDC_ENABLE, IDC_DISABLE, IDC_CLOSE};
    d.monitor = MonitorPicture{"ActiveX", "RealtimeActiveX"};
    d.fill = Fill;
    d.activate = OnActivate;
    d.commands = {
        {IDC_ENABLE, [](Page& p) { SetKillBits(p, false); }},
        {IDC_DISABLE, [](Page& p) { SetKillBits(p, true); }},
        {IDC_ACTIVEX_LIST_ALL, [](Page& p) { BoxChanged(p, kListAll); }},
        {IDC_HIDE_MICROSOFT, [](Page& p) { BoxChanged(p, kNonMicrosoftOnly); }},
    };
    return d;
  }();
  return page;
}

}  // namespace obrivo::explorer
