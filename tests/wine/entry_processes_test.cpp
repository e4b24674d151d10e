// Ending a startup entry's program: only the processes whose own command line is the entry's,
// every one of them, never the shell, another session's process or the caller, and a process
// that cannot be told apart left running with a history record that says so.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "common/history.h"
#include "common/items.h"
#include "common/utilities.h"
#include "common/win32/process_command_line.h"
#include "common/win32/system.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"
#include "core/text.h"
#include "explorer_driver.h"
#include "running_copies.h"
#include "system/entry_command.h"
#include "system/processes.h"
#include "test_process.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

using namespace std::chrono_literals;

constexpr int kKilled = 5, kLeftRunning = 31, kProcessType = 600;

std::optional<std::string> CommandLineOf(DWORD id) {
  const win32::UniqueHandle process(
      ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
  return process ? win32::ReadProcessCommandLine(process.get()) : std::nullopt;
}

DWORD OwnerOf(HWND window) {
  DWORD id = 0;
  if (window) ::GetWindowThreadProcessId(window, &id);
  return id;
}

std::string ImageOf(DWORD id) {
  const win32::UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  wchar_t image[MAX_PATH * 2];
  DWORD size = MAX_PATH * 2;
  if (!process || !::QueryFullProcessImageNameW(process.get(), 0, image, &size)) return {};
  return win32::NarrowBuffer(image, size);
}

bool IsRunning(DWORD id) {
  const win32::UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, id));
  return process && ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

class EntryProcesses : public SandboxedTest {
 protected:
  void SetUp() override {
    SandboxedTest::SetUp();
    common::ClearHistoryFile();
  }
  void TearDown() override {
    copies_.EndAll();
    common::ClearHistoryFile();
  }

  // A copy of the program that stays running whatever it is given.
  std::string Copy(const std::string& name, const std::string& subfolder = {}) {
    return copies_.Copy(name, copies_.lingering(), subfolder);
  }
  Process& StartCommand(const std::string& program, const std::string& commandLine) {
    Process& p = copies_.StartCommand(program, commandLine);
    EXPECT_TRUE(p.started()) << commandLine;
    return p;
  }

  RunningCopies copies_{common::ProgramFolder() + "\\entry-programs"};
  const std::string& folder_ = copies_.folder();
};

TEST_F(EntryProcesses, OnlyAProcessStartedWithTheEntrysCommandIsEnded) {
  const std::string cmd = Copy("cmd.exe");
  const std::string tool = Copy("tool.exe", "Tool Kit");  // a folder with a space in its name
  const std::string toolNoExtension = tool.substr(0, tool.size() - 4);
  const std::string quotedTool = "\"" + tool + "\"";
  const struct {
    std::string entry;
    const std::string& program;
    std::string process;  // the command line the running process was given
    bool ended;
  } cases[] = {
      // The user's own console is not the entry, whatever file it runs from.
      {cmd + " /c echo evil", cmd, "\"" + cmd + "\" /k", false},
      {cmd + " /c echo evil", cmd, "\"" + cmd + "\"", false},
      {"cmd.exe /c echo evil", cmd, "cmd.exe /c echo good", false},
      // The entry's own process, named as the shell names it or by its full path.
      {cmd + " /c echo evil", cmd, "cmd.exe /c echo evil", true},
      {"cmd.exe /c echo evil", cmd, "\"" + cmd + "\" /c echo evil", true},
      // Another folder's file of that name is another program.
      {folder_ + "\\elsewhere\\cmd.exe /c echo evil", cmd, "\"" + cmd + "\" /c echo evil", false},
      // A path with spaces, quoted on one side only; ".exe" supplied as Windows does.
      {quotedTool + " -run fast", tool, tool + " -run fast", true},
      {tool + " -run fast", tool, quotedTool + " -run fast", true},
      {toolNoExtension + " -run fast", tool, quotedTool + " -run fast", true},
      // Case and spacing between the arguments do not matter; quotes that join words do.
      {quotedTool + "  -RUN   Fast", tool, quotedTool + " -run fast", true},
      {quotedTool + " -run \"fast\"", tool, quotedTool + " -run fast", true},
      {quotedTool + " -run \"fast mode\"", tool, quotedTool + " -run fast mode", false},
      // An entry without arguments is a process started without any.
      {quotedTool, tool, quotedTool + " -run", false},
      {quotedTool, tool, tool, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("entry " + c.entry + ", process " + c.process);
    ASSERT_TRUE(common::ClearHistoryFile());
    Process& p = StartCommand(c.program, c.process);
    const DWORD stopped = system::StopEntryProgram(nullptr, c.entry, "Entry", false);
    if (c.ended) {
      EXPECT_EQ(stopped, p.id());
      EXPECT_EQ(p.WaitForExit(5s), 1u) << "ended with a code that does not read as running";
      ASSERT_EQ(common::LoadHistory(), 1u);
      EXPECT_EQ(common::ItemFlag(0), kKilled);
      EXPECT_EQ(common::ItemType(0), kProcessType);
      EXPECT_EQ(common::ItemTitle(0), "Entry");
      EXPECT_EQ(common::ItemPath(0), c.entry) << "the entry's command";
    } else {
      EXPECT_EQ(stopped, 0u);
      EXPECT_TRUE(p.Running());
      EXPECT_EQ(common::LoadHistory(), 0u) << "nothing ended, nothing recorded";
    }
    copies_.EndAll();
  }
  EXPECT_EQ(system::StopEntryProgram(nullptr, "", "", false), 0u);
  EXPECT_EQ(system::StopEntryProgram(nullptr, "   ", "", false), 0u);
}

TEST_F(EntryProcesses, EveryProcessTheEntryStartedIsEnded) {
  const std::string agent = Copy("agent.exe");
  const std::string command = "\"" + agent + "\" -tray";
  Process& first = StartCommand(agent, command);
  Process& other = StartCommand(agent, "\"" + agent + "\" -settings");
  Process& second = StartCommand(agent, "agent.exe  -TRAY");

  const DWORD stopped = system::StopEntryProgram(nullptr, command, "Agent", false);
  EXPECT_TRUE(stopped == first.id() || stopped == second.id()) << stopped;
  EXPECT_EQ(first.WaitForExit(5s), 1u);
  EXPECT_EQ(second.WaitForExit(5s), 1u);
  EXPECT_TRUE(other.Running()) << "the same program with other arguments";
  ASSERT_EQ(common::LoadHistory(), 2u) << "one record per process ended";
  for (std::size_t i = 0; i < 2; ++i) EXPECT_EQ(common::ItemFlag(i), kKilled);
}

TEST_F(EntryProcesses, TheShellAndTheCallerAreNeverEnded) {
  // A program that has made itself the desktop's shell window, started with the entry's command.
  const std::string stand = Copy("desktop-shell.exe");
  const std::string command = "\"" + stand + "\" -be-the-shell";
  Process& shell = StartCommand(stand, command);
  ASSERT_TRUE(WaitUntil([&] { return OwnerOf(::GetShellWindow()) == shell.id(); }, 10s))
      << "the stand-in did not become the shell";
  EXPECT_EQ(system::StopEntryProgram(nullptr, command, "Shell", false), 0u);
  EXPECT_TRUE(shell.Running());

  // The shell of the session itself, which owns the desktop: explorer.exe of the system folder.
  const DWORD desktop = OwnerOf(::GetDesktopWindow());
  ASSERT_TRUE(core::EqualsNoCase(ImageOf(desktop), win32::SystemDirectory() + "\\explorer.exe"))
      << ImageOf(desktop);
  const std::optional<std::string> explorer = CommandLineOf(desktop);
  ASSERT_TRUE(explorer.has_value());
  EXPECT_EQ(system::StopEntryProgram(nullptr, *explorer, "Explorer", false), 0u) << *explorer;
  EXPECT_TRUE(IsRunning(desktop));

  // The caller, started with the very command given.
  const std::optional<std::string> own = CommandLineOf(::GetCurrentProcessId());
  ASSERT_TRUE(own.has_value());
  EXPECT_EQ(system::StopEntryProgram(nullptr, *own, "Itself", false), 0u);
  EXPECT_EQ(common::LoadHistory(), 0u);
}

TEST_F(EntryProcesses, AProcessThatCannotBeToldApartIsLeftRunningAndTheHistorySaysSo) {
  const StandInTaskLibrary tasks;
  const std::string hidden = Copy("hidden.exe");
  const std::string hiddenCommand = "\"" + hidden + "\" -hide-command-line";
  Process& wiped = StartCommand(hidden, hiddenCommand);
  ASSERT_TRUE(WaitUntil([&] { return !CommandLineOf(wiped.id()).has_value(); }, 10s))
      << "the process did not hide its command line";
  const std::string vdm = Copy("ntvdm.exe");
  Process& host = StartCommand(vdm, "\"" + vdm + "\"");

  const struct {
    std::string command, name;
    DWORD id;
    const char* reason;
  } cases[] = {
      {hiddenCommand, "Hidden", wiped.id(), "command line could not be read"},
      {"C:\\OLDAPPS\\LEDGER16.EXE", "Ledger", host.id(), "16-bit task"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    ASSERT_TRUE(common::ClearHistoryFile());
    EXPECT_EQ(system::StopEntryProgram(nullptr, c.command, c.name, false), 0u);
    EXPECT_TRUE(wiped.Running());
    EXPECT_TRUE(host.Running());
    ASSERT_EQ(common::LoadHistory(), 1u);
    EXPECT_EQ(common::ItemFlag(0), kLeftRunning);
    EXPECT_EQ(common::ItemType(0), kProcessType);
    EXPECT_EQ(common::ItemTitle(0), c.name);
    EXPECT_EQ(common::ItemPath(0), c.command);
    const std::string description = common::ItemKey(0);
    EXPECT_NE(description.find("Left running: process " + std::to_string(c.id) + " "),
              std::string::npos)
        << description;
    EXPECT_NE(description.find(c.reason), std::string::npos) << description;
  }
}

TEST_F(EntryProcesses, AskingFirstLeavesThemRunningOnNo) {
  const std::string agent = Copy("asked.exe");
  const std::string command = "\"" + agent + "\" -tray";
  Process& p = StartCommand(agent, command);
  for (int answer : {IDNO, IDYES}) {
    SCOPED_TRACE(answer == IDYES ? "Yes" : "No");
    std::atomic<bool> done{false};
    std::wstring question;
    DWORD stopped = 0;
    std::thread driver([&] {
      HWND box = nullptr;
      const bool read = WaitUntil(
          [&] {
            box = ::FindWindowW(L"#32770", L"Obrivo");
            if (box && ::IsWindowVisible(box) && ::GetDlgItem(box, IDYES))
              question = WindowText(::GetDlgItem(box, 0xFFFF));
            return !question.empty() || done.load();
          },
          10s);
      // Answered even when its text could not be read, so that a failure never hangs the test.
      if (box && !done.load()) ::PostMessageW(box, WM_COMMAND, answer, 0);
      EXPECT_TRUE(read) << "no question was asked";
    });
    stopped = system::StopEntryProgram(nullptr, command, "Asked Agent", true);
    done = true;
    driver.join();
    EXPECT_NE(question.find(L"Asked Agent is currently an actively running program"),
              std::wstring::npos)
        << win32::Narrow(question);
    EXPECT_EQ(stopped, p.id());
    if (answer == IDNO) {
      EXPECT_TRUE(p.Running());
      EXPECT_EQ(common::LoadHistory(), 0u);
    } else {
      EXPECT_EQ(p.WaitForExit(5s), 1u);
      EXPECT_EQ(common::LoadHistory(), 1u);
    }
  }
  // Nothing runs: nothing to ask about.
  EXPECT_EQ(system::StopEntryProgram(nullptr, command, "Asked Agent", true), 0u);
}

// The rules for what cannot be staged here (another logon session) and the judgement's order.
TEST(EntryProcessJudgement, OnlyAReadableProcessOfThisSessionWithTheEntrysArgumentsIsTheEntry) {
  const system::CommandParts entry = system::SplitCommandLine("C:\\apps\\agent.exe -tray");
  using system::EntryProcess;
  const auto facts = [](std::optional<std::string> line) {
    system::ProcessFacts f;
    f.commandLine = std::move(line);
    return f;
  };
  const std::string same = "agent.exe -tray";
  struct Case {
    const char* what;
    system::ProcessFacts facts;
    EntryProcess expected;
  };
  std::vector<Case> cases = {
      {"same arguments", facts(same), EntryProcess::Entry},
      {"other arguments", facts("agent.exe -settings"), EntryProcess::Other},
      {"no arguments", facts("agent.exe"), EntryProcess::Other},
      {"unreadable", facts(std::nullopt), EntryProcess::Untold},
      {"wiped", facts(""), EntryProcess::Untold},
      {"blanks only", facts("   "), EntryProcess::Untold},
  };
  cases.push_back({"another session", facts(same), EntryProcess::Protected});
  cases.back().facts.otherSession = true;
  cases.push_back({"another session, unreadable", facts(std::nullopt), EntryProcess::Protected});
  cases.back().facts.otherSession = true;
  cases.push_back({"session unknown", facts(same), EntryProcess::Untold});
  cases.back().facts.sessionKnown = false;
  cases.push_back({"the shell", facts(same), EntryProcess::Protected});
  cases.back().facts.shell = true;
  cases.push_back({"the caller", facts(same), EntryProcess::Protected});
  cases.back().facts.self = true;
  cases.push_back({"16-bit task", facts(same), EntryProcess::Untold});
  cases.back().facts.sixteenBitTask = true;
  for (const Case& c : cases)
    EXPECT_EQ(system::JudgeEntryProcess(entry, c.facts), c.expected) << c.what;
}

TEST(EntryCommandSplit, ArgumentsAreReadAsTheProgramsRuntimeReadsThem) {
  const struct {
    const char* line;
    const char* program;
    std::vector<std::string> arguments;
  } cases[] = {
      {"\"C:\\no such\\a.exe\" one \"two three\"\tfour",
       "C:\\no such\\a.exe",
       {"one", "two three", "four"}},
      {"\"a.exe\"x", "a.exe", {"x"}},
      {"  a.exe   ", "a.exe", {}},
      {"a.exe \"\"", "a.exe", {""}},
      {"a.exe x\\y \"x\\\"y\"", "a.exe", {"x\\y", "x\"y"}},
      {"a.exe x\\\\\"y z\"", "a.exe", {"x\\y z"}},
      {"a.exe \"a\"\"b\"", "a.exe", {"a\"b"}},
      // No file by that name: the unquoted path ends at its first blank, as Windows would run it.
      {"C:\\no such\\a.exe -x", "C:\\no", {"such\\a.exe", "-x"}},
      {"", "", {}},
  };
  for (const auto& c : cases) {
    const system::CommandParts parts = system::SplitCommandLine(c.line);
    EXPECT_EQ(parts.program, c.program) << c.line;
    EXPECT_EQ(parts.arguments, c.arguments) << c.line;
  }
}

}  // namespace
}  // namespace obrivo::test
