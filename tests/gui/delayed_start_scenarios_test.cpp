// The delayed-start list with the real programs: the Monitor starts each listed program once its
// delay has passed, with its parameters and window mode, and never one that already runs; the
// Explorer's clean-up before removal puts every listed program back where it started from.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "monitor/delayed_launcher.h"
#include "program_scenario.h"
#include "test_process.h"

namespace obrivo::test {
namespace {

using namespace std::chrono_literals;

constexpr wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kDelay = L"Software\\Tolvane\\Obrivo\\Delay";

std::wstring Upper(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(::towupper(c));
  return text;
}

std::string ReadText(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class DelayedStartScenario : public ProgramScenario {
 protected:
  void TearDown() override {
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRun, L"Agent");
    ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kRun, L"Tool");
    KillProcessesIn(folder_);
    for (const std::wstring& file : created_) ::DeleteFileW(file.c_str());
    ProgramScenario::TearDown();  // the store, the list with it, as at a first run
  }

  // A copy of the helper program in the scenario's folder.
  std::wstring Copy(const wchar_t* file) {
    const std::wstring path = folder_ + L"\\" + file;
    EXPECT_TRUE(::CopyFileW(helper_.c_str(), path.c_str(), FALSE));
    created_.push_back(path);
    return path;
  }
  // A file the started programs write, deleted with the scenario.
  std::wstring Output(const wchar_t* file) {
    created_.push_back(folder_ + L"\\" + file);
    return created_.back();
  }

  // An entry written as the list holds it, named by its program file in upper case: on the
  // machine's list for a location code below 11 (the machine-wide Run keys), the user's
  // otherwise.
  static void List(int code, const std::wstring& program, const std::wstring& time,
                   const std::wstring& parameters) {
    const HKEY hive = code < 11 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const std::wstring name = Upper(program);
    ASSERT_EQ(SetString(hive, kDelay.c_str(), name.c_str(), std::to_wstring(code)), ERROR_SUCCESS);
    ASSERT_EQ(SetString(hive, (kDelay + L"\\Time").c_str(), name.c_str(), time), ERROR_SUCCESS);
    if (!parameters.empty()) {
      ASSERT_EQ(SetString(hive, (kDelay + L"\\Parameters").c_str(), name.c_str(), parameters),
                ERROR_SUCCESS);
    }
  }

  // How many ticks the Monitor's launcher has taken, with their starts done.
  static int LauncherTicks(HWND monitor) {
    return static_cast<int>(
        reinterpret_cast<INT_PTR>(::GetPropW(monitor, monitor::kLauncherTicksProperty)));
  }

  std::vector<std::wstring> created_;
};

// A program whose delay is 10 seconds starts at the launcher's first step, the 6th tick of the
// 2-second timer, and not again at the next step; the one that already runs is left alone.
TEST_F(DelayedStartScenario, AListedProgramStartsOnceAfterItsDelayUnlessItRuns) {
  const std::wstring delayed = Copy(L"delayed.exe");
  const std::wstring later = Copy(L"later.exe");
  const std::wstring running = Copy(L"running.exe");
  const std::wstring shown = Output(L"delayed.txt");
  const std::wstring laterShown = Output(L"later.txt");
  const std::wstring again = Output(L"again.txt");
  // The machine's entries start first: had the running program been started again, it would
  // have been before the user's program.
  List(1, running, L"10", L"show " + again);
  List(11, delayed, L"10", L"show " + shown + L" -x \"two words\"");
  ASSERT_EQ(
      SetString(HKEY_CURRENT_USER, (kDelay + L"\\OpenAs").c_str(), Upper(delayed).c_str(), L"1"),
      ERROR_SUCCESS)
      << "minimised";
  List(11, later, L"20", L"show " + laterShown + L" later");
  Process already(running, L"wait");
  ASSERT_TRUE(WaitUntil([&] { return !ProcessesIn(folder_, L"running.exe").empty(); }, 10s));

  Process monitor;
  HWND window = StartMonitor(monitor);
  ASSERT_NE(window, nullptr);
  // The last count of ticks seen while the program was neither running nor had written: its
  // start came after those ticks.
  int ticksWithout = -1;
  ASSERT_TRUE(WaitUntil(
      [&] {
        const int ticks = LauncherTicks(window);
        if (!ProcessesIn(folder_, L"delayed.exe").empty() || Exists(shown)) return true;
        ticksWithout = ticks;
        return false;
      },
      60s))
      << "the delayed program was started";
  EXPECT_GE(ticksWithout, 5) << "not before the 6th tick";
  ASSERT_TRUE(WaitUntil([&] { return ReadText(shown).find('\n') != std::string::npos; }, 10s));
  EXPECT_EQ(ProcessesIn(folder_, L"running.exe"), std::vector<DWORD>{already.id()});

  // The next step starts the next program; the first has not started again meanwhile.
  ASSERT_TRUE(WaitUntil([&] { return ReadText(laterShown).find('\n') != std::string::npos; }, 30s));
  EXPECT_EQ(ReadText(shown), "6 -x \"two words\"\n") << "once, minimised, with its parameters";
  EXPECT_EQ(ReadText(laterShown), "1 later\n") << "shown normally when no mode is stored";
  EXPECT_FALSE(Exists(again)) << "a program that runs already is not started a second time";
}

// -Restore, run before the product is removed, returns each listed program to its startup
// location as it stood, from both lists, and empties them.
TEST_F(DelayedStartScenario, RestoreBeforeRemovalPutsEveryListedProgramBack) {
  const std::wstring agent = Copy(L"agent.exe");
  const std::wstring agentCommand = L"\"" + agent + L"\" -startup";
  const struct {
    int code;
    HKEY hive;
    std::wstring program, entry, command;
  } cases[] = {
      {11, HKEY_CURRENT_USER, agent, L"Agent", agentCommand},
      {1, HKEY_LOCAL_MACHINE, L"C:\\Tools\\tool.exe", L"Tool", L"C:\\Tools\\tool.exe -machine"},
  };
  for (const auto& c : cases) {
    const std::wstring name = Upper(c.program);
    List(c.code, c.program, L"30", L"");
    // What the move kept: the entry's exact name and command at its location.
    ASSERT_EQ(SetString(c.hive, (kDelay + L"\\Entry").c_str(), name.c_str(), c.entry),
              ERROR_SUCCESS);
    ASSERT_EQ(SetString(c.hive, (kDelay + L"\\Command").c_str(), name.c_str(), c.command),
              ERROR_SUCCESS);
  }

  Process explorer = RunExplorer(L"-Restore");
  ASSERT_TRUE(explorer.started());
  EXPECT_EQ(explorer.WaitForExit(), 0u);

  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.entry.begin(), c.entry.end()));
    EXPECT_EQ(GetString(c.hive, kRun, c.entry.c_str()), c.command) << "back where it started";
    EXPECT_TRUE(GetString(c.hive, kDelay.c_str(), Upper(c.program).c_str()).empty())
        << "off the list";
  }
}

TEST_F(DelayedStartScenario, RestoreBeforeRemovalFailsWhenAProgramCannotGoBack) {
  // A namesake took the entry's place in the Run key meanwhile: it is not ours to overwrite, so
  // the delayed program stays on the list, and the exit code says so to the uninstaller.
  const std::wstring program = L"C:\\Tools\\blocked.exe";
  const std::wstring name = Upper(program);
  List(11, program, L"30", L"");
  ASSERT_EQ(SetString(HKEY_CURRENT_USER, (kDelay + L"\\Entry").c_str(), name.c_str(), L"Agent"),
            ERROR_SUCCESS);
  ASSERT_EQ(SetString(HKEY_CURRENT_USER, (kDelay + L"\\Command").c_str(), name.c_str(),
                      program + L" -startup"),
            ERROR_SUCCESS);
  ASSERT_EQ(SetString(HKEY_CURRENT_USER, kRun, L"Agent", L"C:\\Other\\namesake.exe"),
            ERROR_SUCCESS);

  Process explorer = RunExplorer(L"-Restore");
  ASSERT_TRUE(explorer.started());
  EXPECT_EQ(explorer.WaitForExit(), 1u);
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, kRun, L"Agent"), L"C:\\Other\\namesake.exe");
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, (kDelay + L"\\Command").c_str(), name.c_str()),
            program + L" -startup")
      << "still on the list, with what brings it back";
}

}  // namespace
}  // namespace obrivo::test
