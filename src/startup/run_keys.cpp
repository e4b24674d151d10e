// The Run keys of both hives and of the machine's 32-bit view, and the entries kept in the
// Disabled store while they are switched off.
#include <windows.h>

#include "common/app.h"
#include "common/items.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/registry.h"
#include "core/command_line.h"
#include "core/startup_codes.h"
#include "core/text.h"
#include "startup/entry_store.h"
#include "startup/startup_actions.h"
#include "startup/startup_sources.h"

namespace obrivo::startup::detail {
namespace {

HKEY HiveOf(core::RunRoot root) {
  return root == core::RunRoot::User ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

bool LiveValueExists(HKEY hive, const std::string& path, const std::string& name) {
  const win32::UniqueKey key = win32::OpenKey(hive, path, KEY_READ);
  return key && win32::QueryValue(key.get(), name).has_value();
}

// The same name and data as the value handled just before, in whichever key that was.
struct PreviousValue {
  bool seen = false;
  std::string name, data;

  bool Repeats(const StringValue& value) const {
    return seen && core::EqualsNoCase(value.name, name) && core::EqualsNoCase(value.data, data);
  }
};

// A value that came back while its title has a Disabled marker is switched off again: the
// first toggle enables the stored copy, the second disables the live value, so the live value
// goes and the stored copy holds the current command. True when the live value is gone. A
// location that cannot be disabled keeps its value, and then the entry must still be listed.
bool DisableAgain(HKEY hive, const std::string& path, const StringValue& value, int code) {
  ToggleStartupEntry(value.name, value.data, "", code);
  ToggleStartupEntry(value.name, value.data, "", code);
  return !LiveValueExists(hive, path, value.name);
}

void ListRunValue(HKEY hive, const std::string& path, int code, const StringValue& value,
                  const DisabledMarkers& markers) {
  if (!value.name.empty() && markers.Has(value.name) && DisableAgain(hive, path, value, code))
    return;
  // Too short to name a program, or a name too short to be an entry. Any other name is listed
  // whatever characters it starts with: a name beyond ASCII must not hide an entry.
  if (core::CharCount(value.name) <= 1 || core::CharCount(value.command) <= 4) return;
  if (const auto target = core::RundllTarget(value.command))
    common::AddItem(value.name, *target, "", "", code, 1);
  else
    common::AddItem(value.name, value.command, "", "", code, 0);
}

}  // namespace

void ListRunKeys() {
  std::vector<core::RunRoot> roots = {core::RunRoot::Machine, core::RunRoot::User};
  if (common::App().wow64Keys) roots.push_back(core::RunRoot::Machine32);
  PreviousValue previous;
  const DisabledMarkers markers;
  for (const core::RunRoot root : roots) {
    for (int index = 0; index < core::kRunKeyCount; ++index) {
      const int code = core::RunKeyCodeFor(root, index);
      const std::string path = core::RunKeyPath(code);
      // Read whole before any toggle changes the key.
      for (const StringValue& value : ReadStringValues(HiveOf(root), path)) {
        const bool repeated = previous.Repeats(value);
        previous = {true, value.name, value.data};
        if (!repeated) ListRunValue(HiveOf(root), path, code, value, markers);
      }
    }
  }
}

void ListDisabledEntries() {
  const std::string disabledKey = common::ProductSubkey("Disabled");
  const DisabledMarkers markers;
  for (const std::string_view subkey : core::DisabledSubkeysInListOrder()) {
    const std::string path = disabledKey + "\\" + std::string(subkey);
    for (const StringValue& value : ReadStringValues(HKEY_LOCAL_MACHINE, path)) {
      if (value.name.empty()) continue;
      const int code = markers.CodeOf(value.name);
      if (code > 0) common::AddItem(value.name, value.data, "", "", code, 0);
    }
  }
  ListStartupFolder(common::ProgramFolder() + "\\Disabled");
}

}  // namespace obrivo::startup::detail
