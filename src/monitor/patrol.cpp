// The patrol cycle in the Monitor.
#include "monitor/patrol.h"

#include <windows.h>

#include <utility>

#include "common/app.h"
#include "common/items.h"
#include "common/options_store.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/win32/wide.h"
#include "monitor/alerts/message_alert.h"
#include "monitor/monitor.h"
#include "monitor/monitor_state.h"
#include "monitor/trace.h"
#include "monitor/tray.h"
#include "startup/restart_commands.h"
#include "string_ids.h"
#include "system/processes.h"

namespace obrivo::monitor {
namespace {

bool AskYesNo(int stringId) { return ShowMessageAlert(common::LoadText(stringId)) == IDYES; }

core::PatrolEnv MakeEnv() {
  core::PatrolEnv env;
  env.ntFamily = common::App().ntFamily;
  env.options = &common::App().options;
  env.tickMs = [] { return static_cast<std::uint32_t>(::GetTickCount()); };
  env.readOption = [](std::string_view name, int fallback) {
    return common::ReadOption(name, fallback);
  };
  env.clearUpdateFlag = [] {
    common::WriteStoreString(HKEY_CURRENT_USER, common::kOptionsKey, "Update", "0");
  };
  env.reloadOptions = [] { common::LoadOptions(common::App().options); };
  env.trace = [](std::string_view category, std::string_view text) { Trace(category, text); };
  env.traceElapsed = [] { TraceElapsed(); };
  env.showTrayStatus = [](int tipId, int iconId) { ShowTrayStatus(tipId, iconId); };
  env.refreshTrayIcon = [] {
    UpdateTrayIcon(TrayAction::Delete, 0, 0);
    UpdateTrayIcon(TrayAction::Add, 0, IDS_PATROL_TIP);
  };
  env.modifyTrayIcon = [](int iconId, int tipId) {
    UpdateTrayIcon(TrayAction::Modify, iconId, tipId);
  };
  // A check that touches a missing floppy or CD must not stop the patrol with a system box.
  env.suppressCriticalErrors = [] {
    return static_cast<std::uint32_t>(::SetErrorMode(SEM_FAILCRITICALERRORS));
  };
  env.restoreErrorMode = [](std::uint32_t mode) { ::SetErrorMode(static_cast<UINT>(mode)); };
  env.sleepMs = [](int ms) { ::Sleep(static_cast<DWORD>(ms)); };
  env.enumActiveTasks = [] { return system::EnumActiveTasks(); };
  env.recordRunningPrograms = [] { system::RecordRunningPrograms(); };
  env.clearItems = [] {
    if (common::ItemCount() != 0) common::ClearItems();
  };
  // The cookie list arrives with its category.
  env.askYesNo = AskYesNo;
  env.showRestartCommands = [] { startup::ShowRestartCommandsViewer(State().mainWindow); };
  return env;
}

core::PatrolEnv& Env() {
  static core::PatrolEnv env = MakeEnv();
  return env;
}

}  // namespace

void StartPatrol() {
  MonitorState& s = State();
  Env().ntFamily = common::App().ntFamily;
  RegisterPatrolChecks();
  core::LoadPatrolSchedule(s, common::App().options);
  s.lastVerifyStart = common::App().startTick;
}

void OnPatrolTick() { core::OnTimerTick(State(), Env()); }

void OnChangeSignal() { ::SetTimer(State().mainWindow, kSettleTimerId, core::kSettleMs, nullptr); }

void OnChangeSettled() {
  MonitorState& s = State();
  ::KillTimer(s.mainWindow, kSettleTimerId);
  const bool ranBefore = s.settledCheckRan;
  const std::uint32_t before = s.lastSettledCheck;
  if (const std::uint32_t wait = core::OnChangeSettled(s, Env()); wait != 0)
    ::SetTimer(s.mainWindow, kSettleTimerId, wait, nullptr);
  if (s.settledCheckRan && (!ranBefore || s.lastSettledCheck != before)) {
    const auto count = reinterpret_cast<INT_PTR>(::GetPropW(s.mainWindow, kSettledChecksProperty));
    ::SetPropW(s.mainWindow, kSettledChecksProperty, reinterpret_cast<HANDLE>(count + 1));
  }
}

void SetPatrolCheck(int order, core::PatrolCheck check) {
  if (order < 1 || order > core::kPatrolCategoryCount) return;
  Env().checks[static_cast<std::size_t>(order - 1)] = std::move(check);
}

void SetLauncherStep(std::function<void()> step) { Env().launcherStep = std::move(step); }

bool ReloadOptionsIfUpdated() { return core::ReloadOptionsIfUpdated(State(), Env()); }

bool NewCookiePromptAllowed() {
  return core::NewCookiePromptAllowed(State(),
                                      common::App().options.Get(core::OptionId::ShowAlerts));
}

}  // namespace obrivo::monitor
