// The Monitor's confirmation before it removes a rejected entry of an advanced startup location.
#pragma once

#include "startup/startup_actions.h"

namespace obrivo::monitor {

// Asks with a Yes/No message box (string 15 with the entry's path) while the startup alert is
// not hidden (HideStartup 0); No keeps the entry. With the alert hidden the rejection stands and
// nothing is asked.
startup::AdvancedRemovalConfirm AdvancedRemovalConfirmation();

}  // namespace obrivo::monitor
