// First-detection records: which items get one, that the first date stays, pruning, the subkey
// chosen by type, the first-run seeding and what the online lookup sends of it.
#include "common/first_detected.h"

#include "app/category_hooks.h"
#include "common/app.h"
#include "common/online_lookup.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/system.h"
#include "core/text.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

using common::DetectedSubkeyPath;
using common::kDetectedActiveX;
using common::kDetectedStartup;
using common::RecordFirstDetected;

constexpr const char* kOldDate = "01/02/1999 3:04 AM";

class FirstDetectedTest : public SandboxedTest {
 protected:
  static std::string Record(std::string_view subkey, const std::string& name) {
    return common::ReadStoreString(DetectedSubkeyPath(subkey), HKEY_CURRENT_USER, name, 1024);
  }
  static void SetRecord(std::string_view subkey, const std::string& name, const std::string& date) {
    ASSERT_TRUE(
        common::WriteStoreString(HKEY_CURRENT_USER, DetectedSubkeyPath(subkey), name, date));
  }
  static std::string Marker(std::string_view subkey = {}) {
    const std::string key =
        subkey.empty() ? std::string(common::kDetectedKey) : DetectedSubkeyPath(subkey);
    return common::ReadStoreString(key, HKEY_CURRENT_USER, "", 1024);
  }

  const std::string exe_ = win32::ModuleFileName();
  const std::string missing_ = common::ProgramFolder() + "\\no-such-program.exe";
};

TEST_F(FirstDetectedTest, OnlyExistingFilesGetARecordExceptActiveX) {
  const std::string command = "\"" + exe_ + "\" -background";
  EXPECT_FALSE(RecordFirstDetected(kDetectedStartup, command)) << "new";
  const std::string date = Record(kDetectedStartup, command);
  EXPECT_FALSE(date.empty()) << "named by the path as passed, not the resolved file";
  EXPECT_LE(date.size(), common::kDetectedDateMaxChars);
  EXPECT_EQ(date, core::TruncateChars(common::LocalDateTimeNow(), 24));

  for (std::string_view subkey : {common::kDetectedStartup, common::kDetectedServices,
                                  common::kDetectedHidden, common::kDetectedActiveTasks}) {
    SCOPED_TRACE(subkey);
    EXPECT_FALSE(RecordFirstDetected(subkey, missing_ + " /x"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, DetectedSubkeyPath(subkey), missing_ + " /x"));
  }
  // A control's key is no file.
  const std::string control = "{0D43FE01-F093-11CF-8940-00A0C9054228}";
  EXPECT_FALSE(RecordFirstDetected(kDetectedActiveX, control));
  EXPECT_FALSE(Record(kDetectedActiveX, control).empty());
  EXPECT_TRUE(RecordFirstDetected(kDetectedActiveX, control));

  EXPECT_FALSE(RecordFirstDetected(kDetectedActiveX, "")) << "never the default value";
  EXPECT_EQ(Marker(kDetectedActiveX), "");
}

TEST_F(FirstDetectedTest, SecondDetectionKeepsTheFirstDate) {
  SetRecord(common::kDetectedServices, exe_, kOldDate);
  EXPECT_TRUE(RecordFirstDetected(common::kDetectedServices, exe_));
  EXPECT_EQ(Record(common::kDetectedServices, exe_), kOldDate);
  EXPECT_FALSE(RecordFirstDetected(common::kDetectedTasks, exe_)) << "per category";
}

TEST_F(FirstDetectedTest, PruningRemovesOnlyMissingFiles) {
  const std::string key = "Tasks";
  const std::string systemName = "kernel32.dll";  // bare name found in the system folder
  const std::string windowsName = "notepad.exe";  // bare name found in the Windows folder
  ASSERT_TRUE(win32::IsExistingFile(win32::WindowsDirectory() + "\\" + windowsName));
  for (const std::string& name : {exe_, systemName, windowsName, missing_,
                                  std::string("ghost-of-obrivo.exe"), std::string("a\\b.exe")})
    SetRecord(key, name, kOldDate);
  SetRecord(key, "", "marker");

  EXPECT_EQ(common::PruneFirstDetected(key), 3u);
  for (const std::string& kept : {exe_, systemName, windowsName})
    EXPECT_EQ(Record(key, kept), kOldDate) << kept;
  for (const std::string& gone :
       {missing_, std::string("ghost-of-obrivo.exe"), std::string("a\\b.exe")})
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, DetectedSubkeyPath(key), gone)) << gone;
  EXPECT_EQ(Marker("Tasks"), "marker");
  EXPECT_EQ(common::PruneFirstDetected("NoSuchCategory"), 0u);
}

TEST_F(FirstDetectedTest, LookupChoosesTheSubkeyByType) {
  const struct {
    int type;
    std::string_view subkey;
  } cases[] = {
      {1, "Startup"},        {27, "Startup"},      {256, "Startup"},     {299, "Startup"},
      {1070, "Startup"},     {370, "Hidden"},      {1030, "Hidden"},     {400, "FileTypes"},
      {700, "Services"},     {701, "Services"},    {1060, "Services"},   {800, "Tasks"},
      {1050, "Tasks"},       {900, "IEHelper"},    {902, "IEHelper"},    {1040, "IEHelper"},
      {1020, "ActiveX"},     {1200, "ActiveX"},    {300, "ActiveTasks"}, {600, "ActiveTasks"},
      {1370, "ActiveTasks"}, {500, "ActiveTasks"},
  };
  const std::string path = "C:\\Lookup\\item.exe";
  for (std::string_view subkey : {"Startup", "Hidden", "FileTypes", "Services", "Tasks", "IEHelper",
                                  "ActiveX", "ActiveTasks"})
    SetRecord(subkey, path, "date of " + std::string(subkey));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    EXPECT_EQ(common::FirstDetectedSubkey(c.type), c.subkey);
    EXPECT_EQ(common::LookupFirstDetected(c.type, path), "date of " + std::string(c.subkey));
  }
  EXPECT_EQ(common::LookupFirstDetected(1, "C:\\Lookup\\other.exe"), "");
  EXPECT_EQ(common::LookupFirstDetected(1, ""), "") << "the default value is no record";
  SetRecord("Startup", path, std::string(24, '7'));
  EXPECT_EQ(common::LookupFirstDetected(1, path), "") << "more than 23 characters";
}

TEST_F(FirstDetectedTest, SeedingRunsOnceAndActiveXOnItsOwn) {
  int calls = 0;
  common::FirstDetectedSeeds seeds;
  seeds.startup = [&] {
    ++calls;
    return std::vector<std::string>{exe_, missing_, ""};
  };
  seeds.runningProcesses = [&] {
    ++calls;
    return std::vector<std::string>{exe_};
  };
  int activeXCalls = 0;
  seeds.activeX = [&] {
    ++activeXCalls;
    return std::vector<std::string>{"{A}", ""};
  };

  common::InitFirstDetected(seeds);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(activeXCalls, 1);
  const std::string seeded = Marker();
  EXPECT_EQ(seeded, core::TruncateChars(common::LocalDateTimeNow(), 24));
  for (std::string_view subkey :
       {"Startup", "IEHelper", "Services", "Tasks", "ActiveTasks", "FileTypes", "Hidden"})
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, DetectedSubkeyPath(subkey))) << subkey;
  EXPECT_EQ(Record(kDetectedStartup, exe_), seeded);
  EXPECT_EQ(Record("ActiveTasks", exe_), seeded);
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, DetectedSubkeyPath(kDetectedStartup), missing_));
  EXPECT_EQ(Marker(kDetectedActiveX), "P");
  EXPECT_EQ(Record(kDetectedActiveX, "{A}"), seeded);

  // Seeded once: later starts leave every record alone.
  SetRecord(kDetectedStartup, exe_, kOldDate);
  common::InitFirstDetected(seeds);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(activeXCalls, 1);
  EXPECT_EQ(Record(kDetectedStartup, exe_), kOldDate);

  // The ActiveX step keeps its own marker.
  SetRecord(kDetectedActiveX, "{A}", kOldDate);
  ASSERT_TRUE(
      common::DeleteStoreValue(HKEY_CURRENT_USER, DetectedSubkeyPath(kDetectedActiveX), ""));
  common::InitFirstDetected(seeds);
  EXPECT_EQ(calls, 2) << "the other categories stay seeded";
  EXPECT_EQ(activeXCalls, 1 + 1);
  EXPECT_EQ(Marker(kDetectedActiveX), "P");
  EXPECT_EQ(Record(kDetectedActiveX, "{A}"), kOldDate) << "a control with a record keeps it";

  // And the other way round: categories not seeded yet, ActiveX done.
  ASSERT_TRUE(common::DeleteStoreValue(HKEY_CURRENT_USER, common::kDetectedKey, ""));
  common::InitFirstDetected(seeds);
  EXPECT_EQ(calls, 4);
  EXPECT_EQ(activeXCalls, 2);
  EXPECT_EQ(Record(kDetectedStartup, exe_), kOldDate) << "seeding records only new items";
}

// A store seeded by an earlier build holds startup records under the program file each command
// starts, beside the check's and the page's records under the command. Once, at a start, every
// entry listed then takes the earlier date under its command.
TEST_F(FirstDetectedTest, StartupRecordsUnderTheProgramFileAreCarriedOverOnce) {
  const std::string firstRun = "12/01/2019 9:00 AM";  // later than February as text, not as a date
  const std::string program = common::CommandToProgramPath(exe_);
  const std::string other = common::ProgramFolder() + "\\history_writer.exe";
  const struct {
    std::string command, before, after;
  } cases[] = {
      {"\"" + exe_ + "\" -a", "", firstRun},                    // only the old name
      {"\"" + exe_ + "\" -b", "02/01/2020 9:00 AM", firstRun},  // the old one is earlier
      {"\"" + exe_ + "\" -c", "11/30/2019 9:00 AM", "11/30/2019 9:00 AM"},  // the new one is
      {"\"" + exe_ + "\" -d", "some day", "some day"},  // no date to compare: left alone
      {other + " -e", "", ""},                          // its program has no old record
  };
  // The earlier build's seeding marker.
  ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, common::kDetectedKey, "", firstRun));
  SetRecord(kDetectedStartup, program, firstRun);
  std::vector<std::string> listed;
  for (const auto& c : cases) {
    listed.push_back(c.command);
    if (!c.before.empty()) SetRecord(kDetectedStartup, c.command, c.before);
  }
  common::FirstDetectedSeeds seeds;
  seeds.startup = [&] { return listed; };
  common::InitFirstDetected(seeds);
  for (const auto& c : cases) EXPECT_EQ(Record(kDetectedStartup, c.command), c.after) << c.command;
  EXPECT_EQ(Record(kDetectedStartup, program), firstRun) << "kept for older builds";
  EXPECT_FALSE(Marker(kDetectedStartup).empty()) << "carried over";

  // Done once: an entry that appears later is a new entry, whatever program it starts.
  const std::string later = "\"" + exe_ + "\" -later";
  listed.push_back(later);
  common::InitFirstDetected(seeds);
  EXPECT_EQ(common::LookupFirstDetected(11, later), "");
  EXPECT_FALSE(RecordFirstDetected(kDetectedStartup, later));
  EXPECT_EQ(common::LookupFirstDetected(11, later),
            core::TruncateChars(common::LocalDateTimeNow(), 24));
}

TEST_F(FirstDetectedTest, StartUpInitialisationSeeds) {
  app::InitialiseStore();
  EXPECT_FALSE(Marker().empty());
  EXPECT_EQ(Marker(kDetectedActiveX), "P");
}

TEST_F(FirstDetectedTest, OnlineLookupSendsTheFirstDetectedDate) {
  common::App().options.Set(core::OptionId::PlusFormat, 1);
  const std::string hidden = common::ProgramFolder() + "\\history_writer.exe";
  // A startup record of an earlier build, under the resolved program file, is still found;
  // hidden files are named by their path.
  SetRecord(kDetectedStartup, common::CommandToProgramPath(exe_), "startup date");
  SetRecord(common::kDetectedHidden, hidden, "hidden date");
  SetRecord("IEHelper", exe_, "helper date");
  const struct {
    int lookupType;
    std::string command, detected;
  } cases[] = {
      {1011, "\"" + exe_ + "\" -run", "startup date"},  // a CURRENT_RUN entry
      {1370, hidden, "hidden date"},                    // the hidden-file alert
      {1030, hidden, "hidden date"},                    // the Recent page's hidden category
      {1900, exe_, "helper date"},
      {1600, exe_, ""},  // no record among running programs
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lookupType);
    EXPECT_EQ(common::MakeLookupRequest(c.lookupType, c.command).detected, c.detected);
  }
}

}  // namespace
}  // namespace obrivo::test
