// How an alert is answered.
#include "alert_rules.h"

#include "text.h"

namespace obrivo::core {

int HideOptionAnswer(int hideOption, int showAlerts) {
  if (showAlerts != 0 || hideOption == 0) return 0;
  return hideOption == 1 ? kAlertYes : kAlertNo;
}

void NoteStartupAlert(int& repeatCount, std::string& lastAlertPath, std::string_view path) {
  // Only alerts in a row count: another command in between starts the count again, or the
  // second alert of every later command would already end as a repeat.
  if (!path.empty() && EqualsNoCase(path, lastAlertPath))
    ++repeatCount;
  else
    repeatCount = 0;
  lastAlertPath = std::string(path);
}

StartupAnswer StartupAlertAnswer(bool yes, int repeatCount, int itemType) {
  StartupAnswer a;
  // The third alert in a row for one command: the program keeps putting itself back, so it is
  // disabled whichever button was pressed.
  if (repeatCount >= 2) {
    a.result = kAlertDisable;
    a.repeated = true;
    a.suppress = !yes;
    return a;
  }
  if (yes) return a;
  // A Winlogon notification package cannot be removed, only disabled.
  a.result = itemType == 256 ? kAlertDisable : kAlertNo;
  return a;
}

int StartupLocationSentenceId(int itemType) {
  // The run-once locations of the machine, the user and the 32-bit view.
  constexpr int kRunOnce[] = {2, 3, 5, 6, 12, 13, 15, 16, 22, 23, 25, 26};
  for (int t : kRunOnce)
    if (t == itemType) return 766;
  if (itemType == 100 || itemType == 101) return 767;  // WIN.INI
  if (itemType == 200) return 768;                     // the Startup folder
  return 765;
}

std::string_view StartupLocationLabel(int itemType) {
  struct Label {
    int type;
    std::string_view text;
  };
  constexpr Label kLabels[] = {{250, "WinLogon:UserInit"},
                               {251, "WinLogon:Shell"},
                               {252, "ObjectDelayLoad"},
                               {253, "SharedTaskScheduler"},
                               {255, "AppInit_DLLs"}};
  for (const Label& l : kLabels)
    if (l.type == itemType) return l.text;
  return {};
}

}  // namespace obrivo::core
