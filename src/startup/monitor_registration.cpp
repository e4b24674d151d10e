// The Monitor's Run value.
#include "startup/monitor_registration.h"

#include <windows.h>

#include <string>

#include "common/store.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "core/text.h"

namespace obrivo::startup {
namespace {

constexpr const char* kMachineRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr int kProgramTitleId = 2;
constexpr int kOlderTitleId = 622;

bool RunValueExists(const std::string& name) {
  return !name.empty() &&
         !common::ReadStoreString(kMachineRunKey, HKEY_LOCAL_MACHINE, name, 1024).empty();
}

}  // namespace

bool IsMonitorRegistered() {
  return RunValueExists(common::LoadText(kProgramTitleId)) ||
         RunValueExists(common::LoadText(kOlderTitleId));
}

void RemoveOlderMonitorEntry() {
  const std::string older = common::LoadText(kOlderTitleId);
  if (!older.empty()) common::DeleteStoreValue(HKEY_LOCAL_MACHINE, kMachineRunKey, older);
}

bool RegisterMonitorAtLogon(bool on) {
  if (on) {
    const std::string command = common::ProgramFolder() + "\\obrivo.exe -expressboot";
    if (!common::WriteStoreString(HKEY_LOCAL_MACHINE, kMachineRunKey,
                                  common::LoadText(kProgramTitleId), command))
      return IsMonitorRegistered();
    // The Monitor's own entry is accepted, so it never alerts about itself.
    common::WriteStoreString(HKEY_CURRENT_USER, common::ProductSubkey("Run"),
                             core::ValueNameForm(command), "1");
    return true;
  }
  // Every title the Monitor has been registered under.
  for (int id : {kProgramTitleId, kOlderTitleId})
    common::DeleteStoreValue(HKEY_LOCAL_MACHINE, kMachineRunKey, common::LoadText(id));
  return IsMonitorRegistered();
}

}  // namespace obrivo::startup
