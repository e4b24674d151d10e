// The delayed-start launcher in the Monitor.
#include "monitor/delayed_launcher.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/history.h"
#include "common/win32/system.h"
#include "core/delayed_start.h"
#include "core/history_codes.h"
#include "core/text.h"
#include "monitor/monitor_state.h"
#include "monitor/patrol.h"
#include "monitor/trace.h"
#include "startup/delayed_list.h"

namespace obrivo::monitor {
namespace {

// An entry as counted at start-up: what finds it in the list again when it comes due.
struct CountedEntry {
  startup::DelayHive hive;
  std::string name;
};

struct Launcher {
  core::DelayLauncher clock;
  std::vector<CountedEntry> entries;  // in the clock's order: the machine's first
  int ticks = 0;
};

Launcher& TheLauncher() {
  static Launcher launcher;
  return launcher;
}

void ShowTicks(int ticks) {
  const HWND window = State().mainWindow;
  if (window)
    ::SetPropW(window, kLauncherTicksProperty,
               reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(ticks)));
}

// Why the program did not start, for the history: the system's text for the error.
void RecordNotStarted(const startup::DelayedEntry& entry, DWORD error) {
  const std::string title = entry.title.empty() ? core::FileNamePart(entry.name) : entry.title;
  std::string reason = win32::SystemErrorText(error);
  reason.erase(reason.find_last_not_of(" \r\n") + 1);  // the system's text ends its own line
  Trace("DELAY", "Not started: " + entry.name + "  " + reason);
  common::WriteHistory(core::history_event::kDelayStartFailed, entry.code, title, entry.name,
                       reason);
}

void StartDue(const CountedEntry& counted) {
  // Read again: the Explorer may have removed the entry or changed its parameters since.
  const auto entry = startup::FindDelayedEntry(counted.hive, counted.name);
  if (!entry) {
    Trace("DELAY", "Left the list: " + counted.name);
    return;
  }
  switch (startup::LaunchDelayedEntry(*entry)) {
    case startup::DelayLaunch::Started:
      Trace("DELAY", "Started: " + entry->name);
      break;
    case startup::DelayLaunch::AlreadyRunning:
      Trace("DELAY", "Already running: " + entry->name);
      break;
    case startup::DelayLaunch::Missing:
      RecordNotStarted(*entry, ERROR_FILE_NOT_FOUND);
      break;
    case startup::DelayLaunch::Failed:
      // The last try's own error (the process creation's), read before anything else runs.
      RecordNotStarted(*entry, ::GetLastError());
      break;
  }
}

// The launcher's part of a timer tick. Each due entry is handled once, whatever its start
// gives: a program that cannot start now is not tried again in this run.
void LauncherStep() {
  Launcher& launcher = TheLauncher();
  if (launcher.clock.Finished()) return;
  ++launcher.ticks;
  // The indices are a copy: a start that pumps messages may let the next tick in meanwhile.
  for (std::size_t index : launcher.clock.Tick()) StartDue(launcher.entries[index]);
  ShowTicks(launcher.ticks);
}

}  // namespace

void StartDelayedLauncher() {
  Launcher& launcher = TheLauncher();
  launcher.entries.clear();
  std::vector<int> dueSteps;
  for (const startup::DelayedEntry& entry : startup::ReadDelayedList()) {
    launcher.entries.push_back({entry.hive, entry.name});
    dueSteps.push_back(core::DueStep(startup::DelaySecondsOf(entry)));
  }
  launcher.clock = core::DelayLauncher(std::move(dueSteps));
  launcher.ticks = 0;
  if (State().mainWindow) ::RemovePropW(State().mainWindow, kLauncherTicksProperty);
  // An empty list is done before it starts: the tick then has no launcher to call.
  if (launcher.clock.Finished()) {
    SetLauncherStep({});
    return;
  }
  Trace("DELAY", std::to_string(launcher.entries.size()) + " delayed programs");
  SetLauncherStep(LauncherStep);
}

bool DelayedLauncherFinished() { return TheLauncher().clock.Finished(); }

}  // namespace obrivo::monitor
