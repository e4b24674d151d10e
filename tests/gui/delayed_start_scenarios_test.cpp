// The delayed-start list with the real programs: the Explorer's clean-up before removal puts
// every listed program back where it started from.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

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

  std::vector<std::wstring> created_;
};

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

}  // namespace
}  // namespace obrivo::test
