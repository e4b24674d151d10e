// The Startup Programs page's actions.
#include "explorer/startup_page_actions.h"

#include <commdlg.h>

#include <vector>

#include "common/store.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/system.h"
#include "common/win32/wide.h"
#include "core/startup_codes.h"
#include "core/text.h"
#include "explorer/advanced_warning.h"
#include "explorer/messages.h"
#include "startup/delete_on_reboot.h"
#include "startup/startup_actions.h"
#include "string_ids.h"
#include "system/processes.h"

namespace obrivo::explorer {
namespace {

constexpr int kDeleteOnRebootFailedId = 3801;
constexpr int kChooserTitleId = 902;
constexpr int kSwitchFailedId = 3802;
constexpr int kChooserFilterId = 903;
constexpr char kUserRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr std::string_view kPlusTitle = "Obrivo PLUS";

// The selected items, or nothing after telling the user that a row must be chosen.
std::vector<core::Item> Selection(Page& page) {
  std::vector<core::Item> items;
  for (std::size_t index : page.SelectedItemsOrSay()) items.push_back(page.items().At(index));
  return items;
}

void StopProgram(Page& page, const core::Item& item, bool ask) {
  system::StopEntryProgram(page.window(), startup::EntryCommandLine(item), item.title, ask);
}

}  // namespace

// Switches the entry to `disabled` unless it is so already; a change that could not be made is
// said, not passed over.
void SwitchEntry(Page& page, const core::Item& item, bool disabled) {
  if (startup::IsStartupEntryDisabled(item) == disabled) return;
  if (!startup::ToggleStartupEntry(core::EntryName(item), item.path, item.key, item.type))
    ShowMessageText(page.window(), core::FormatText(common::LoadText(kSwitchFailedId), item.title),
                    MB_ICONWARNING);
}

void EnableSelectedEntries(Page& page) {
  const std::vector<core::Item> items = Selection(page);
  if (items.empty()) return;
  for (const core::Item& item : items) SwitchEntry(page, item, false);
  page.Fill();
}

void DisableSelectedEntries(Page& page) {
  const std::vector<core::Item> items = Selection(page);
  if (items.empty()) return;
  for (const core::Item& item : items) {
    StopProgram(page, item, items.size() == 1);
    SwitchEntry(page, item, true);
  }
  page.Fill();
}

void RemoveSelectedEntries(Page& page) {
  const std::vector<core::Item> items = Selection(page);
  if (items.empty()) return;
  const bool one = items.size() == 1;
  for (const core::Item& item : items) {
    // The product's own entry is listed under its display title but registered as "Obrivo".
    const std::string name =
        core::ContainsNoCase(core::EntryName(item), kPlusTitle) ? "Obrivo" : core::EntryName(item);
    if (item.type >= core::kWinlogonUserinit) {
      startup::RemoveAdvancedStartupEntry(item.type, name, item.path, item.key,
                                          AdvancedWarningConfirm(page.window()));
      continue;
    }
    StopProgram(page, item, one);
    if (one && !AskYesNo(page.window(),
                         core::FormatText(common::LoadText(IDS_REMOVE_STARTUP_QUESTION), item.path),
                         MB_ICONEXCLAMATION))
      continue;
    if (!startup::RemoveStartupEntry(name, item.path, item.key, item.type, {}))
      ShowMessageText(page.window(),
                      core::FormatText(common::LoadText(IDS_STARTUP_REMOVE_FAILED), item.title),
                      MB_ICONWARNING);
  }
  page.Fill();
}

void DeleteSelectedEntryOnReboot(Page& page) {
  DeleteSelectedFileOnReboot(page, [](const core::Item& item) {
    return startup::DeleteEntryProgramOnReboot(item.path, item.flag == 1);
  });
}

void DeleteSelectedFileOnReboot(
    Page& page, const std::function<startup::RebootDeletion(const core::Item&)>& schedule) {
  const int index = page.SelectedItem();
  if (index < 0) {
    ShowNoSelection(page.window());
    return;
  }
  const core::Item item = page.items().At(static_cast<std::size_t>(index));
  if (!AskYesNo(page.window(), common::LoadText(IDS_DELETE_ON_REBOOT_QUESTION))) return;
  const startup::RebootDeletion deletion = schedule(item);
  if (deletion.error == 0) return;
  ShowMessageText(page.window(),
                  core::FormatText(common::LoadText(kDeleteOnRebootFailedId), deletion.file) +
                      win32::SystemErrorText(deletion.error),
                  MB_ICONERROR);
}

std::string AddStartupProgram(std::string_view path) {
  if (core::CharCount(path) <= 4) return {};
  std::string title;
  if (const auto version = common::ReadVersionInfo(path))
    title = !version->fileDescription.empty() ? version->fileDescription : version->productName;
  if (title.empty()) {
    const std::string file = core::FileNamePart(path);
    const std::size_t dot = file.rfind('.');
    title = dot == std::string::npos ? file : file.substr(0, dot);
  }
  // A path with spaces is quoted: unquoted, Windows would try C:\Program.exe first.
  const std::string command = path.find(' ') != std::string_view::npos
                                  ? "\"" + std::string(path) + "\""
                                  : std::string(path);
  if (!common::WriteStoreString(HKEY_CURRENT_USER, kUserRunKey, title, command)) return {};
  common::WriteStoreString(HKEY_CURRENT_USER, common::ProductSubkey("Run"),
                           core::ValueNameForm(path), "1");
  return title;
}

std::string ChooseProgramFile(HWND owner) {
  // The filter's parts are separated by "%" in the string table, with spaces around them that
  // would otherwise become part of the patterns.
  std::wstring filter;
  for (const std::string& part : core::SplitTrimmed(common::LoadText(kChooserFilterId), '%')) {
    filter += win32::Wide(part);
    filter.push_back(L'\0');
  }
  filter.push_back(L'\0');
  const std::wstring title = win32::Wide(common::LoadText(kChooserTitleId));
  std::vector<wchar_t> file(32768, L'\0');
  OPENFILENAMEW chooser{};
  chooser.lStructSize = sizeof chooser;
  chooser.hwndOwner = owner;
  chooser.lpstrFilter = filter.c_str();
  chooser.lpstrFile = file.data();
  chooser.nMaxFile = static_cast<DWORD>(file.size());
  chooser.lpstrInitialDir = L"C:\\Program Files";
  chooser.lpstrTitle = title.c_str();
  chooser.Flags =
      OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER | OFN_LONGNAMES;
  if (!::GetOpenFileNameW(&chooser)) return {};
  return win32::Narrow(file.data());
}

void AddStartupProgramFromChooser(Page& page) {
  const std::string path = ChooseProgramFile(page.window());
  if (!path.empty() && !AddStartupProgram(path).empty()) page.Fill();
}

}  // namespace obrivo::explorer
