// Exported by ordinal only, through quenrax.def.
// The real-time notifier: one watcher thread per process, started by ordinal 2 and stopped by
// ordinal 3. What it watches is added with the patrol cycle; the thread, its stop signal and its
// orderly shutdown are here.
#include <windows.h>

#include <atomic>
#include <mutex>

#include "common/win32/unique.h"

namespace {

using obrivo::win32::UniqueHandle;

struct Watcher {
  std::mutex lock;
  UniqueHandle thread;
  UniqueHandle stopEvent;
  HWND window = nullptr;
};

Watcher& TheWatcher() {
  static Watcher watcher;
  return watcher;
}

DWORD WINAPI WatchThread(void* parameter) {
  auto* stopEvent = static_cast<HANDLE>(parameter);
  // Until there is something to watch, the thread only waits for its stop signal.
  ::WaitForSingleObject(stopEvent, INFINITE);
  return 0;
}

}  // namespace

extern "C" BOOL WINAPI QuenraxStart(HWND window) {
  Watcher& w = TheWatcher();
  std::lock_guard<std::mutex> guard(w.lock);
  if (w.thread) return TRUE;  // already watching
  if (!::IsWindow(window)) return FALSE;
  w.stopEvent.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!w.stopEvent) return FALSE;
  w.window = window;
  w.thread.reset(::CreateThread(nullptr, 0, WatchThread, w.stopEvent.get(), 0, nullptr));
  if (!w.thread) {
    w.stopEvent.reset();
    return FALSE;
  }
  return TRUE;
}

extern "C" void WINAPI QuenraxStop() {
  Watcher& w = TheWatcher();
  std::lock_guard<std::mutex> guard(w.lock);
  if (!w.thread) return;
  ::SetEvent(w.stopEvent.get());
  ::WaitForSingleObject(w.thread.get(), INFINITE);
  w.thread.reset();
  w.stopEvent.reset();
  w.window = nullptr;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
