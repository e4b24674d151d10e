// The add-on baseline and the Monitor's add-on check. Every accepted add-on has a value under
// Software\Tolvane\Obrivo\IEHelpers named by its identity (kind and class identifier,
// core::AddOnIdentity) holding its type code: a title would let any add-on pass under a known
// product's name, and one acceptance would cover every add-on calling itself the same.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "browser/ie_helpers.h"
#include "core/item_list.h"

namespace obrivo::browser {

// The baseline key below HKEY_CURRENT_USER.
std::string IEHelperBaselineKey();

// Accepts every add-on there is now, and marks the baseline as kept by identity.
void SnapshotIEHelpers();

// Once, on the first start whose store has no baseline kept by identity (an older store holds a
// title-keyed one or none at all): takes it from the add-ons there are now, so that an upgrade
// does not ask about every add-on installed. True when it was taken now.
bool EnsureIEHelperBaseline();

// The paths the first-detected records of the add-ons there are now are kept under.
std::vector<std::string> IEHelperPaths();

// What the check needs from the Monitor.
struct IEHelperCheckHooks {
  // A new add-on: 6 accept, 7 reject; 0 (no alert could be shown) decides nothing.
  std::function<int(const core::Item&)> ask;
  std::function<void()> showAlertIcon;
  // Ends programs started from the add-on's file before its registration goes.
  std::function<void(const core::Item&)> stopProgram;
  // A rejected add-on whose registration could not be deleted: it stays, and is asked about
  // again at the next patrol.
  std::function<void(const core::Item&, const IEHelperRemoval&)> removalFailed;
};

// Asks about each add-on the baseline does not know; Yes accepts it, No removes its
// registration (RemoveIEHelper). Returns the number of add-ons examined.
std::size_t VerifyIEHelpers(const IEHelperCheckHooks& hooks);

}  // namespace obrivo::browser
