// One registry key watched for changes, and the keys the notifier watches: the places programs
// start from, the logon keys and the services.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "common/win32/unique.h"
#include "quenrax/watch.h"

namespace obrivo::quenrax {

struct WatchedKey {
  HKEY root;
  std::wstring path;
  bool subtree;  // changes in subkeys count too
};

// Every key the notifier watches. Keys that do not exist on a system are simply not watched
// until they appear.
const std::vector<WatchedKey>& WatchedKeys();

// A key with a change notification armed on it. The notification fires once, so it is armed
// again after every signal.
class KeyWatch : public Watch {
 public:
  explicit KeyWatch(const WatchedKey& key);

  // False when the event could not be made; the watch is then of no use.
  bool usable() const { return static_cast<bool>(event_); }
  // Never null: the event stays the same while the key comes and goes, and is simply never
  // signalled while the key is missing.
  HANDLE event() const override { return event_.get(); }
  // Opens the key, when it is not open, and arms its notification. True when it is open and armed.
  bool OpenAndArm();
  // A key that was deleted is let go of here (OpenAndArm finds it again when it is created
  // anew). A key closed while armed signals once more: that is no change.
  bool Rearm() override;
  // The deletion of the watched key itself does not always signal; this notices it.
  bool Refresh() override;

 private:
  bool Arm();

  WatchedKey watched_;
  win32::UniqueKey key_;
  win32::UniqueHandle event_;  // auto-reset
};

}  // namespace obrivo::quenrax
