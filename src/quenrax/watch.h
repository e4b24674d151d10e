// Something the notifier watches that the system signals through a waitable handle.
#pragma once

#include <windows.h>

namespace obrivo::quenrax {

class Watch {
 public:
  virtual ~Watch() = default;
  // The handle to wait on; null while the watched thing is missing.
  virtual HANDLE event() const = 0;
  // After the handle was signalled: asks for the next signal before anyone looks at what
  // changed, so a change made meanwhile signals once more. True when something changed.
  virtual bool Rearm() = 0;
  // At each look at the system: lets go of what has gone away and opens what has appeared.
  // True when either happened since the last look.
  virtual bool Refresh() = 0;
};

}  // namespace obrivo::quenrax
