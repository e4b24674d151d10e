// The Monitor's run-time state: one record for the whole run.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "common/trace_log.h"
#include "common/win32/dpi.h"
#include "common/win32/unique.h"
#include "core/patrol_cycle.h"

namespace obrivo::monitor {

inline constexpr UINT kTimerId = 1;
inline constexpr UINT kTimerPeriodMs = 2000;
// The one-shot timer that acts on the notifier's signal once it has settled.
inline constexpr UINT kSettleTimerId = 2;
inline constexpr int kExpressBootTicks = 45;

// The patrol cycle's fields (tickCount, changePending, alertOpen, alertShown ...) come from
// core::PatrolState, so the cycle, the alerts and the trace share one record.
struct MonitorState : core::PatrolState {
  HINSTANCE instance = nullptr;
  HWND mainWindow = nullptr;
  std::string className;  // "Obrivo": other processes find the Monitor by it
  std::string caption;    // window title and caption of every message box
  int menuOpen = 0;       // guard against a second tray menu while one is tracking
  int alwaysRun = 0;
  UINT taskbarCreatedMsg = 0;
  UINT_PTR timerId = 0;
  bool destroying = false;  // the window is being destroyed for real (WM_CLOSE)
  // The current alert, filled by the check that raises it and cleared by the alert.
  std::string alertPath;   // the item's command or path
  std::string alertTitle;  // its title (service and hidden-file alerts)
  std::string alertPath2;  // the second command of the file-type alert
  std::string alertKey;    // the record name of a system-file change; a task's name
  int alertType = 0;       // the item's type code
  // The new-program alert's repeats of one command, kept for the whole run.
  int repeatCount = 0;
  std::string lastAlertPath;
  common::TraceLog trace;  // send2tv.txt and its counters
  // The alert dialogs' fonts (alert_window.cpp), set up with the main window.
  win32::DpiFonts fonts;
};

MonitorState& State();

// While an alert is up: no pass or real-time check starts under it (the alert pumps messages,
// so timer ticks keep coming), and the trace counts the time as an alert's.
class AlertOpenScope {
 public:
  AlertOpenScope() : wasOpen_(State().alertOpen) {
    State().alertOpen = true;
    State().alertShown = true;
  }
  ~AlertOpenScope() { State().alertOpen = wasOpen_; }
  AlertOpenScope(const AlertOpenScope&) = delete;
  AlertOpenScope& operator=(const AlertOpenScope&) = delete;

 private:
  bool wasOpen_;
};

}  // namespace obrivo::monitor
