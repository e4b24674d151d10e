// The delayed-start launcher in the Monitor: the programs the user moved to the delayed-start
// list, each started after its own delay, counted from the start of the patrol timer.
#pragma once

namespace obrivo::monitor {

// A property of the main window: how many timer ticks the launcher has taken, set once each
// tick's starts are done (absent before the first). Another process can tell from it that a
// program was not started before a given tick. It stops growing once the launcher is done.
inline constexpr wchar_t kLauncherTicksProperty[] = L"ObrivoLauncherTicks";

// At start-up, after the store's initialisation: counts the list as it is now and hooks the
// launcher into every timer tick. Entries added later wait for the next start of the Monitor.
// Calling it again starts the count afresh.
void StartDelayedLauncher();

// True once every entry counted at start-up has been handled (started, found running, missing
// or failed); from then on the launcher is not called again in this run.
bool DelayedLauncherFinished();

}  // namespace obrivo::monitor
