// Taking startup entries out of the boot sequence and putting them back: disable and enable,
// remove, the advanced locations' reset and removal behind a warning, restore from a record, and
// deleting a file at the next restart.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "core/item_list.h"

namespace obrivo::startup {

// True when the entry of location `code` named `name` is switched off: the Disabled store has
// a record of it. An entry is known by its location and its exact name; a namesake elsewhere is
// another entry. A Startup-folder entry (code 200) is known by its file (`file`): disabled while
// it lies in the program's Disabled folder. A win.ini entry is known by its token, given as its
// name or as `file`.
bool IsStartupEntryDisabled(int code, std::string_view name, std::string_view file = {});
// The same for a listed item (or a history row), by its type, name and path or key.
bool IsStartupEntryDisabled(const core::Item& item);

// The command line Windows starts the entry with: its command as its location holds it, with
// environment references expanded (RUNDLL32.EXE and quotes included); the item's path where the
// location holds no command of its own. A running process is this entry only when its own
// command line is this one.
std::string EntryCommandLine(const core::Item& item);

// Disables the entry when it is enabled and enables it when it is disabled. `name` is the
// entry's name (core::EntryName), `command` the item's path, `file` its key (the shortcut or
// file in a Startup folder), `code` its type. True on success; false for locations that cannot
// be disabled and for a change that could not be made whole (then nothing changed).
bool ToggleStartupEntry(std::string_view title, std::string_view command, std::string_view file,
                        int code);

// Asks whether an advanced-location entry may really be removed: the Explorer shows its warning
// dialog, the Monitor a message box. True to go ahead.
using AdvancedRemovalConfirm =
    std::function<bool(int code, std::string_view title, std::string_view path)>;

// Deletes the entry from its location for good, live or disabled, with its history record and
// baseline values; the advanced locations (codes 250-255) go through RemoveAdvancedStartupEntry
// with `confirm`. A file placed in a Startup folder itself (not a shortcut) is moved to the
// program's Removed folder, from where the history can bring it back. True when nothing of the
// entry is left; a removal that deleted part of it is still recorded.
bool RemoveStartupEntry(std::string_view title, std::string_view command, std::string_view key,
                        int code, const AdvancedRemovalConfirm& confirm);
bool RemoveAdvancedStartupEntry(int code, std::string_view title, std::string_view path,
                                std::string_view key, const AdvancedRemovalConfirm& confirm);

bool ResetWinlogonShell();
bool ResetWinlogonUserinit();
bool AddAppInitDll(std::string_view path);
bool RemoveAppInitDll(std::string_view path);
bool RenameNotifyDllName(std::string_view subkey);
bool RestoreNotifyDllName(std::string_view subkey);

// Puts a removed entry back from a saved record (the history viewer, the delayed-start list)
// and accepts it in the baseline.
bool RestoreStartupEntry(int code, std::string_view title, std::string_view command,
                         std::string_view key);

// Switches every entry the Disabled store holds back on (the uninstaller asks for it, since
// nothing could enable them once the product is gone). Each entry is enabled exactly as it was
// disabled; one that cannot be is counted in `failed` and stays disabled, its copy kept.
struct EnableAllResult {
  int enabled = 0;
  int failed = 0;
};
EnableAllResult EnableAllDisabledEntries();

// Schedules `path` for deletion at the next start of Windows.
bool DeleteFileOnReboot(std::string_view path);

}  // namespace obrivo::startup
