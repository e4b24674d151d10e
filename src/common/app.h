// Process-wide state that both programs set up at start and every part reads: which program
// this is, where its strings live, the interface language and the options as loaded.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "core/options.h"

namespace obrivo::common {

struct AppContext {
  core::Program program = core::Program::Monitor;
  HINSTANCE instance = nullptr;  // owner of the string table
  bool ntFamily = true;
  std::uint16_t languageId = 0;  // primary language id of the interface; 9 is English
  bool diagnostics = false;      // the Debug option was set at start
  std::uint32_t startTick = 0;
  bool wow64Keys = false;        // the 32-bit view of the Run keys exists and is read too
  bool monitorRegistered = false;  // the Monitor starts at logon
  core::OptionSet options{core::Program::Monitor, true};
};

AppContext& App();

// Resets the context for `program`; called once at the very start of each program.
void InitApp(core::Program program, HINSTANCE instance);

}  // namespace obrivo::common
