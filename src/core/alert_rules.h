// How an alert is answered: the hide options' automatic answers, the new-program alert's repeat
// rule and the texts it chooses by startup location.
#pragma once

#include <string>
#include <string_view>

namespace obrivo::core {

// What an alert returns to the check that raised it.
inline constexpr int kAlertYes = 6;
inline constexpr int kAlertNo = 7;
inline constexpr int kAlertDisable = 11;  // the same command alerted three times in a row

// 0 = show the alert (ask); kAlertYes or kAlertNo = answered without a window. A hide option
// of 1 accepts, any other non-zero value rejects; a non-zero ShowAlerts always asks.
int HideOptionAnswer(int hideOption, int showAlerts);

// Called when the new-program alert opens for `path`: counts a repeat of the previous command
// (compared case-insensitively), starts again at 0 for another one, and remembers the command.
// `repeatCount` counts the earlier alerts in a row for the same command.
void NoteStartupAlert(int& repeatCount, std::string& lastAlertPath, std::string_view path);

struct StartupAnswer {
  int result = kAlertYes;
  bool repeated = false;  // the repeat rule applied: reset the state, open the help page
  bool suppress = false;  // hold the following alerts back (No on a repeated command)
};

// The new-program alert's result for Yes (the close box counts as Yes) or No, given the repeat
// count at that moment and the item's type code.
StartupAnswer StartupAlertAnswer(bool yes, int repeatCount, int itemType);

// The sentence the new-program alert's message names the location with (a string id).
int StartupLocationSentenceId(int itemType);

// The label shown instead of the product name for the special startup locations; empty for
// every other type.
std::string_view StartupLocationLabel(int itemType);

}  // namespace obrivo::core
