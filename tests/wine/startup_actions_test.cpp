// Disabling, enabling, removing and restoring startup entries in every kind of location: Run
// keys of both hives, win.ini, the Startup folders, Winlogon Notify, and the locations that can
// only be removed.
#include "startup/startup_actions.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/shell_link.h"
#include "common/win32/system.h"
#include "core/text.h"
#include "file_bytes.h"
#include "startup/monitor_registration.h"
#include "startup/startup_locations.h"
#include "startup_actions_env.h"

namespace obrivo::startup {
namespace {

using test::kBaselineKey;
using test::kDisabledKey;
using test::kVersionKey;
using test::Record;
using test::Value;

const HKEY kLM = HKEY_LOCAL_MACHINE;
const HKEY kCU = HKEY_CURRENT_USER;
const std::string kRun = kVersionKey + "\\Run";
const std::string kNotify = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify";
const std::string kWindows = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Windows";

class StartupActions : public test::StartupActionsTest {};

// ---- Run keys ------------------------------------------------------------------------------

struct RunCase {
  int code;
  HKEY hive;
  std::string key;     // the live key below its hive
  std::string stored;  // the Disabled subkey
  std::string exact;   // the command as it stands in the key
  std::string passed;  // the item's path, as the page passes it
};

const RunCase kRunCases[] = {
    // A user entry's copy lives in the machine hive, and it must come back to the user's key.
    {11, kCU, kRun, "Run", "\"C:\\Program Files\\Agent\\agent.exe\" /tray",
     "C:\\Program Files\\Agent\\agent.exe /tray"},
    // The item's path is only what runs through RUNDLL32.EXE: the copy keeps the whole command.
    {1, kLM, kRun, "Run", "RUNDLL32.EXE C:\\Tools\\hook.dll,Start", "C:\\Tools\\hook.dll,Start"},
    {16, kCU, kVersionKey + "\\RunOnce\\Setup", "RunSetup", "C:\\setup.exe -s", "C:\\setup.exe -s"},
    {7, kLM, kVersionKey + "\\policies\\Explorer\\Run", "Policy", "C:\\p.exe", "C:\\p.exe"},
    {15, kCU, kVersionKey + "\\RunServicesOnce", "RunServicesOnce", "C:\\s.exe", "C:\\s.exe"},
    {22, kLM, "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce", "RunOnce",
     "C:\\w.exe", "C:\\w.exe"},
};

TEST_F(StartupActions, DisableThenEnablePutsEachRunEntryBackAsItStood) {
  for (const RunCase& c : kRunCases) {
    SCOPED_TRACE(c.code);
    const HKEY otherHive = c.hive == kCU ? kLM : kCU;
    Write(c.hive, c.key, "Agent", c.exact);

    ASSERT_TRUE(ToggleStartupEntry("Agent", c.passed, "", c.code));
    EXPECT_EQ(Value(c.hive, c.key, "Agent"), std::nullopt) << "the live value went";
    EXPECT_EQ(Record(c.code, "Agent"), c.exact);
    EXPECT_TRUE(IsStartupEntryDisabled(c.code, "Agent"));
    EXPECT_FALSE(IsStartupEntryDisabled(c.code == 1 ? 11 : 1, "Agent")) << "only in its location";

    ASSERT_TRUE(ToggleStartupEntry("Agent", c.passed, "", c.code));
    EXPECT_EQ(Value(c.hive, c.key, "Agent"), c.exact) << "the same name and command, same hive";
    EXPECT_EQ(Value(otherHive, c.key, "Agent"), std::nullopt);
    EXPECT_EQ(Record(c.code, "Agent"), std::nullopt);
    EXPECT_FALSE(IsStartupEntryDisabled(c.code, "Agent"));
    common::DeleteStoreValue(c.hive, c.key, "Agent");
  }
}

TEST_F(StartupActions, AnExpandableCommandStaysExpandableThroughDisableAndEnable) {
  const std::string run = kVersionKey + "\\Run";
  SetRaw(kCU, run, "Agent", REG_EXPAND_SZ, Utf16Bytes(L"%SystemRoot%\\agent.exe", true));
  const auto type = [](HKEY hive, const std::string& key) {
    auto k = win32::OpenKey(hive, key, KEY_READ);
    const auto v = k ? win32::QueryValue(k.get(), "Agent") : std::nullopt;
    return v ? v->type : REG_NONE;
  };
  ASSERT_TRUE(ToggleStartupEntry("Agent", "C:\\windows\\agent.exe", "", 11));
  EXPECT_EQ(type(kLM, kDisabledKey + "\\11"), static_cast<DWORD>(REG_EXPAND_SZ));
  ASSERT_TRUE(ToggleStartupEntry("Agent", "C:\\windows\\agent.exe", "", 11));
  EXPECT_EQ(type(kCU, run), static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(Value(kCU, run, "Agent"), "%SystemRoot%\\agent.exe") << "not expanded on the way";
  common::DeleteStoreValue(kCU, run, "Agent");
}

TEST_F(StartupActions, LocationsThatCannotBeDisabledAreLeftAsTheyAre) {
  const std::string wowSetup = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion";
  for (const int code : {26, 27, 250, 251, 252, 253, 254, 255, 0, 8, 300}) {
    SCOPED_TRACE(code);
    Write(kLM, wowSetup + "\\RunOnce\\Setup", "Agent", "C:\\agent.exe");
    EXPECT_FALSE(ToggleStartupEntry("Agent", "C:\\agent.exe", "", code)) << "not disabled";
    EXPECT_FALSE(IsStartupEntryDisabled(code, "Agent"));
    EXPECT_EQ(Value(kLM, wowSetup + "\\RunOnce\\Setup", "Agent"), "C:\\agent.exe");
    // A record found for such a code does not enable anything either.
    Write(kLM, kDisabledKey + "\\" + std::to_string(code), "Agent", "C:\\agent.exe");
    EXPECT_FALSE(ToggleStartupEntry("Agent", "C:\\agent.exe", "", code)) << "not enabled";
    EXPECT_FALSE(IsStartupEntryDisabled(code, "Agent"));
    common::DeleteStoreTree(kLM, kDisabledKey + "\\" + std::to_string(code));
  }
}

TEST_F(StartupActions, AnEntryPutBackWhileDisabledIsDisabledAgainWithItsNewCommand) {
  Write(kCU, kRun, "Agent", "C:\\old.exe");
  ASSERT_TRUE(ToggleStartupEntry("Agent", "C:\\old.exe", "", 11));
  Write(kCU, kRun, "Agent", "C:\\new.exe");  // another program writes it again
  EnumStartup(false);
  EXPECT_EQ(Value(kCU, kRun, "Agent"), std::nullopt);
  EXPECT_EQ(Record(11, "Agent"), "C:\\new.exe");
  EXPECT_TRUE(IsStartupEntryDisabled(11, "Agent"));
}

TEST_F(StartupActions, RemovingALiveEntryRecordsItAndForgetsBothBaselineValues) {
  const std::string exact = "RUNDLL32.EXE C:\\Tools\\a=b.dll,Go";
  const std::string path = "C:\\Tools\\a=b.dll,Go";
  Write(kLM, kRun, "Agent", exact);
  Write(kCU, kBaselineKey, "C:\\Tools\\a:b.dll,Go", "1");  // the value-name form of the path
  Write(kCU, kBaselineKey, "Agent", "1");
  Write(kCU, kBaselineKey, "C:\\other.exe", "1");

  ASSERT_TRUE(RemoveStartupEntry("Agent", path, "", 1, {}));
  EXPECT_EQ(Value(kLM, kRun, "Agent"), std::nullopt);
  EXPECT_EQ(Value(kCU, kBaselineKey, "C:\\Tools\\a:b.dll,Go"), std::nullopt);
  EXPECT_EQ(Value(kCU, kBaselineKey, "Agent"), std::nullopt);
  EXPECT_EQ(Value(kCU, kBaselineKey, "C:\\other.exe"), "1") << "other entries stay accepted";
  const auto records = test::HistoryRecords();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].flag, 0) << "*START_Remove";
  EXPECT_EQ(records[0].type, 1);
  EXPECT_EQ(records[0].title, "Agent");
  EXPECT_EQ(records[0].path, exact) << "recorded as it stood, so that it can be put back";

  // Nothing there: nothing removed, nothing recorded.
  EXPECT_FALSE(RemoveStartupEntry("Agent", path, "", 1, {}));
  EXPECT_EQ(test::HistoryRecords().size(), 1u);
}

TEST_F(StartupActions, RemovingADisabledEntryDeletesItsRecordOnly) {
  Write(kCU, kRun, "Agent", "C:\\agent.exe");
  ASSERT_TRUE(ToggleStartupEntry("Agent", "C:\\agent.exe", "", 11));
  // Namesakes in other locations are other entries.
  Write(kLM, kRun, "Agent", "C:\\machine.exe");
  Write(kCU, kRun, "Other", "C:\\other.exe");

  ASSERT_TRUE(RemoveStartupEntry("Agent", "C:\\agent.exe", "", 11, {}));
  EXPECT_EQ(Record(11, "Agent"), std::nullopt);
  EXPECT_FALSE(IsStartupEntryDisabled(11, "Agent"));
  EXPECT_EQ(Value(kLM, kRun, "Agent"), "C:\\machine.exe") << "the machine's entry is untouched";
  EXPECT_EQ(Value(kCU, kRun, "Other"), "C:\\other.exe");
  const auto records = test::HistoryRecords();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].path, "C:\\agent.exe") << "the stored command, for the undo";
}

TEST_F(StartupActions, RemovingALiveEntryLeavesADisabledNamesakeElsewhere) {
  Write(kLM, kRun, "Dup", "C:\\tools\\machine.exe");
  ASSERT_TRUE(ToggleStartupEntry("Dup", "C:\\tools\\machine.exe", "", 1));
  Write(kCU, kRun, "Dup", "C:\\tools\\user.exe");

  ASSERT_TRUE(RemoveStartupEntry("Dup", "C:\\tools\\user.exe", "", 11, {}));
  EXPECT_EQ(Value(kCU, kRun, "Dup"), std::nullopt) << "the live entry is what was removed";
  EXPECT_EQ(Record(1, "Dup"), "C:\\tools\\machine.exe") << "the disabled one stays";
}

TEST_F(StartupActions, RemovingTheMonitorsOwnEntriesWritesNoHistory) {
  const std::string folder = common::ProgramFolder();
  for (const std::string& command : std::vector<std::string>{
           folder + "\\obrivo.exe -expressboot", folder + "\\OBRIVOEX.EXE"}) {
    SCOPED_TRACE(command);
    Write(kLM, kRun, "Obrivo", command);
    EXPECT_TRUE(RemoveStartupEntry("Obrivo", command, "", 1, {}));
    EXPECT_EQ(Value(kLM, kRun, "Obrivo"), std::nullopt);
  }
  EXPECT_TRUE(test::HistoryRecords().empty());
  // Another program that merely lives in a folder of that name is recorded like any other.
  Write(kLM, kRun, "Stowaway", "C:\\Obrivo\\x.exe");
  EXPECT_TRUE(RemoveStartupEntry("Stowaway", "C:\\Obrivo\\x.exe", "", 1, {}));
  EXPECT_EQ(test::HistoryRecords().size(), 1u);
}

// ---- win.ini -------------------------------------------------------------------------------

TEST_F(StartupActions, WinIniEntriesRoundTrip) {
  const struct {
    int code;
    const char* keyName;
  } cases[] = {{100, "load"}, {101, "run"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keyName);
    test::SetWinIniList(c.keyName, "C:\\first.exe;C:\\agent.exe");

    ASSERT_TRUE(ToggleStartupEntry("Agent", "C:\\agent.exe", "", c.code));
    EXPECT_EQ(test::WinIniList(c.keyName), "C:\\first.exe;");
    EXPECT_EQ(Record(c.code, "C:\\agent.exe"), "C:\\agent.exe") << "known by its token";
    EXPECT_TRUE(IsStartupEntryDisabled(c.code, "C:\\agent.exe"));
    EXPECT_FALSE(IsStartupEntryDisabled(c.code, "C:\\first.exe")) << "the list's other entry";

    ASSERT_TRUE(ToggleStartupEntry("Agent", "C:\\agent.exe", "", c.code));
    EXPECT_EQ(test::WinIniList(c.keyName), "C:\\first.exe;C:\\agent.exe");
    EXPECT_EQ(Record(c.code, "C:\\agent.exe"), std::nullopt);
    EXPECT_FALSE(IsStartupEntryDisabled(c.code, "C:\\agent.exe"));

    ASSERT_TRUE(RemoveStartupEntry("Agent", "C:\\agent.exe", "", c.code, {}));
    EXPECT_EQ(test::WinIniList(c.keyName), "C:\\first.exe;");
    ASSERT_TRUE(RestoreStartupEntry(c.code, "Agent", "C:\\agent.exe", ""));
    EXPECT_EQ(test::WinIniList(c.keyName), "C:\\first.exe;C:\\agent.exe");
    EXPECT_EQ(Value(kCU, kBaselineKey, "C:\\agent.exe"), std::to_string(c.code));
    // Restored once more, it is not listed twice.
    ASSERT_TRUE(RestoreStartupEntry(c.code, "Agent", "C:\\agent.exe", ""));
    EXPECT_EQ(test::WinIniList(c.keyName), "C:\\first.exe;C:\\agent.exe");
  }
  EXPECT_EQ(test::HistoryRecords().size(), 2u) << "one record per removal";
}

// ---- Startup folders -----------------------------------------------------------------------

class StartupFolders : public StartupActions {
 protected:
  void SetUp() override {
    StartupActions::SetUp();
    root_ = common::ProgramFolder() + "\\startup-folders";
    for (const std::string& f : {root_, User(), Machine(), Common()})
      ASSERT_TRUE(win32::EnsureDirectory(f)) << f;
  }
  void TearDown() override {
    for (const std::string& f : {User(), Machine(), Common(), Disabled()})
      for (const char* name :
           {"\\agent.lnk", "\\agent (2).lnk", "\\notes.txt", "\\keepme.bat", "\\tool.exe"})
        ::DeleteFileW(win32::Wide(f + name).c_str());
    for (const std::string& f : {User(), Machine(), Common(), root_})
      ::RemoveDirectoryW(win32::Wide(f).c_str());
    StartupActions::TearDown();
  }
  std::string User() const { return root_ + "\\user"; }
  std::string Machine() const { return root_ + "\\machine"; }
  std::string Common() const { return root_ + "\\common"; }
  static std::string Disabled() { return common::ProgramFolder() + "\\Disabled"; }
  static bool Exists(const std::string& path) { return win32::IsExistingFile(path); }

  static void SetShellFolder(HKEY hive, const char* name, const std::string& folder) {
    const std::string key = kVersionKey + "\\Explorer\\Shell Folders";
    if (folder.empty())
      common::DeleteStoreValue(hive, key, name);
    else
      Write(hive, key, name, folder);
  }

  std::string root_;
};

TEST_F(StartupFolders, NamesakesFromTwoFoldersAreDisabledApartAndGoBackWhereTheyStood) {
  const std::string user = User() + "\\agent.lnk";
  const std::string common = Common() + "\\agent.lnk";
  ASSERT_TRUE(test::WriteBytes(user, "the user's"));
  ASSERT_TRUE(test::WriteBytes(common, "everyone's"));

  ASSERT_TRUE(ToggleStartupEntry("Agent", "C:\\agent.exe", user, 200));
  ASSERT_TRUE(ToggleStartupEntry("Agent", "C:\\agent.exe", common, 200));
  EXPECT_FALSE(Exists(user));
  EXPECT_FALSE(Exists(common));
  EXPECT_EQ(test::ReadBytes(Disabled() + "\\agent.lnk"), "the user's");
  EXPECT_EQ(test::ReadBytes(Disabled() + "\\agent (2).lnk"), "everyone's");
  EXPECT_TRUE(IsStartupEntryDisabled(200, "Agent", Disabled() + "\\agent (2).lnk"));
  EXPECT_TRUE(IsStartupEntryDisabled(200, "Agent", user)) << "found by where it stood";

  // Enabled from the listing (its key is the file in the Disabled folder) or from the history
  // (which knows where it stood): each goes back to its own folder.
  ASSERT_TRUE(ToggleStartupEntry("Agent", "C:\\agent.exe", Disabled() + "\\agent (2).lnk", 200));
  ASSERT_TRUE(ToggleStartupEntry("Agent", "C:\\agent.exe", user, 200));
  EXPECT_EQ(test::ReadBytes(user), "the user's");
  EXPECT_EQ(test::ReadBytes(common), "everyone's");
  EXPECT_FALSE(IsStartupEntryDisabled(200, "Agent", user));
  EXPECT_EQ(Record(200, "agent.lnk"), std::nullopt);
  EXPECT_EQ(Record(200, "agent (2).lnk"), std::nullopt);
}

TEST_F(StartupFolders, AFileWhoseFolderIsGoneGoesToTheFirstStartupFolderFound) {
  const struct {
    bool user, machine, common;
    const char* expected;  // nullptr: no folder, the file stays disabled
  } cases[] = {{true, true, true, "user"},
               {false, true, true, "machine"},
               {false, false, true, "common"},
               {false, false, false, nullptr}};
  const std::string gone = root_ + "\\gone";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected ? c.expected : "none");
    ASSERT_TRUE(win32::EnsureDirectory(gone));
    const std::string shortcut = gone + "\\agent.lnk";
    ASSERT_TRUE(test::WriteBytes(shortcut, "not really a shortcut"));
    ASSERT_TRUE(ToggleStartupEntry("Agent", "C:\\agent.exe", shortcut, 200));
    ASSERT_TRUE(::RemoveDirectoryW(win32::Wide(gone).c_str()));

    SetShellFolder(kCU, "Startup", c.user ? User() : "");
    SetShellFolder(kLM, "Startup", c.machine ? Machine() : "");
    SetShellFolder(kLM, "Common Startup", c.common ? Common() : "");
    const bool enabled =
        ToggleStartupEntry("Agent", "C:\\agent.exe", Disabled() + "\\agent.lnk", 200);
    if (!c.expected) {
      EXPECT_FALSE(enabled);
      EXPECT_TRUE(Exists(Disabled() + "\\agent.lnk"));
      EXPECT_TRUE(IsStartupEntryDisabled(200, "Agent", Disabled() + "\\agent.lnk"));
      ::DeleteFileW(win32::Wide(Disabled() + "\\agent.lnk").c_str());
      continue;
    }
    EXPECT_TRUE(enabled);
    EXPECT_TRUE(Exists(root_ + "\\" + c.expected + "\\agent.lnk"));
    EXPECT_FALSE(Exists(Disabled() + "\\agent.lnk"));
    ::DeleteFileW(win32::Wide(root_ + "\\" + c.expected + "\\agent.lnk").c_str());
  }
}

// The uninstaller's request: every entry the product disabled comes back exactly as it stood,
// whatever its location; one that has nowhere to go stays disabled with its copy, and says so.
TEST_F(StartupFolders, EnableAllPutsEveryDisabledEntryBackAndKeepsWhatCannotGoBack) {
  const std::string run = kVersionKey + "\\Run";
  SetRaw(kCU, run, "Agent", REG_EXPAND_SZ, Utf16Bytes(L"%SystemRoot%\\agent.exe -tray", true));
  Write(kLM, run, "Tool", "\"C:\\Program Files\\Tool\\tool.exe\" /min");
  Write(kCU, run, "Live", "C:\\live.exe");
  // A file of its own, not a shortcut: the listing leaves out a shortcut that leads nowhere.
  const std::string shortcut = User() + "\\keepme.bat";
  ASSERT_TRUE(test::WriteBytes(shortcut, "the user's"));
  ASSERT_TRUE(ToggleStartupEntry("Agent", "C:\\windows\\agent.exe -tray", "", 11));
  ASSERT_TRUE(ToggleStartupEntry("Tool", "C:\\Program Files\\Tool\\tool.exe /min", "", 1));
  ASSERT_TRUE(ToggleStartupEntry("", shortcut, "", 200));

  const EnableAllResult all = EnableAllDisabledEntries();
  EXPECT_EQ(all.enabled, 3);
  EXPECT_EQ(all.failed, 0);
  const auto key = win32::OpenKey(kCU, run, KEY_READ);
  const auto agent = key ? win32::QueryValue(key.get(), "Agent") : std::nullopt;
  ASSERT_TRUE(agent);
  EXPECT_EQ(agent->type, static_cast<DWORD>(REG_EXPAND_SZ)) << "its own value type";
  EXPECT_EQ(Value(kCU, run, "Agent"), "%SystemRoot%\\agent.exe -tray");
  EXPECT_EQ(Value(kLM, run, "Tool"), "\"C:\\Program Files\\Tool\\tool.exe\" /min");
  EXPECT_EQ(Value(kCU, run, "Live"), "C:\\live.exe") << "a live entry is left alone";
  EXPECT_EQ(test::ReadBytes(shortcut), "the user's");
  EXPECT_FALSE(IsStartupEntryDisabled(11, "Agent"));
  EXPECT_FALSE(IsStartupEntryDisabled(1, "Tool"));

  // A file whose folder is gone, with no Startup folder left to take it.
  const std::string gone = root_ + "\\gone";
  ASSERT_TRUE(win32::EnsureDirectory(gone));
  ASSERT_TRUE(test::WriteBytes(gone + "\\tool.exe", "a program"));
  ASSERT_TRUE(ToggleStartupEntry("", gone + "\\tool.exe", "", 200));
  ASSERT_TRUE(::RemoveDirectoryW(win32::Wide(gone).c_str()));
  SetShellFolder(kCU, "Startup", "");
  SetShellFolder(kLM, "Startup", "");
  SetShellFolder(kLM, "Common Startup", "");
  const EnableAllResult rest = EnableAllDisabledEntries();
  EXPECT_EQ(rest.enabled, 0);
  EXPECT_EQ(rest.failed, 1);
  EXPECT_EQ(test::ReadBytes(Disabled() + "\\tool.exe"), "a program") << "its copy is kept";
  EXPECT_TRUE(IsStartupEntryDisabled(200, "", Disabled() + "\\tool.exe"));

  for (const auto& [hive, name] : {std::pair{kCU, "Agent"}, std::pair{kLM, "Tool"},
                                   std::pair{kCU, "Live"}})
    common::DeleteStoreValue(hive, run, name);
  ::DeleteFileW(win32::Wide(Disabled() + "\\tool.exe").c_str());
}

TEST_F(StartupFolders, AFileWithoutATitleIsKnownByItsFile) {
  const std::string file = User() + "\\notes.txt";
  ASSERT_TRUE(test::WriteBytes(file, "x"));
  ASSERT_TRUE(ToggleStartupEntry("", file, "", 200));
  EXPECT_EQ(Record(200, "notes.txt"), file);
  EXPECT_EQ(Value(kLM, kDisabledKey, ""), std::nullopt) << "never the key's default value";
  ASSERT_TRUE(ToggleStartupEntry("", Disabled() + "\\notes.txt", "", 200));
  EXPECT_TRUE(Exists(file));
}

TEST_F(StartupFolders, RemovalDeletesTheShortcutNeverTheTarget) {
  const std::string target = root_ + "\\agent.exe";
  const std::string shortcut = User() + "\\agent.lnk";
  ASSERT_TRUE(test::WriteBytes(target, "program"));
  ASSERT_TRUE(test::WriteBytes(shortcut, "shortcut"));
  ASSERT_TRUE(RemoveStartupEntry("Agent", target, shortcut, 200, {}));
  EXPECT_FALSE(Exists(shortcut));
  EXPECT_TRUE(Exists(target));
  // The shortcut is gone already: its target is not deleted instead.
  EXPECT_FALSE(RemoveStartupEntry("Agent", target, shortcut, 200, {}));
  EXPECT_TRUE(Exists(target));
  const auto records = test::HistoryRecords();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].key, shortcut) << "the record names the shortcut to re-create";
  ::DeleteFileW(win32::Wide(target).c_str());
}

// The user was told that the file itself is not deleted: it is kept, and the history brings it
// back.
TEST_F(StartupFolders, AFilePlacedInTheFolderIsKeptOnRemovalAndRestoredFromTheHistory) {
  const struct {
    const char* name;
    const char* listedKey;  // a program file is its own key; other files have none
  } cases[] = {{"keepme.bat", ""}, {"tool.exe", "self"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(common::ClearHistoryFile());
    const std::string file = User() + "\\" + c.name;
    ASSERT_TRUE(test::WriteBytes(file, "echo keep me"));
    const std::string key = std::string(c.listedKey).empty() ? "" : file;
    ASSERT_TRUE(RemoveStartupEntry("", file, key, 200, {}));
    EXPECT_FALSE(Exists(file)) << "no longer starts with Windows";

    const auto records = test::HistoryRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].path, file);
    EXPECT_EQ(test::ReadBytes(records[0].key), "echo keep me") << "kept where the record says";

    ASSERT_TRUE(RestoreStartupEntry(200, records[0].title, records[0].path, records[0].key));
    EXPECT_EQ(test::ReadBytes(file), "echo keep me");
    EXPECT_FALSE(Exists(records[0].key));
    // Restored again, nothing is there to bring back and the file is not touched.
    EXPECT_FALSE(RestoreStartupEntry(200, records[0].title, records[0].path, records[0].key));
    EXPECT_TRUE(Exists(file));
    ::DeleteFileW(win32::Wide(file).c_str());
  }
}

// A removal that moves a disabled file out of the Disabled folder records where it stood, so
// that the undo puts it back there and not into the Disabled folder.
TEST_F(StartupFolders, RemovingADisabledFileRecordsWhereItStood) {
  const std::string file = User() + "\\notes.txt";
  ASSERT_TRUE(test::WriteBytes(file, "x"));
  ASSERT_TRUE(ToggleStartupEntry("", file, "", 200));
  ASSERT_TRUE(RemoveStartupEntry("", Disabled() + "\\notes.txt", "", 200, {}));
  EXPECT_FALSE(Exists(Disabled() + "\\notes.txt"));
  EXPECT_EQ(Record(200, "notes.txt"), std::nullopt);
  const auto records = test::HistoryRecords();
  ASSERT_EQ(records.size(), 1u);
  ASSERT_TRUE(RestoreStartupEntry(200, records[0].title, records[0].path, records[0].key));
  EXPECT_TRUE(Exists(file));
}

// ---- Winlogon Notify -----------------------------------------------------------------------

TEST_F(StartupActions, NotifyEntriesAreSwitchedOffInPlaceKeepingTheValueType) {
  const std::string key = kNotify + "\\Agent";
  SetRaw(kLM, key, "DLLName", REG_EXPAND_SZ, Utf16Bytes(L"%SystemRoot%\\agent.dll", true));
  const auto type = [&](const char* name) {
    auto k = win32::OpenKey(kLM, key, KEY_READ);
    const auto v = k ? win32::QueryValue(k.get(), name) : std::nullopt;
    return v ? v->type : REG_NONE;
  };

  ASSERT_TRUE(ToggleStartupEntry("Agent", "agent.dll", "", 256));
  EXPECT_EQ(Value(kLM, key, "DLLName"), "");
  EXPECT_EQ(Value(kLM, key, "OldName"), "%SystemRoot%\\agent.dll");
  EXPECT_EQ(type("OldName"), static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(Record(256, "Agent"), "%SystemRoot%\\agent.dll");
  EXPECT_EQ(Value(kCU, kBaselineKey, "agent.dll"), "256") << "the emptied entry raises no alert";
  // Switched off a second time, the saved name is kept.
  EXPECT_FALSE(RenameNotifyDllName("Agent"));
  EXPECT_EQ(Value(kLM, key, "OldName"), "%SystemRoot%\\agent.dll");

  ASSERT_TRUE(ToggleStartupEntry("Agent", "agent.dll", "", 256));
  EXPECT_EQ(Value(kLM, key, "DLLName"), "%SystemRoot%\\agent.dll");
  EXPECT_EQ(type("DLLName"), static_cast<DWORD>(REG_EXPAND_SZ)) << "or the DLL no longer loads";
  EXPECT_EQ(Value(kLM, key, "OldName"), "");
  EXPECT_FALSE(IsStartupEntryDisabled(256, "Agent"));
  EXPECT_EQ(Record(256, "Agent"), std::nullopt);

  // An entry that does not exist is not created by switching it off.
  EXPECT_FALSE(ToggleStartupEntry("Missing", "m.dll", "", 256));
  EXPECT_FALSE(common::StoreKeyExists(kLM, kNotify + "\\Missing"));
  EXPECT_FALSE(IsStartupEntryDisabled(256, "Missing"));
}

// ---- The advanced locations ----------------------------------------------------------------

TEST_F(StartupActions, WinlogonValuesAreResetWithoutAsking) {
  const std::string winlogon = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
  Write(kLM, winlogon, "UserInit", "C:\\windows\\system32\\userinit.exe,C:\\bad.exe");
  Write(kLM, winlogon, "Shell", "Explorer.exe C:\\bad.exe");
  int asked = 0;
  const AdvancedRemovalConfirm confirm = [&](int, std::string_view, std::string_view) {
    ++asked;
    return false;
  };
  EXPECT_TRUE(RemoveStartupEntry("Winlogon Userinit", "C:\\bad.exe", "", 250, confirm));
  EXPECT_TRUE(RemoveStartupEntry("Winlogon Shell", "C:\\bad.exe", "", 251, confirm));
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(Value(kLM, winlogon, "UserInit"), win32::SystemDirectory() + "\\Userinit.exe,");
  EXPECT_EQ(Value(kLM, winlogon, "Shell"), "Explorer.exe");
  const auto records = test::HistoryRecords();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].flag, 21);
  EXPECT_EQ(records[1].flag, 22);
}

TEST_F(StartupActions, HookEntriesAreRemovedOnlyWhenConfirmed) {
  const struct {
    int code;
    std::string key;
    std::string valueName, data;  // how the location holds the entry
    int event;
  } cases[] = {
      {252, kVersionKey + "\\ShellServiceObjectDelayLoad", "Agent", "{1234}", 24},
      {253, kVersionKey + "\\Explorer\\SharedTaskScheduler", "{1234}", "Agent", 23},
      {254, kVersionKey + "\\Explorer\\ShellExecuteHooks", "{1234}", "Agent", 25},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    ASSERT_TRUE(common::ClearHistoryFile());
    Write(kLM, c.key, c.valueName, c.data);
    Write(kCU, kBaselineKey, "C:\\agent.dll", std::to_string(c.code));
    std::vector<std::string> asked;
    const auto answer = [&](bool yes) {
      return [&asked, yes](int, std::string_view title, std::string_view path) {
        asked.push_back(std::string(title) + "|" + std::string(path));
        return yes;
      };
    };
    EXPECT_FALSE(RemoveStartupEntry("Agent", "C:\\agent.dll", "{1234}", c.code, answer(false)));
    EXPECT_EQ(Value(kLM, c.key, c.valueName), c.data);
    EXPECT_EQ(Value(kCU, kBaselineKey, "C:\\agent.dll"), std::to_string(c.code));
    EXPECT_FALSE(RemoveAdvancedStartupEntry(c.code, "Agent", "C:\\agent.dll", "{1234}", {}))
        << "no confirmation at all removes nothing";

    EXPECT_TRUE(RemoveStartupEntry("Agent", "C:\\agent.dll", "{1234}", c.code, answer(true)));
    EXPECT_EQ(Value(kLM, c.key, c.valueName), std::nullopt);
    EXPECT_EQ(Value(kCU, kBaselineKey, "C:\\agent.dll"), std::nullopt);
    EXPECT_EQ(asked, (std::vector<std::string>{"Agent|C:\\agent.dll", "Agent|C:\\agent.dll"}));
    const auto records = test::HistoryRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].flag, c.event);
  }
}

TEST_F(StartupActions, AppInitRemovalKeepsTheOtherDllsWithoutStrayCommas) {
  const struct {
    const char* list;
    const char* removed;
    const char* expected;
    bool found;
  } cases[] = {
      {"C:\\a.dll,C:\\b.dll", "C:\\b.dll", "C:\\a.dll", true},
      {"C:\\a.dll,C:\\b.dll", "C:\\a.dll", "C:\\b.dll", true},
      {"C:\\a.dll C:\\b.dll, C:\\c.dll", "c:\\B.DLL", "C:\\a.dll,C:\\c.dll", true},
      {"C:\\a.dll", "C:\\a.dll", "", true},
      {"C:\\a.dll,C:\\b.dll", "C:\\z.dll", "C:\\a.dll,C:\\b.dll", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.list + std::string(" - ") + c.removed);
    Write(kLM, kWindows, "AppInit_DLLs", c.list);
    EXPECT_EQ(RemoveAppInitDll(c.removed), c.found);
    EXPECT_EQ(Value(kLM, kWindows, "AppInit_DLLs"), c.expected);
  }
}

TEST_F(StartupActions, AppInitListHoldsShortPathsAndFindsThemByTheLongOne) {
  const std::string folder = common::ProgramFolder() + "\\AppInit Folder With Long Name";
  const std::string dll = folder + "\\a library with a long name.dll";
  ASSERT_TRUE(win32::EnsureDirectory(folder));
  ASSERT_TRUE(test::WriteBytes(dll, "dll"));
  const std::string shortDll = win32::ShortPath(dll).value_or("");
  ASSERT_FALSE(shortDll.empty());
  Write(kLM, kWindows, "AppInit_DLLs", "C:\\first.dll");

  ASSERT_TRUE(AddAppInitDll(dll));
  EXPECT_EQ(Value(kLM, kWindows, "AppInit_DLLs"), "C:\\first.dll," + shortDll);
  ASSERT_TRUE(AddAppInitDll(dll));
  EXPECT_EQ(Value(kLM, kWindows, "AppInit_DLLs"), "C:\\first.dll," + shortDll) << "listed once";
  ASSERT_TRUE(RemoveAppInitDll(dll));
  EXPECT_EQ(Value(kLM, kWindows, "AppInit_DLLs"), "C:\\first.dll");

  // Removal asks first, then forgets the accepted DLL; the record can put it back.
  ASSERT_TRUE(AddAppInitDll(dll));
  Write(kCU, kBaselineKey, dll, "255");
  const auto yes = [](int, std::string_view, std::string_view) { return true; };
  ASSERT_TRUE(RemoveStartupEntry("Library", dll, "Maker", 255, yes));
  EXPECT_EQ(Value(kLM, kWindows, "AppInit_DLLs"), "C:\\first.dll");
  EXPECT_EQ(Value(kCU, kBaselineKey, dll), std::nullopt);
  const auto records = test::HistoryRecords();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].flag, 0) << "restorable";
  ASSERT_TRUE(RestoreStartupEntry(255, records[0].title, records[0].path, records[0].key));
  EXPECT_EQ(Value(kLM, kWindows, "AppInit_DLLs"), "C:\\first.dll," + shortDll);

  ::DeleteFileW(win32::Wide(dll).c_str());
  ::RemoveDirectoryW(win32::Wide(folder).c_str());
}

// ---- Restoring from a record ---------------------------------------------------------------

TEST_F(StartupActions, RestorePutsEachKindOfEntryBackAndAcceptsIt) {
  const std::string hooks = kVersionKey + "\\Explorer";
  const struct {
    int code;
    HKEY hive;
    std::string key, valueName, data;  // where the restored entry must be
  } cases[] = {
      {1, kLM, kRun, "Agent", "C:\\agent.exe /min"},
      {11, kCU, kRun, "Agent", "C:\\agent.exe /min"},
      {13, kCU, kVersionKey + "\\RunOnceEx", "Agent", "C:\\agent.exe /min"},
      {252, kLM, kVersionKey + "\\ShellServiceObjectDelayLoad", "Agent", "{1234}"},
      {253, kLM, hooks + "\\SharedTaskScheduler", "{1234}", "Agent"},
      {254, kLM, hooks + "\\ShellExecuteHooks", "{1234}", "Agent"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    const std::string command = c.code < 100 ? "C:\\agent.exe /min" : "C:\\agent.dll";
    ASSERT_TRUE(RestoreStartupEntry(c.code, "Agent", command, "{1234}"));
    EXPECT_EQ(Value(c.hive, c.key, c.valueName), c.data);
    EXPECT_EQ(Value(kCU, kBaselineKey, command), std::to_string(c.code));
  }
  // The 32-bit view is never written back, and unknown codes do nothing.
  for (const int code : {21, 26, 27, 0, 300}) {
    SCOPED_TRACE(code);
    EXPECT_FALSE(RestoreStartupEntry(code, "Other", "C:\\other.exe", ""));
    EXPECT_EQ(Value(kCU, kBaselineKey, "C:\\other.exe"), std::nullopt);
  }
  EXPECT_EQ(Value(kLM, "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run", "Other"),
            std::nullopt);
}

TEST_F(StartupActions, ARestoredRundllEntryIsAcceptedUnderThePathItIsListedBy) {
  Write(kLM, kRun, "Hook", "RUNDLL32.EXE C:\\Tools\\hook.dll,Start");
  ASSERT_TRUE(RemoveStartupEntry("Hook", "C:\\Tools\\hook.dll,Start", "", 1, {}));
  const auto records = test::HistoryRecords();
  ASSERT_EQ(records.size(), 1u);
  ASSERT_TRUE(RestoreStartupEntry(1, records[0].title, records[0].path, records[0].key));
  EXPECT_EQ(Value(kLM, kRun, "Hook"), "RUNDLL32.EXE C:\\Tools\\hook.dll,Start");
  EXPECT_EQ(Value(kCU, kBaselineKey, "C:\\Tools\\hook.dll,Start"), "1");
}

TEST_F(StartupActions, RestoreNotifyRenamesBackAndReportsNothingRestored) {
  const std::string key = kNotify + "\\Agent";
  Write(kLM, key, "DLLName", "");
  Write(kLM, key, "OldName", "agent.dll");
  EXPECT_FALSE(RestoreStartupEntry(256, "Agent", "agent.dll", ""));
  EXPECT_EQ(Value(kLM, key, "DLLName"), "agent.dll");
}

TEST_F(StartupFolders, RestoreCreatesAShortcutThatLeadsToItsTarget) {
  const std::string target = root_ + "\\agent.exe";
  ASSERT_TRUE(test::WriteBytes(target, "program"));
  const std::string shortcut = User() + "\\agent.lnk";
  ASSERT_TRUE(RestoreStartupEntry(200, "Agent program", target, shortcut));
  const auto resolved = win32::ResolveShellLink(shortcut);
  ASSERT_TRUE(resolved);
  EXPECT_TRUE(core::EqualsNoCase(common::LongPathName(resolved->path), target));
  EXPECT_EQ(resolved->description, "Agent program");
  EXPECT_TRUE(core::EqualsNoCase(resolved->workingDirectory, root_));
  EXPECT_EQ(Value(kCU, kBaselineKey, target), "200");
  // A record of a program file placed in the folder itself cannot be turned into a shortcut.
  EXPECT_FALSE(RestoreStartupEntry(200, "Agent", target, User() + "\\agent.exe"));
  EXPECT_FALSE(Exists(User() + "\\agent.exe"));
  ::DeleteFileW(win32::Wide(target).c_str());
}

// ---- The Monitor's own entries -------------------------------------------------------------

TEST_F(StartupActions, SwitchingOffTheLogonStartRemovesBothProgramsWhereverTheyStart) {
  const std::string folder = common::ProgramFolder();
  Write(kCU, kRun, "Obrivo", folder + "\\Obrivo.exe -expressboot");
  Write(kLM, kVersionKey + "\\RunOnce", "Obrivo System Monitor", folder + "\\obrivo.exe");
  Write(kCU, kRun, "Obrivo Explorer", folder + "\\ObrivoEx.exe -START");
  // Another title at the same place, and the same title starting something else, stay.
  Write(kCU, kRun, "Helper", folder + "\\Obrivo.exe -Q");
  Write(kLM, kRun, "Obrivo Explorer", "C:\\Tools\\viewer.exe");
  common::App().monitorRegistered = true;

  EXPECT_FALSE(RegisterMonitorAtLogon(false));
  EXPECT_EQ(Value(kCU, kRun, "Obrivo"), std::nullopt);
  EXPECT_EQ(Value(kLM, kVersionKey + "\\RunOnce", "Obrivo System Monitor"), std::nullopt);
  EXPECT_EQ(Value(kCU, kRun, "Obrivo Explorer"), std::nullopt);
  EXPECT_EQ(Value(kCU, kRun, "Helper"), folder + "\\Obrivo.exe -Q");
  EXPECT_EQ(Value(kLM, kRun, "Obrivo Explorer"), "C:\\Tools\\viewer.exe");
  EXPECT_FALSE(common::App().monitorRegistered);
  EXPECT_TRUE(test::HistoryRecords().empty()) << "the programs' own entries are not recorded";
}

}  // namespace
}  // namespace obrivo::startup
