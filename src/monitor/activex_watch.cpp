// The Monitor's ActiveX check.
#include "monitor/activex_watch.h"

#include <windows.h>

#include "common/app.h"
#include "common/text_loader.h"
#include "common/win32/wide.h"
#include "core/text.h"
#include "icon_ids.h"
#include "monitor/startup_watch.h"
#include "monitor/tray.h"
#include "string_ids.h"

namespace obrivo::monitor {

browser::ActiveXCheckHooks MonitorActiveXHooks() {
  browser::ActiveXCheckHooks hooks;
  hooks.ask = [](const core::Item& item) { return AskAboutItem(AlertKind::ActiveX, item); };
  hooks.showAlertIcon = [] { ShowTrayStatus(IDS_VERIFYING_IE_HELPERS_TIP, IDI_TRAY_ALERT); };
  // The user said No and the control stays enabled: nobody else would know.
  hooks.disableFailed = [](const core::Item& item, const browser::KillBitWrite&) {
    const std::string text =
        core::FormatText(common::LoadText(IDS_ACTIVEX_DISABLE_FAILED), item.title);
    ::MessageBoxExW(nullptr, win32::Wide(text).c_str(),
                    win32::Wide(common::LoadText(IDS_PROGRAM_TITLE, 128)).c_str(),
                    MB_OK | MB_ICONWARNING | MB_TOPMOST, common::App().languageId);
  };
  return hooks;
}

void PatrolActiveX() { browser::VerifyActiveX(MonitorActiveXHooks()); }

}  // namespace obrivo::monitor
