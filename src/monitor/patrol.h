// The patrol cycle bound to the running Monitor: its clock, the store, the trace, the tray icon,
// the running programs and the category checks.
#pragma once

#include <functional>

#include "core/patrol_cycle.h"

namespace obrivo::monitor {

// After the store's initialisation: the schedule from the options as loaded, the checks of the
// categories, and the pass spacing counted from the start of the program.
void StartPatrol();

// One WM_TIMER of the patrol timer.
void OnPatrolTick();

// The notifier's signal: the settle timer (re)starts, so that a burst is handled once, soon
// after its last signal.
void OnChangeSignal();
// The settle timer: the real-time check and its pass now, or the timer again for when the
// spacing of passes allows them.
void OnChangeSettled();

// The check of category `order` (1 to 13, the order of the passes). An empty check leaves the
// category scheduled and traced but doing nothing.
void SetPatrolCheck(int order, core::PatrolCheck check);

// The delayed-start launcher's part of every tick; it runs first, whatever the patrol does.
void SetLauncherStep(std::function<void()> step);

// When the Explorer changed an option (Update set): reloads the options and the schedule and
// clears the flag. For checks that must see the latest options.
bool ReloadOptionsIfUpdated();

// Whether the new-cookie prompt may be shown on this pass; otherwise its answer is No.
bool NewCookiePromptAllowed();

// The categories' checks, in one place (patrol_checks.cpp).
void RegisterPatrolChecks();

}  // namespace obrivo::monitor
