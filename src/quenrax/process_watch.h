// Notices programs starting and ending by comparing the ids of the running processes with
// those seen last time.
#pragma once

#include <windows.h>

#include <vector>

namespace obrivo::quenrax {

class ProcessWatch {
 public:
  // Takes the first picture; nothing counts as changed until there is one to compare with.
  ProcessWatch();
  // True when the set of running processes differs from the last look. A look that fails
  // (the system could not list its processes) changes nothing.
  bool Changed();

 private:
  std::vector<DWORD> ids_;  // sorted
  bool known_ = false;      // the first picture has been taken
};

}  // namespace obrivo::quenrax
