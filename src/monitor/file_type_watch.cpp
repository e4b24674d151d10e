// The Monitor's file-type check.
#include "monitor/file_type_watch.h"

#include <windows.h>

#include "common/app.h"
#include "common/text_loader.h"
#include "common/win32/wide.h"
#include "core/history_codes.h"
#include "core/text.h"
#include "icon_ids.h"
#include "monitor/alerts/alerts.h"
#include "monitor/monitor_state.h"
#include "monitor/patrol.h"
#include "monitor/tray.h"
#include "string_ids.h"

namespace obrivo::monitor {

file_types::FileTypeCheckHooks MonitorFileTypeHooks() {
  file_types::FileTypeCheckHooks hooks;
  hooks.locked = common::App().options.Get(core::OptionId::LockFileTypes) != 0;
  hooks.ask = [](const file_types::FileTypeChange& change) {
    MonitorState& s = State();
    s.alertPath = change.previousCommand;
    s.alertPath2 = change.newCommand;
    s.alertTitle = change.extension;
    s.alertType = core::item_type::kFileType;
    const int answer = AskAlert(AlertKind::FileType);
    // The alert clears its context when it closes; an answer given without one leaves it.
    s.alertPath.clear();
    s.alertPath2.clear();
    s.alertTitle.clear();
    return answer;
  };
  hooks.showAlertIcon = [] { ShowTrayStatus(IDS_FILE_TYPES_TIP, IDI_TRAY_ALERT); };
  // Nobody else would know: the changed association stays and is found again.
  hooks.restoreFailed = [](const file_types::FileTypeChange& change) {
    const std::string text =
        core::FormatText(common::LoadText(IDS_FILE_TYPE_RESTORE_FAILED), change.extension);
    ::MessageBoxExW(nullptr, win32::Wide(text).c_str(),
                    win32::Wide(common::LoadText(IDS_PROGRAM_TITLE, 128)).c_str(),
                    MB_OK | MB_ICONWARNING | MB_TOPMOST, common::App().languageId);
  };
  return hooks;
}

void PatrolFileTypes() {
  ReloadOptionsIfUpdated();
  if (common::App().options.Get(core::OptionId::FileType) < 1) return;
  file_types::VerifyFileTypes(MonitorFileTypeHooks());
}

}  // namespace obrivo::monitor
