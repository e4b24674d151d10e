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
#include "startup/startup_sources.h"

namespace obrivo::startup::detail {
namespace {

HKEY HiveOf(core::RunRoot root) {
  return root == core::RunRoot::User ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

// The same name and data as the value handled just before, in whichever key that was.
struct PreviousValue {
  bool seen = false;
  std::string name, data;

  bool Repeats(const StringValue& value) const {
    return seen && core::EqualsNoCase(value.name, name) && core::EqualsNoCase(value.data, data);
  }
};

// A value that came back in its location while the entry is disabled there is switched off
// again: its current command replaces the stored one, and then the live value goes. True when
// the live value is gone; otherwise the entry is still live and must be listed as such.
bool DisableAgain(HKEY hive, const std::string& path, const StringValue& value, int code) {
  if (!WriteDisabledRecord(code, value.name, {value.data, value.type})) return false;
  return DeleteValueIfPresent(hive, path, value.name);
}

}  // namespace

void AddRunEntry(const StringValue& value, int code, bool disabled) {
  // A RUNDLL32.EXE command is listed by what it loads.
  const auto target = core::RundllTarget(value.command);
  if (!common::AddItem(value.name, target.value_or(value.command), "", "", code, target ? 1 : 0))
    return;
  core::Item& item = common::LastItem();
  item.command = value.data;
  item.disabled = disabled;
}

void ListRunKeys() {
  std::vector<core::RunRoot> roots = {core::RunRoot::Machine, core::RunRoot::User};
  if (common::App().wow64Keys) roots.push_back(core::RunRoot::Machine32);
  PreviousValue previous;
  const DisabledRecords records;
  for (const core::RunRoot root : roots) {
    for (int index = 0; index < core::kRunKeyCount; ++index) {
      const int code = core::RunKeyCodeFor(root, index);
      const std::string path = core::RunKeyPath(code);
      // Read whole before any value is switched off again.
      for (const StringValue& value : ReadStringValues(HiveOf(root), path)) {
        const bool repeated = previous.Repeats(value);
        previous = {true, value.name, value.data};
        if (repeated) continue;
        if (records.Find(code, value.name) && DisableAgain(HiveOf(root), path, value, code))
          continue;
        // Too short to name a program, or a name too short to be an entry. Any other name is
        // listed whatever characters it starts with: a name beyond ASCII must not hide an entry.
        if (core::CharCount(value.name) <= 1 || core::CharCount(value.command) <= 4) continue;
        AddRunEntry(value, code, false);
      }
    }
  }
}

void ListDisabledEntries() {
  const DisabledRecords records;
  for (const int code : core::DisabledCodesInListOrder()) {
    for (const DisabledRecords::Record& record : records.Of(code)) {
      // A record without a command only keeps a returning namesake switched off.
      if (record.stored.text.empty()) continue;
      if (core::SplitRunKeyCode(code)) {
        const bool expand = record.stored.type == REG_EXPAND_SZ;
        const StringValue value{
            record.name, record.stored.text,
            expand ? win32::ExpandEnvironment(record.stored.text) : record.stored.text,
            record.stored.type};
        AddRunEntry(value, code, true);
      } else if (code == core::kWinIniLoad || code == core::kWinIniRun) {
        AddWinIniEntry(record.stored.text, code, true);
      } else if (common::AddItem(record.name, record.stored.text, "", "", code, 0)) {
        core::Item& item = common::LastItem();
        item.command = record.stored.text;
        item.disabled = true;
      }
    }
  }
  const std::size_t first = common::ItemCount();
  ListStartupFolder(DisabledFolder());
  for (std::size_t i = first; i < common::ItemCount(); ++i) common::Items().At(i).disabled = true;
}

}  // namespace obrivo::startup::detail
