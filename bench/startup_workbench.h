// The set-up of the in-process startup benchmarks: this process's registry redirected to scratch
// keys, the program context of one of the programs, and agent.exe beside this program for the
// Run entries to name.
#pragma once

#include <string>

#include "core/options.h"
#include "registry_sandbox.h"

namespace obrivo::bench {

class StartupWorkbench {
 public:
  explicit StartupWorkbench(core::Program program);
  ~StartupWorkbench();
  StartupWorkbench(const StartupWorkbench&) = delete;
  StartupWorkbench& operator=(const StartupWorkbench&) = delete;

  bool ready() const { return ready_; }
  const std::string& agent() const { return agent_; }

  // Writes `count` values `<prefix><1000 + i>` into the user's Run key, each starting agent.exe
  // with arguments of its own, so that each is a separate entry with its own baseline value.
  bool AddRunValues(const std::string& prefix, int count) const;

 private:
  test::RegistrySandbox sandbox_;
  std::string agent_;
  bool ready_ = false;
};

}  // namespace obrivo::bench
