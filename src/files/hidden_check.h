// The Monitor's hidden-files check: each hidden file the baseline does not know is dated and
// asked about; OK accepts it, Delete deletes it through the vault.
#pragma once

#include <cstddef>
#include <functional>

#include "core/item_list.h"
#include "files/hidden_vault.h"

namespace obrivo::files {

struct HiddenCheckHooks {
  // A new hidden file: 6 keep (accept), 7 delete; 0 (no alert could be shown) decides nothing.
  std::function<int(const core::Item&)> ask;
  std::function<void()> showAlertIcon;
  // A Delete that did not happen: the file stays and is asked about again at the next patrol.
  std::function<void(const core::Item&, const HiddenDeletionResult&)> deletionFailed;
};

// Lists the hidden files and asks about each new one. Returns the number listed.
std::size_t VerifyHiddenFiles(const HiddenCheckHooks& hooks);

}  // namespace obrivo::files
