// The advanced startup locations: Winlogon's Userinit and Shell reset to the Windows default,
// shell hooks and AppInit DLLs removed behind a confirmation, Notify entries switched off in
// place.
#include <string>
#include <vector>

#include "common/history.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/system.h"
#include "core/history_codes.h"
#include "core/startup_codes.h"
#include "core/text.h"
#include "startup/entry_store.h"
#include "startup/startup_actions.h"

namespace obrivo::startup {
namespace {

using namespace detail;

constexpr std::string_view kAppInitValue = "AppInit_DLLs";

std::string DefaultUserinit() { return win32::SystemDirectory() + "\\Userinit.exe,"; }
constexpr std::string_view kDefaultShell = "Explorer.exe";

// The list splits at commas and blanks alike.
std::vector<std::string> AppInitTokens() {
  const std::string list =
      ReadExactString(HKEY_LOCAL_MACHINE, core::kWindowsNtWindowsKey, kAppInitValue).value_or("");
  std::vector<std::string> tokens;
  std::string token;
  for (const char c : list) {
    if (c == ',' || c == ' ') {
      if (!token.empty()) tokens.push_back(token);
      token.clear();
    } else {
      token += c;
    }
  }
  if (!token.empty()) tokens.push_back(token);
  return tokens;
}

// A token names `path` when its long form does: the list holds short paths.
bool SameDll(const std::string& token, std::string_view path) {
  const std::string longToken = common::LongPathName(token);
  return core::EqualsNoCase(longToken, path) ||
         core::EqualsNoCase(longToken, common::LongPathName(path));
}

bool WriteAppInit(const std::vector<std::string>& tokens) {
  std::string list;
  for (const std::string& token : tokens) {
    if (!list.empty()) list += ',';
    list += token;
  }
  return common::WriteStoreString(HKEY_LOCAL_MACHINE, core::kWindowsNtWindowsKey, kAppInitValue,
                                  list);
}

// Moves a Notify entry's value to the other name and empties it, keeping its type: a
// %SystemRoot% path must stay expandable or the DLL no longer loads. An empty value moves
// nothing, so switching off twice never overwrites the saved name with nothing.
bool MoveNotifyValue(std::string_view subkey, std::string_view from, std::string_view to) {
  if (subkey.empty()) return false;
  const std::string key = std::string(core::kWinlogonNotifyKey) + "\\" + std::string(subkey);
  if (!common::StoreKeyExists(HKEY_LOCAL_MACHINE, key)) return false;
  const auto value = ReadCommandValue(HKEY_LOCAL_MACHINE, key, from);
  if (!value || value->text.empty()) return false;
  if (!WriteCommandValue(HKEY_LOCAL_MACHINE, key, to, *value)) return false;
  return WriteCommandValue(HKEY_LOCAL_MACHINE, key, from, {std::string(), value->type});
}

// Removes one value of a hook location; true when it was there.
bool RemoveHookValue(int code, std::string_view title, std::string_view key) {
  // The delay-load entry is named by its title; the hook lists by their class id.
  const std::string_view name = code == core::kDelayLoad ? title : key;
  return !name.empty() &&
         common::DeleteStoreValue(HKEY_LOCAL_MACHINE, AdvancedValueKey(code), name);
}

}  // namespace

bool ResetWinlogonUserinit() {
  return common::WriteStoreString(HKEY_LOCAL_MACHINE, core::kWinlogonKey, "UserInit",
                                  DefaultUserinit());
}

bool ResetWinlogonShell() {
  return common::WriteStoreString(HKEY_LOCAL_MACHINE, core::kWinlogonKey, "Shell", kDefaultShell);
}

bool AddAppInitDll(std::string_view path) {
  if (path.empty()) return false;
  std::vector<std::string> tokens = AppInitTokens();
  for (const std::string& token : tokens)
    if (SameDll(token, path)) return true;  // listed already
  tokens.push_back(win32::ShortPath(path).value_or(std::string(path)));
  return WriteAppInit(tokens);
}

bool RemoveAppInitDll(std::string_view path) {
  if (path.empty()) return false;
  std::vector<std::string> kept;
  bool found = false;
  for (const std::string& token : AppInitTokens()) {
    if (SameDll(token, path))
      found = true;
    else
      kept.push_back(token);
  }
  // The list is written back whole: cutting it would drop the DLLs at its end.
  return found && WriteAppInit(kept);
}

bool RenameNotifyDllName(std::string_view subkey) {
  return MoveNotifyValue(subkey, "DLLName", "OldName");
}

bool RestoreNotifyDllName(std::string_view subkey) {
  return MoveNotifyValue(subkey, "OldName", "DLLName");
}

bool RemoveAdvancedStartupEntry(int code, std::string_view title, std::string_view path,
                                std::string_view key, const AdvancedRemovalConfirm& confirm) {
  namespace E = core::history_event;
  int event = E::kStartupRemove;
  bool done = false;
  switch (code) {
    case core::kWinlogonUserinit:
      event = E::kResetUserinit;
      done = ResetWinlogonUserinit();
      // The default that replaces the entry is Windows' own: accepted, so it raises no alert.
      if (done) AcceptInBaseline(win32::SystemDirectory() + "\\Userinit.exe", code);
      break;
    case core::kWinlogonShell:
      event = E::kResetShell;
      done = ResetWinlogonShell();
      if (done) AcceptInBaseline(kDefaultShell, code);
      break;
    case core::kDelayLoad:
    case core::kSharedTaskScheduler:
    case core::kShellExecuteHooks:
    case core::kAppInitDlls:
      // These may be what Windows needs to work: removed only when the user insists.
      if (!confirm || !confirm(code, title, path)) return false;
      // An AppInit DLL is recorded as restorable: it can be put back on the list.
      event = code == core::kDelayLoad             ? E::kRemoveDelayLoad
              : code == core::kSharedTaskScheduler ? E::kRemoveTaskScheduler
              : code == core::kShellExecuteHooks   ? E::kRemoveShellExecuteHook
                                                   : E::kStartupRemove;
      done =
          code == core::kAppInitDlls ? RemoveAppInitDll(path) : RemoveHookValue(code, title, key);
      if (done) ForgetInBaseline(core::ValueNameForm(path));
      break;
    default:
      // Notify entries are switched off in place, never removed.
      return false;
  }
  if (done) common::WriteHistory(event, code, title, path, key);
  return done;
}

}  // namespace obrivo::startup
