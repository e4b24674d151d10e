// The Monitor's patrol cycle: on which timer tick each category check runs, in which order and
// under which gates. The checks and every effect on the system are passed in, so the cycle runs
// the same against the real Monitor and against a recording fake.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

#include "core/options.h"

namespace obrivo::core {

inline constexpr int kPatrolCategoryCount = 13;
// The restart-commands category: counted in `restartCountdown`, patrolled off the NT family only.
inline constexpr int kRestartCommandsCategory = 9;
// `restartCountdown` once commands were reported: the category stays quiet for the run.
inline constexpr int kRestartCommandsReported = 99999;
// A pass runs on the tick after `tickCount` reached this.
inline constexpr int kPassDueTicks = 16;
// Real-time checks in a row before a signal is only traced.
inline constexpr int kConflictLimit = 3;
// Two passes never start closer together than this.
inline constexpr std::uint32_t kPassSpacingMs = 1000;
// How long the notifier's messages must stay quiet before the Monitor acts on them at once: the
// notifier already gathers a burst of writes into one message, this gathers the messages.
inline constexpr std::uint32_t kSettleMs = 50;
// Passes between two refreshes of the tray icon.
inline constexpr int kTrayRefreshPasses = 60;

// The question asked when restart commands were found (the tray's tips and icons are in
// string_ids.h and icon_ids.h).
inline constexpr int kRestartCommandsQuestionId = 28;  // "... view these commands?"

enum class PatrolHalf { A, B };

// One row of the schedule. The defaults of both options are those of the option table.
struct PatrolCategory {
  int order;  // 1 to 13: the order of the checks within their half
  PatrolHalf half;
  std::optional<OptionId> interval;  // none: the check runs on every pass of its half
  std::optional<OptionId> realtime;  // none: a real-time signal does not make it due
  std::string_view traceName;
};

// The thirteen categories in the order the passes run them.
std::span<const PatrolCategory> PatrolSchedule();

// The cycle's part of the Monitor's state.
struct PatrolState {
  int tickCount = 0;         // ticks since the last pass
  int expressBootTicks = 0;  // ticks still held off after a start at logon
  int changePending = 0;     // the notifier signalled a change
  int placesChanged = 0;     // ... in a watched key or folder, not only in the running programs
  int conflictCount = 0;     // real-time checks since the last pass or quiet tick
  int passCount = 0;         // passes since the last tray icon refresh
  int secondHalf = 0;        // 0: the next pass runs half A
  int verifyRunning = 0;
  bool alertOpen = false;   // an alert dialog or alert message box is up
  bool alertShown = false;  // an alert was shown since the last trace line
  int alertSuppress = 0;    // 2: the user refused a repeated program; quiets prompts this pass
  std::uint32_t lastVerifyStart = 0;  // millisecond tick of the last pass's start (or long end)
  bool settledCheckRan = false;       // a real-time check has run from a settled signal
  std::uint32_t lastSettledCheck = 0;  // ... at this millisecond tick
  int processCount = 0;               // running programs at the last real-time check
  int restartCountdown = 0;           // the countdown of the restart-commands category
  // Interval and countdown per category, by order - 1. The restart-commands category counts in
  // `restartCountdown`; its slot in `countdowns` is unused.
  std::array<int, kPatrolCategoryCount> intervals{};
  std::array<int, kPatrolCategoryCount> countdowns{};
};

// The countdown of category `order` (1 to 13).
int& Countdown(PatrolState& state, int order);

// A category's check. The result is read only from the restart-commands check: true when
// commands are waiting for the next restart.
using PatrolCheck = std::function<bool()>;

// Everything the cycle does outside its own state. An empty callable does nothing (and reads as
// 0 or false), so a category whose check does not exist yet is still scheduled and traced.
struct PatrolEnv {
  bool ntFamily = true;
  const OptionSet* options = nullptr;     // the options as last loaded; required
  std::function<std::uint32_t()> tickMs;  // the system's 32-bit millisecond tick
  // An option read afresh from the store (name, default when missing or empty).
  std::function<int(std::string_view, int)> readOption;
  std::function<void()> clearUpdateFlag;  // writes Update = "0"
  std::function<void()> reloadOptions;    // fills *options again from the store
  std::function<void(std::string_view, std::string_view)> trace;  // category, text
  std::function<void()> traceElapsed;
  std::function<void(int, int)> showTrayStatus;  // tip id, icon id; skips a hidden icon itself
  std::function<void()> refreshTrayIcon;         // delete the icon and add it again
  std::function<void(int, int)> modifyTrayIcon;  // icon id, tip id
  std::function<std::uint32_t()> suppressCriticalErrors;  // returns the previous error mode
  std::function<void(std::uint32_t)> restoreErrorMode;
  std::function<void(int)> sleepMs;
  std::function<std::size_t()> enumActiveTasks;  // fills the item list; returns its count
  std::function<void()> recordRunningPrograms;
  std::function<void()> clearItems;
  std::function<void()> clearCookies;
  std::function<void()> launcherStep;  // the delayed-start launcher's part of every tick
  std::function<bool(int)> askYesNo;   // a Yes/No alert with a string id; true on Yes
  std::function<void()> showRestartCommands;
  std::array<PatrolCheck, kPatrolCategoryCount> checks;  // by order - 1
};

// Intervals and countdowns from the loaded options: each countdown starts at its interval, but
// the restart-commands countdown is only ever raised (a reported 99999 survives); the next
// pass runs half A.
void LoadPatrolSchedule(PatrolState& state, const OptionSet& options);

// When the other program set Update: reloads the options and the schedule, then clears the flag.
bool ReloadOptionsIfUpdated(PatrolState& state, const PatrolEnv& env);

// One tick of the 2-second timer.
void OnTimerTick(PatrolState& state, const PatrolEnv& env);

// One verify pass. 1 when it ran or another pass or an alert was active; 0 when it left early
// because the previous pass started less than a second ago.
int VerifyPass(PatrolState& state, const PatrolEnv& env);

// The real-time check after a change signal: when the number of running programs changed, the
// categories watched in real time become due and the next tick runs half A. Returns the number.
int QuickChangeCheck(PatrolState& state, const PatrolEnv& env);

// The Monitor's answer to the notifier once its signals have settled (kSettleMs after the last
// one), instead of waiting for the timer's ticks: the real-time check at once and, when it makes
// the watched categories due, the pass right after it. Returns 0 when nothing is left to do, or
// the milliseconds to wait before calling again: checks and passes started this way keep
// kPassSpacingMs apart, so a notifier that never stops signalling gets at most one of each per
// spacing. Under an alert, a pass or the hold-off it does nothing and the signal stays pending
// for the ticks, which remain the safety net for whatever this does not handle.
std::uint32_t OnChangeSettled(PatrolState& state, const PatrolEnv& env);

// Whether the restart-commands check may run on a pass in which its countdown reached 0.
bool RestartCommandsMayRun(const PatrolState& state, int showAlerts);
// Whether the new-cookie prompt may be shown; otherwise its answer is No.
bool NewCookiePromptAllowed(const PatrolState& state, int showAlerts);

}  // namespace obrivo::core
