// Disabling, enabling, removing and restoring the entries of the ordinary startup locations: the
// Run keys, win.ini's program lists, the Startup folders and Winlogon Notify.
#include "startup/startup_actions.h"

#include <optional>
#include <string>
#include <vector>

#include "common/history.h"
#include "common/shell_integration.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/registry.h"
#include "common/win32/shell_link.h"
#include "common/win32/wide.h"
#include "core/command_line.h"
#include "core/item_list.h"
#include "core/startup_codes.h"
#include "core/text.h"
#include "startup/entry_store.h"

namespace obrivo::startup {
namespace {

using namespace detail;

constexpr int kRemoveEvent = 0;

// ---- Run keys ------------------------------------------------------------------------------

HKEY RunHive(const core::RunKeyCode& run) {
  return run.root == core::RunRoot::User ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

// The stored copy keeps the command exactly as it stood in the Run key: the item's path may be
// only the part that runs through RUNDLL32.EXE, or have lost its quotes.
bool DisableRunEntry(std::string_view title, std::string_view command, int code,
                     const core::RunKeyCode& run) {
  const std::string live = core::RunKeyPath(code);
  const std::string stored = DisabledKey(core::DisabledSubkey(code));
  StoredCommand exact = ReadCommandValue(RunHive(run), live, title).value_or(StoredCommand{});
  if (exact.text.empty()) exact = {std::string(command), REG_SZ};
  // Copy and marker first: a failed write must not lose the live command.
  if (!WriteCommandValue(HKEY_LOCAL_MACHINE, stored, title, exact)) return false;
  if (!WriteMarker(title, code)) {
    common::DeleteStoreValue(HKEY_LOCAL_MACHINE, stored, title);
    return false;
  }
  common::DeleteStoreValue(RunHive(run), live, title);
  return true;
}

bool EnableRunEntry(std::string_view title, std::string_view command, int code,
                    const core::RunKeyCode& run) {
  const std::string live = core::RunKeyPath(code);
  const std::string stored = DisabledKey(core::DisabledSubkey(code));
  // A live value that came back while the entry was disabled is the current command and stays;
  // otherwise the stored copy goes back as it was.
  if (!ReadExactString(RunHive(run), live, title)) {
    StoredCommand exact =
        ReadCommandValue(HKEY_LOCAL_MACHINE, stored, title).value_or(StoredCommand{});
    if (exact.text.empty()) exact = {std::string(command), REG_SZ};
    if (!WriteCommandValue(RunHive(run), live, title, exact)) return false;
  }
  common::DeleteStoreValue(HKEY_LOCAL_MACHINE, stored, title);
  return DeleteMarker(title);
}

// Removes the disabled copy or the live value; `recorded` receives the command it held.
bool RemoveRunEntry(std::string_view title, int code, const core::RunKeyCode& run,
                    std::string& recorded) {
  const std::string_view subkey = core::DisabledSubkey(code);
  const bool disabled = !subkey.empty() && IsStartupEntryDisabled(title);
  const HKEY hive = disabled ? HKEY_LOCAL_MACHINE : RunHive(run);
  const std::string key = disabled ? DisabledKey(subkey) : core::RunKeyPath(code);
  if (const auto exact = ReadExactString(hive, key, title); exact && !exact->empty())
    recorded = *exact;
  const bool removed = common::DeleteStoreValue(hive, key, title);
  if (disabled) return DeleteMarker(title) || removed;
  return removed;
}

// ---- win.ini -------------------------------------------------------------------------------

std::string_view ListKeyName(int code) { return code == core::kWinIniLoad ? "load" : "run"; }

std::vector<std::string> ListTokens(std::string_view keyName) {
  std::wstring buffer(32768, L'\0');
  const DWORD length = ::GetProfileStringW(L"windows", win32::Wide(keyName).c_str(), L"",
                                           buffer.data(), static_cast<DWORD>(buffer.size()));
  const std::string list = win32::Narrow(std::wstring_view(buffer.data(), length));
  std::vector<std::string> tokens;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    if (end > start) tokens.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return tokens;
}

// The list's own spelling of `command`: the item's path is the long form of the token, which
// the list may hold in its short form.
std::optional<std::string> ListedToken(std::string_view keyName, std::string_view command) {
  for (const std::string& token : ListTokens(keyName))
    if (core::EqualsNoCase(token, command) ||
        core::EqualsNoCase(common::LongPathName(core::StripQuotes(token)), command))
      return token;
  return std::nullopt;
}

bool AppendToList(std::string_view keyName, std::string_view entry) {
  // Never twice: the entry may have been put back by hand already.
  if (ListedToken(keyName, entry)) return true;
  return common::AppendProfileListEntry(keyName, entry);
}

bool DisableWinIniEntry(std::string_view title, std::string_view command, int code) {
  const std::optional<std::string> token = ListedToken(ListKeyName(code), command);
  const std::string exact = token ? *token : std::string(command);
  const std::string stored = DisabledKey(core::DisabledSubkey(code));
  if (!common::WriteStoreString(HKEY_LOCAL_MACHINE, stored, title, exact)) return false;
  if (!WriteMarker(title, code)) {
    common::DeleteStoreValue(HKEY_LOCAL_MACHINE, stored, title);
    return false;
  }
  if (token) common::RemoveProfileListEntry(ListKeyName(code), *token);
  return true;
}

bool EnableWinIniEntry(std::string_view title, std::string_view command, int code) {
  const std::string stored = DisabledKey(core::DisabledSubkey(code));
  std::string exact = ReadExactString(HKEY_LOCAL_MACHINE, stored, title).value_or("");
  if (exact.empty()) exact = command;
  if (!AppendToList(ListKeyName(code), exact)) return false;
  const bool result = DeleteMarker(title);
  common::DeleteStoreValue(HKEY_LOCAL_MACHINE, stored, title);
  return result;
}

bool RemoveWinIniEntry(std::string_view title, std::string_view command, int code,
                       std::string& recorded) {
  bool removed = false;
  if (IsStartupEntryDisabled(title)) {
    const std::string stored = DisabledKey(core::DisabledSubkey(code));
    if (const auto exact = ReadExactString(HKEY_LOCAL_MACHINE, stored, title)) recorded = *exact;
    removed = DeleteMarker(title);
    removed = common::DeleteStoreValue(HKEY_LOCAL_MACHINE, stored, title) || removed;
  }
  if (const auto token = ListedToken(ListKeyName(code), command)) {
    recorded = *token;
    removed = common::RemoveProfileListEntry(ListKeyName(code), *token) || removed;
  }
  return removed;
}

// ---- Startup folders -----------------------------------------------------------------------

std::string DisabledFolder() { return common::ProgramFolder() + "\\Disabled"; }

// A file placed in the folder without a title of its own is known by its file name.
std::string StartupFileMarker(std::string_view title, std::string_view file) {
  return title.empty() ? core::TitleFromPath(file) : std::string(title);
}

// Where an enabled file goes back to: the user's Startup folder, else the machine's, else the
// common one.
std::optional<std::string> FirstStartupFolder() {
  const struct {
    HKEY hive;
    const char* value;
  } places[] = {{HKEY_CURRENT_USER, "Startup"},
                {HKEY_LOCAL_MACHINE, "Startup"},
                {HKEY_LOCAL_MACHINE, "Common Startup"}};
  for (const auto& place : places) {
    const std::string folder = core::RemoveTrailingBackslash(
        common::ReadStoreString(core::kShellFoldersKey, place.hive, place.value, 1024));
    if (!folder.empty() && win32::IsExistingDirectory(folder)) return folder;
  }
  return std::nullopt;
}

bool MoveFileTo(const std::string& from, const std::string& to) {
  return ::MoveFileW(win32::Wide(from).c_str(), win32::Wide(to).c_str()) != FALSE;
}

bool ToggleStartupFile(std::string_view title, std::string_view command, std::string_view file) {
  const std::string entryFile(file.empty() ? command : file);
  const std::string marker = StartupFileMarker(title, entryFile);
  if (entryFile.empty() || marker.empty()) return false;
  const std::string stored = DisabledFolder() + "\\" + core::FileNamePart(entryFile);
  if (!IsStartupEntryDisabled(marker)) {
    // The marker follows the file: a file that could not be moved is still enabled.
    if (!win32::EnsureDirectory(DisabledFolder()) || !MoveFileTo(entryFile, stored)) return false;
    return WriteMarker(marker, core::kStartupFolder);
  }
  const auto folder = FirstStartupFolder();
  if (!folder || !MoveFileTo(stored, *folder + "\\" + core::FileNamePart(entryFile))) return false;
  return DeleteMarker(marker);
}

bool RemoveStartupFile(std::string_view title, std::string_view command, std::string_view key) {
  const std::string file(key.empty() ? command : key);
  bool removed = DeleteMarker(StartupFileMarker(title, file));
  // A shortcut that is already gone deletes nothing; never its target instead.
  if (!file.empty() && win32::IsExistingFile(file))
    removed = common::DeleteFileForce(file) || removed;
  return removed;
}

bool RestoreShortcut(std::string_view title, std::string_view command, std::string_view key) {
  // The record of a program file placed in the folder itself names that file: it is gone and
  // a shortcut under its name would not start it.
  constexpr std::string_view kShortcutEnd = ".lnk";
  if (key.size() <= kShortcutEnd.size() ||
      !core::EqualsNoCase(key.substr(key.size() - kShortcutEnd.size()), kShortcutEnd))
    return false;
  win32::ShellLinkFields fields;
  fields.target = command;
  fields.description = title;
  fields.iconPath = command;
  fields.iconIndex = 0;
  fields.workingDirectory = common::FolderOfProgram(command);
  return win32::CreateShellLink(key, fields);
}

// ---- Winlogon Notify -----------------------------------------------------------------------

bool ToggleNotifyEntry(std::string_view title, std::string_view command) {
  const std::string stored = DisabledKey(core::DisabledSubkey(core::kWinlogonNotify));
  if (!IsStartupEntryDisabled(title)) {
    // The entry is disabled in place; nothing is recorded when there was nothing to switch off.
    if (!RenameNotifyDllName(title)) return false;
    common::WriteStoreString(HKEY_LOCAL_MACHINE, stored, title, command);
    // The emptied entry raises no alert.
    AcceptInBaseline(command, core::kWinlogonNotify);
    return WriteMarker(title, core::kWinlogonNotify);
  }
  RestoreNotifyDllName(title);
  const bool result = DeleteMarker(title);
  common::DeleteStoreValue(HKEY_LOCAL_MACHINE, stored, title);
  return result;
}

// The path the enumerator lists a Run value's command under (what runs through RUNDLL32.EXE,
// without quotes, in its long form), which is what the check looks the entry up by.
std::string ListedRunPath(std::string_view command) {
  std::string path = core::StripQuotes(core::RundllTarget(command).value_or(std::string(command)));
  if (core::CharCount(path) >= 4) path = common::LongPathName(path);
  return path;
}

}  // namespace

bool IsStartupEntryDisabled(std::string_view title) {
  // An empty name would read the key's default value, which is no entry's marker.
  return !title.empty() &&
         !common::ReadStoreString(DisabledKey(), HKEY_LOCAL_MACHINE, title, kMarkerCapacity)
              .empty();
}

bool ToggleStartupEntry(std::string_view title, std::string_view command, std::string_view file,
                        int code) {
  if (!core::CanDisable(code)) return false;
  if (code == core::kStartupFolder) return ToggleStartupFile(title, command, file);
  if (title.empty()) return false;
  const bool disabled = IsStartupEntryDisabled(title);
  if (const auto run = core::SplitRunKeyCode(code))
    return disabled ? EnableRunEntry(title, command, code, *run)
                    : DisableRunEntry(title, command, code, *run);
  if (code == core::kWinIniLoad || code == core::kWinIniRun)
    return disabled ? EnableWinIniEntry(title, command, code)
                    : DisableWinIniEntry(title, command, code);
  if (code == core::kWinlogonNotify) return ToggleNotifyEntry(title, command);
  return false;
}

namespace {

bool IsProductProgram(std::string_view command) {
  return core::ContainsNoCase(core::FileNamePart(common::CommandToProgramPath(command)), "Obrivo");
}

}  // namespace

bool RemoveStartupEntry(std::string_view title, std::string_view command, std::string_view key,
                        int code, const AdvancedRemovalConfirm& confirm) {
  if (code >= core::kWinlogonUserinit)
    return RemoveAdvancedStartupEntry(code, title, command, key, confirm);
  std::string recorded(command);
  bool removed = false;
  if (const auto run = core::SplitRunKeyCode(code))
    removed = !title.empty() && RemoveRunEntry(title, code, *run, recorded);
  else if (code == core::kWinIniLoad || code == core::kWinIniRun)
    removed = RemoveWinIniEntry(title, command, code, recorded);
  else if (code == core::kStartupFolder)
    removed = RemoveStartupFile(title, command, key);
  if (!removed) return false;

  // The record keeps what the entry held, so that the history viewer can put it back as it was.
  // The product's own entries are not recorded: known by the program they start, not by a
  // folder that happens to carry the name.
  if (!IsProductProgram(command) && !IsProductProgram(recorded))
    common::WriteHistory(kRemoveEvent, code, title, recorded, key);
  ForgetInBaseline(core::ValueNameForm(command));
  if (recorded != command) ForgetInBaseline(core::ValueNameForm(recorded));
  ForgetInBaseline(title);
  return true;
}

bool RestoreStartupEntry(int code, std::string_view title, std::string_view command,
                         std::string_view key) {
  bool restored = false;
  if (const auto run = core::SplitRunKeyCode(code)) {
    // The machine's 32-bit view is listed but never written back.
    if (run->root == core::RunRoot::Machine32 || title.empty()) return false;
    restored = common::WriteStoreString(RunHive(*run), core::RunKeyPath(code), title, command);
    if (restored) AcceptInBaseline(ListedRunPath(command), code);
  } else if (code == core::kWinIniLoad || code == core::kWinIniRun) {
    restored = AppendToList(ListKeyName(code), command);
  } else if (code == core::kStartupFolder) {
    restored = RestoreShortcut(title, command, key);
  } else if (code == core::kDelayLoad) {
    restored = common::WriteStoreString(HKEY_LOCAL_MACHINE, AdvancedValueKey(code), title, key);
  } else if (code == core::kSharedTaskScheduler || code == core::kShellExecuteHooks) {
    restored = common::WriteStoreString(HKEY_LOCAL_MACHINE, AdvancedValueKey(code), key, title);
  } else if (code == core::kAppInitDlls) {
    restored = AddAppInitDll(command);
  } else if (code == core::kWinlogonNotify) {
    RestoreNotifyDllName(title);
    return false;
  }
  if (restored) AcceptInBaseline(command, code);
  return restored;
}

}  // namespace obrivo::startup
