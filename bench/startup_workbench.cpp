// The in-process startup benchmarks' sandbox, program context and entries.
#include "startup_workbench.h"

#include <windows.h>

#include "common/app.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/wide.h"
#include "core/startup_codes.h"
#include "test_process.h"

namespace obrivo::bench {

StartupWorkbench::StartupWorkbench(core::Program program) {
  common::InitApp(program, ::GetModuleHandleW(nullptr));
  common::App().languageId = 9;
  common::App().wow64Keys = true;  // the sandbox has the 32-bit view's Run key
  agent_ = common::ProgramFolder() + "\\agent.exe";
  const std::wstring helper =
      test::HostToWine(test::EnvVar(L"OBRIVO_BIN_DIR")) + L"\\obrivo_test_helper.exe";
  ready_ = ::CopyFileW(helper.c_str(), win32::Wide(agent_).c_str(), FALSE) != 0;
}

StartupWorkbench::~StartupWorkbench() { ::DeleteFileW(win32::Wide(agent_).c_str()); }

bool StartupWorkbench::AddRunValues(const std::string& prefix, int count) const {
  for (int i = 0; i < count; ++i)
    if (!common::WriteStoreString(HKEY_CURRENT_USER, core::RunKeyPath(11),
                                  prefix + std::to_string(1000 + i),
                                  "\"" + agent_ + "\" -instance " + std::to_string(i)))
      return false;
  return true;
}

}  // namespace obrivo::bench
