// Hide Alerts: for each category whether its alert is shown, or hidden with the change always
// allowed or always prevented; "Show All Alerts" and the RunOnce pass-through.
#pragma once

#include <windows.h>

namespace obrivo::explorer {

// Modal over `owner`. Every click is stored at once; OK closes.
void ShowHideAlertsDialog(HWND owner);

}  // namespace obrivo::explorer
