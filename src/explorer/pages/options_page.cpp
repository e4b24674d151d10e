// The Options page: the settings of both programs and the entry points to the tools.
#include "explorer/pages/page_registry.h"

#include <string>

#include "common/app.h"
#include "common/options_store.h"
#include "common/settings_export.h"
#include "common/shell_integration.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/system.h"
#include "common/win32/wide.h"
#include "core/command_switches.h"
#include "core/item_list.h"
#include "core/text.h"
#include "explorer/delayed_page_actions.h"
#include "explorer/explorer_state.h"
#include "explorer/hide_alerts_dialog.h"
#include "explorer/hijack_log_writer.h"
#include "explorer/history_viewer.h"
#include "explorer/messages.h"
#include "explorer/reports.h"
#include "explorer_ids.h"
#include "files/sys_files.h"
#include "icon_ids.h"
#include "startup/monitor_registration.h"
#include "string_ids.h"

namespace obrivo::explorer {
namespace {

using core::OptionId;

constexpr int kIconHiddenMessageId = 927;
constexpr int kPlusThanksMessageId = 1151;
constexpr UINT kMonitorReplyMs = 5000;

// A check box that stands for one option of the write-back.
struct OptionCheck {
  int control;
  OptionId option;
};

constexpr OptionCheck kChecks[] = {
    {IDC_PLAY_SOUNDS, OptionId::Sound},
    {IDC_TRACK_HISTORY, OptionId::History},
    {IDC_HIDE_TRAY_ICON, OptionId::HideTavik},
    {IDC_LOCK_FILE_TYPES, OptionId::LockFileTypes},
    {IDC_CONFIRM_EXIT, OptionId::ConfirmExit},
    {IDC_PLUS_FORMAT, OptionId::PlusFormat},
    {IDC_EXPLORER_INTEGRATION, OptionId::ExplorerMenu},
};

bool Checked(const Page& page, int control) {
  return ::IsDlgButtonChecked(page.window(), control) == BST_CHECKED;
}

void Check(const Page& page, int control, bool on) {
  ::CheckDlgButton(page.window(), control, on ? BST_CHECKED : BST_UNCHECKED);
}

// The write-back starts from what the store holds now, not from the options loaded at start:
// the other pages and the dialogs write their options directly, and an old copy written back
// would undo them.
core::OptionSet& CurrentOptions() {
  core::OptionSet& options = common::App().options;
  common::LoadOptions(options);
  return options;
}

void WriteAllOptions() { common::WriteBackOptions(CurrentOptions()); }

// The running Monitor shows or hides its tray icon at once; the rest of the options reach it
// through the Update flag. A Monitor that does not answer must not hang the page.
void SwitchMonitorTrayIcon(bool hide) {
  const std::wstring monitorClass = win32::Wide(common::LoadText(IDS_MONITOR_CLASS, 32));
  HWND monitor = ::FindWindowW(monitorClass.c_str(), nullptr);
  if (!monitor) return;
  DWORD_PTR reply = 0;
  ::SendMessageTimeoutW(monitor, WM_COMMAND, core::cmd::kTrayIconSwitch, hide ? 1 : 0,
                        SMTO_ABORTIFHUNG, kMonitorReplyMs, &reply);
}

void OnOptionCheck(Page& page, const OptionCheck& check) {
  const bool on = Checked(page, check.control);
  core::OptionSet& options = CurrentOptions();
  options.Set(check.option, on ? 1 : 0);
  common::WriteBackOptions(options);
  switch (check.option) {
    case OptionId::HideTavik:
      SwitchMonitorTrayIcon(on);
      if (on) ShowMessage(page.window(), kIconHiddenMessageId);
      break;
    case OptionId::PlusFormat:
      if (on) ShowMessage(page.window(), kPlusThanksMessageId, MB_ICONEXCLAMATION);
      break;
    case OptionId::ExplorerMenu:
      common::SetExplorerMenu(on);
      break;
    default:
      break;
  }
}

// The box asks for a state rather than a toggle, so a registration changed meanwhile (from the
// tray menu) is not switched the wrong way; it then shows what the Run key really holds.
void OnAutoStart(Page& page) {
  startup::RegisterMonitorAtLogon(Checked(page, IDC_AUTO_START));
  Check(page, IDC_AUTO_START, startup::IsMonitorRegistered());
  WriteAllOptions();
}

// The tray icon's number is written only when it changes, which a click always does.
void OnOriginalTrayIcon(Page& page) {
  common::WriteOption("TrayIcon",
                      Checked(page, IDC_ORIGINAL_TRAY_ICON) ? IDI_TRAY_ORIGINAL : IDI_PROGRAM);
  WriteAllOptions();
}

// Notepad on the HOSTS file, working in its folder. A missing file, or a Notepad that cannot be
// started, is said.
void ViewHostsFile(Page& page) {
  const std::string hosts = common::HostsFilePath();
  if (!win32::IsExistingFile(hosts)) {
    Ask(page.window(), common::LoadText(IDS_VIEW_HOSTS_MISSING), MB_OK, MB_ICONINFORMATION);
    return;
  }
  if (const DWORD error =
          files::OpenInNotepad(page.window(), hosts, common::FolderOfProgram(hosts)))
    ShowMessageText(page.window(), win32::SystemErrorText(error), MB_ICONWARNING);
}

// Saves the settings into the user's documents folder (the program folder is not writable for
// a normal user once the product is installed) and says where they went, what the script could
// not hold, or why nothing was written.
void ExportSettingsToDocuments(Page& page) {
  const common::SettingsExport result = common::ExportSettings();
  if (!result.written) {
    ShowMessageText(page.window(),
                    core::FormatText(core::FormatText(common::LoadText(IDS_EXPORT_FAILED),
                                                      result.path),
                                     win32::SystemErrorText(result.error)),
                    MB_ICONWARNING);
    return;
  }
  std::string text = core::FormatText(common::LoadText(IDS_SETTINGS_EXPORTED), common::LongPathName(result.path));
  if (!result.leftOut.empty()) {
    std::string names;
    for (const std::string& name : result.leftOut) names += core::VisibleTitle(name) + "\n";
    text += core::FormatText(common::LoadText(IDS_EXPORT_LEFT_OUT), names);
  }
  ShowMessageText(page.window(), text);
}

void OnHideAlerts(Page& page) {
  ShowHideAlertsDialog(page.window());
  WriteAllOptions();
}

// Controls that apply to one family of Windows only. The restart-file row belongs to Windows 9x,
// where wininit.ini's commands are carried out; its picture sets that patrol like the others.
void ShowForThisSystem(Page& page) {
  const bool nt = common::App().ntFamily;
  for (int id : {IDC_RESTART_FILE_PICTURE, IDC_RESTART_FILE_TEXT})
    ::ShowWindow(::GetDlgItem(page.window(), id), nt ? SW_HIDE : SW_SHOW);
  ::ShowWindow(::GetDlgItem(page.window(), IDC_ORIGINAL_TRAY_ICON), nt ? SW_SHOW : SW_HIDE);
}

// Each time the page shows: the boxes as the store and the Run key have them now.
void ShowSettings(Page& page) {
  for (const OptionCheck& check : kChecks)
    Check(page, check.control, common::ReadOptionOrDefault(core::OptionName(check.option)) != 0);
  Check(page, IDC_ORIGINAL_TRAY_ICON, common::ReadOptionOrDefault("TrayIcon") == IDI_TRAY_ORIGINAL);
  Check(page, IDC_AUTO_START, startup::IsMonitorRegistered());
  ShowForThisSystem(page);
}

}  // namespace

const PageDescription& OptionsPage() {
  static const PageDescription page = [] {
    PageDescription d;
    d.code = 6033;
    d.dialogId = IDD_OPTIONS_PAGE;
    d.patrolPictures = {{IDC_START_PAGES_PICTURE, {"StartPage", "RealtimeStartPage"}},
                        {IDC_HOSTS_PICTURE, {"HostFile", "RealtimeSysFiles"}},
                        {IDC_RESTART_FILE_PICTURE, {"WinInit", ""}}};
    d.commands = {
        {IDC_OBRIVO_LOG, [](Page& p) { ProduceObrivoLog(p.window()); }},
        {IDC_SPREADSHEET_REPORT,
         [](Page& p) { ProduceReport(p.window(), ReportKind::Spreadsheet); }},
        {IDC_EXPORT_SETTINGS, ExportSettingsToDocuments},
        {IDC_VIEW_HISTORY, [](Page& p) { ShowHistoryViewer(::GetParent(p.window())); }},
        {IDC_RESTORE_ALL_DELAYED, RestoreEveryDelayed},
        {IDC_HIDE_ALERTS, OnHideAlerts},
        {IDC_VIEW_HOSTS, ViewHostsFile},
        {IDC_HIJACK_LOG, [](Page& p) { WriteHijackLog(p.window(), HijackLogNotice::SayAndOpen); }},
        {IDC_AUTO_START, OnAutoStart},
        {IDC_ORIGINAL_TRAY_ICON, OnOriginalTrayIcon},
    };
    for (const OptionCheck& check : kChecks)
      d.commands.push_back({check.control, [&check](Page& p) { OnOptionCheck(p, check); }});
    d.init = ShowSettings;
    d.activate = ShowSettings;
    return d;
  }();
  return page;
}

}  // namespace obrivo::explorer
