// The startup baseline and the Monitor's startup check.
#include "startup/startup_check.h"

#include <windows.h>

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "common/first_detected.h"
#include "common/items.h"
#include "common/store.h"
#include "core/alert_rules.h"
#include "core/startup_codes.h"
#include "core/text.h"
#include "startup/startup_locations.h"
#include "startup/startup_sources.h"
#include "system/processes.h"

namespace obrivo::startup {
namespace {

constexpr std::size_t kBaselineReadChars = 32;
constexpr std::string_view kSkippedTitle = "McAfee Application Installer Cleanup";

std::string BaselineKey() { return common::ProductSubkey("Run"); }

// Entries accepted in this run whose baseline value could not be written (the store reports
// that to the trace): the answer still holds, so they are not asked about at every patrol.
std::unordered_set<std::string>& AcceptedUnwritten() {
  static std::unordered_set<std::string> names;
  return names;
}

// The baseline as one check sees it: read once (a key opened and closed per entry made a quiet
// pass over a thousand entries several times dearer than listing them), and kept in step with
// what the check itself writes, so that an entry listed twice is asked about once.
class Baseline {
 public:
  Baseline() {
    for (const detail::StringValue& value :
         detail::ReadStringValues(HKEY_CURRENT_USER, BaselineKey())) {
      // Longer data is no location code.
      if (core::CharCount(value.command) < kBaselineReadChars)
        values_[core::ToUpper(value.name)] = core::LeadingNumber(value.command);
    }
  }

  // Under the entry's command, else (a second chance) under its name; 0: not known.
  int ValueOf(const core::Item& item) const {
    const int byPath = Number(core::ValueNameForm(item.path));
    if (byPath != 0) return byPath;
    const int byName = Number(core::EntryName(item));
    if (byName != 0) return byName;
    return AcceptedUnwritten().count(core::ToUpper(core::ValueNameForm(item.path))) ? item.type : 0;
  }

  void Accept(const core::Item& item) {
    const std::string name = core::ValueNameForm(item.path);
    if (!common::WriteStoreString(HKEY_CURRENT_USER, BaselineKey(), name,
                                  std::to_string(item.type)))
      AcceptedUnwritten().insert(core::ToUpper(name));
    values_[core::ToUpper(name)] = item.type;
  }

  void Forget(std::string_view name) {
    common::DeleteStoreValue(HKEY_CURRENT_USER, BaselineKey(), name);
    values_.erase(core::ToUpper(name));
  }

 private:
  int Number(std::string_view name) const {
    if (name.empty()) return 0;
    const auto found = values_.find(core::ToUpper(name));
    return found == values_.end() ? 0 : found->second;
  }

  std::unordered_map<std::string, int> values_;
};

void Disable(const core::Item& item) {
  if (!IsStartupEntryDisabled(item))
    ToggleStartupEntry(core::EntryName(item), item.path, item.key, item.type);
}

void StopProgram(const core::Item& item) {
  system::StopEntryProgram(nullptr, EntryCommandLine(item), item.title, false);
}

// The run-once locations whose new entries the HideRunOnce option lets pass unasked: updates
// use them to finish their work at the next start.
// An answer of 0 (the alert could not be shown) decides nothing: the entry is asked about again
// at the next check.
void CheckReturnedEntry(const core::Item& item, const StartupCheckHooks& hooks,
                        Baseline& baseline) {
  const int answer = hooks.askReturnedEntry ? hooks.askReturnedEntry(item) : core::kAlertYes;
  if (answer != core::kAlertYes && answer != core::kAlertNo) return;
  baseline.Accept(item);
  if (answer == core::kAlertYes) {
    if (hooks.removeFromDelayedList) hooks.removeFromDelayedList(item);
  } else {
    Disable(item);
  }
}

void CheckNewEntry(const core::Item& item, const StartupCheckHooks& hooks, Baseline& baseline) {
  if (core::ContainsNoCase(core::EntryName(item), kSkippedTitle)) return;
  if (common::ReadOption("HideRunOnce", 0) != 0 && core::IsLetThroughRunOnce(item.type)) return;
  common::RecordFirstDetected(common::kDetectedStartup, item.path);
  if (hooks.showAlertIcon) hooks.showAlertIcon();
  const int answer = hooks.askNewEntry ? hooks.askNewEntry(item) : core::kAlertYes;
  switch (answer) {
    case core::kAlertNo:
      StopProgram(item);
      RemoveStartupEntry(core::EntryName(item), item.path, item.key, item.type,
                         hooks.confirmAdvancedRemoval);
      baseline.Forget(core::ValueNameForm(item.path));
      baseline.Forget(core::EntryName(item));
      break;
    case core::kAlertDisable:
      baseline.Accept(item);
      StopProgram(item);
      Disable(item);
      break;
    case core::kAlertYes:
      baseline.Accept(item);
      break;
    default:
      break;
  }
}

}  // namespace

void SnapshotStartup() {
  EnumStartup(false);
  const core::ItemList items = common::Items();
  Baseline baseline;
  for (std::size_t i = 0; i < items.Count(); ++i) baseline.Accept(items.At(i));
}

bool StartupChanged() {
  EnumStartup(false);
  const core::ItemList& items = common::Items();
  const Baseline baseline;
  for (std::size_t i = 0; i < items.Count(); ++i) {
    if (items.At(i).disabled) continue;
    const int value = baseline.ValueOf(items.At(i));
    if (value == 0 || value == core::kMovedToDelayedList) return true;
  }
  return false;
}

void CheckStartup(const StartupCheckHooks& hooks) {
  EnumStartup(false);
  // The answers stop programs and change the startup locations, and the alerts look into the
  // system themselves: work from a copy of what was found.
  const core::ItemList items = common::Items();
  Baseline baseline;
  for (std::size_t i = 0; i < items.Count(); ++i) {
    const core::Item& item = items.At(i);
    // The user switched it off here: it starts nothing, and what is kept of it is theirs.
    if (item.disabled) continue;
    const int value = baseline.ValueOf(item);
    if (value == core::kMovedToDelayedList)
      CheckReturnedEntry(item, hooks, baseline);
    else if (value == 0)
      CheckNewEntry(item, hooks, baseline);
  }
}

}  // namespace obrivo::startup
