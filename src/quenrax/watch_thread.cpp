// The watcher loop. Every notification is armed again the moment it fires, before the change
// is reported, so a change made while the Monitor looks is never lost; signals are gathered
// for a short while and reported once.
#include "quenrax/watch_thread.h"

#include <memory>
#include <vector>

#include "quenrax/folder_watch.h"
#include "quenrax/key_watch.h"
#include "quenrax/process_watch.h"
#include "quenrax/quenrax.h"

namespace obrivo::quenrax {
namespace {

// False when the window is gone, so there is no one left to tell.
bool Report(HWND window, bool placesChanged) {
  if (::PostMessageW(window, kChangeMessage, placesChanged ? kPlacesChanged : 0, 0)) return true;
  return ::IsWindow(window) != FALSE;  // a full queue is no reason to stop
}

}  // namespace

void RunWatcher(WatchContext& context) {
  std::vector<std::unique_ptr<Watch>> watches;
  for (const WatchedKey& watched : WatchedKeys()) {
    auto key = std::make_unique<KeyWatch>(watched);
    if (!key->usable()) continue;
    key->OpenAndArm();  // a key missing now is looked for again later
    watches.push_back(std::move(key));
  }
  for (auto& folder : StartupFolderWatches()) watches.push_back(std::move(folder));
  ProcessWatch processes;
  ::SetEvent(context.ready);

  std::vector<HANDLE> handles;
  std::vector<Watch*> signalled;  // which watch each handle after the stop event belongs to
  ULONGLONG nextLook = ::GetTickCount64() + kLookIntervalMs;
  bool reporting = false;  // a change waits to be reported at reportAt
  bool placesChanged = false;  // ... and a watched key or folder is among the changes
  ULONGLONG reportAt = 0;
  for (;;) {
    // Folder handles come and go with their folders, so the list is made anew each time.
    handles.assign(1, context.stop);
    signalled.clear();
    for (const auto& watch : watches) {
      if (!watch->event() || handles.size() == MAXIMUM_WAIT_OBJECTS) continue;
      handles.push_back(watch->event());
      signalled.push_back(watch.get());
    }
    ULONGLONG now = ::GetTickCount64();
    const ULONGLONG wakeAt = reporting && reportAt < nextLook ? reportAt : nextLook;
    const DWORD timeout = wakeAt > now ? static_cast<DWORD>(wakeAt - now) : 0;
    const DWORD woke = ::WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(),
                                                FALSE, timeout);
    if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) return;
    bool changed = false;
    if (woke > WAIT_OBJECT_0 && woke < WAIT_OBJECT_0 + handles.size() &&
        signalled[woke - WAIT_OBJECT_0 - 1]->Rearm())
      changed = placesChanged = true;

    now = ::GetTickCount64();
    if (now >= nextLook) {
      if (!::IsWindow(context.window.load())) return;
      if (processes.Changed()) changed = true;
      for (const auto& watch : watches)
        if (watch->Refresh()) changed = placesChanged = true;
      nextLook = now + kLookIntervalMs;
    }
    if (changed && !reporting) {
      reporting = true;
      reportAt = now + kSettleMs;
    }
    if (reporting && now >= reportAt) {
      reporting = false;
      if (!Report(context.window.load(), placesChanged)) return;
      placesChanged = false;
    }
  }
}

}  // namespace obrivo::quenrax
