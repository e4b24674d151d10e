// The settings guard: the browser's start, search and desktop pages (per user), and the
// Automatic Updates option, the URL prefix and the User Account Control values (machine-wide).
// Each keeps the value last accepted under the product key of HKEY_CURRENT_USER; a check compares
// it with the live value and asks whether to keep the change or to put the accepted value back.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "core/settings_guard.h"

namespace obrivo::browser {

// The machine-wide settings, each written back by the Explorer under its own switch.
enum class MachineSetting { AutoUpdate, UrlPrefix, UserAccountControl };

// A question about a machine-wide setting: Yes puts the baseline back, No accepts the change.
struct MachineAlert {
  MachineSetting setting = MachineSetting::AutoUpdate;
  int captionId = 0;       // follows the program caption and " - "
  int textId = 0;          // formatted with (before, after)
  bool stopIcon = false;   // the prefix alert; the others warn
  std::string before;      // what the baseline stands for
  std::string after;       // what the live value stands for
};

struct SettingsGuardHooks {
  // The automatic answer to the page alerts (core::HideOptionAnswer); 0 asks.
  int automaticPageAnswer = 0;
  // A page differs from its baseline: true keeps the new page (Yes), false restores (No).
  std::function<bool(const core::GuardedPage&, const std::string& live,
                      const std::string& baseline)>
      keepPage;
  // Before a page question or its automatic answer: the tray shows the alert.
  std::function<void()> showAlertIcon;
  // The page could not be written back; it stays changed and is asked about again.
  std::function<void(const core::GuardedPage&, const std::string& baseline)> pageRestoreFailed;
  // True puts the baseline back (Yes).
  std::function<bool(const MachineAlert&)> restoreMachine;
  // Writes the baseline back (elevated where the system needs it); true once it is written. A
  // failure has been told to the user by then; the baseline stays, so the next patrol asks again.
  std::function<bool(MachineSetting)> writeBack;
};

// The page check: start page, search page, desktop page, in this order. A missing baseline is
// taken from the live value without asking. Returns the number of pages that differed.
int VerifyHomePages(const SettingsGuardHooks& hooks);

// The Automatic Updates check, then (only once an Automatic Updates baseline of 1 to 4 is kept)
// the URL prefix check, then the User Account Control check. Returns 1 when it only recorded the
// Automatic Updates baseline, else 0.
int VerifySystemSettings(const SettingsGuardHooks& hooks);

// What writing a baseline back to the machine came to.
enum class WriteBack { Written, Refused, Failed };

// Writes the kept value of `setting` to its live place, after checking it is one the guard would
// ever write there: the baselines lie in HKEY_CURRENT_USER, which every program the user runs can
// change. Refused writes nothing; Failed is a write the system did not allow.
WriteBack WriteBaselineBack(MachineSetting setting);

// The string naming the setting in messages (1050, 1060, 1073).
int MachineSettingNameId(MachineSetting setting);
// What the user is told when a write-back was refused or failed; empty when it was written.
std::string WriteBackMessage(MachineSetting setting, WriteBack result);

// The default web browser (core::browser_code).
int DetectDefaultBrowser();

// The values as the system holds them now, and as recorded.
core::UacValues LiveUacValues();
core::UacValues UacBaseline();

}  // namespace obrivo::browser
