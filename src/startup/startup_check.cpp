// The startup baseline and the Monitor's startup check.
#include "startup/startup_check.h"

#include <windows.h>

#include <string>

#include "common/first_detected.h"
#include "common/items.h"
#include "common/store.h"
#include "core/alert_rules.h"
#include "core/text.h"
#include "startup/startup_locations.h"
#include "system/processes.h"

namespace obrivo::startup {
namespace {

constexpr int kMovedToDelayedList = 1103;
constexpr std::size_t kBaselineReadChars = 32;
constexpr std::string_view kSkippedTitle = "McAfee Application Installer Cleanup";

std::string BaselineKey() { return common::ProductSubkey("Run"); }

int BaselineNumber(std::string_view name) {
  if (name.empty()) return 0;
  return core::LeadingNumber(
      common::ReadStoreString(BaselineKey(), HKEY_CURRENT_USER, name, kBaselineReadChars));
}

// The item's baseline value: under its command, else (a second chance) under its title.
// 0 means the baseline does not know it.
int BaselineValue(const core::Item& item) {
  const int byPath = BaselineNumber(core::ValueNameForm(item.path));
  return byPath != 0 ? byPath : BaselineNumber(core::EntryName(item));
}

void Accept(const core::Item& item) {
  common::WriteStoreString(HKEY_CURRENT_USER, BaselineKey(), core::ValueNameForm(item.path),
                           std::to_string(item.type));
}

void Disable(const core::Item& item) {
  if (!IsStartupEntryDisabled(core::EntryName(item)))
    ToggleStartupEntry(core::EntryName(item), item.path, item.key, item.type);
}

void StopProgram(const core::Item& item) {
  system::StopProgramByPath(nullptr, item.path, item.title, false);
}

// The run-once locations whose new entries the HideRunOnce option lets pass unasked: updates
// use them to finish their work at the next start.
bool IsHiddenRunOnce(int code) {
  return code == 2 || code == 3 || code == 12 || code == 13 || code == 22;
}

// An answer of 0 (the alert could not be shown) decides nothing: the entry is asked about again
// at the next check.
void CheckReturnedEntry(const core::Item& item, const StartupCheckHooks& hooks) {
  const int answer = hooks.askReturnedEntry ? hooks.askReturnedEntry(item) : core::kAlertYes;
  if (answer != core::kAlertYes && answer != core::kAlertNo) return;
  Accept(item);
  if (answer == core::kAlertYes) {
    if (hooks.removeFromDelayedList) hooks.removeFromDelayedList(item);
  } else {
    Disable(item);
  }
}

void CheckNewEntry(const core::Item& item, const StartupCheckHooks& hooks) {
  if (core::ContainsNoCase(core::EntryName(item), kSkippedTitle)) return;
  if (common::ReadOption("HideRunOnce", 0) != 0 && IsHiddenRunOnce(item.type)) return;
  common::RecordFirstDetected(common::kDetectedStartup, item.path);
  if (hooks.showAlertIcon) hooks.showAlertIcon();
  const int answer = hooks.askNewEntry ? hooks.askNewEntry(item) : core::kAlertYes;
  switch (answer) {
    case core::kAlertNo:
      StopProgram(item);
      RemoveStartupEntry(core::EntryName(item), item.path, item.key, item.type,
                         hooks.confirmAdvancedRemoval);
      common::DeleteStoreValue(HKEY_CURRENT_USER, BaselineKey(), core::ValueNameForm(item.path));
      common::DeleteStoreValue(HKEY_CURRENT_USER, BaselineKey(), core::EntryName(item));
      break;
    case core::kAlertDisable:
      Accept(item);
      StopProgram(item);
      Disable(item);
      break;
    case core::kAlertYes:
      Accept(item);
      break;
    default:
      break;
  }
}

}  // namespace

void SnapshotStartup() {
  EnumStartup(false);
  const core::ItemList items = common::Items();
  for (std::size_t i = 0; i < items.Count(); ++i) Accept(items.At(i));
}

bool StartupChanged() {
  EnumStartup(false);
  const core::ItemList& items = common::Items();
  for (std::size_t i = 0; i < items.Count(); ++i) {
    const int value = BaselineValue(items.At(i));
    if (value == 0 || value == kMovedToDelayedList) return true;
  }
  return false;
}

void CheckStartup(const StartupCheckHooks& hooks) {
  EnumStartup(false);
  // The answers stop programs and change the startup locations, and the alerts look into the
  // system themselves: work from a copy of what was found.
  const core::ItemList items = common::Items();
  for (std::size_t i = 0; i < items.Count(); ++i) {
    const core::Item& item = items.At(i);
    const int value = BaselineValue(item);
    if (value == kMovedToDelayedList)
      CheckReturnedEntry(item, hooks);
    else if (value == 0)
      CheckNewEntry(item, hooks);
  }
}

}  // namespace obrivo::startup
