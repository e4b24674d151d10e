// The Monitor's settings guard as the patrol runs it: the page alerts and their automatic
// answers, the machine-wide settings' alerts, and the write-back of a machine-wide setting
// through the Explorer, started elevated for that one switch.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "browser/settings_guard.h"

namespace obrivo::monitor {

browser::SettingsGuardHooks MonitorSettingsGuardHooks();

// The patrol's page category.
void PatrolHomePages();
// The patrol's system settings, after the system files in their slot.
void PatrolSystemSettings();

// How an elevated start of the Explorer went.
struct ElevatedStart {
  enum class Outcome { Finished, Declined, NotStarted };
  Outcome outcome = Outcome::NotStarted;
  DWORD exitCode = 0;  // when Finished
};
// Starts `program` with `parameters` asking for elevation, and waits for it to end.
using ElevatedStarter =
    std::function<ElevatedStart(const std::wstring& program, const std::wstring& parameters)>;

// The system shows no consent prompt under every test setup: a test puts its own starter in
// place (an empty one puts the real one back).
void SetElevatedStarterForTesting(ElevatedStarter starter);

// Writes the kept value of `setting` back: through the Explorer elevated with the setting's
// switch where the system has User Account Control, else directly. Says why when it could not
// be written; true once it is.
bool WriteMachineSettingBack(browser::MachineSetting setting);

}  // namespace obrivo::monitor
