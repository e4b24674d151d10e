// Taking startup entries out of the boot sequence and putting them back: disable and enable,
// remove, the advanced locations' reset and removal behind a warning, restore from a record, and
// deleting a file at the next restart.
#pragma once

#include <windows.h>

#include <functional>
#include <string_view>

namespace obrivo::startup {

// True when `title` has a marker under the product's Disabled key: the single source of truth
// for "this entry is disabled", whatever its location.
bool IsStartupEntryDisabled(std::string_view title);

// Disables the entry when its title has no marker, enables it when it has one. `command` is
// the item's path, `file` its key (the shortcut or file in a Startup folder), `code` its type.
// True on success; false for locations that cannot be disabled.
bool ToggleStartupEntry(std::string_view title, std::string_view command, std::string_view file,
                        int code);

// Asks whether an advanced-location entry may really be removed: the Explorer shows its warning
// dialog, the Monitor a message box. True to go ahead.
using AdvancedRemovalConfirm =
    std::function<bool(int code, std::string_view title, std::string_view path)>;

// Deletes the entry from its location for good, with its history record and baseline values;
// the advanced locations (codes 250-255) go through RemoveAdvancedStartupEntry with `confirm`.
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

// Schedules `path` for deletion at the next start of Windows.
bool DeleteFileOnReboot(std::string_view path);

}  // namespace obrivo::startup
