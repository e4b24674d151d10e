// The Monitor's Run value.
#include "startup/monitor_registration.h"

#include <windows.h>

#include <string>
#include <vector>

#include "common/app.h"
#include "common/items.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "core/command_line.h"
#include "core/startup_codes.h"
#include "core/text.h"
#include "startup/startup_actions.h"
#include "startup/startup_locations.h"
#include "string_ids.h"

namespace obrivo::startup {
namespace {

constexpr const char* kMachineRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr int kOlderTitleId = 622;
constexpr const char* kExplorerTitle = "Obrivo Explorer";

bool RunValueExists(const std::string& name) {
  return !name.empty() &&
         !common::ReadStoreString(kMachineRunKey, HKEY_LOCAL_MACHINE, name, 1024).empty();
}

}  // namespace

bool IsMonitorRegistered() {
  return RunValueExists(common::LoadText(IDS_PROGRAM_TITLE)) ||
         RunValueExists(common::LoadText(kOlderTitleId));
}

void RemoveOlderMonitorEntry() {
  const std::string older = common::LoadText(kOlderTitleId);
  if (!older.empty()) common::DeleteStoreValue(HKEY_LOCAL_MACHINE, kMachineRunKey, older);
}

std::string MonitorRunCommand(std::string_view programFolder) {
  return core::QuotedCommandLine(std::string(programFolder) + "\\obrivo.exe", "-expressboot");
}

bool RegisterMonitorAtLogon(bool on) {
  if (on) {
    const std::string command = MonitorRunCommand(common::ProgramFolder());
    if (!common::WriteStoreString(HKEY_LOCAL_MACHINE, kMachineRunKey,
                                  common::LoadText(IDS_PROGRAM_TITLE), command))
      return IsMonitorRegistered();
    // The Monitor's own entry is accepted, so it never alerts about itself: under the path the
    // startup listing gives it, which has no quotes (and so is the name the unquoted entries of
    // earlier builds were accepted by).
    common::WriteStoreString(HKEY_CURRENT_USER, common::ProductSubkey("Run"),
                             core::ValueNameForm(core::StripQuotes(command)), "1");
    return true;
  }
  // Wherever an entry starts one of the programs, the titles it has been registered under go;
  // the program's name is looked for anywhere in the command, so the unquoted values of earlier
  // builds count as ours too.
  EnumStartup(false);
  const core::ItemList items = common::Items();
  bool found = false;
  for (std::size_t i = 0; i < items.Count(); ++i) {
    const core::Item& item = items.At(i);
    std::vector<std::string> titles;
    if (core::ContainsNoCase(item.path, "Obrivo.exe"))
      titles = {common::LoadText(IDS_PROGRAM_TITLE), common::LoadText(kOlderTitleId)};
    else if (core::ContainsNoCase(item.path, "ObrivoEx.exe"))
      titles = {kExplorerTitle};
    else
      continue;
    found = true;
    // The advanced locations are never edited without asking; the Monitor is not started there.
    if (core::IsAdvancedStartupCode(item.type)) continue;
    for (const std::string& title : titles)
      if (!title.empty()) RemoveStartupEntry(title, item.path, item.key, item.type, {});
  }
  if (found) common::App().monitorRegistered = false;
  // The machine-wide values by name too, whatever command they hold now.
  for (int id : {IDS_PROGRAM_TITLE, kOlderTitleId})
    common::DeleteStoreValue(HKEY_LOCAL_MACHINE, kMachineRunKey, common::LoadText(id));
  return IsMonitorRegistered();
}

}  // namespace obrivo::startup
