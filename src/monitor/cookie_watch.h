// The Monitor's cookie patrols: the filter (category 11), the waiting rewrite of the Mozilla
// cookie file (category 12, on every pass of its half) and the new-cookie check (category 13).
#pragma once

#include <functional>

namespace obrivo::monitor {

// Removes the cookies the filters pick, in the store of the default browser.
void FilterCookies();
// Puts a waiting rewrite of the Mozilla cookie file in place once no Mozilla window is open.
void ApplyWaitingCookieFile();

// The user's side of the new-cookie check: the question, and opening the cookie list.
struct NewCookieHooks {
  std::function<bool()> ask;  // true for Yes
  std::function<void()> openCookieList;
};
NewCookieHooks MonitorNewCookieHooks();
// Asks once when a cookie the user has not marked to keep is found; true when it asked.
bool CheckNewCookies(const NewCookieHooks& hooks);

}  // namespace obrivo::monitor
