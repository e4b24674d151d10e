// Command-line switches.
#include "command_switches.h"

#include "explorer_pages.h"
#include "text.h"

namespace obrivo::core {
namespace {

struct SwitchRow {
  std::string_view text;
  int code;
};

constexpr SwitchRow kMonitorPageSwitches[] = {
    {"-START", cmd::kStartup},       {"-PLUS", cmd::kPlus},
    {"-NUTS", cmd::kCookies},        {"-TASK", cmd::kActiveTasks},
    {"-OPTIONS", cmd::kOptions},     {"-SERVICE", cmd::kServices},
    {"-SCHEDULE", cmd::kScheduledTasks}, {"-BHO", cmd::kIEHelpers},
    {"-FILETYPES", cmd::kFileTypes}, {"-HIDDEN", cmd::kHiddenFiles},
    {"-DELAY", cmd::kDelayedStart},  {"-ACTIVEX", cmd::kActiveX},
    {"-RECENT", cmd::kRecent},
};

// Tested in this order; the last match wins.
constexpr SwitchRow kExplorerSwitches[] = {
    {"-START", cmd::kStartup},         {"-PLUS", cmd::kPlus},
    {"-SERVICE", cmd::kServices},      {"-BHO", cmd::kIEHelpers},
    {"-COOKIE", cmd::kCookieList},     {"-NUT", cmd::kCookies},
    {"-OPTION", cmd::kOptions},        {"-SCHEDULE", cmd::kScheduledTasks},
    {"-TASK", cmd::kActiveTasks},      {"-DELAY", cmd::kDelayedStart},
    {"-FILETYPE", cmd::kFileTypes},    {"-HIDDEN", cmd::kHiddenFiles},
    {"-ACTIVEX", cmd::kActiveX},       {"-RECENT", cmd::kRecent},
    {"-EXIT", cmd::kExplorerExit},     {"-RESTART", cmd::kOptions},
};

}  // namespace

MonitorCommandLine ParseMonitorCommandLine(std::string_view arguments) {
  MonitorCommandLine m;
  if (ContainsNoCase(arguments, ".exe"))
    m.lookupType = 460;
  else if (ContainsNoCase(arguments, ".dll"))
    m.lookupType = 470;
  m.quit = ContainsNoCase(arguments, "-Q");
  m.noOpen = ContainsNoCase(arguments, "-NoOpen");
  m.expressBoot = ContainsNoCase(arguments, "-expressboot");
  return m;
}

std::optional<std::string_view> ExplorerSwitchForCommand(int command) {
  for (const auto& row : kMonitorPageSwitches)
    if (row.code == command) return row.text;
  return std::nullopt;
}

ExplorerCommandLine ParseExplorerCommandLine(std::string_view arguments, int startTab) {
  ExplorerCommandLine e;
  using A = ExplorerCommandLine::Action;
  if (ContainsNoCase(arguments, "-Restore")) {
    e.action = A::Restore;
  } else if (ContainsNoCase(arguments, "-EnableDisabled")) {
    e.action = A::EnableDisabled;
  } else if (ContainsNoCase(arguments, kAUOptionSwitch)) {
    e.action = A::AUOption;
  } else if (ContainsNoCase(arguments, kSetPrefixSwitch)) {
    e.action = A::SetPrefix;
  } else if (ContainsNoCase(arguments, kSetUacSwitch)) {
    e.action = A::SetUac;
  }
  // Only a page may come from the stored start page: a damaged value naming a command (6030
  // quits, 6031 toggles the Monitor's autostart) must not run that command at every start.
  e.code = IsSheetPageCode(startTab) ? startTab : cmd::kStartup;
  for (const auto& row : kExplorerSwitches)
    if (ContainsNoCase(arguments, row.text)) e.code = row.code;
  e.quit = ContainsNoCase(arguments, "-Q");
  return e;
}

}  // namespace obrivo::core
