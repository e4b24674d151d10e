// The startup baseline and the check: a new entry is asked about once, and accepting, rejecting
// or disabling it leaves the baseline and the startup locations as a person expects; entries
// the check must let pass are not asked about and do not stop the check.
#include "startup/startup_check.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/first_detected.h"
#include "common/history.h"
#include "common/items.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/registry.h"
#include "common/win32/shell_link.h"
#include "common/win32/wide.h"
#include "core/startup_codes.h"
#include "core/text.h"
#include "monitor/startup_watch.h"
#include "startup/delayed_list.h"
#include "startup/startup_actions.h"
#include "startup/startup_locations.h"
#include "test_process.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

constexpr char kUserRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kUserRunOnce[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr int kUserRunCode = 11;

class StartupCheck : public SandboxedTest {
 protected:
  void SetUp() override {
    SandboxedTest::SetUp();
    ASSERT_TRUE(common::ClearHistoryFile());
    // An existing program, so that first-detected dates are recorded for it, and one whose name
    // is not the product's (removing the product's own entries leaves no history record).
    const std::string source =
        win32::Narrow(HostToWine(EnvVar(L"OBRIVO_BIN_DIR"))) + "\\obrivo_test_helper.exe";
    helper_ = common::ProgramFolder() + "\\agent.exe";
    ASSERT_TRUE(::CopyFileW(win32::Wide(source).c_str(), win32::Wide(helper_).c_str(), FALSE));
  }
  void TearDown() override {
    common::ClearHistoryFile();
    ::DeleteFileW(win32::Wide(helper_).c_str());
  }

  static void AddRun(const char* key, const std::string& name, const std::string& command) {
    ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, key, name, command));
  }
  static std::string Run(const char* key, const std::string& name) {
    return common::ReadStoreString(key, HKEY_CURRENT_USER, name, 1024);
  }
  static std::string Baseline(const std::string& name) {
    return common::ReadStoreString(common::ProductSubkey("Run"), HKEY_CURRENT_USER, name, 64);
  }

  // Hooks that answer `answer` to every new entry and note the titles asked about.
  startup::StartupCheckHooks Answering(int answer) {
    startup::StartupCheckHooks hooks;
    hooks.askNewEntry = [this, answer](const core::Item& item) {
      asked_.push_back(item.title);
      return answer;
    };
    hooks.askReturnedEntry = [this](const core::Item& item) {
      returned_.push_back(item.title);
      return returnedAnswer_;
    };
    hooks.showAlertIcon = [this] { ++alertIcons_; };
    hooks.removeFromDelayedList = [this](const core::Item& item) {
      offDelayedList_.push_back(item.title);
    };
    return hooks;
  }

  std::string helper_;
  std::vector<std::string> asked_, returned_, offDelayedList_;
  int returnedAnswer_ = 6;
  int alertIcons_ = 0;
};

TEST_F(StartupCheck, TheBaselineKnowsWhatWasThereAndAnswersChangedForANewEntry) {
  AddRun(kUserRun, "Existing", helper_ + " -old");
  startup::SnapshotStartup();
  EXPECT_EQ(Baseline(core::ValueNameForm(helper_ + " -old")), "11");
  EXPECT_FALSE(startup::StartupChanged());
  AddRun(kUserRun, "Newcomer", "\"" + helper_ + "\" -new");
  EXPECT_TRUE(startup::StartupChanged());
  // A known title is a second chance for an entry whose command changed.
  ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, common::ProductSubkey("Run"),
                                       "Newcomer", "11"));
  EXPECT_FALSE(startup::StartupChanged());
  // A value that reads as 0 is no baseline at all.
  ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, common::ProductSubkey("Run"),
                                       "Newcomer", "0"));
  EXPECT_TRUE(startup::StartupChanged());
}

TEST_F(StartupCheck, EachAnswerLeavesTheEntryAndTheBaselineAsExpected) {
  const struct {
    int answer;
    bool stillInRun, disabled;
    const char* baseline;  // under the command; "" when none
    std::size_t historyRecords;
  } cases[] = {
      {6, true, false, "11", 0},
      {7, false, false, "", 1},  // removed, with its record
      {11, false, true, "11", 0},  // disabled: kept out of the Run key but known
      {0, true, false, "", 0},     // no alert could be shown: asked again next time
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    ASSERT_TRUE(common::ClearHistoryFile());
    const std::string name = "Agent" + std::to_string(c.answer);
    const std::string command = helper_ + " -agent" + std::to_string(c.answer);
    AddRun(kUserRun, name, command);
    asked_.clear();
    alertIcons_ = 0;
    startup::CheckStartup(Answering(c.answer));
    EXPECT_EQ(asked_, std::vector<std::string>{name}) << "asked once, about the new entry only";
    EXPECT_EQ(alertIcons_, 1);
    EXPECT_EQ(!Run(kUserRun, name).empty(), c.stillInRun);
    EXPECT_EQ(startup::IsStartupEntryDisabled(kUserRunCode, name), c.disabled);
    EXPECT_EQ(Baseline(core::ValueNameForm(command)), c.baseline);
    EXPECT_EQ(common::LoadHistory(), c.historyRecords);
    EXPECT_FALSE(common::LookupFirstDetected(kUserRunCode, command).empty())
        << "the first detection is dated whatever the answer";
    // Clean up for the next case.
    if (c.disabled) startup::RemoveStartupEntry(name, command, "", kUserRunCode, {});
    common::DeleteStoreValue(HKEY_CURRENT_USER, kUserRun, name);
    startup::SnapshotStartup();
  }
}

TEST_F(StartupCheck, OneCommandUnderTwoNamesIsAskedAboutOnce) {
  const std::string command = helper_ + " -twice";
  AddRun(kUserRun, "First", command);
  ASSERT_TRUE(common::WriteStoreString(HKEY_LOCAL_MACHINE, kUserRun, "Second", command));
  startup::CheckStartup(Answering(6));
  EXPECT_EQ(asked_.size(), 1u) << "accepting the first accepts the command";
  EXPECT_FALSE(startup::StartupChanged());
  common::DeleteStoreValue(HKEY_LOCAL_MACHINE, kUserRun, "Second");
}

TEST_F(StartupCheck, RejectingDeletesBothBaselineValues) {
  const std::string command = helper_ + " -reject";
  AddRun(kUserRun, "Rejected", command);
  ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, common::ProductSubkey("Run"),
                                       "Rejected", "0"));
  startup::CheckStartup(Answering(7));
  EXPECT_TRUE(Run(kUserRun, "Rejected").empty());
  EXPECT_TRUE(Baseline(core::ValueNameForm(command)).empty());
  EXPECT_TRUE(Baseline("Rejected").empty());
}

TEST_F(StartupCheck, EntriesAreActedOnByTheirOwnNameWhateverTheListShows) {
  // A name longer than a title may be, and one that the list shows as the product's own title:
  // both must still be found in the Run key to be removed or disabled.
  const std::string longName = std::string(300, 'L') + " agent";
  for (const std::string& name : {longName, std::string("Obrivo Updater")}) {
    for (int answer : {7, 11}) {
      SCOPED_TRACE(name.substr(0, 20) + " answer " + std::to_string(answer));
      const std::string command = helper_ + " -named" + std::to_string(answer);
      AddRun(kUserRun, name, command);
      startup::CheckStartup(Answering(answer));
      EXPECT_TRUE(Run(kUserRun, name).empty()) << "gone from the Run key";
      EXPECT_EQ(startup::IsStartupEntryDisabled(kUserRunCode, name), answer == 11);
      if (answer == 11) startup::RemoveStartupEntry(name, command, "", kUserRunCode, {});
      startup::SnapshotStartup();
    }
  }
}

TEST_F(StartupCheck, EntriesLetThroughAreNotAskedAboutAndTheCheckGoesOn) {
  common::WriteOption("HideRunOnce", 1);
  AddRun(kUserRunOnce, "Updater", helper_ + " -finish-update");
  AddRun(kUserRun, "McAfee Application Installer Cleanup (0123)", helper_ + " -cleanup");
  AddRun(kUserRun, "After", helper_ + " -after");
  startup::CheckStartup(Answering(6));
  EXPECT_EQ(asked_, std::vector<std::string>{"After"});
  EXPECT_TRUE(Baseline(core::ValueNameForm(helper_ + " -finish-update")).empty())
      << "a let-through run-once entry gets no baseline value";
  EXPECT_FALSE(Run(kUserRunOnce, "Updater").empty());

  // Without the option, the run-once entry is asked about like any other; the installer's
  // clean-up entry never is.
  common::WriteOption("HideRunOnce", 0);
  asked_.clear();
  startup::CheckStartup(Answering(6));
  EXPECT_EQ(asked_, std::vector<std::string>{"Updater"});
}

TEST_F(StartupCheck, ACommandThatOnlyNamesAnAcceptedRundllTargetIsAskedAbout) {
  const std::string target = helper_ + ",Start";
  AddRun(kUserRun, "Hosted", "rundll32.exe " + target);
  startup::SnapshotStartup();
  EXPECT_FALSE(startup::StartupChanged());
  // Another program runs here; the host's name and the accepted target are its arguments.
  AddRun(kUserRun, "Rider", "evil.exe RUNDLL32.EXE " + target);
  startup::CheckStartup(Answering(6));
  EXPECT_EQ(asked_, std::vector<std::string>{"Rider"});
}

TEST_F(StartupCheck, ANewShortcutToAnAcceptedProgramIsAskedAboutForItsArguments) {
  const std::string folder = common::ProgramFolder() + "\\check-startup";
  ASSERT_TRUE(win32::EnsureDirectory(folder));
  ASSERT_TRUE(
      common::WriteStoreString(HKEY_CURRENT_USER, core::kShellFoldersKey, "Startup", folder));
  const std::string accepted = folder + "\\accepted.lnk", added = folder + "\\added.lnk";
  // The folder lies beside the test program, outside the sandbox: a run that stopped halfway
  // must not leave the new shortcut in place before the baseline is taken.
  const auto removeShortcuts = [&] {
    for (const std::string& file : {accepted, added}) ::DeleteFileW(win32::Wide(file).c_str());
  };
  removeShortcuts();
  ASSERT_TRUE(win32::CreateShellLink(accepted, {helper_, "-tray", "", "", "", 0}));
  startup::SnapshotStartup();
  EXPECT_FALSE(startup::StartupChanged());

  // The same program, no description of its own, other arguments.
  ASSERT_TRUE(win32::CreateShellLink(added, {helper_, "-run evil.bat", "", "", "", 0}));
  EXPECT_TRUE(startup::StartupChanged());
  std::vector<std::string> askedPaths;
  startup::StartupCheckHooks hooks = Answering(6);
  hooks.askNewEntry = [&askedPaths](const core::Item& item) {
    askedPaths.push_back(item.path);
    return 6;
  };
  startup::CheckStartup(hooks);
  EXPECT_EQ(askedPaths.size(), 1u);
  for (const std::string& path : askedPaths)
    EXPECT_TRUE(core::EqualsNoCase(path, helper_ + " -run evil.bat")) << path;
  EXPECT_FALSE(startup::StartupChanged()) << "accepted with its arguments";

  removeShortcuts();
  ::RemoveDirectoryW(win32::Wide(folder).c_str());
}

TEST_F(StartupCheck, AProgramBackFromTheDelayedListIsAskedWithItsOwnQuestion) {
  const struct {
    int answer;
    bool offDelayedList, disabled;
  } cases[] = {{6, true, false}, {7, false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    const std::string name = "Delayed" + std::to_string(c.answer);
    const std::string command = helper_ + " -delayed" + std::to_string(c.answer);
    AddRun(kUserRun, name, command);
    ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, common::ProductSubkey("Run"),
                                         core::ValueNameForm(command), "1103"));
    EXPECT_TRUE(startup::StartupChanged()) << "1103 counts as changed";
    returnedAnswer_ = c.answer;
    returned_.clear();
    offDelayedList_.clear();
    asked_.clear();
    startup::CheckStartup(Answering(6));
    EXPECT_EQ(returned_, std::vector<std::string>{name});
    EXPECT_TRUE(asked_.empty()) << "not asked as a new entry";
    EXPECT_EQ(Baseline(core::ValueNameForm(command)), "11") << "the marker gives way to the code";
    EXPECT_EQ(offDelayedList_.size(), c.offDelayedList ? 1u : 0u);
    EXPECT_EQ(startup::IsStartupEntryDisabled(kUserRunCode, name), c.disabled);
    if (c.disabled) startup::RemoveStartupEntry(name, command, "", kUserRunCode, {});
    common::DeleteStoreValue(HKEY_CURRENT_USER, kUserRun, name);
  }
}

// Yes to a program back from the delayed-start list lets it start from its startup location
// again, so the Monitor also takes it off the list, from the hive it was moved into; No disables
// it and the list keeps it.
TEST_F(StartupCheck, YesToAProgramBackFromTheDelayedListTakesItOffTheList) {
  const std::string tool = common::ProgramFolder() + "\\tool.exe";
  ASSERT_TRUE(::CopyFileW(win32::Wide(helper_).c_str(), win32::Wide(tool).c_str(), FALSE));
  const struct {
    HKEY hive;
    int code;
    std::string name, command, program;
    startup::DelayHive listHive;
    int answer;
    bool stillListed;
  } cases[] = {
      {HKEY_CURRENT_USER, kUserRunCode, "Agent", "\"" + helper_ + "\" -tray", helper_,
       startup::DelayHive::User, 6, false},
      {HKEY_LOCAL_MACHINE, 1, "Tool", tool + " -machine", tool, startup::DelayHive::Machine, 6,
       false},
      {HKEY_CURRENT_USER, kUserRunCode, "Hosted", "RUNDLL32.EXE " + tool + ",Start", tool,
       startup::DelayHive::User, 6, false},
      {HKEY_CURRENT_USER, kUserRunCode, "Kept", helper_ + " -kept", helper_,
       startup::DelayHive::User, 7, true},
  };
  startup::StartupCheckHooks hooks = monitor::MonitorStartupHooks();
  hooks.askNewEntry = [this](const core::Item& item) {
    asked_.push_back(item.title);
    return 6;
  };
  hooks.showAlertIcon = [] {};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string listed = core::ToUpper(c.program);
    const startup::DelayHive otherHive = c.listHive == startup::DelayHive::User
                                             ? startup::DelayHive::Machine
                                             : startup::DelayHive::User;
    // The same program on the other hive's list is another entry, which stays.
    ASSERT_TRUE(startup::AddDelayedProgram(c.program, otherHive));
    ASSERT_TRUE(common::WriteStoreString(c.hive, kUserRun, c.name, c.command));
    startup::EnumStartup(true);
    std::optional<core::Item> item;
    for (std::size_t i = 0; i < common::Items().Count(); ++i)
      if (common::Items().At(i).type == c.code && core::EntryName(common::Items().At(i)) == c.name)
        item = common::Items().At(i);
    ASSERT_TRUE(item);
    ASSERT_EQ(startup::MoveToDelayed(*item, {}), startup::DelayMove::Moved);
    ASSERT_TRUE(startup::FindDelayedEntry(c.listHive, listed));

    // The program puts itself back into the startup list and the user is asked.
    ASSERT_TRUE(common::WriteStoreString(c.hive, kUserRun, c.name, c.command));
    hooks.askReturnedEntry = [&](const core::Item& returned) {
      returned_.push_back(returned.title);
      return c.answer;
    };
    returned_.clear();
    asked_.clear();
    startup::CheckStartup(hooks);
    EXPECT_EQ(returned_, std::vector<std::string>{c.name});
    EXPECT_TRUE(asked_.empty());
    EXPECT_EQ(startup::FindDelayedEntry(c.listHive, listed).has_value(), c.stillListed);
    EXPECT_TRUE(startup::FindDelayedEntry(otherHive, listed)) << "the other hive's entry";

    if (c.answer == 7) startup::RemoveStartupEntry(c.name, c.command, "", c.code, {});
    common::DeleteStoreValue(c.hive, kUserRun, c.name);
    startup::DeleteDelayedEntry(listed, startup::DelayHive::User);
    startup::DeleteDelayedEntry(listed, startup::DelayHive::Machine);
  }
  ::DeleteFileW(win32::Wide(tool).c_str());
}

}  // namespace
// What the user switched off is theirs: whatever path its stored copy lists under, and whether
// or not the baseline still knows it, the check neither asks about it nor removes it.
TEST_F(StartupCheck, ADisabledEntryIsNeverAskedAboutOrRemoved) {
  const std::string rundll = "RUNDLL32.EXE " + helper_ + ",Start";
  ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, "Environment", "AGENTDIR",
                                       common::ProgramFolder()));
  ::SetEnvironmentVariableW(L"AGENTDIR", win32::Wide(common::ProgramFolder()).c_str());
  {
    auto key = win32::CreateKey(HKEY_CURRENT_USER, kUserRun, KEY_SET_VALUE);
    ASSERT_TRUE(key);
    ASSERT_TRUE(win32::SetStringValue(key.get(), "Expanded", "%AGENTDIR%\\agent.exe -x",
                                      REG_EXPAND_SZ));
  }
  AddRun(kUserRun, "Hosted", rundll);
  startup::SnapshotStartup();
  ASSERT_FALSE(startup::StartupChanged());
  ASSERT_TRUE(startup::ToggleStartupEntry("Expanded", helper_ + " -x", "", kUserRunCode));
  ASSERT_TRUE(startup::ToggleStartupEntry("Hosted", helper_ + ",Start", "", kUserRunCode));

  for (const bool baselineKept : {true, false}) {
    SCOPED_TRACE(baselineKept);
    if (!baselineKept) common::DeleteStoreTree(HKEY_CURRENT_USER, common::ProductSubkey("Run"));
    EXPECT_FALSE(startup::StartupChanged());
    asked_.clear();
    startup::CheckStartup(Answering(7));  // rejecting everything, as HideStartup=2 does
    EXPECT_TRUE(asked_.empty());
    EXPECT_TRUE(startup::IsStartupEntryDisabled(kUserRunCode, "Expanded"));
    EXPECT_TRUE(startup::IsStartupEntryDisabled(kUserRunCode, "Hosted"));
    EXPECT_EQ(common::LoadHistory(), 0u) << "nothing was removed";
  }
  // Enabled again, each is back as it stood and known to the baseline under its listed path.
  startup::SnapshotStartup();
  ASSERT_TRUE(startup::ToggleStartupEntry("Expanded", helper_ + " -x", "", kUserRunCode));
  ASSERT_TRUE(startup::ToggleStartupEntry("Hosted", helper_ + ",Start", "", kUserRunCode));
  EXPECT_EQ(Run(kUserRun, "Hosted"), rundll);
  EXPECT_FALSE(startup::StartupChanged());
  common::DeleteStoreValue(HKEY_CURRENT_USER, kUserRun, "Expanded");
  common::DeleteStoreValue(HKEY_CURRENT_USER, kUserRun, "Hosted");
}

}  // namespace obrivo::test
