// Command-line switches of the Monitor and the Explorer, and the page commands they share.
#include "core/command_switches.h"

#include <gtest/gtest.h>

#include <string>

#include "core/tray_menu.h"

namespace obrivo::core {
namespace {

// `tail` at the end of a command line of `totalChars` characters.
std::string Padded(std::string_view tail, std::size_t totalChars) {
  return std::string(totalChars - tail.size(), 'x') + std::string(tail);
}

TEST(MonitorSwitches, Parse) {
  const struct {
    std::string arguments;
    int lookup;
    bool quit, noOpen, expressBoot;
  } cases[] = {
      {"", 0, false, false, false},
      {"\"C:\\Tools\\agent.EXE\"", 460, false, false, false},
      {"C:\\WINDOWS\\x.Dll", 470, false, false, false},
      {"C:\\a.dll C:\\b.exe", 460, false, false, false},  // ".exe" is tested first
      {"-q", 0, true, false, false},
      {"-NOOPEN", 0, false, true, false},
      {"-ExpressBoot", 0, false, false, true},
      {"-expressboot -noopen", 0, false, true, true},
      {"-start", 0, false, false, false},
      {Padded("-Q -NoOpen -expressboot x.exe", 772), 460, true, true, true},
      {Padded("-Q -NoOpen -expressboot x.exe", 773), 0, false, false, false},  // matches nothing
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.substr(0, 40) + " (" + std::to_string(c.arguments.size()) + ")");
    const MonitorCommandLine m = ParseMonitorCommandLine(c.arguments);
    EXPECT_EQ(m.lookupType, c.lookup);
    EXPECT_EQ(m.quit, c.quit);
    EXPECT_EQ(m.noOpen, c.noOpen);
    EXPECT_EQ(m.expressBoot, c.expressBoot);
  }
}

TEST(ExplorerSwitches, PagesAndCommands) {
  using A = ExplorerCommandLine::Action;
  const struct {
    std::string arguments;
    int startTab;
    A action;
    int code;
    bool quit;
  } cases[] = {
      {"", 6026, A::OpenPage, 6026, false},
      {"", 6052, A::OpenPage, 6052, false},  // no switch: the stored start page
      {"", 6025, A::OpenPage, 6026, false},  // raised to the first page
      {"", 0, A::OpenPage, 6026, false},
      // A stored start page that names a command or nothing opens the first page.
      {"", 6030, A::OpenPage, 6026, false},
      {"", 6031, A::OpenPage, 6026, false},
      {"", 6045, A::OpenPage, 6026, false},
      {"", 99999, A::OpenPage, 6026, false},
      {"-start", 6052, A::OpenPage, 6026, false},
      {"-FILETYPES", 6026, A::OpenPage, 6042, false},
      {"-OPTIONS", 6026, A::OpenPage, 6033, false},
      {"-NUTS", 6026, A::OpenPage, 6028, false},
      {"-COOKIE", 6026, A::OpenPage, 6045, false},
      {"-RESTART", 6026, A::OpenPage, 6033, false},  // not the startup page
      {"-EXIT", 6026, A::OpenPage, 6048, false},
      {"-Recent", 6026, A::OpenPage, 6060, false},
      {"-Q", 6026, A::OpenPage, 6026, true},
      {"-q -HIDDEN", 6026, A::OpenPage, 6052, true},
      {"-Restore", 6026, A::Restore, 6026, false},
      {"-AUOPTION", 6026, A::AUOption, 6026, false},
      {"-setprefix", 6026, A::SetPrefix, 6026, false},
      {"-SetPrefix -AUOption -restore", 6026, A::Restore, 6026, false},
      {"-SetPrefix -AUOption", 6026, A::AUOption, 6026, false},
      {"-enabledisabled", 6026, A::EnableDisabled, 6026, false},
      {"-EnableDisabled -Restore", 6026, A::Restore, 6026, false},  // the clean-up comes first
      {"-EnableDisabled -AUOption", 6026, A::EnableDisabled, 6026, false},
      {"-setuac", 6026, A::SetUac, 6026, false},
      {"-SetUAC -SetPrefix", 6026, A::SetPrefix, 6026, false},
      {"-SetUAC -Restore", 6026, A::Restore, 6026, false},
      {"-Enable", 6026, A::OpenPage, 6026, false},
      {Padded("-Q -OPTIONS", 772), 6052, A::OpenPage, 6033, true},
      {Padded("-Q -OPTIONS", 773), 6052, A::OpenPage, 6052, false},
      {Padded("-Restore", 773), 6026, A::OpenPage, 6026, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.substr(0, 40) + " (" + std::to_string(c.arguments.size()) + ")");
    const ExplorerCommandLine e = ParseExplorerCommandLine(c.arguments, c.startTab);
    EXPECT_EQ(e.action, c.action);
    EXPECT_EQ(e.code, c.code);
    EXPECT_EQ(e.quit, c.quit);
  }
}

TEST(ExplorerSwitches, TheLastSwitchInTableOrderWins) {
  // Table order, not the order on the command line, decides: each line below holds the first
  // switches of the table, written in reverse.
  const struct {
    std::string_view text;
    int code;
  } table[] = {
      {"-START", 6026},   {"-PLUS", 6027},   {"-SERVICE", 6038},  {"-BHO", 6040},
      {"-COOKIE", 6045},  {"-NUT", 6028},    {"-OPTION", 6033},   {"-SCHEDULE", 6039},
      {"-TASK", 6029},    {"-DELAY", 6055},  {"-FILETYPE", 6042}, {"-HIDDEN", 6052},
      {"-ACTIVEX", 6056}, {"-RECENT", 6060}, {"-EXIT", 6048},     {"-RESTART", 6033},
  };
  std::string line;
  for (const auto& row : table) {
    line = std::string(row.text) + " " + line;
    SCOPED_TRACE(line);
    EXPECT_EQ(ParseExplorerCommandLine(line, 6052).code, row.code);
  }
}

TEST(ExplorerSwitches, SwitchForEachMonitorCommand) {
  // clang-format off
  const struct {
    int command;
    std::optional<std::string_view> switchText;
  } cases[] = {
      {6026, "-START"},     {6027, "-PLUS"},     {6028, "-NUTS"},   {6029, "-TASK"},
      {6033, "-OPTIONS"},   {6038, "-SERVICE"},  {6039, "-SCHEDULE"}, {6040, "-BHO"},
      {6042, "-FILETYPES"}, {6052, "-HIDDEN"},   {6055, "-DELAY"},  {6056, "-ACTIVEX"},
      {6060, "-RECENT"},
      // Commands the Monitor handles itself.
      {6025, std::nullopt}, {6030, std::nullopt}, {6031, std::nullopt}, {6034, std::nullopt},
      {6053, std::nullopt}, {6045, std::nullopt}, {6048, std::nullopt}, {0, std::nullopt},
  };
  // clang-format on
  for (const auto& c : cases)
    EXPECT_EQ(ExplorerSwitchForCommand(c.command), c.switchText) << c.command;
}

TEST(ExplorerSwitches, EveryTrayPageOpensThatPageInTheExplorer) {
  for (bool nt : {true, false}) {
    for (const TrayMenuEntry& entry : TrayMenuEntries(nt)) {
      const auto switchText = ExplorerSwitchForCommand(entry.commandId);
      if (!switchText) continue;
      SCOPED_TRACE(std::string(*switchText));
      EXPECT_EQ(ParseExplorerCommandLine(*switchText, 6026).code, entry.commandId);
      // Also with a stored start page that no switch opens, so a default cannot pass for a match.
      EXPECT_EQ(ParseExplorerCommandLine(*switchText, 9999).code, entry.commandId);
    }
  }
}

}  // namespace
}  // namespace obrivo::core
