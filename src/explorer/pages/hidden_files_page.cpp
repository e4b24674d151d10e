// The Hidden Files page: files marked hidden in the folders Windows itself uses, with Unhide,
// Delete (through the vault, so the history can undo it), Delete File on Reboot and Notepad.
#include "explorer/pages/page_registry.h"

#include <string>

#include "common/first_detected.h"
#include "common/items.h"
#include "common/text_loader.h"
#include "common/win32/files.h"
#include "common/win32/system.h"
#include "common/win32/wide.h"
#include "core/history_codes.h"
#include "core/text.h"
#include "explorer/list_view.h"
#include "explorer/messages.h"
#include "explorer/startup_page_actions.h"
#include "explorer_ids.h"
#include "files/hidden_files.h"
#include "files/hidden_vault.h"
#include "menu_ids.h"
#include "string_ids.h"

namespace obrivo::explorer {
namespace {

constexpr int kDeleteQuestionId = 926;
constexpr int kFileInUseId = 923;

std::string FolderPart(std::string_view path) {
  const std::size_t slash = path.find_last_of('\\');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

void Fill(Page& page) {
  files::EnumHiddenFiles();
  page.items() = common::Items();
  const std::string inUse = common::LoadText(kFileInUseId, 64);
  for (std::size_t i = 0; i < page.items().Count(); ++i) {
    const core::Item& item = page.items().At(i);
    const int row = page.AddRow(i, core::FileNamePart(item.path), item.path);
    SetCellText(page.list(), row, 1, FolderPart(item.path));
    SetCellText(page.list(), row, 2,
                common::LookupOrRecordFirstDetected(core::item_type::kHiddenFile, item.path));
    SetCellText(page.list(), row, 3, files::LastWrittenText(item.path).value_or(inUse));
    SetCellText(page.list(), row, 4, item.flag == 0 ? "SYSTEM" : "");
  }
}

// The selected file, or nothing after saying that a row must be chosen first.
const core::Item* SelectedFile(Page& page) {
  const int index = page.SelectedItem();
  if (index < 0) {
    ShowNoSelection(page.window());
    return nullptr;
  }
  return &page.items().At(static_cast<std::size_t>(index));
}

void SayAboutFile(Page& page, int textId, const std::string& path, DWORD error) {
  std::string text = core::FormatText(common::LoadText(textId), path);
  if (error != 0) text += win32::SystemErrorText(error);
  ShowMessageText(page.window(), text, MB_ICONWARNING);
}

void UnhideSelected(Page& page) {
  const core::Item* item = SelectedFile(page);
  if (!item) return;
  if (!files::UnhideFile(item->path)) {
    const DWORD error = ::GetLastError();
    SayAboutFile(page, win32::FileAttributes(item->path) ? IDS_HIDDEN_UNHIDE_FAILED : IDS_HIDDEN_GONE,
                 item->path, error);
  }
  page.Fill();
}

void DeleteSelected(Page& page) {
  const core::Item* selected = SelectedFile(page);
  if (!selected) return;
  const core::Item item = *selected;
  if (!AskYesNo(page.window(), common::LoadText(kDeleteQuestionId))) return;
  using D = files::HiddenDeletion;
  const files::HiddenDeletionResult result = files::DeleteHiddenFile(item.path, item.title);
  if (result.outcome == D::NotKept) SayAboutFile(page, IDS_HIDDEN_NOT_KEPT, item.path, result.error);
  if (result.outcome == D::Failed)
    SayAboutFile(page, IDS_HIDDEN_DELETE_FAILED, item.path, result.error);
  if (result.outcome == D::Gone) SayAboutFile(page, IDS_HIDDEN_GONE, item.path, 0);
  page.Fill();
}

void ScheduleSelectedDeletion(Page& page) {
  DeleteSelectedFileOnReboot(page, [](const core::Item& item) {
    return startup::DeleteFileAtPathOnReboot(item.path);
  });
  page.Fill();
}

void ViewSelectedInNotepad(Page& page) {
  const core::Item* item = SelectedFile(page);
  if (!item) return;
  std::wstring command = L"notepad.exe \"" + win32::Wide(item->path) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    SayAboutFile(page, IDS_HIDDEN_NOTEPAD_FAILED, item->path, ::GetLastError());
    return;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
}

}  // namespace

const PageDescription& HiddenFilesPage() {
  using E = core::RowMenuEntry;
  static const PageDescription page = [] {
    PageDescription d;
    d.code = 6052;
    d.dialogId = IDD_HIDDEN_FILES_PAGE;
    d.columns = {{IDS_COLUMN_MODULE}, {776}, {IDS_COLUMN_FIRST_DETECTED}, {914}, {IDS_COLUMN_TYPE}};
    d.menu = {E::Info,    E::ExploreFolder, E::Properties,     E::ViewNote,
              E::Refresh, E::Delete,        E::DeleteOnReboot, E::ViewNotepad};
    d.sortOption = "SortHidden";
    d.bottomButtons = {IDC_INFO, IDC_REFRESH, IDC_UNHIDE, IDC_CLOSE};
    d.monitor = MonitorPicture{"Hidden", "RealtimeHidden"};
    d.fill = Fill;
    d.commands = {
        {IDC_REFRESH, [](Page& p) { p.Fill(); }},
        {IDC_UNHIDE, UnhideSelected},
        {IDM_DELETE, DeleteSelected},
        {IDM_DELETE_ON_REBOOT, ScheduleSelectedDeletion},
        {IDM_VIEW_NOTEPAD, ViewSelectedInNotepad},
    };
    return d;
  }();
  return page;
}

}  // namespace obrivo::explorer
