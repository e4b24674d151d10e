// The cookie patrols.
#include "monitor/cookie_watch.h"

#include <windows.h>

#include "browser/cookies.h"
#include "browser/settings_guard.h"
#include "common/text_loader.h"
#include "icon_ids.h"
#include "monitor/alerts/alert_sound.h"
#include "monitor/alerts/message_alert.h"
#include "monitor/monitor.h"
#include "monitor/patrol.h"
#include "monitor/tray.h"

namespace obrivo::monitor {
namespace {

constexpr int kNewCookiesQuestionId = 16;
constexpr int kSniffingTipId = 826;

}  // namespace

void FilterCookies() {
  const int browserCode = browser::DetectDefaultBrowser();
  // The Mozilla file is rewritten beside the original; the step after this one puts it in place.
  browser::ScanCookies(core::CookieModeFor(browserCode), true, browserCode);
}

void ApplyWaitingCookieFile() {
  const int browserCode = browser::DetectDefaultBrowser();
  if (core::CookieModeFor(browserCode) != core::CookieMode::Mozilla) return;
  browser::ApplyMozillaCookieFileAndPurge(browserCode);
}

NewCookieHooks MonitorNewCookieHooks() {
  NewCookieHooks hooks;
  hooks.ask = [] {
    ShowTrayStatus(kSniffingTipId, IDI_TRAY_ALERT);
    if (!NewCookiePromptAllowed()) return false;
    PlayAlertSound(AlertSoundEvent::CookieAlert);
    return ShowMessageAlert(common::LoadText(kNewCookiesQuestionId)) == IDYES;
  };
  hooks.openCookieList = [] { LaunchExplorer("-COOKIES"); };
  return hooks;
}

bool CheckNewCookies(const NewCookieHooks& hooks) {
  const int browserCode = browser::DetectDefaultBrowser();
  if (!browser::FirstUnkeptCookie(core::CookieModeFor(browserCode), browserCode)) return false;
  if (hooks.ask && hooks.ask() && hooks.openCookieList) hooks.openCookieList();
  return true;
}

}  // namespace obrivo::monitor
