// The startup locations by their codes: where each one lives, the tag the Type column shows,
// the label that names it in full and where a disabled entry of it is kept.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace obrivo::core {

// Codes 1-7 (machine), 11-17 (user) and 21-27 (the machine's 32-bit view) are the seven Run
// keys under each root; the others are single places.
inline constexpr int kWinIniLoad = 100;
inline constexpr int kWinIniRun = 101;
inline constexpr int kStartupFolder = 200;
inline constexpr int kWinlogonUserinit = 250;
inline constexpr int kWinlogonShell = 251;
inline constexpr int kDelayLoad = 252;
inline constexpr int kSharedTaskScheduler = 253;
inline constexpr int kShellExecuteHooks = 254;
inline constexpr int kAppInitDlls = 255;
inline constexpr int kWinlogonNotify = 256;

// The startup baseline's value for an entry moved to the delayed-start list: its return to a
// startup location is asked about.
inline constexpr int kMovedToDelayedList = 1103;

// Where the single locations live, below HKEY_LOCAL_MACHINE.
inline constexpr std::string_view kWinlogonKey =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
inline constexpr std::string_view kWinlogonNotifyKey =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify";
inline constexpr std::string_view kDelayLoadKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad";
inline constexpr std::string_view kSharedTaskSchedulerKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\SharedTaskScheduler";
inline constexpr std::string_view kShellExecuteHooksKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellExecuteHooks";
// Holds the AppInit_DLLs value.
inline constexpr std::string_view kWindowsNtWindowsKey =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
// Names the Startup and Common Startup folders, under either hive.
inline constexpr std::string_view kShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

enum class RunRoot { Machine, User, Machine32 };

// One of the 21 Run-key codes, split into its root and key.
struct RunKeyCode {
  RunRoot root;
  int index;  // 0 Run, 1 RunOnce, 2 RunOnceEx, 3 RunServices, 4 RunServicesOnce,
              // 5 RunOnce\Setup, 6 policies\Explorer\Run
};
std::optional<RunKeyCode> SplitRunKeyCode(int code);
int RunKeyCodeFor(RunRoot root, int index);
inline constexpr int kRunKeyCount = 7;

// The key's path below its hive, e.g. "Software\Microsoft\Windows\CurrentVersion\RunOnce" or
// "Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Run"; empty for other codes.
std::string RunKeyPath(int code);

// The Type column's tag ("HKCU_RUN", "STARTUP_FOLDER"...); empty for an unknown code.
std::string_view StartupTypeTag(int code);

// The full location label of a startup code (without the disabled prefix); empty where the
// location has none.
std::string StartupLocationText(int code);

// The subkey of the product's Disabled key that holds a disabled entry of `code`; empty when
// the location keeps disabled entries otherwise (the Startup folder, Notify in place) or
// cannot be disabled at all.
std::string_view DisabledSubkey(int code);
// True when entries of `code` can be disabled and enabled.
bool CanDisable(int code);

// The run-once keys whose entries the HideRunOnce option lets through unasked: RunOnce and
// RunOnceEx of the machine and the user, and the 32-bit view's RunOnce.
bool IsLetThroughRunOnce(int code);

// The Winlogon values and shell hooks: listed on the page only when asked for.
inline bool IsAdvancedStartupCode(int code) { return code >= 250 && code <= 256; }

// The locations whose disabled entries the Disabled store keeps as records, in the order the
// enumerator lists them: each Run key family (the machine's, the user's, the 32-bit view's),
// then win.ini's "load" and "run", then Winlogon Notify.
const std::vector<int>& DisabledCodesInListOrder();

}  // namespace obrivo::core
