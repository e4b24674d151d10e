// The Monitor's settings guard.
#include "monitor/settings_guard_watch.h"

#include <shellapi.h>

#include <string>
#include <utility>

#include "common/app.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/system.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"
#include "core/alert_rules.h"
#include "core/command_switches.h"
#include "core/text.h"
#include "icon_ids.h"
#include "monitor/alerts/message_alert.h"
#include "monitor/monitor_state.h"
#include "monitor/tray.h"
#include "string_ids.h"

namespace obrivo::monitor {
namespace {

using win32::Wide;

constexpr int kCheckingPagesTipId = 829;
constexpr int kExplorerMissingId = 795;
// Beyond this a page is cut in the alert; it is kept and compared whole.
constexpr std::size_t kShownPageChars = 512;

void Tell(std::string_view text) {
  ::MessageBoxExW(nullptr, Wide(text).c_str(), Wide(State().caption).c_str(),
                  MB_OK | MB_ICONWARNING | MB_TOPMOST, common::App().languageId);
}

std::string Shown(const std::string& page) {
  const std::string cut = core::TruncateChars(page, kShownPageChars + 1);
  return cut.size() < page.size() ? cut + "..." : page;
}

// The Explorer waits for nothing but the write, so waiting for it is short; messages are still
// handled meanwhile, since the Explorer may be telling the user why it could not write.
DWORD WaitPumping(HANDLE process) {
  for (;;) {
    const DWORD woken = ::MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT);
    if (woken != WAIT_OBJECT_0 + 1) break;
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  DWORD code = 0;
  if (!::GetExitCodeProcess(process, &code)) code = core::kMachineSettingFailed;
  return code;
}

ElevatedStart StartElevated(const std::wstring& program, const std::wstring& parameters) {
  const std::wstring folder = Wide(common::ProgramFolder());
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // The system's own error box would come before ours: the failure is told once, below.
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.hwnd = State().mainWindow;
  info.lpVerb = L"runas";
  info.lpFile = program.c_str();
  info.lpParameters = parameters.c_str();
  info.lpDirectory = folder.c_str();
  info.nShow = SW_HIDE;
  ElevatedStart result;
  if (!::ShellExecuteExW(&info)) {
    result.outcome = ::GetLastError() == ERROR_CANCELLED ? ElevatedStart::Outcome::Declined
                                                         : ElevatedStart::Outcome::NotStarted;
    return result;
  }
  if (!info.hProcess) return result;  // started through something we cannot wait for
  const win32::UniqueHandle process(info.hProcess);
  result.outcome = ElevatedStart::Outcome::Finished;
  result.exitCode = WaitPumping(process.get());
  return result;
}

ElevatedStarter& Starter() {
  static ElevatedStarter starter;
  return starter;
}

std::string_view SwitchFor(browser::MachineSetting setting) {
  switch (setting) {
    case browser::MachineSetting::AutoUpdate:
      return core::kAUOptionSwitch;
    case browser::MachineSetting::UrlPrefix:
      return core::kSetPrefixSwitch;
    case browser::MachineSetting::UserAccountControl:
      return core::kSetUacSwitch;
  }
  return core::kAUOptionSwitch;
}

}  // namespace

void SetElevatedStarterForTesting(ElevatedStarter starter) { Starter() = std::move(starter); }

bool WriteMachineSettingBack(browser::MachineSetting setting) {
  if (win32::GetOsVersion().major <= 5) {
    const browser::WriteBack result = browser::WriteBaselineBack(setting);
    if (result != browser::WriteBack::Written) Tell(browser::WriteBackMessage(setting, result));
    return result == browser::WriteBack::Written;
  }
  // Only this switch runs elevated; the Explorer's own start stays as invoked.
  const std::wstring program = Wide(common::ProgramFolder() + "\\ObrivoEx.exe");
  const std::wstring parameters = Wide(SwitchFor(setting));
  const AlertOpenScope busy;  // no patrol starts while the Explorer writes
  const ElevatedStart start =
      Starter() ? Starter()(program, parameters) : StartElevated(program, parameters);
  switch (start.outcome) {
    case ElevatedStart::Outcome::Finished:
      // Anything but success has been told by the Explorer itself.
      return start.exitCode == static_cast<DWORD>(core::kMachineSettingWritten);
    case ElevatedStart::Outcome::Declined:
      Tell(common::LoadText(IDS_GUARD_ELEVATION_DECLINED));
      return false;
    case ElevatedStart::Outcome::NotStarted:
      break;
  }
  Tell(common::LoadText(kExplorerMissingId));
  return false;
}

browser::SettingsGuardHooks MonitorSettingsGuardHooks() {
  browser::SettingsGuardHooks hooks;
  const core::OptionSet& options = common::App().options;
  hooks.automaticPageAnswer = core::HideOptionAnswer(options.Get(core::OptionId::HideHomePage),
                                                     options.Get(core::OptionId::ShowAlerts));
  hooks.showAlertIcon = [] {
    ShowTrayStatus(kCheckingPagesTipId, IDI_TRAY_ALERT);
    State().alertShown = true;
  };
  hooks.keepPage = [](const core::GuardedPage& page, const std::string& live,
                      const std::string& baseline) {
    const std::string text =
        core::FormatAlert(common::LoadText(page.alertTextId), Shown(live), Shown(baseline));
    return ShowMessageAlert(text) == IDYES;  // No, Esc or the close box restores
  };
  hooks.pageRestoreFailed = [](const core::GuardedPage&, const std::string& baseline) {
    Tell(core::FormatText(common::LoadText(IDS_GUARD_PAGE_RESTORE_FAILED), Shown(baseline)));
  };
  hooks.restoreMachine = [](const browser::MachineAlert& alert) {
    const std::string caption = State().caption + " - " + common::LoadText(alert.captionId);
    const std::string text =
        core::FormatAlert(common::LoadText(alert.textId), Shown(alert.before), Shown(alert.after));
    return ShowMessageAlert(text, caption, alert.stopIcon ? MB_ICONSTOP : MB_ICONEXCLAMATION) ==
           IDYES;
  };
  hooks.writeBack = WriteMachineSettingBack;
  return hooks;
}

void PatrolHomePages() { browser::VerifyHomePages(MonitorSettingsGuardHooks()); }

void PatrolSystemSettings() { browser::VerifySystemSettings(MonitorSettingsGuardHooks()); }

}  // namespace obrivo::monitor
