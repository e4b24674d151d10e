// The startup baseline and the Monitor's startup check: every accepted entry has a value under
// Software\Tolvane\Obrivo\Run named by its command; an entry found under neither its command
// nor its title is new and is asked about.
#pragma once

#include <functional>

#include "core/item_list.h"
#include "startup/startup_actions.h"

namespace obrivo::startup {

// Writes a baseline value for every startup entry there is now (nothing is deleted).
void SnapshotStartup();

// The quick test: true at the first entry the baseline does not know, or whose program was
// moved to the delayed-start list and has come back.
bool StartupChanged();

// What the check needs from the Monitor: the user's answers (or the hidden-alert answers) and
// its tray icon.
struct StartupCheckHooks {
  // A new entry: 6 accept, 7 reject, 11 disable.
  std::function<int(const core::Item&)> askNewEntry;
  // An entry moved to the delayed-start list is back in the startup list: 6 let it start
  // normally again, 7 disable it so that only the delayed start runs it.
  std::function<int(const core::Item&)> askReturnedEntry;
  std::function<void()> showAlertIcon;
  AdvancedRemovalConfirm confirmAdvancedRemoval;
  // Takes a program off the delayed-start list (machine list for codes below 11).
  std::function<void(const core::Item&)> removeFromDelayedList;
};

// Runs when StartupChanged says so: each entry the baseline does not know is asked about and
// then accepted, removed or disabled.
void CheckStartup(const StartupCheckHooks& hooks);

}  // namespace obrivo::startup
