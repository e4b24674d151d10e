// The Monitor's logon entry: the program it starts wherever the Monitor is installed, and the
// earlier unquoted form still taken for the Monitor's own.
#include "startup/monitor_registration.h"

#include <string>
#include <vector>

#include "common/store.h"
#include "common/win32/wide.h"
#include "startup/startup_check.h"
#include "test_process.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

constexpr const char* kMachineRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class MonitorRegistrationTest : public SandboxedTest {
 protected:
  void SetUp() override {
    SandboxedTest::SetUp();
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    root_ = std::wstring(temp) + L"obrivo-logon";
    ::CreateDirectoryW(root_.c_str(), nullptr);
    helper_ = HostToWine(EnvVar(L"OBRIVO_BIN_DIR")) + L"\\obrivo_test_helper.exe";
  }
  void TearDown() override {
    for (const std::wstring& file : files_) ::DeleteFileW(file.c_str());
    for (auto folder = folders_.rbegin(); folder != folders_.rend(); ++folder)
      ::RemoveDirectoryW(folder->c_str());
    ::RemoveDirectoryW(root_.c_str());
  }

  // A copy of a small program at `path` (below the root).
  void Place(const std::wstring& path) {
    ASSERT_TRUE(::CopyFileW(helper_.c_str(), path.c_str(), FALSE)) << win32::Narrow(path);
    files_.push_back(path);
  }
  std::wstring Folder(const std::wstring& name) {
    const std::wstring folder = root_ + L"\\" + name;
    ::CreateDirectoryW(folder.c_str(), nullptr);
    folders_.push_back(folder);
    return folder;
  }

  std::wstring root_, helper_;
  std::vector<std::wstring> files_, folders_;
};

// A program named like the first word of the folder is what Windows tries first for an unquoted
// path ("...\Program.exe" for "...\Program Files\..."); the entry must start the Monitor anyway.
TEST_F(MonitorRegistrationTest, RunValueStartsTheMonitorWhereverItIsInstalled) {
  const std::wstring plain = Folder(L"Obrivo");
  Folder(L"Program Files");
  const std::wstring spaced = Folder(L"Program Files\\Obrivo Watch");
  Place(root_ + L"\\Program.exe");
  for (const std::wstring& folder : {plain, spaced}) {
    SCOPED_TRACE(win32::Narrow(folder));
    Place(folder + L"\\obrivo.exe");
    const std::string command = startup::MonitorRunCommand(win32::Narrow(folder));
    EXPECT_EQ(_wcsicmp(ProgramStartedBy(win32::Wide(command)).c_str(),
                       (folder + L"\\obrivo.exe").c_str()),
              0)
        << command;
    EXPECT_NE(command.find(" -expressboot"), std::string::npos) << command;
  }
}

// The startup listing takes the quotes off a command; the Monitor's own entry is accepted under
// that name, so the patrol finds nothing new in it.
TEST_F(MonitorRegistrationTest, TheMonitorsOwnEntryIsNotNew) {
  startup::SnapshotStartup();
  ASSERT_FALSE(startup::StartupChanged());
  ASSERT_TRUE(startup::RegisterMonitorAtLogon(true));
  EXPECT_FALSE(startup::StartupChanged());
}

// Entries of earlier builds hold the path unquoted; they are still the Monitor's own.
TEST_F(MonitorRegistrationTest, QuotedAndUnquotedEntriesAreBothOurs) {
  const std::string folder = "C:\\Program Files\\Obrivo";
  for (const std::string& command :
       {startup::MonitorRunCommand(folder), folder + "\\obrivo.exe -expressboot"}) {
    SCOPED_TRACE(command);
    ASSERT_TRUE(common::WriteStoreString(HKEY_LOCAL_MACHINE, kMachineRun, "Obrivo", command));
    // Another command: a value like the one just before it in HKLM is listed only once.
    ASSERT_TRUE(
        common::WriteStoreString(HKEY_CURRENT_USER, kMachineRun, "Obrivo", command + " -NoOpen"));
    EXPECT_TRUE(startup::IsMonitorRegistered());
    EXPECT_FALSE(startup::RegisterMonitorAtLogon(false));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kMachineRun, "Obrivo"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kMachineRun, "Obrivo"))
        << "wherever it starts the Monitor";
  }
}

}  // namespace
}  // namespace obrivo::test
