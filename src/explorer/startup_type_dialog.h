// Startup Program Type: whether a program added to the delayed-start list starts for every user
// of the machine or for the current user only.
#pragma once

#include <windows.h>

#include <optional>

#include "startup/delayed_list.h"

namespace obrivo::explorer {

// Modal over `owner`: the hive the program goes into (machine for all users, user for the
// current one); nothing when the user cancelled.
std::optional<startup::DelayHive> AskStartupType(HWND owner);

}  // namespace obrivo::explorer
