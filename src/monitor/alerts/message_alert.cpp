// The message-box alerts.
#include "monitor/alerts/message_alert.h"

#include <windows.h>

#include "common/app.h"
#include "common/win32/wide.h"
#include "monitor/monitor_state.h"

namespace obrivo::monitor {

int ShowMessageAlert(std::string_view text) {
  const AlertOpenScope open;
  return ::MessageBoxExW(nullptr, win32::Wide(text).c_str(), win32::Wide(State().caption).c_str(),
                         MB_YESNO | MB_ICONEXCLAMATION | MB_TOPMOST, common::App().languageId);
}

}  // namespace obrivo::monitor
