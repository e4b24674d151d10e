// The warning the Explorer shows before it removes an entry of an advanced startup location:
// such an entry may be what Windows needs to work, so it goes only when the user ticks "Yes, I
// really know what I'm doing".
#pragma once

#include <windows.h>

#include <string_view>

#include "startup/startup_actions.h"

namespace obrivo::explorer {

// Modal over `owner`; true only when OK was pressed with the box ticked.
bool ShowAdvancedWarning(HWND owner, std::string_view title, std::string_view path);

// The confirmation the removal operations take, answered by this warning.
startup::AdvancedRemovalConfirm AdvancedWarningConfirm(HWND owner);

}  // namespace obrivo::explorer
