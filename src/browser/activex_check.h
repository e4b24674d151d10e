// The ActiveX baseline and the Monitor's ActiveX check. Every control the Monitor has seen has a
// value under Software\Tolvane\Obrivo\ActiveX named by its class identifier
// (core::ClassIdentity) holding its type code; the key's default value "P" marks the baseline as
// taken. A control is asked about once, whatever the answer.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "browser/activex.h"
#include "core/item_list.h"

namespace obrivo::browser {

// The baseline key below HKEY_CURRENT_USER.
std::string ActiveXBaselineKey();

// Takes the baseline from the controls used now, unless it is marked as taken already. True when
// it was taken now.
bool SnapshotActiveX();

// The first-detected records of the controls used now are kept under their keys.
std::vector<std::string> ActiveXKeys();

// What the check needs from the Monitor.
struct ActiveXCheckHooks {
  // A new control: 6 allow, 7 disable; 0 (no alert could be shown) decides nothing, and the
  // control is asked about again at the next patrol.
  std::function<int(const core::Item&)> ask;
  std::function<void()> showAlertIcon;
  // A rejected control whose kill bit could not be written: it stays enabled.
  std::function<void(const core::Item&, const KillBitWrite&)> disableFailed;
};

// Asks about each used control the baseline does not know: it is dated and known from then on;
// No sets its kill bit. Returns the number of controls examined.
std::size_t VerifyActiveX(const ActiveXCheckHooks& hooks);

}  // namespace obrivo::browser
