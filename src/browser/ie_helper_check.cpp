// The add-on baseline and the Monitor's add-on check.
#include "browser/ie_helper_check.h"

#include <windows.h>

#include <unordered_map>

#include "common/first_detected.h"
#include "common/items.h"
#include "common/store.h"
#include "common/win32/registry.h"
#include "core/alert_rules.h"
#include "core/class_id.h"
#include "core/text.h"

namespace obrivo::browser {
namespace {

// The baseline key's default value once it is kept by identity.
constexpr std::string_view kIdentityMarker = "Class";

// The baseline as one check sees it: read once, and kept in step with what the check writes.
class Baseline {
 public:
  Baseline() {
    const win32::UniqueKey key =
        win32::OpenKey(HKEY_CURRENT_USER, IEHelperBaselineKey(), KEY_READ);
    if (!key) return;
    for (const win32::NamedValue& value : win32::EnumValues(key.get())) {
      if (value.name.empty()) continue;
      const auto text = win32::StringFromValue(value.value);
      if (text) values_[core::ToUpper(value.name)] = core::LeadingNumber(*text);
    }
  }

  bool Knows(const core::Item& item) const { return KnowsIdentity(Identity(item)); }
  bool KnowsIdentity(const std::string& identity) const {
    const auto found = values_.find(core::ToUpper(identity));
    return found != values_.end() && found->second != 0;
  }

  void Accept(const core::Item& item) {
    common::WriteStoreString(HKEY_CURRENT_USER, IEHelperBaselineKey(), Identity(item),
                             std::to_string(item.type));
    values_[core::ToUpper(Identity(item))] = item.type;
  }

  void Forget(const core::Item& item) {
    common::DeleteStoreValue(HKEY_CURRENT_USER, IEHelperBaselineKey(), Identity(item));
    values_.erase(core::ToUpper(Identity(item)));
  }

 private:
  static std::string Identity(const core::Item& item) {
    return core::AddOnIdentity(item.type, item.key);
  }

  std::unordered_map<std::string, int> values_;
};

void CheckNewHelper(const core::Item& item, const IEHelperCheckHooks& hooks, Baseline& baseline) {
  common::RecordFirstDetected(common::kDetectedIEHelper, item.path);
  if (hooks.showAlertIcon) hooks.showAlertIcon();
  const int answer = hooks.ask ? hooks.ask(item) : core::kAlertYes;
  if (answer == core::kAlertYes) {
    baseline.Accept(item);
  } else if (answer == core::kAlertNo) {
    if (hooks.stopProgram && !item.path.empty()) hooks.stopProgram(item);
    const IEHelperRemoval removal = RemoveIEHelper(item);
    if (removal.removed)
      baseline.Forget(item);
    else if (hooks.removalFailed)
      hooks.removalFailed(item, removal);
  }
}

}  // namespace

std::string IEHelperBaselineKey() { return common::ProductSubkey("IEHelpers"); }

void SnapshotIEHelpers() {
  EnumIEHelpers();
  const core::ItemList items = common::Items();
  Baseline baseline;
  for (std::size_t i = 0; i < items.Count(); ++i) baseline.Accept(items.At(i));
  common::WriteStoreString(HKEY_CURRENT_USER, IEHelperBaselineKey(), "",
                           std::string(kIdentityMarker));
}

bool EnsureIEHelperBaseline() {
  if (common::ReadStoreString(IEHelperBaselineKey(), HKEY_CURRENT_USER, "", 16) ==
      kIdentityMarker)
    return false;
  // Values named by title mean nothing by identity; left there they would only mislead.
  common::DeleteStoreTree(HKEY_CURRENT_USER, IEHelperBaselineKey());
  SnapshotIEHelpers();
  return true;
}

std::vector<std::string> IEHelperPaths() {
  std::vector<std::string> paths;
  for (std::size_t i = 0, n = EnumIEHelpers(); i < n; ++i)
    if (!common::ItemPath(i).empty()) paths.push_back(common::ItemPath(i));
  return paths;
}

std::size_t VerifyIEHelpers(const IEHelperCheckHooks& hooks) {
  // The pass repeated while nothing changes reads names only.
  {
    const Baseline known;
    const std::vector<std::string> identities = RegisteredIEHelperIdentities();
    bool allKnown = true;
    for (const std::string& identity : identities)
      if (!known.KnowsIdentity(identity)) allKnown = false;
    if (allKnown) return identities.size();
  }
  EnumIEHelpers();
  // The answers change the registrations and the alerts look into the system themselves: work
  // from a copy of what was found.
  const core::ItemList items = common::Items();
  Baseline baseline;
  for (std::size_t i = 0; i < items.Count(); ++i)
    if (!baseline.Knows(items.At(i))) CheckNewHelper(items.At(i), hooks, baseline);
  return items.Count();
}

}  // namespace obrivo::browser
