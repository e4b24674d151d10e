// The Monitor's hidden-files check.
#include "monitor/hidden_watch.h"

#include <windows.h>

#include "common/app.h"
#include "common/text_loader.h"
#include "common/win32/system.h"
#include "common/win32/wide.h"
#include "core/text.h"
#include "icon_ids.h"
#include "monitor/startup_watch.h"
#include "monitor/tray.h"
#include "string_ids.h"

namespace obrivo::monitor {

files::HiddenCheckHooks MonitorHiddenHooks() {
  files::HiddenCheckHooks hooks;
  hooks.ask = [](const core::Item& item) { return AskAboutItem(AlertKind::Hidden, item); };
  hooks.showAlertIcon = [] { ShowTrayStatus(IDS_PATROL_TIP, IDI_TRAY_ALERT); };
  // Nobody else would know: the file is still there, and is asked about again.
  hooks.deletionFailed = [](const core::Item& item, const files::HiddenDeletionResult& result) {
    const int textId = result.outcome == files::HiddenDeletion::NotKept ? IDS_HIDDEN_NOT_KEPT
                                                                         : IDS_HIDDEN_DELETE_FAILED;
    const std::string text = core::FormatText(common::LoadText(textId), item.path) +
                             win32::SystemErrorText(result.error);
    ::MessageBoxExW(nullptr, win32::Wide(text).c_str(),
                    win32::Wide(common::LoadText(IDS_PROGRAM_TITLE, 128)).c_str(),
                    MB_OK | MB_ICONWARNING | MB_TOPMOST, common::App().languageId);
  };
  return hooks;
}

void VerifyHiddenFiles() { files::VerifyHiddenFiles(MonitorHiddenHooks()); }

}  // namespace obrivo::monitor
