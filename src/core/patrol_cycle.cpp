// The patrol cycle.
#include "core/patrol_cycle.h"

#include <algorithm>
#include <type_traits>
#include <utility>

#include "icon_ids.h"
#include "string_ids.h"

namespace obrivo::core {
namespace {

using O = OptionId;
using H = PatrolHalf;

constexpr PatrolCategory kSchedule[kPatrolCategoryCount] = {
    {1, H::A, O::Start, O::RealtimeStartup, "Startup Programs"},
    {2, H::A, O::IEHelpers, O::RealtimeIEHelper, "IE Helpers"},
    {3, H::A, O::Hidden, O::RealtimeHidden, "Hidden Files"},
    {4, H::A, O::ActiveX, O::RealtimeActiveX, "ActiveX Files"},
    {5, H::A, O::HostFile, O::RealtimeSysFiles, "Verify System Files"},
    {6, H::A, O::StartPage, O::RealtimeStartPage, "IE Start/Search Page"},
    {7, H::A, O::FileType, O::RealtimeFileType, "File Types"},
    {8, H::B, O::Tasks, std::nullopt, "Scheduled Tasks"},
    {9, H::B, O::WinInit, std::nullopt, "Win INIT file"},
    {10, H::B, O::Services, O::RealtimeServices, "Check for change to Services"},
    {11, H::B, O::Nuts, std::nullopt, "Filter Cookies"},
    {12, H::B, std::nullopt, std::nullopt, "Filter Mozilla Cookies"},
    {13, H::B, O::Cookies, std::nullopt, "Check for New Cookies"},
};

constexpr bool ScheduleInOrder() {
  for (int i = 0; i < kPatrolCategoryCount; ++i)
    if (kSchedule[i].order != i + 1) return false;
  return true;
}
static_assert(ScheduleInOrder(), "the schedule is indexed by order - 1");

// Calls an optional effect; an empty one does nothing and yields `R{}`.
template <typename R = void, typename F, typename... Args>
R Call(const F& f, Args&&... args) {
  if (!f) return R();
  if constexpr (std::is_void_v<R>)
    f(std::forward<Args>(args)...);
  else
    return static_cast<R>(f(std::forward<Args>(args)...));
}

int Option(const PatrolEnv& env, OptionId id) { return env.options ? env.options->Get(id) : 0; }
bool IconHidden(const PatrolEnv& env) { return Option(env, O::HideTavik) == 1; }
int ShowAlerts(const PatrolEnv& env) { return Option(env, O::ShowAlerts); }

void Trace(const PatrolEnv& env, std::string_view category, std::string_view text) {
  Call(env.trace, category, text);
}

// Runs the check of `order` when its countdown reaches 0 on this pass.
void RunTimedCheck(PatrolState& state, const PatrolEnv& env, const PatrolCategory& category) {
  int& countdown = Countdown(state, category.order);
  if (countdown < 1) return;  // switched off, or held at 0 until the options are reloaded
  if (--countdown != 0) return;
  const auto index = static_cast<std::size_t>(category.order - 1);
  if (category.order != kRestartCommandsCategory) {
    countdown = state.intervals[index];
    Trace(env, "VERIFY", category.traceName);
    Call<bool>(env.checks[index]);
    Call(env.traceElapsed);
    return;
  }
  Trace(env, "VERIFY", category.traceName);
  if (RestartCommandsMayRun(state, ShowAlerts(env))) {
    countdown = state.intervals[index];
    state.alertShown = true;
    if (Call<bool>(env.checks[index])) {
      state.restartCountdown = kRestartCommandsReported;
      // The question is an alert: no pass or real-time check may start while it is up.
      state.alertOpen = true;
      const bool view = Call<bool>(env.askYesNo, kRestartCommandsQuestionId);
      state.alertOpen = false;
      if (view) Call(env.showRestartCommands);
    }
  }
  Call(env.traceElapsed);
}

void RunHalf(PatrolState& state, const PatrolEnv& env, PatrolHalf half) {
  for (const PatrolCategory& category : kSchedule) {
    if (category.half != half) continue;
    if (category.order == kRestartCommandsCategory && env.ntFamily) continue;
    if (category.interval) {
      RunTimedCheck(state, env, category);
    } else {
      Trace(env, "VERIFY", category.traceName);
      Call<bool>(env.checks[static_cast<std::size_t>(category.order - 1)]);
      Call(env.traceElapsed);
    }
  }
}

}  // namespace

std::span<const PatrolCategory> PatrolSchedule() { return kSchedule; }

int& Countdown(PatrolState& state, int order) {
  if (order == kRestartCommandsCategory) return state.restartCountdown;
  return state.countdowns[static_cast<std::size_t>(order - 1)];
}

void LoadPatrolSchedule(PatrolState& state, const OptionSet& options) {
  for (const PatrolCategory& category : kSchedule) {
    if (!category.interval) continue;
    const int interval = options.Get(*category.interval);
    state.intervals[static_cast<std::size_t>(category.order - 1)] = interval;
    int& countdown = Countdown(state, category.order);
    countdown =
        category.order == kRestartCommandsCategory ? std::max(countdown, interval) : interval;
  }
  state.secondHalf = 0;
}

bool ReloadOptionsIfUpdated(PatrolState& state, const PatrolEnv& env) {
  if (Call<int>(env.readOption, "Update", 0) == 0) return false;
  Call(env.reloadOptions);
  if (env.options) LoadPatrolSchedule(state, *env.options);
  Call(env.clearUpdateFlag);
  return true;
}

void OnTimerTick(PatrolState& state, const PatrolEnv& env) {
  Call(env.launcherStep);  // delayed programs start on time even during the hold-off or an alert
  state.expressBootTicks = std::max(0, state.expressBootTicks - 1);
  const int t = state.tickCount++;

  if (t >= kPassDueTicks) {
    // During the hold-off the pass stays due, so it runs as soon as the hold-off ends.
    if (state.expressBootTicks > 0) return;
    VerifyPass(state, env);
    state.tickCount = 0;
    state.alertSuppress = 0;
    state.changePending = 0;
    state.conflictCount = 0;
    return;
  }
  if (state.changePending == 0) {
    state.conflictCount = 0;
    return;
  }
  // A change signalled during an alert, a pass or the hold-off waits for a later tick.
  if (state.alertOpen || state.verifyRunning || state.expressBootTicks > 0) return;

  const int c = state.conflictCount++;
  if (c < kConflictLimit) {
    QuickChangeCheck(state, env);
  } else {
    // A notifier that keeps signalling would otherwise keep the Monitor enumerating.
    Trace(env, "RID", "Possible System Conflict");
    Call(env.sleepMs, 50);
    state.conflictCount = 0;
    Call(env.traceElapsed);
  }
  state.changePending = 0;
}

int QuickChangeCheck(PatrolState& state, const PatrolEnv& env) {
  Trace(env, "* * * VERIFY TASKS", "Check for Task Change");
  const int n = Call<int>(env.enumActiveTasks);
  // A new program in the running set, or a change where programs register to start: either
  // makes the watched categories due at once.
  if (n != state.processCount || state.placesChanged != 0) {
    ReloadOptionsIfUpdated(state, env);
    for (const PatrolCategory& category : kSchedule)
      if (category.realtime && Option(env, *category.realtime) != 0)
        Countdown(state, category.order) = 1;
    state.tickCount = kPassDueTicks;
    state.secondHalf = 0;
  }
  Call(env.traceElapsed);
  state.processCount = n;
  state.placesChanged = 0;
  Call(env.clearItems);
  return n;
}

int VerifyPass(PatrolState& state, const PatrolEnv& env) {
  Trace(env, "VERIFY", "Enter Verify function");
  Call(env.traceElapsed);
  if (state.alertOpen || state.verifyRunning) return 1;

  const int p = state.passCount++;
  state.alertShown = false;
  Call(env.clearItems);
  state.verifyRunning = 1;
  if (p > kTrayRefreshPasses) {
    // Some shells lose icons over time; putting it back now and then keeps it visible.
    if (!IconHidden(env)) Call(env.refreshTrayIcon);
    state.passCount = 0;
  }

  const std::uint32_t now = Call<std::uint32_t>(env.tickMs);
  // Unsigned difference: correct across the wrap of the tick counter after 49.7 days.
  if (static_cast<std::uint32_t>(now - state.lastVerifyStart) < kPassSpacingMs) {
    state.lastVerifyStart = now;
    state.verifyRunning = 0;
    Trace(env, "VERIFY", "Exit Early because we recently did a verify");
    Call(env.traceElapsed);
    return 0;
  }
  state.lastVerifyStart = now;

  const std::uint32_t errorMode = Call<std::uint32_t>(env.suppressCriticalErrors);
  if (state.secondHalf == 0) {
    Call(env.showTrayStatus, IDS_VERIFYING_STARTUP_TIP, IDI_TRAY_STARTUP);
    RunHalf(state, env, PatrolHalf::A);
  } else {
    Call(env.showTrayStatus, IDS_CHECKING_CHANGES_TIP, IDI_TRAY_REVIEWING);
    RunHalf(state, env, PatrolHalf::B);
  }

  Call(env.clearItems);
  Call(env.clearCookies);
  if (state.changePending) Call(env.recordRunningPrograms);
  state.secondHalf = state.secondHalf == 0 ? 1 : 0;

  if (!IconHidden(env)) {
    const int icon = Call<int>(env.readOption, "TrayIcon",
                               OptionDefault(O::TrayIcon, Program::Monitor, env.ntFamily));
    Call(env.modifyTrayIcon, icon, IDS_PATROL_TIP);
  }

  const std::uint32_t end = Call<std::uint32_t>(env.tickMs);
  if (static_cast<std::uint32_t>(end - state.lastVerifyStart) > kPassSpacingMs) {
    Trace(env, "CATCH", "MonitorTimer > 1000");
    Call(env.traceElapsed);
    state.lastVerifyStart = end;
  }

  state.verifyRunning = 0;
  Call(env.restoreErrorMode, errorMode);
  Trace(env, "VERIFY", "Exit Normal Verify");
  Call(env.traceElapsed);
  return 1;
}

std::uint32_t OnChangeSettled(PatrolState& state, const PatrolEnv& env) {
  if (state.changePending == 0) return 0;
  if (state.alertOpen || state.verifyRunning || state.expressBootTicks > 0) return 0;
  const std::uint32_t now = Call<std::uint32_t>(env.tickMs);
  // Unsigned differences, as in the pass: correct across the wrap of the tick counter.
  const auto remaining = [now](std::uint32_t since) -> std::uint32_t {
    const std::uint32_t elapsed = now - since;
    return elapsed < kPassSpacingMs ? kPassSpacingMs - elapsed : 0;
  };
  const std::uint32_t wait =
      std::max(remaining(state.lastVerifyStart),
               state.settledCheckRan ? remaining(state.lastSettledCheck) : 0u);
  if (wait != 0) return wait;

  state.settledCheckRan = true;
  state.lastSettledCheck = now;
  QuickChangeCheck(state, env);
  state.changePending = 0;
  if (state.tickCount < kPassDueTicks) return 0;
  // What the tick that runs a due pass does, on this message instead of two ticks later.
  VerifyPass(state, env);
  state.tickCount = 0;
  state.alertSuppress = 0;
  state.conflictCount = 0;
  return 0;
}

bool RestartCommandsMayRun(const PatrolState& state, int showAlerts) {
  return state.alertSuppress < 2 || showAlerts != 0;
}

bool NewCookiePromptAllowed(const PatrolState& state, int showAlerts) {
  return state.alertSuppress == 0 || showAlerts != 0;
}

}  // namespace obrivo::core
