// Set Patrol Time: one category's patrol interval in minutes and its real-time flag, opened from
// a page's Monitor picture and from the Options page's patrol pictures.
#pragma once

#include <windows.h>

#include <string_view>

namespace obrivo::explorer {

// The dialog's title for the category whose interval option is `intervalOption` (a string id;
// 0 for an option that is no patrol interval).
int PatrolTimeTitleId(std::string_view intervalOption);

// Modal over `owner`. OK stores the minutes under `intervalOption` (0 switches the category's
// patrol off) and returns them; Cancel stores nothing, puts the real-time flag back as it was and
// returns -1. The real-time box stores `realtimeOption` as soon as it is clicked; it is disabled
// for a category without real-time watching (empty `realtimeOption`).
int ShowPatrolTimeDialog(HWND owner, std::string_view intervalOption,
                         std::string_view realtimeOption);

}  // namespace obrivo::explorer
