// The Monitor's run-time state: one record for the whole run.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>

#include "common/trace_log.h"
#include "common/win32/unique.h"

namespace obrivo::monitor {

inline constexpr UINT kTimerId = 1;
inline constexpr UINT kTimerPeriodMs = 2000;
inline constexpr int kExpressBootTicks = 45;
inline constexpr std::size_t kFontCount = 7;

struct MonitorState {
  HINSTANCE instance = nullptr;
  HWND mainWindow = nullptr;
  std::string className;  // "Obrivo": other processes find the Monitor by it
  std::string caption;    // window title and caption of every message box
  int expressBootTicks = 0;
  int tickCount = 0;
  int changePending = 0;  // set by the notifier's message, cleared by the patrol
  int conflictCount = 0;
  int menuOpen = 0;       // guard against a second tray menu while one is tracking
  int alwaysRun = 0;
  UINT taskbarCreatedMsg = 0;
  UINT_PTR timerId = 0;
  bool alertOpen = false;
  bool alertShown = false;  // an alert was shown since the last trace line
  bool destroying = false;  // the window is being destroyed for real (WM_CLOSE)
  common::TraceLog trace;  // send2tv.txt and its counters
  // The alert dialogs' fonts, created with the main window.
  std::array<win32::UniqueGdiObject, kFontCount> fonts;
};

MonitorState& State();

}  // namespace obrivo::monitor
