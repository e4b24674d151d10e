// The watcher thread's work: wait for registry and folder notifications, look at the running
// processes now and then, and tell the window about changes, a burst of them in one message.
#pragma once

#include <windows.h>

#include <atomic>

namespace obrivo::quenrax {

// A change is reported this long after the first signal of a burst; whatever else arrives
// meanwhile goes into the same message. Short, because the Monitor acts on the message at once:
// a program that writes several values writes them within it.
inline constexpr DWORD kSettleMs = 100;
// How often the running processes are compared, deleted keys and folders noticed and missing
// ones looked for again.
inline constexpr DWORD kLookIntervalMs = 1500;

struct WatchContext {
  HANDLE stop = nullptr;   // manual-reset; set to end the thread
  HANDLE ready = nullptr;  // manual-reset; set once the first notifications are armed
  std::atomic<HWND> window{nullptr};
};

// Runs until `stop` is set or the window is gone. Posts kChangeMessage to the window.
void RunWatcher(WatchContext& context);

}  // namespace obrivo::quenrax
