// The "Obrivo PLUS" verb on program files, the Monitor's Run value and win.ini's program lists.
#include "common/shell_integration.h"

#include "common/store.h"
#include "common/utilities.h"
#include "core/text.h"
#include "startup/monitor_registration.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

using common::ReadStoreString;

class ShellIntegrationTest : public SandboxedTest {};

TEST_F(ShellIntegrationTest, ExplorerMenuVerbRunsTheMonitorWithTheFile) {
  common::SetExplorerMenu(true);
  EXPECT_EQ(ReadStoreString(common::kShellMenuKey, HKEY_CLASSES_ROOT, "", 260),
            "Obrivo PLUS Info...");
  EXPECT_EQ(ReadStoreString(std::string(common::kShellMenuKey) + "\\command", HKEY_CLASSES_ROOT,
                            "", 1024),
            "\"" + common::ProgramFolder() + "\\obrivo.exe\" %1");
  common::SetExplorerMenu(false);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::string(common::kShellMenuKey)));
  common::SetExplorerMenu(false);  // removing twice is harmless
}

TEST_F(ShellIntegrationTest, MonitorRegistrationBothWays) {
  const char* run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  EXPECT_FALSE(startup::IsMonitorRegistered());
  EXPECT_TRUE(startup::RegisterMonitorAtLogon(true));
  EXPECT_TRUE(startup::IsMonitorRegistered());
  const std::string command = startup::MonitorRunCommand(common::ProgramFolder());
  EXPECT_EQ(ReadStoreString(run, HKEY_LOCAL_MACHINE, "Obrivo", 1024), command);
  EXPECT_EQ(ReadStoreString(common::ProductSubkey("Run"), HKEY_CURRENT_USER,
                            core::StripQuotes(command), 16),
            "1")
      << "the Monitor's own entry is accepted, so it never alerts about itself";
  EXPECT_FALSE(startup::RegisterMonitorAtLogon(false));
  EXPECT_FALSE(startup::IsMonitorRegistered());

  // The older title counts as registered, and switching off removes it too.
  common::WriteStoreString(HKEY_LOCAL_MACHINE, run, "Obrivo System Monitor", "old.exe");
  EXPECT_TRUE(startup::IsMonitorRegistered());
  EXPECT_FALSE(startup::RegisterMonitorAtLogon(false));
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, run, "Obrivo System Monitor"));
}

// win.ini lives outside the sandbox: the test restores the value it found.
class ProfileListTest : public SandboxedTest {
 protected:
  void SetUp() override {
    SandboxedTest::SetUp();
    original_ = Read();
  }
  void TearDown() override {
    ::WriteProfileStringW(L"windows", L"load", original_.empty() ? nullptr : original_.c_str());
  }
  static std::wstring Read() {
    wchar_t buffer[4096] = {};
    const DWORD n = ::GetProfileStringW(L"windows", L"load", L"", buffer, 4096);
    return std::wstring(buffer, n);
  }
  std::wstring original_;
};

TEST_F(ProfileListTest, AppendAndRemoveEntries) {
  ::WriteProfileStringW(L"windows", L"load", L"");
  ASSERT_TRUE(common::AppendProfileListEntry("load", "C:\\A.EXE"));
  ASSERT_TRUE(common::AppendProfileListEntry("load", "C:\\B.EXE"));
  EXPECT_EQ(Read(), L"C:\\A.EXE;C:\\B.EXE");
  ASSERT_TRUE(common::RemoveProfileListEntry("load", "c:\\a.exe"));
  EXPECT_EQ(Read(), L"C:\\B.EXE;");

  // A long list keeps every other entry when one is removed.
  std::string list;
  for (int i = 0; i < 60; ++i) list += "C:\\Programs\\entry" + std::to_string(i) + ".exe;";
  ::WriteProfileStringW(L"windows", L"load", win32::Wide(list).c_str());
  ASSERT_TRUE(common::RemoveProfileListEntry("load", "C:\\Programs\\entry59.exe"));
  EXPECT_EQ(win32::Narrow(Read()), list.substr(0, list.find("C:\\Programs\\entry59.exe")));
}

}  // namespace
}  // namespace obrivo::test
