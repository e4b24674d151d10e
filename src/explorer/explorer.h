// The Explorer program: start-up, the single instance, the invisible main window that receives
// page requests and runs the property sheet, and the work done once per start.
#pragma once

#include <windows.h>

#include <string_view>

#include "core/command_switches.h"

namespace obrivo::explorer {

int RunExplorer(HINSTANCE instance, std::wstring_view arguments);

// Clean-up before the product is removed (-Restore): every delayed-start program back to its
// startup location, language overrides, stored window positions and the shell menu entry.
// False when a delayed program could not go back: it stays on the list in the settings, which
// the uninstaller then keeps.
bool RestoreBeforeRemoval();
// -AUOption, -SetPrefix, -SetUAC: writes the kept value back to the machine after checking it,
// says why when it cannot, and returns the exit code (core::kMachineSetting...).
int WriteMachineSettingBack(core::ExplorerCommandLine::Action action);
// One first-detection key pruned per start, in rotation; returns the rotation's new count.
int PruneNextDetectedKey();
// Deletes the prefetch files Windows kept of the program's installer; returns how many.
int CleanPrefetch();

}  // namespace obrivo::explorer
