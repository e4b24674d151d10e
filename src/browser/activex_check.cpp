// The ActiveX baseline and the Monitor's ActiveX check.
#include "browser/activex_check.h"

#include <windows.h>

#include <unordered_set>

#include "common/first_detected.h"
#include "common/items.h"
#include "common/store.h"
#include "common/win32/registry.h"
#include "core/alert_rules.h"
#include "core/class_id.h"
#include "core/history_codes.h"
#include "core/text.h"

namespace obrivo::browser {
namespace {

// The baseline key's default value once it has been taken.
constexpr std::string_view kTakenMarker = "P";

// The known controls as one check sees them: read once, kept in step with what it writes.
class Baseline {
 public:
  Baseline() {
    const win32::UniqueKey key = win32::OpenKey(HKEY_CURRENT_USER, ActiveXBaselineKey(), KEY_READ);
    if (!key) return;
    for (const win32::NamedValue& value : win32::EnumValues(key.get())) {
      if (value.name.empty()) continue;
      const auto text = win32::StringFromValue(value.value);
      if (text && core::LeadingNumber(*text) != 0) known_.insert(core::ToUpper(value.name));
    }
  }

  bool Knows(std::string_view clsid) const {
    return known_.count(core::ToUpper(core::ClassIdentity(clsid))) != 0;
  }

  void Add(std::string_view clsid) {
    const std::string identity = core::ClassIdentity(clsid);
    common::WriteStoreString(HKEY_CURRENT_USER, ActiveXBaselineKey(), identity,
                             std::to_string(core::item_type::kActiveX));
    known_.insert(core::ToUpper(identity));
  }

 private:
  std::unordered_set<std::string> known_;
};

}  // namespace

std::string ActiveXBaselineKey() { return common::ProductSubkey("ActiveX"); }

bool SnapshotActiveX() {
  const std::string marker =
      common::ReadStoreString(ActiveXBaselineKey(), HKEY_CURRENT_USER, "", 32);
  if (!marker.empty() && marker.front() == kTakenMarker.front()) return false;
  common::DeleteStoreTree(HKEY_CURRENT_USER, ActiveXBaselineKey());
  common::WriteStoreString(HKEY_CURRENT_USER, ActiveXBaselineKey(), "", kTakenMarker);
  Baseline baseline;
  for (const std::string& clsid : ActiveXKeys()) baseline.Add(clsid);
  return true;
}

std::vector<std::string> ActiveXKeys() {
  std::vector<std::string> keys;
  for (std::size_t i = 0, n = EnumUsedActiveX({}); i < n; ++i)
    keys.push_back(common::Items().At(i).key);
  return keys;
}

std::size_t VerifyActiveX(const ActiveXCheckHooks& hooks) {
  Baseline baseline;
  // The pass repeated while nothing changes reads the statistics' names only.
  {
    bool allKnown = true;
    const std::vector<std::string> names = UsedActiveXNames();
    for (const std::string& name : names)
      if (!baseline.Knows(name)) allKnown = false;
    if (allKnown) return names.size();
  }
  // Every control the browser uses is watched, Microsoft's too: the page's box only tidies a list.
  EnumUsedActiveX({});
  // The alerts look into the system themselves: work from a copy of what was found.
  const core::ItemList items = common::Items();
  for (std::size_t i = 0; i < items.Count(); ++i) {
    const core::Item& item = items.At(i);
    if (baseline.Knows(item.key)) continue;
    common::RecordFirstDetected(common::kDetectedActiveX, item.key);
    if (hooks.showAlertIcon) hooks.showAlertIcon();
    const int answer = hooks.ask ? hooks.ask(item) : core::kAlertYes;
    if (answer != core::kAlertYes && answer != core::kAlertNo) continue;
    // Known whatever the answer: each control is asked about once.
    baseline.Add(item.key);
    if (answer == core::kAlertNo) {
      const KillBitWrite write = DisableActiveX(item);
      if (!write.done && hooks.disableFailed) hooks.disableFailed(item, write);
    }
  }
  return items.Count();
}

}  // namespace obrivo::browser
