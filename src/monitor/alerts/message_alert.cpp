// The message-box alerts.
#include "monitor/alerts/message_alert.h"

#include <windows.h>

#include "common/app.h"
#include "common/win32/wide.h"
#include "monitor/monitor_state.h"

namespace obrivo::monitor {

int ShowMessageAlert(std::string_view text) {
  return ShowMessageAlert(text, State().caption, MB_ICONEXCLAMATION);
}

int ShowMessageAlert(std::string_view text, std::string_view caption, UINT icon) {
  const AlertOpenScope open;
  return ::MessageBoxExW(nullptr, win32::Wide(text).c_str(), win32::Wide(caption).c_str(),
                         MB_YESNO | icon | MB_TOPMOST, common::App().languageId);
}

}  // namespace obrivo::monitor
