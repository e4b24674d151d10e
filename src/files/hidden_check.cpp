// The hidden-files check.
#include "files/hidden_check.h"

#include <vector>

#include "common/first_detected.h"
#include "common/items.h"
#include "core/alert_rules.h"
#include "core/capacity.h"
#include "core/text.h"
#include "files/hidden_files.h"

namespace obrivo::files {

std::size_t VerifyHiddenFiles(const HiddenCheckHooks& hooks) {
  // Only a file asked about needs its product name: the quiet pass reads no file.
  EnumHiddenFiles(false);
  const std::size_t listed = common::ItemCount();
  const std::unordered_set<std::string> accepted = AcceptedHiddenPaths();
  // The alerts look into the system themselves: work from copies of the new files.
  std::vector<core::Item> unknown;
  for (std::size_t i = 0; i < listed; ++i)
    if (!accepted.count(core::ToUpper(common::Items().At(i).path)))
      unknown.push_back(common::Items().At(i));
  for (core::Item& item : unknown) {
    item.title = core::TruncateChars(HiddenFileTitle(item.path), core::kTitleCapacity);
    common::RecordFirstDetected(common::kDetectedHidden, item.path);
    if (hooks.showAlertIcon) hooks.showAlertIcon();
    const int answer = hooks.ask ? hooks.ask(item) : core::kAlertYes;
    if (answer == core::kAlertYes) {
      AcceptHiddenFile(item.path);
    } else if (answer == core::kAlertNo) {
      const HiddenDeletionResult result = DeleteHiddenFile(item.path, item.title);
      if (result.outcome != HiddenDeletion::Deleted && result.outcome != HiddenDeletion::Gone &&
          hooks.deletionFailed)
        hooks.deletionFailed(item, result);
    }
  }
  return listed;
}

}  // namespace obrivo::files
