// Both programs' command-line switches: case-insensitive, a switch added at the end is heard,
// a command line too long to test matches nothing, and every page a Monitor command opens is
// the page the Explorer's switch for it selects.
#include <set>
#include <string>
#include <string_view>

#include "core/capacity.h"
#include "core/command_switches.h"
#include "core/explorer_pages.h"
#include "core/text.h"
#include "fuzz_input.h"

using namespace obrivo::core;

namespace {

bool operator==(const MonitorCommandLine& a, const MonitorCommandLine& b) {
  return a.lookupType == b.lookupType && a.quit == b.quit && a.noOpen == b.noOpen &&
         a.expressBoot == b.expressBoot;
}

bool operator==(const ExplorerCommandLine& a, const ExplorerCommandLine& b) {
  return a.action == b.action && a.code == b.code && a.quit == b.quit;
}

const std::set<int> kSwitchCodes = {
    cmd::kStartup,  cmd::kPlus,           cmd::kServices,   cmd::kIEHelpers, cmd::kCookieList,
    cmd::kCookies,  cmd::kOptions,        cmd::kScheduledTasks, cmd::kActiveTasks,
    cmd::kDelayedStart, cmd::kFileTypes,  cmd::kHiddenFiles, cmd::kActiveX,  cmd::kRecent,
    cmd::kExplorerExit};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Twice the testable length reaches the rule for longer lines; longer inputs would only
  // slow the search down.
  if (size > 2 * kSearchTextLimit) return 0;
  const obrivo::fuzz::Fields in(data, size);
  const std::string_view arguments = in.Text(0);
  const int startTab = in.Number(1);
  const bool testable = CharCount(arguments) < kSearchTextLimit;

  const MonitorCommandLine monitor = ParseMonitorCommandLine(arguments);
  FUZZ_CHECK(monitor.lookupType == 0 || monitor.lookupType == 460 || monitor.lookupType == 470);
  FUZZ_CHECK(ParseMonitorCommandLine(ToUpper(arguments)) == monitor);
  const ExplorerCommandLine explorer = ParseExplorerCommandLine(arguments, startTab);
  FUZZ_CHECK(ParseExplorerCommandLine(ToUpper(arguments), startTab) == explorer);
  FUZZ_CHECK(IsSheetPageCode(explorer.code) || kSwitchCodes.count(explorer.code) == 1);
  FUZZ_CHECK(explorer.code == startTab || explorer.code == cmd::kStartup ||
             kSwitchCodes.count(explorer.code) == 1);

  if (!testable) {
    // Too long to test: the defaults, whatever it holds.
    FUZZ_CHECK(monitor == MonitorCommandLine{});
    FUZZ_CHECK(explorer.action == ExplorerCommandLine::Action::OpenPage);
    FUZZ_CHECK(explorer.code == (IsSheetPageCode(startTab) ? startTab : cmd::kStartup));
    FUZZ_CHECK(!explorer.quit);
  }

  // A switch added at the end is heard while the whole stays testable ("-RESTART" is the last
  // switch tested, so nothing before it can override it).
  const std::string withQuit = std::string(arguments) + " -q";
  if (CharCount(withQuit) < kSearchTextLimit) {
    FUZZ_CHECK(ParseMonitorCommandLine(withQuit).quit);
    FUZZ_CHECK(ParseExplorerCommandLine(withQuit, startTab).quit);
  }
  const std::string withRestart = std::string(arguments) + " -restart";
  if (CharCount(withRestart) < kSearchTextLimit)
    FUZZ_CHECK(ParseExplorerCommandLine(withRestart, startTab).code == cmd::kOptions);

  // The switch the Monitor passes for a command opens that command's page.
  const int command = in.NumberIn(2, cmd::kFirst, cmd::kLast);
  if (const auto sw = ExplorerSwitchForCommand(command))
    FUZZ_CHECK(ParseExplorerCommandLine(*sw, startTab).code == command);
  return 0;
}
