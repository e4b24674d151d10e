// The startup enumerator as a whole: win.ini, Winlogon, the page's short listing, every
// location in its order, the location labels and the first-run dates.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "app/category_hooks.h"
#include "common/first_detected.h"
#include "common/store.h"
#include "startup_test_env.h"

namespace obrivo::test {
namespace {

using core::RunKeyPath;

class StartupLocationsTest : public StartupTest {};

TEST_F(StartupLocationsTest, WinIniListsGiveOneEntryPerProgram) {
  ::WriteProfileStringW(L"windows", L"run",
                        win32::Wide("C:\\Fixture\\a.exe;;  ;" + Described() + " -x").c_str());
  ::WriteProfileStringW(L"windows", L"load", L"C:\\Fixture\\b.exe;");
  startup::EnumStartup(false);
  const auto run = OfType(core::kWinIniRun);
  ASSERT_EQ(run.size(), 2u);
  EXPECT_EQ(run[0].path, "C:\\Fixture\\a.exe");
  EXPECT_EQ(run[0].title, "run") << "no product name: the key's name";
  EXPECT_EQ(run[1].path, Described() + " -x");
  EXPECT_EQ(run[1].title, "Fixture Waiter") << "the product name of the entry's file";
  const auto load = OfType(core::kWinIniLoad);
  ASSERT_EQ(load.size(), 1u);
  EXPECT_EQ(load[0].title, "load");
  EXPECT_EQ(load[0].path, "C:\\Fixture\\b.exe");
  for (const auto& item : Listed())
    EXPECT_TRUE(item.key.empty() && item.text.empty() && item.flag == 0);
}

TEST_F(StartupLocationsTest, WinlogonUserinitAndShellGiveTheProgramsTheyStart) {
  using Paths = std::vector<std::string>;
  const struct {
    const char* userinit;  // nullptr: no value
    const char* shell;
    Paths userinitPaths;  // every program of the list, in its order
    std::optional<std::string> shellPath;
  } cases[] = {
      {"C:\\Fixture\\userinit.exe,", "Explorer.exe", {"C:\\Fixture\\userinit.exe"}, "Explorer.exe"},
      // A program in front of userinit is started as surely as one after it.
      {"C:\\evil\\first.exe,C:\\windows\\system32\\userinit.exe,",
       "Explorer.exe",
       {"C:\\evil\\first.exe", "C:\\windows\\system32\\userinit.exe"},
       "Explorer.exe"},
      {"C:\\Fixture\\userinit.exe,  C:\\Fixture\\extra.exe",
       "Explorer.exe  C:\\Fixture\\sh.exe",
       {"C:\\Fixture\\userinit.exe", "C:\\Fixture\\extra.exe"},
       "C:\\Fixture\\sh.exe"},
      {" C:\\A\\a.exe ,, ,C:\\B\\b.exe , C:\\Fixture\\userinit.exe,",
       "Explorer.exe",
       {"C:\\A\\a.exe", "C:\\B\\b.exe", "C:\\Fixture\\userinit.exe"},
       "Explorer.exe"},
      {"C:\\Fixture\\userinit.exe, ",
       "Explorer.exe ",
       {"C:\\Fixture\\userinit.exe"},
       "Explorer.exe"},
      // Winlogon starts a lone program as well: it must not be hidden for lack of a comma.
      {"C:\\Fixture\\alone.exe",
       "C:\\Fixture\\shell.exe",
       {"C:\\Fixture\\alone.exe"},
       "C:\\Fixture\\shell.exe"},
      {",", "", {}, std::nullopt},
      {"", "", {}, std::nullopt},
      {nullptr, nullptr, {}, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.userinit ? c.userinit : "(none)");
    common::DeleteStoreTree(HKEY_LOCAL_MACHINE, core::kWinlogonKey);
    if (c.userinit)
      SetString(HKEY_LOCAL_MACHINE, std::string(core::kWinlogonKey), "UserInit", c.userinit);
    if (c.shell) SetString(HKEY_LOCAL_MACHINE, std::string(core::kWinlogonKey), "Shell", c.shell);
    startup::EnumStartup(false);
    Paths userinitPaths;
    for (const core::Item& item : OfType(core::kWinlogonUserinit)) {
      userinitPaths.push_back(item.path);
      EXPECT_EQ(item.title, "Winlogon Userinit");
    }
    EXPECT_EQ(userinitPaths, c.userinitPaths);
    const auto shell = OfType(core::kWinlogonShell);
    ASSERT_EQ(shell.size(), c.shellPath ? 1u : 0u);
    if (c.shellPath) {
      EXPECT_EQ(shell[0].path, *c.shellPath);
      EXPECT_EQ(shell[0].title, "Winlogon Shell");
    }
  }

  // Only the NT family has Winlogon.
  common::App().ntFamily = false;
  startup::EnumStartup(false);
  EXPECT_TRUE(OfType(core::kWinlogonUserinit).empty());
  EXPECT_TRUE(OfType(core::kWinlogonShell).empty());
}

TEST_F(StartupLocationsTest, ThePageShowsTheAdvancedLocationsOnlyWhenAskedTo) {
  SetString(HKEY_LOCAL_MACHINE, RunKeyPath(1), "Plain entry", "C:\\Fixture\\plain.exe");
  SetString(HKEY_LOCAL_MACHINE, std::string(core::kWinlogonKey), "Shell", "Explorer.exe");
  SetString(HKEY_LOCAL_MACHINE, std::string(core::kWindowsNtWindowsKey), "AppInit_DLLs",
            "C:\\Fixture\\hook.dll");
  const struct {
    bool pageMode;
    int showAll;
    bool advanced;
  } cases[] = {{true, 0, false},  {true, 1, true},  {true, 2, true},
               {true, -1, false}, {false, 0, true}, {false, 1, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.pageMode) + "/" + std::to_string(c.showAll));
    common::App().options.Set(core::OptionId::ShowAllStartup, c.showAll);
    startup::EnumStartup(c.pageMode);
    EXPECT_EQ(Titled("Plain entry").size(), 1u);
    EXPECT_EQ(OfType(core::kWinlogonShell).size(), c.advanced ? 1u : 0u);
    EXPECT_EQ(OfType(core::kAppInitDlls).size(), c.advanced ? 1u : 0u);
  }
}

TEST_F(StartupLocationsTest, EveryLocationInItsOrder) {
  std::vector<int> expected;
  for (int offset : {0, 10, 20})
    for (int i = 1; i <= core::kRunKeyCount; ++i) {
      const int code = offset + i;
      SetString(HiveOf(code), RunKeyPath(code), "Entry " + std::to_string(code),
                "C:\\Fixture\\e" + std::to_string(code) + ".exe");
      expected.push_back(code);
    }
  const std::string machineFolder = MakeFolder(scratch_ + "\\common");
  const std::string userFolder = MakeFolder(scratch_ + "\\user");
  MakeFile(machineFolder + "\\machine.bat");
  MakeFile(userFolder + "\\user.bat");
  SetString(HKEY_LOCAL_MACHINE, std::string(core::kShellFoldersKey), "Common Startup",
            machineFolder);
  SetString(HKEY_CURRENT_USER, std::string(core::kShellFoldersKey), "Startup", userFolder);
  expected.insert(expected.end(), {200, 200});
  ::WriteProfileStringW(L"windows", L"run", L"C:\\Fixture\\run.exe");
  ::WriteProfileStringW(L"windows", L"load", L"C:\\Fixture\\load.exe");
  expected.insert(expected.end(), {101, 100});
  common::WriteStoreString(HKEY_LOCAL_MACHINE, kDisabledKey + "\\WinRun", "Off",
                           "C:\\Fixture\\off.exe");
  common::WriteStoreString(HKEY_LOCAL_MACHINE, kDisabledKey, "Off", "101");
  const std::string disabledFolder = common::ProgramFolder() + "\\Disabled";
  const bool disabledFolderMade = ::CreateDirectoryW(win32::Wide(disabledFolder).c_str(), nullptr);
  MakeFile(disabledFolder + "\\moved.bat");
  if (disabledFolderMade) Remember(disabledFolder);
  expected.insert(expected.end(), {101, 200});
  SetString(HKEY_LOCAL_MACHINE, std::string(core::kWinlogonKey), "UserInit",
            "C:\\Fixture\\ui.exe,");
  SetString(HKEY_LOCAL_MACHINE, std::string(core::kWinlogonKey), "Shell", "Explorer.exe");
  SetString(HKEY_LOCAL_MACHINE, std::string(core::kDelayLoadKey), "Delay",
            "{00000000-0000-0000-0000-000000000001}");
  SetString(HKEY_LOCAL_MACHINE, std::string(core::kSharedTaskSchedulerKey),
            "{00000000-0000-0000-0000-000000000002}", "Task");
  SetString(HKEY_LOCAL_MACHINE, std::string(core::kShellExecuteHooksKey),
            "{00000000-0000-0000-0000-000000000003}", "Hook");
  SetString(HKEY_LOCAL_MACHINE, std::string(core::kWindowsNtWindowsKey), "AppInit_DLLs",
            "C:\\Fixture\\a.dll");
  SetString(HKEY_LOCAL_MACHINE, std::string(core::kWinlogonNotifyKey) + "\\Pkg", "DllName",
            "C:\\Fixture\\n.dll");
  expected.insert(expected.end(), {250, 251, 252, 253, 254, 255, 256});

  ASSERT_EQ(startup::EnumStartup(false), expected.size());
  std::vector<int> types;
  for (const core::Item& item : Listed()) types.push_back(item.type);
  EXPECT_EQ(types, expected);
  // The Startup folders: machine before user.
  const auto folders = OfType(200);
  ASSERT_EQ(folders.size(), 3u);
  EXPECT_EQ(folders[0].title, "machine");
  EXPECT_EQ(folders[1].title, "user");
  EXPECT_EQ(folders[2].title, "moved");

  // Listing again gives the same list, not an extended one.
  EXPECT_EQ(startup::EnumStartup(false), expected.size());
}

TEST_F(StartupLocationsTest, LocationLabels) {
  const std::string off = " *    Disabled * ";
  const struct {
    int code;
    bool disabled;
    std::string label;
  } cases[] = {
      {1, false, "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
      {13, false, "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx"},
      {25, false, "HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce"},
      {6, false, ""},
      {17, false, ""},
      {100, false, "WIN.INI     [Load] Section"},
      {200, false, "Windows Startup Group"},
      {256, false, "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon Notify"},
      {11, true, off + "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
      {16, true, off},
      {11, false, "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
      {800, false, "Windows Task Scheduler"},
      {900, false, "Internet Explorer - Browser Helper Object"},
      {901, true, "Internet Explorer - Toolbar Add-On Extension"},
      {902, false, ""},
      {300, false, ""},
      {257, true, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(startup::LocationLabel(c.code, c.disabled), c.label) << c.code << " " << c.disabled;
}

TEST_F(StartupLocationsTest, TheFirstRunDatesEveryStartupProgramThatExists) {
  const std::string folder = MakeFolder(scratch_ + "\\dated");
  const std::string present = CopyOf(Plain(), folder + "\\present.exe");
  SetString(HKEY_LOCAL_MACHINE, RunKeyPath(1), "Present", "\"" + present + "\" -background");
  SetString(HKEY_CURRENT_USER, RunKeyPath(11), "Gone", folder + "\\gone.exe");
  app::CategoryBaselineHooks().initFirstDetected();

  const std::string startupKey = common::DetectedSubkeyPath(common::kDetectedStartup);
  const std::string command = present + " -background";  // the item's path: quotes go
  EXPECT_FALSE(common::LookupFirstDetected(1, command).empty())
      << "named by the command, as the check and the page look it up";
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, startupKey, common::CommandToProgramPath(command)))
      << "not by the program file the command starts";
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, startupKey, folder + "\\gone.exe"));
}

}  // namespace
}  // namespace obrivo::test
