// Command-line switches of both programs and the page commands they share.
// Switches are case-insensitive substring tests; a command line of 773 characters or more
// matches nothing.
#pragma once

#include <optional>
#include <string_view>

namespace obrivo::core {

// Page and command codes: the Monitor's tray commands and the Explorer's pages.
namespace cmd {
inline constexpr int kInitialise = 6025;
inline constexpr int kStartup = 6026;
inline constexpr int kPlus = 6027;
inline constexpr int kCookies = 6028;
inline constexpr int kActiveTasks = 6029;
inline constexpr int kExit = 6030;
inline constexpr int kAlwaysRun = 6031;
inline constexpr int kOptions = 6033;
inline constexpr int kRestartCommands = 6034;
inline constexpr int kTrayCallback = 6035;
inline constexpr int kTrayIconId = 6036;
inline constexpr int kServices = 6038;
inline constexpr int kScheduledTasks = 6039;
inline constexpr int kIEHelpers = 6040;
inline constexpr int kFileTypes = 6042;
inline constexpr int kCookieList = 6045;
inline constexpr int kExplorerExit = 6048;
inline constexpr int kHiddenFiles = 6052;
inline constexpr int kTrayIconSwitch = 6053;
inline constexpr int kDelayedStart = 6055;
inline constexpr int kActiveX = 6056;
inline constexpr int kRecent = 6060;
inline constexpr int kFirst = 6025;
inline constexpr int kLast = 6060;
}  // namespace cmd

struct MonitorCommandLine {
  int lookupType = 0;  // 460 for a ".exe", 470 for a ".dll" handed over by the shell menu
  bool quit = false;          // -Q
  bool noOpen = false;        // -NoOpen
  bool expressBoot = false;   // -expressboot
};

// `arguments` is the command line without the program's own name.
MonitorCommandLine ParseMonitorCommandLine(std::string_view arguments);

// The Explorer switch that opens the page of a Monitor command, if it has one.
std::optional<std::string_view> ExplorerSwitchForCommand(int command);

// The Explorer's switches that write one stored machine-wide setting back and end. The Monitor
// starts the Explorer elevated with exactly these. None may contain another switch: the test is a
// substring search ("-Restore..." would run the clean-up before removal).
inline constexpr std::string_view kAUOptionSwitch = "-AUOption";
inline constexpr std::string_view kSetPrefixSwitch = "-SetPrefix";
inline constexpr std::string_view kSetUacSwitch = "-SetUAC";
// The Explorer's exit code after one of them. It has told the user why by then.
inline constexpr int kMachineSettingWritten = 0;
inline constexpr int kMachineSettingRefused = 2;  // the kept value is not one ever written
inline constexpr int kMachineSettingFailed = 3;   // the system did not allow the write

struct ExplorerCommandLine {
  // EnableDisabled: the uninstaller's request to switch every startup entry the product
  // disabled back on, so that nothing stays off once the product that could undo it is gone.
  enum class Action { OpenPage, Restore, EnableDisabled, AUOption, SetPrefix, SetUac };
  Action action = Action::OpenPage;
  int code = cmd::kStartup;  // page or command to post at start
  bool quit = false;         // -Q: close a running Explorer, never open a window
};

// `startTab` is the stored StartTab option, used when no page switch is given.
ExplorerCommandLine ParseExplorerCommandLine(std::string_view arguments, int startTab);

}  // namespace obrivo::core
