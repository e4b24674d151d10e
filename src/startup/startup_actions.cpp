// Disabling, enabling, removing and restoring the entries of the ordinary startup locations: the
// Run keys, win.ini's program lists, the Startup folders and Winlogon Notify.
#include "startup/startup_actions.h"

#include <optional>
#include <string>
#include <vector>

#include "common/data_folder.h"
#include "common/history.h"
#include "common/items.h"
#include "common/shell_integration.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/registry.h"
#include "common/win32/shell_link.h"
#include "common/win32/wide.h"
#include "core/command_line.h"
#include "core/history_codes.h"
#include "core/item_list.h"
#include "core/startup_codes.h"
#include "core/text.h"
#include "startup/entry_store.h"
#include "startup/startup_locations.h"
#include "startup/startup_sources.h"

namespace obrivo::startup {
namespace {

using namespace detail;

// ---- Run keys ------------------------------------------------------------------------------

HKEY RunHive(const core::RunKeyCode& run) {
  return run.root == core::RunRoot::User ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

// The stored copy keeps the command exactly as it stood in the Run key, with its type: the
// item's path may be only the part that runs through RUNDLL32.EXE, or have lost its quotes.
bool DisableRunEntry(std::string_view name, std::string_view command, int code,
                     const core::RunKeyCode& run) {
  const std::string live = core::RunKeyPath(code);
  StoredCommand exact = ReadCommandValue(RunHive(run), live, name).value_or(StoredCommand{});
  if (exact.text.empty()) exact = {std::string(command), REG_SZ};
  // The copy first: a failed write must not lose the live command, and a live value that
  // cannot be deleted leaves the entry as it was, not disabled in name only.
  if (!WriteDisabledRecord(code, name, exact)) return false;
  if (!DeleteValueIfPresent(RunHive(run), live, name)) {
    DeleteDisabledRecord(code, name);
    return false;
  }
  return true;
}

bool EnableRunEntry(std::string_view name, std::string_view command, int code,
                    const core::RunKeyCode& run) {
  const std::string live = core::RunKeyPath(code);
  // A live value that came back while the entry was disabled is the current command and stays;
  // otherwise the stored copy goes back as it was. Live value first, record last: an
  // interruption leaves both, which the next listing takes for a disabled entry again.
  bool wrote = false;
  if (!ReadExactString(RunHive(run), live, name)) {
    StoredCommand exact = ReadDisabledRecord(code, name).value_or(StoredCommand{});
    if (exact.text.empty()) exact = {std::string(command), REG_SZ};
    if (exact.text.empty() || !WriteCommandValue(RunHive(run), live, name, exact)) return false;
    wrote = true;
  }
  if (DeleteDisabledRecord(code, name)) return true;
  // Still recorded as disabled, the next listing would take the value away again.
  if (wrote) DeleteValueIfPresent(RunHive(run), live, name);
  return false;
}

// Removes the entry from its Run key and from the Disabled store, wherever it is; `recorded`
// receives the command it held. True when nothing of it is left.
bool RemoveRunEntry(std::string_view name, int code, const core::RunKeyCode& run,
                    std::string& recorded, bool& anything) {
  const std::string live = core::RunKeyPath(code);
  const auto liveCommand = ReadExactString(RunHive(run), live, name);
  const auto stored = ReadDisabledRecord(code, name);
  if (!liveCommand && !stored) return false;
  if (liveCommand && !liveCommand->empty())
    recorded = *liveCommand;
  else if (stored && !stored->text.empty())
    recorded = stored->text;
  bool gone = true;
  if (liveCommand) {
    const bool deleted = DeleteValueIfPresent(RunHive(run), live, name);
    anything = anything || deleted;
    gone = deleted;
  }
  if (stored) {
    const bool deleted = DeleteDisabledRecord(code, name);
    anything = anything || deleted;
    gone = gone && deleted;
  }
  return gone;
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

bool AppendToList(std::string_view keyName, std::string_view entry, bool* appended = nullptr) {
  // Never twice: the entry may have been put back by hand already.
  if (ListedToken(keyName, entry)) return true;
  const bool done = common::AppendProfileListEntry(keyName, entry);
  if (appended) *appended = done;
  return done;
}

// A win.ini entry is known by its token. The listing gives it as the entry's name; other
// callers may name it by a title and pass the token as the command.
std::optional<std::string> WinIniRecordName(int code, std::string_view name,
                                            std::string_view command) {
  for (const std::string_view candidate : {name, command})
    if (ReadDisabledRecord(code, candidate)) return std::string(candidate);
  return std::nullopt;
}

bool DisableWinIniEntry(std::string_view command, int code) {
  const std::optional<std::string> token = ListedToken(ListKeyName(code), command);
  const std::string exact = token ? *token : std::string(command);
  if (!WriteDisabledRecord(code, exact, {exact, REG_SZ})) return false;
  if (token && !common::RemoveProfileListEntry(ListKeyName(code), *token)) {
    DeleteDisabledRecord(code, exact);
    return false;
  }
  return true;
}

bool EnableWinIniEntry(std::string_view name, std::string_view command, int code) {
  const std::string recordName =
      WinIniRecordName(code, name, command).value_or(std::string(command));
  std::string exact = ReadDisabledRecord(code, recordName).value_or(StoredCommand{}).text;
  if (exact.empty()) exact = command;
  bool appended = false;
  if (exact.empty() || !AppendToList(ListKeyName(code), exact, &appended)) return false;
  if (DeleteDisabledRecord(code, recordName)) return true;
  if (appended) common::RemoveProfileListEntry(ListKeyName(code), exact);
  return false;
}

bool RemoveWinIniEntry(std::string_view name, std::string_view command, int code,
                       std::string& recorded, bool& anything) {
  bool gone = true;
  bool found = false;
  if (const auto recordName = WinIniRecordName(code, name, command)) {
    found = true;
    if (const auto stored = ReadDisabledRecord(code, *recordName)) recorded = stored->text;
    const bool deleted = DeleteDisabledRecord(code, *recordName);
    anything = anything || deleted;
    gone = deleted;
  }
  if (const auto token = ListedToken(ListKeyName(code), command)) {
    found = true;
    recorded = *token;
    const bool deleted = common::RemoveProfileListEntry(ListKeyName(code), *token);
    anything = anything || deleted;
    gone = gone && deleted;
  }
  return found && gone;
}

// ---- Startup folders -----------------------------------------------------------------------

bool IsInFolder(std::string_view file, const std::string& folder) {
  const std::string prefix = core::AddTrailingBackslash(folder);
  return file.size() > prefix.size() && core::EqualsNoCase(file.substr(0, prefix.size()), prefix) &&
         file.find('\\', prefix.size()) == std::string_view::npos;
}

// Where an enabled file goes back to when the folder it came from is unknown or gone: the
// user's Startup folder, else the machine's, else the common one.
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
  // Never over another file: a namesake that appeared meanwhile is not ours to replace.
  return ::MoveFileExW(win32::Wide(from).c_str(), win32::Wide(to).c_str(), 0) != FALSE;
}

// The file in the Disabled folder that holds a disabled Startup-folder entry: the entry's file
// itself when it lies there, else the one whose record says it came from `file` (the history
// knows an entry by where it stood).
std::optional<std::string> DisabledCopyOf(const std::string& file) {
  if (IsInFolder(file, DisabledFolder())) {
    if (win32::IsExistingFile(file)) return file;
    return std::nullopt;
  }
  const auto records =
      ReadStringValues(HKEY_LOCAL_MACHINE, DisabledRecordKey(core::kStartupFolder));
  for (const StringValue& record : records) {
    const std::string copy = DisabledFolder() + "\\" + record.name;
    if (core::EqualsNoCase(record.data, file) && win32::IsExistingFile(copy)) return copy;
  }
  return std::nullopt;
}

// The file a Startup-folder entry stands for: its shortcut or the file itself.
std::string EntryFile(std::string_view command, std::string_view file) {
  return std::string(file.empty() ? command : file);
}

bool DisableStartupFile(const std::string& entryFile) {
  if (!win32::IsExistingFile(entryFile) || !win32::EnsureDirectory(DisabledFolder())) return false;
  // Files of the same name from two Startup folders are kept side by side.
  const std::string stored = FreePathIn(DisabledFolder(), core::FileNamePart(entryFile));
  const std::string storedName = core::FileNamePart(stored);
  // Where it came from first, so that a moved file always finds its way back.
  if (!WriteDisabledRecord(core::kStartupFolder, storedName, {entryFile, REG_SZ})) return false;
  if (MoveFileTo(entryFile, stored)) return true;
  DeleteDisabledRecord(core::kStartupFolder, storedName);
  return false;
}

bool EnableStartupFile(const std::string& copy) {
  const std::string storedName = core::FileNamePart(copy);
  const std::string origin =
      ReadDisabledRecord(core::kStartupFolder, storedName).value_or(StoredCommand{}).text;
  std::string destination;
  if (!origin.empty() && win32::IsExistingDirectory(common::FolderOfProgram(origin))) {
    destination = origin;
  } else {
    const auto folder = FirstStartupFolder();
    if (!folder) return false;
    destination = *folder + "\\" + core::FileNamePart(origin.empty() ? copy : origin);
  }
  if (!MoveFileTo(copy, destination)) return false;
  // A record left behind names a file that is no longer there, and is never read again.
  DeleteDisabledRecord(core::kStartupFolder, storedName);
  return true;
}

bool ToggleStartupFile(std::string_view command, std::string_view file) {
  const std::string entryFile = EntryFile(command, file);
  if (entryFile.empty()) return false;
  if (const auto copy = DisabledCopyOf(entryFile)) return EnableStartupFile(*copy);
  return DisableStartupFile(entryFile);
}

bool IsShortcutFile(std::string_view file) {
  constexpr std::string_view kShortcutEnd = ".lnk";
  return file.size() > kShortcutEnd.size() &&
         core::EqualsNoCase(file.substr(file.size() - kShortcutEnd.size()), kShortcutEnd);
}

// Removes a Startup-folder entry. A shortcut is deleted: its record re-creates it. Any other
// file is the program or document itself, which the user was told stays: it moves to the
// Removed folder, and `recordedKey` names it there for the history to bring it back.
bool RemoveStartupFile(std::string_view command, std::string_view key, std::string& recordedPath,
                       std::string& recordedKey) {
  std::string file = EntryFile(command, key);
  std::string origin = file;
  std::string storedName;
  if (IsInFolder(file, DisabledFolder())) {
    storedName = core::FileNamePart(file);
    const auto record = ReadDisabledRecord(core::kStartupFolder, storedName);
    if (record && !record->text.empty()) origin = record->text;
  }
  // A shortcut that is already gone deletes nothing; never its target instead.
  if (file.empty() || !win32::IsExistingFile(file)) return false;
  if (IsShortcutFile(file)) {
    if (!common::DeleteFileForce(file)) return false;
    recordedKey = origin;
  } else {
    const std::string kept = win32::EnsureDirectory(RemovedFolder())
                                 ? FreePathIn(RemovedFolder(), core::FileNamePart(file))
                                 : std::string();
    if (kept.empty() || !MoveFileTo(file, kept)) return false;
    recordedPath = origin;
    recordedKey = kept;
  }
  if (!storedName.empty()) DeleteDisabledRecord(core::kStartupFolder, storedName);
  return true;
}

bool RestoreShortcut(std::string_view title, std::string_view command, std::string_view key) {
  // A shortcut with arguments is listed, and so recorded, as its whole command line.
  const core::CommandParts parts = win32::SplitShellLinkCommandLine(command);
  win32::ShellLinkFields fields;
  fields.target = parts.program;
  fields.arguments = parts.arguments;
  fields.description = title;
  fields.iconPath = parts.program;
  fields.iconIndex = 0;
  fields.workingDirectory = common::FolderOfProgram(parts.program);
  return win32::CreateShellLink(key, fields);
}

// A file kept when it was removed goes back where it stood, never over another file.
bool RestoreKeptFile(std::string_view original, std::string_view kept) {
  const std::string keptFile = common::MovedDataPath(kept);
  return !original.empty() && IsInFolder(keptFile, RemovedFolder()) &&
         win32::IsExistingFile(keptFile) && MoveFileTo(keptFile, std::string(original));
}

// ---- Winlogon Notify -----------------------------------------------------------------------

std::string NotifyKey(std::string_view subkey) {
  return std::string(core::kWinlogonNotifyKey) + "\\" + std::string(subkey);
}

bool NotifyIsLive(std::string_view subkey) {
  return !ReadExactString(HKEY_LOCAL_MACHINE, NotifyKey(subkey), "DLLName").value_or("").empty();
}

// Notify entries are switched off in place: the record comes first, so that an entry whose
// DLLName is already emptied is never left without one.
bool DisableNotifyEntry(std::string_view subkey, std::string_view command) {
  if (subkey.empty() || !NotifyIsLive(subkey)) return false;
  const StoredCommand dll =
      ReadCommandValue(HKEY_LOCAL_MACHINE, NotifyKey(subkey), "DLLName").value_or(StoredCommand{});
  if (!WriteDisabledRecord(core::kWinlogonNotify, subkey, dll)) return false;
  if (!RenameNotifyDllName(subkey)) {
    DeleteDisabledRecord(core::kWinlogonNotify, subkey);
    return false;
  }
  // The emptied entry raises no alert.
  AcceptInBaseline(command, core::kWinlogonNotify);
  return true;
}

bool EnableNotifyEntry(std::string_view subkey) {
  if (subkey.empty()) return false;
  // OldName normally holds the DLL; the record holds it too, for an entry whose OldName was lost.
  if (!NotifyIsLive(subkey) && !RestoreNotifyDllName(subkey)) {
    const auto stored = ReadDisabledRecord(core::kWinlogonNotify, subkey);
    if (!stored || stored->text.empty() ||
        !WriteCommandValue(HKEY_LOCAL_MACHINE, NotifyKey(subkey), "DLLName", *stored))
      return false;
  }
  return DeleteDisabledRecord(core::kWinlogonNotify, subkey);
}

// The path the enumerator lists a Run value's command under (what runs through RUNDLL32.EXE,
// without quotes, in its long form), which is what the check looks the entry up by.
std::string ListedRunPath(std::string_view command) {
  std::string path = core::StripQuotes(core::RundllTarget(command).value_or(std::string(command)));
  if (core::CharCount(path) >= 4) path = common::LongPathName(path);
  return path;
}

}  // namespace

bool IsStartupEntryDisabled(int code, std::string_view name, std::string_view file) {
  if (code == core::kStartupFolder) return !file.empty() && DisabledCopyOf(std::string(file));
  if (code == core::kWinIniLoad || code == core::kWinIniRun)
    return WinIniRecordName(code, name, file).has_value();
  return core::CanDisable(code) && ReadDisabledRecord(code, name).has_value();
}

std::string EntryCommandLine(const core::Item& item) {
  return item.command.empty() ? item.path : win32::ExpandEnvironment(item.command);
}

bool IsStartupEntryDisabled(const core::Item& item) {
  if (item.type == core::kStartupFolder)
    return IsStartupEntryDisabled(item.type, core::EntryName(item), EntryFile(item.path, item.key));
  return IsStartupEntryDisabled(item.type, core::EntryName(item), item.path);
}

bool ToggleStartupEntry(std::string_view name, std::string_view command, std::string_view file,
                        int code) {
  if (!core::CanDisable(code)) return false;
  if (code == core::kStartupFolder) return ToggleStartupFile(command, file);
  if (code == core::kWinIniLoad || code == core::kWinIniRun)
    return WinIniRecordName(code, name, command) ? EnableWinIniEntry(name, command, code)
                                                 : DisableWinIniEntry(command, code);
  if (name.empty()) return false;
  const bool disabled = ReadDisabledRecord(code, name).has_value();
  if (const auto run = core::SplitRunKeyCode(code))
    return disabled ? EnableRunEntry(name, command, code, *run)
                    : DisableRunEntry(name, command, code, *run);
  if (code == core::kWinlogonNotify)
    return disabled ? EnableNotifyEntry(name) : DisableNotifyEntry(name, command);
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
  std::string recordedKey(key);
  // Whether anything at all was deleted, and whether nothing of the entry is left.
  bool anything = false;
  bool gone = false;
  if (const auto run = core::SplitRunKeyCode(code)) {
    gone = !title.empty() && RemoveRunEntry(title, code, *run, recorded, anything);
  } else if (code == core::kWinIniLoad || code == core::kWinIniRun) {
    gone = RemoveWinIniEntry(title, command, code, recorded, anything);
  } else if (code == core::kStartupFolder) {
    gone = RemoveStartupFile(command, key, recorded, recordedKey);
    anything = gone;
  }
  if (!anything) return false;

  // The record keeps what the entry held, so that the history viewer can put it back as it was.
  // The product's own entries are not recorded: known by the program they start, not by a
  // folder that happens to carry the name.
  if (!IsProductProgram(command) && !IsProductProgram(recorded))
    common::WriteHistory(core::history_event::kStartupRemove, code, title, recorded, recordedKey);
  ForgetInBaseline(core::ValueNameForm(command));
  if (recorded != command) ForgetInBaseline(core::ValueNameForm(recorded));
  ForgetInBaseline(title);
  return gone;
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
    // The record of a shortcut names the shortcut to make again; that of any other file names
    // the copy kept when it was removed. An older record of such a file has no copy to go back.
    restored =
        IsShortcutFile(key) ? RestoreShortcut(title, command, key) : RestoreKeptFile(command, key);
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

EnableAllResult EnableAllDisabledEntries() {
  EnumStartup(true);
  // A copy: enabling an entry lists nothing again, but the shared list must not be walked while
  // anything else could refill it.
  const core::ItemList items = common::Items();
  EnableAllResult result;
  for (std::size_t i = 0; i < items.Count(); ++i) {
    const core::Item& item = items.At(i);
    if (!item.disabled) continue;
    if (ToggleStartupEntry(core::EntryName(item), item.path, item.key, item.type) &&
        !IsStartupEntryDisabled(item))
      ++result.enabled;
    else
      ++result.failed;
  }
  return result;
}

}  // namespace obrivo::startup
