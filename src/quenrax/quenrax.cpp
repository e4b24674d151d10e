// Exported by ordinal only, through quenrax.def.
// The real-time notifier: one watcher thread per process, started by ordinal 2 and stopped by
// ordinal 3. The thread (watch_thread.cpp) owns the keys it watches; this file owns the thread,
// its signals and the window it reports to.
#include <windows.h>

#include <mutex>

#include "common/win32/unique.h"
#include "quenrax/watch_thread.h"

namespace {

using obrivo::quenrax::WatchContext;
using obrivo::win32::UniqueHandle;

// How long start waits for the thread to arm its notifications, so that a change made right
// after start is seen. The thread arms within milliseconds; this only bounds a stuck system.
constexpr DWORD kReadyWaitMs = 2000;

struct Watcher {
  std::mutex lock;
  UniqueHandle thread;
  UniqueHandle stopEvent;
  UniqueHandle readyEvent;
  WatchContext context;
};

Watcher& TheWatcher() {
  static Watcher watcher;
  return watcher;
}

// Runs with its own reference on this module, so a host that unloads the module without
// stopping the watcher first does not pull the code from under the running thread.
DWORD WINAPI WatchThread(void* parameter) {
  obrivo::quenrax::RunWatcher(*static_cast<WatchContext*>(parameter));
  HMODULE self = nullptr;
  ::GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&WatchThread), &self);
  ::FreeLibraryAndExitThread(self, 0);
}

void Release(Watcher& w) {
  w.thread.reset();
  w.stopEvent.reset();
  w.readyEvent.reset();
  w.context.window = nullptr;
}

bool Running(const Watcher& w) {
  return w.thread && ::WaitForSingleObject(w.thread.get(), 0) == WAIT_TIMEOUT;
}

}  // namespace

extern "C" BOOL WINAPI QuenraxStart(HWND window) {
  if (!::IsWindow(window)) return FALSE;
  Watcher& w = TheWatcher();
  std::lock_guard<std::mutex> guard(w.lock);
  if (Running(w)) {
    w.context.window = window;  // already watching; report to the latest window
    return TRUE;
  }
  Release(w);  // a thread that ended by itself when its window went away

  w.stopEvent.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  w.readyEvent.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HMODULE pinned = nullptr;
  if (!w.stopEvent || !w.readyEvent ||
      !::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(&WatchThread), &pinned)) {
    Release(w);
    return FALSE;
  }
  w.context.stop = w.stopEvent.get();
  w.context.ready = w.readyEvent.get();
  w.context.window = window;
  w.thread.reset(::CreateThread(nullptr, 0, WatchThread, &w.context, 0, nullptr));
  if (!w.thread) {
    ::FreeLibrary(pinned);
    Release(w);
    return FALSE;
  }
  const HANDLE started[] = {w.readyEvent.get(), w.thread.get()};
  ::WaitForMultipleObjects(2, started, FALSE, kReadyWaitMs);
  return TRUE;
}

extern "C" void WINAPI QuenraxStop() {
  Watcher& w = TheWatcher();
  std::lock_guard<std::mutex> guard(w.lock);
  if (!w.thread) return;
  // The thread only ever waits on this event, lists processes or opens keys, so it ends at once.
  ::SetEvent(w.stopEvent.get());
  ::WaitForSingleObject(w.thread.get(), INFINITE);
  Release(w);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
