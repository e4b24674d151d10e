// The Monitor's add-on check.
#include "monitor/ie_helper_watch.h"

#include <windows.h>

#include "common/app.h"
#include "common/text_loader.h"
#include "common/win32/wide.h"
#include "core/text.h"
#include "icon_ids.h"
#include "monitor/startup_watch.h"
#include "monitor/tray.h"
#include "string_ids.h"
#include "system/processes.h"

namespace obrivo::monitor {

browser::IEHelperCheckHooks MonitorIEHelperHooks() {
  browser::IEHelperCheckHooks hooks;
  hooks.ask = [](const core::Item& item) { return AskAboutItem(AlertKind::IeHelper, item); };
  hooks.showAlertIcon = [] { ShowTrayStatus(IDS_VERIFYING_IE_HELPERS_TIP, IDI_TRAY_ALERT); };
  // The path is a file, not a command: quoted, a space in it cannot split it into arguments.
  hooks.stopProgram = [](const core::Item& item) {
    system::StopEntryProgram(nullptr, "\"" + item.path + "\"", item.title, false);
  };
  // Nobody else would know: the add-on stays registered, and is asked about again.
  hooks.removalFailed = [](const core::Item& item, const browser::IEHelperRemoval&) {
    const std::string text =
        core::FormatText(common::LoadText(IDS_IE_HELPER_REMOVE_FAILED), item.title);
    ::MessageBoxExW(nullptr, win32::Wide(text).c_str(),
                    win32::Wide(common::LoadText(IDS_PROGRAM_TITLE, 128)).c_str(),
                    MB_OK | MB_ICONWARNING | MB_TOPMOST, common::App().languageId);
  };
  return hooks;
}

void PatrolIEHelpers() { browser::VerifyIEHelpers(MonitorIEHelperHooks()); }

}  // namespace obrivo::monitor
