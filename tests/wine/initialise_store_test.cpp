// The start-up initialisation: first run, version change, clean-up, copies of system settings,
// the shell verb and the Monitor's registration.
#include "common/initialise_store.h"

#include <string>
#include <vector>

#include "app/category_hooks.h"
#include "common/shell_integration.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "startup/monitor_registration.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

using common::App;
using common::kProductKey;
using common::ProductSubkey;
using common::ReadStoreString;

constexpr const char* kMachineRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class InitialiseStoreTest : public SandboxedTest {
 protected:
  // Hooks that count the snapshots taken and leave a mark in each rebuilt baseline; the
  // Monitor's registration is the programs' own.
  common::BaselineHooks CountingHooks() {
    const common::BaselineHooks programs = app::CategoryBaselineHooks();
    common::BaselineHooks hooks;
    hooks.registerMonitor = programs.registerMonitor;
    hooks.monitorRegistered = programs.monitorRegistered;
    hooks.snapshotStartup = [this] {
      ++startupSnapshots_;
      common::WriteStoreString(HKEY_CURRENT_USER, ProductSubkey("Run"), "C:\\SNAP.EXE", "1");
      for (const std::string& entry : system_)
        common::WriteStoreString(HKEY_CURRENT_USER, ProductSubkey("Run"), entry, "11");
    };
    hooks.snapshotIEHelpers = [this] { ++helperSnapshots_; };
    hooks.snapshotTasks = [this] { ++taskSnapshots_; };
    hooks.recordSystemFiles = [this] { ++systemFileRecords_; };
    return hooks;
  }
  static std::string Product(const char* value) {
    return ReadStoreString(kProductKey, HKEY_CURRENT_USER, value, 128);
  }
  int startupSnapshots_ = 0, helperSnapshots_ = 0, taskSnapshots_ = 0, systemFileRecords_ = 0;
  std::vector<std::string> system_;  // the startup entries a snapshot finds
};

TEST_F(InitialiseStoreTest, FirstRunCreatesTheLayoutAndRegistersTheMonitor) {
  common::InitialiseStore(CountingHooks());
  for (const char* key : {"Nuts", "Cookies", "Options", "Run", "IEHelpers", "HostFile", "Tasks"})
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, ProductSubkey(key))) << key;
  EXPECT_FALSE(Product("").empty()) << "the first-run date";
  EXPECT_EQ(Product("Version"), "16.0.2009.5");
  EXPECT_GE(startupSnapshots_, 1);
  EXPECT_EQ(startupSnapshots_, helperSnapshots_);
  EXPECT_EQ(startupSnapshots_, taskSnapshots_);
  EXPECT_EQ(systemFileRecords_, 1);
  EXPECT_FALSE(ReadStoreString(ProductSubkey("Sysfiles"), HKEY_LOCAL_MACHINE, "", 128).empty());

  EXPECT_EQ(ReadStoreString(kMachineRun, HKEY_LOCAL_MACHINE, "Obrivo", 1024),
            startup::MonitorRunCommand(common::ProgramFolder()));
  EXPECT_TRUE(App().monitorRegistered);
}

TEST_F(InitialiseStoreTest, SecondStartTakesNoNewBaselines) {
  common::InitialiseStore(CountingHooks());
  const std::string firstRun = Product("");
  startupSnapshots_ = systemFileRecords_ = 0;
  common::InitialiseStore(CountingHooks());
  EXPECT_EQ(startupSnapshots_, 0);
  EXPECT_EQ(systemFileRecords_, 0) << "the system-file snapshot keeps its own marker";
  EXPECT_EQ(Product(""), firstRun);
}

TEST_F(InitialiseStoreTest, CleanupRebuildsTheMainBaselinesOnce) {
  common::InitialiseStore(CountingHooks());
  common::WriteStoreString(HKEY_CURRENT_USER, ProductSubkey("Run"), "C:\\OLD.EXE", "1");
  common::WriteStoreString(HKEY_CURRENT_USER, ProductSubkey("Tasks"), "old task", "800");
  common::WriteStoreString(HKEY_CURRENT_USER, common::kOptionsKey, "Cleanup", "1");
  startupSnapshots_ = helperSnapshots_ = taskSnapshots_ = 0;

  common::InitialiseStore(CountingHooks());
  EXPECT_EQ(startupSnapshots_, 1);
  EXPECT_EQ(helperSnapshots_, 1);
  EXPECT_EQ(taskSnapshots_, 1);
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, ProductSubkey("Run"), "C:\\OLD.EXE"));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, ProductSubkey("Run"), "C:\\SNAP.EXE"));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, ProductSubkey("Tasks"), "old task"));
  EXPECT_EQ(ReadStoreString(common::kOptionsKey, HKEY_CURRENT_USER, "Cleanup", 16), "0");
}

// The clean-up rebuilds the baselines once, whatever the store's version marker says. Left set,
// the request would rebuild them again at the next start and accept, unasked, an entry added in
// between.
TEST_F(InitialiseStoreTest, TheCleanupRebuildsOnceWhateverTheVersion) {
  common::InitialiseStore(CountingHooks());
  const struct {
    const char* marker;
    void (*prepare)();
  } cases[] = {
      {"another version",
       [] { common::WriteStoreString(HKEY_CURRENT_USER, kProductKey, "Version", "15.0.1"); }},
      {"no version", [] { common::DeleteStoreValue(HKEY_CURRENT_USER, kProductKey, "Version"); }},
      {"this version", [] {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.marker);
    system_ = {"C:\\ACCEPTED.EXE"};
    c.prepare();
    common::WriteStoreString(HKEY_CURRENT_USER, common::kOptionsKey, "Cleanup", "1");
    startupSnapshots_ = 0;
    common::InitialiseStore(CountingHooks());
    EXPECT_EQ(startupSnapshots_, 1);
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, ProductSubkey("Run"), "C:\\ACCEPTED.EXE"));
    EXPECT_EQ(ReadStoreString(common::kOptionsKey, HKEY_CURRENT_USER, "Cleanup", 16), "0");

    system_.push_back("C:\\ADDED.EXE");
    startupSnapshots_ = 0;
    common::InitialiseStore(CountingHooks());
    EXPECT_EQ(startupSnapshots_, 0);
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, ProductSubkey("Run"), "C:\\ADDED.EXE"))
        << "the entry added after the rebuild is still new";
  }
}

// An upgrade (a store marked by another version, or by none) keeps every baseline: an entry
// added since the last patrol is still new to the check. The Monitor's registration replaces an
// older one.
TEST_F(InitialiseStoreTest, AnUpgradeKeepsTheBaselinesAndRegistersAgain) {
  const struct {
    const char* marker;
    bool registers;
  } cases[] = {{"15.0.1", true}, {"", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.marker);
    common::InitialiseStore(CountingHooks());
    common::WriteStoreString(HKEY_CURRENT_USER, ProductSubkey("Run"), "C:\\KNOWN.EXE", "11");
    common::DeleteStoreValue(HKEY_LOCAL_MACHINE, kMachineRun, "Obrivo");
    if (*c.marker)
      common::WriteStoreString(HKEY_CURRENT_USER, kProductKey, "Version", c.marker);
    else
      common::DeleteStoreValue(HKEY_CURRENT_USER, kProductKey, "Version");
    common::WriteStoreString(HKEY_LOCAL_MACHINE, kMachineRun, common::LoadText(622), "old.exe");
    system_ = {"C:\\ADDED.EXE"};
    startupSnapshots_ = helperSnapshots_ = taskSnapshots_ = 0;

    common::InitialiseStore(CountingHooks());
    EXPECT_EQ(startupSnapshots_ + helperSnapshots_ + taskSnapshots_, 0) << "no baseline retaken";
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, ProductSubkey("Run"), "C:\\KNOWN.EXE"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, ProductSubkey("Run"), "C:\\ADDED.EXE"))
        << "added since the last patrol: still new";
    EXPECT_EQ(Product("Version"), "16.0.2009.5");
    EXPECT_EQ(ValueExists(HKEY_LOCAL_MACHINE, kMachineRun, "Obrivo"), c.registers);
    EXPECT_EQ(ValueExists(HKEY_LOCAL_MACHINE, kMachineRun, common::LoadText(622)), !c.registers);
    common::DeleteStoreValue(HKEY_LOCAL_MACHINE, kMachineRun, common::LoadText(622));
  }
}

TEST_F(InitialiseStoreTest, WithoutEnumeratorsNoBaselineIsPretended) {
  common::InitialiseStore(common::BaselineHooks{});
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, ProductSubkey("Run")));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ProductSubkey("Sysfiles")))
      << "no snapshot, so no marker that one was taken";
}

TEST_F(InitialiseStoreTest, CopiesSystemSettingsOnce) {
  common::WriteStoreDword(
      HKEY_LOCAL_MACHINE,
      "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update", "AUOptions", 4);
  common::WriteStoreDword(HKEY_LOCAL_MACHINE,
                          "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                          "EnableLUA", 1);
  common::InitialiseStore(common::BaselineHooks{});
  EXPECT_EQ(common::ReadStoreSmallNumber(HKEY_CURRENT_USER, kProductKey, "AUOptions"), 4);
  EXPECT_EQ(common::ReadStoreSmallNumber(HKEY_CURRENT_USER, kProductKey, "EnableLUA"), 1);
  // A missing system value is remembered as 0xFFFFFFFF, which reads as present (-257).
  EXPECT_EQ(common::ReadStoreSmallNumber(HKEY_CURRENT_USER, kProductKey, "PromptOnSecureDesktop"),
            -257);

  common::WriteStoreDword(HKEY_LOCAL_MACHINE,
                          "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                          "EnableLUA", 0);
  common::InitialiseStore(common::BaselineHooks{});
  EXPECT_EQ(common::ReadStoreSmallNumber(HKEY_CURRENT_USER, kProductKey, "EnableLUA"), 1)
      << "an existing copy is not taken again";
}

TEST_F(InitialiseStoreTest, ShellVerbFollowsTheOption) {
  common::InitialiseStore(common::BaselineHooks{});
  EXPECT_TRUE(common::ExplorerMenuExists()) << "on by default";
  common::WriteStoreString(HKEY_CURRENT_USER, common::kOptionsKey, "ExplorerMenu", "0");
  common::InitialiseStore(common::BaselineHooks{});
  EXPECT_FALSE(common::ExplorerMenuExists());
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::string(common::kShellMenuKey)));
}

TEST_F(InitialiseStoreTest, LoadsOptionsAndTheDebugSwitch) {
  common::WriteStoreString(HKEY_CURRENT_USER, common::kOptionsKey, "Start", "9");
  common::WriteStoreString(HKEY_CURRENT_USER, common::kOptionsKey, "Debug", "1");
  common::InitialiseStore(common::BaselineHooks{});
  EXPECT_EQ(App().options.Get(core::OptionId::Start), 9);
  EXPECT_EQ(App().options.Get(core::OptionId::MaxCookie), 4096) << "the Explorer's default";
  EXPECT_TRUE(App().diagnostics);
  EXPECT_EQ(App().languageId, 9);
}

}  // namespace
}  // namespace obrivo::test
