// A Run value hidden behind a NUL in its name ("Updater<NUL>hidden" beside a harmless "Updater")
// is listed as an entry of its own, shown with its NUL visible, asked about by the startup check,
// and removed or disabled without touching the namesake.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "common/history.h"
#include "common/store.h"
#include "core/alert_rules.h"
#include "core/item_list.h"
#include "core/text.h"
#include "counted_values.h"
#include "startup/startup_actions.h"
#include "startup/startup_check.h"
#include "startup_test_env.h"

namespace obrivo::test {
namespace {

using namespace std::string_literals;
using Values = std::map<std::wstring, std::wstring>;

constexpr int kUserRunCode = 11;
const std::string kBaselineKey = "Software\\Tolvane\\Obrivo\\Run";
const std::wstring kPlain = L"Updater";
const std::wstring kHidden = L"Updater\0hidden"s;
const std::wstring kPlainCommand = L"C:\\Fixture\\updater.exe";
const std::wstring kHiddenCommand = L"C:\\Fixture\\hidden.exe";
const std::string kHiddenTitle = "Updater\xE2\x90\x80hidden";

class NulNamedEntries : public StartupTest {
 protected:
  void SetUp() override {
    StartupTest::SetUp();
    ASSERT_TRUE(common::ClearHistoryFile());
  }
  void TearDown() override {
    common::ClearHistoryFile();
    StartupTest::TearDown();
  }

  static std::string RunKey() { return core::RunKeyPath(kUserRunCode); }
  static void AddRun(const std::wstring& name, const std::wstring& command) {
    SetCountedValue(HKEY_CURRENT_USER, RunKey(), name, command);
  }
  static Values RunValues() { return CountedValues(HKEY_CURRENT_USER, RunKey()); }

  // The listed Run entry acted on by `name`; fails the test when there is not exactly one.
  static core::Item EntryNamed(const std::wstring& name) {
    std::vector<core::Item> found;
    for (const core::Item& item : OfType(kUserRunCode))
      if (core::EntryName(item) == win32::Narrow(name)) found.push_back(item);
    EXPECT_EQ(found.size(), 1u) << win32::Narrow(name);
    return found.empty() ? core::Item{} : found.front();
  }
};

TEST_F(NulNamedEntries, BothAreListedApartAndEachIsRemovedAlone) {
  const struct {
    std::wstring removed, kept, keptCommand;
    std::string removedTitle;
  } cases[] = {
      {kHidden, kPlain, kPlainCommand, kHiddenTitle},
      {kPlain, kHidden, kHiddenCommand, "Updater"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.removedTitle);
    ASSERT_TRUE(common::ClearHistoryFile());
    AddRun(kPlain, kPlainCommand);
    AddRun(kHidden, kHiddenCommand);

    startup::EnumStartup(false);
    ASSERT_EQ(OfType(kUserRunCode).size(), 2u);
    const core::Item plain = EntryNamed(kPlain);
    const core::Item hidden = EntryNamed(kHidden);
    EXPECT_EQ(plain.path, win32::Narrow(kPlainCommand));
    EXPECT_EQ(plain.title, "Updater");
    EXPECT_EQ(hidden.path, win32::Narrow(kHiddenCommand));
    EXPECT_EQ(hidden.title, kHiddenTitle) << "shown apart from its namesake";

    const core::Item removed = EntryNamed(c.removed);
    ASSERT_TRUE(startup::RemoveStartupEntry(core::EntryName(removed), removed.path, removed.key,
                                            kUserRunCode, {}));
    EXPECT_EQ(RunValues(), (Values{{c.kept, c.keptCommand}}));
    startup::EnumStartup(false);
    ASSERT_EQ(OfType(kUserRunCode).size(), 1u);
    EXPECT_EQ(core::EntryName(OfType(kUserRunCode).front()), win32::Narrow(c.kept));

    // The record names the entry exactly, so that it can be put back, and shows it visibly.
    ASSERT_EQ(common::LoadHistory(), 1u);
    EXPECT_EQ(common::Items().At(0).title, c.removedTitle);
    EXPECT_EQ(core::EntryName(common::Items().At(0)), win32::Narrow(c.removed));
    common::DeleteStoreTree(HKEY_CURRENT_USER, RunKey());
  }
}

TEST_F(NulNamedEntries, TheCheckAsksAboutTheHiddenEntryAndActsOnItAlone) {
  for (const int answer : {core::kAlertNo, core::kAlertDisable}) {
    SCOPED_TRACE(answer);
    AddRun(kPlain, kPlainCommand);
    startup::SnapshotStartup();
    // The harmless entry is also known by its name, the baseline's second chance.
    ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, kBaselineKey, "Updater", "11"));
    const Values baseline = CountedValues(HKEY_CURRENT_USER, kBaselineKey);
    ASSERT_EQ(baseline, (Values{{kPlainCommand, L"11"}, {kPlain, L"11"}}));

    AddRun(kHidden, kHiddenCommand);
    EXPECT_TRUE(startup::StartupChanged());
    std::vector<std::string> asked;
    startup::StartupCheckHooks hooks;
    hooks.askNewEntry = [&](const core::Item& item) {
      asked.push_back(item.title);
      return answer;
    };
    startup::CheckStartup(hooks);

    EXPECT_EQ(asked, std::vector<std::string>{kHiddenTitle});
    EXPECT_EQ(RunValues(), (Values{{kPlain, kPlainCommand}})) << "only the hidden entry went";
    const bool disabled = answer == core::kAlertDisable;
    EXPECT_EQ(startup::IsStartupEntryDisabled(11, win32::Narrow(kHidden)), disabled);
    EXPECT_FALSE(startup::IsStartupEntryDisabled(11, "Updater"));
    EXPECT_EQ(CountedValues(HKEY_LOCAL_MACHINE, kDisabledKey + "\\11"),
              (disabled ? Values{{kHidden, kHiddenCommand}} : Values{}));
    Values expectedBaseline = baseline;
    if (disabled) expectedBaseline[kHiddenCommand] = L"11";
    EXPECT_EQ(CountedValues(HKEY_CURRENT_USER, kBaselineKey), expectedBaseline)
        << "the namesake's baseline values stay";
    EXPECT_FALSE(startup::StartupChanged());

    if (disabled) {
      // Listed as disabled under its own name, and removable from there alone.
      startup::EnumStartup(false);
      const core::Item stored = EntryNamed(kHidden);
      EXPECT_EQ(stored.title, kHiddenTitle);
      ASSERT_TRUE(startup::RemoveStartupEntry(core::EntryName(stored), stored.path, stored.key,
                                              kUserRunCode, {}));
      EXPECT_FALSE(startup::IsStartupEntryDisabled(11, win32::Narrow(kHidden)));
      EXPECT_EQ(CountedValues(HKEY_LOCAL_MACHINE, kDisabledKey + "\\11"), Values{});
      EXPECT_EQ(RunValues(), (Values{{kPlain, kPlainCommand}}));
    }
    common::DeleteStoreTree(HKEY_CURRENT_USER, RunKey());
    common::DeleteStoreTree(HKEY_CURRENT_USER, kBaselineKey);
  }
}

}  // namespace
}  // namespace obrivo::test
