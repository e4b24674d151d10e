// The add-on baseline and the check: an add-on is known by its kind and class identifier, so a
// known product's name lets nothing pass; each answer leaves the baseline and the registrations
// as a person expects; an older store's baseline is taken once.
#include "browser/ie_helper_check.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/first_detected.h"
#include "common/history.h"
#include "common/items.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/registry.h"
#include "common/win32/wide.h"
#include "core/alert_rules.h"
#include "core/class_id.h"
#include "core/history_codes.h"
#include "test_process.h"
#include "browser_test_env.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

namespace T = core::item_type;

constexpr char kClassA[] = "{5E6F7A8B-0000-4000-8000-00000000000A}";
constexpr char kClassB[] = "{5E6F7A8B-0000-4000-8000-00000000000B}";

class IEHelperCheck : public SandboxedTest {
 protected:
  void SetUp() override {
    SandboxedTest::SetUp();
    ASSERT_TRUE(common::ClearHistoryFile());
    // Both add-ons load one real file, whose product name they therefore share.
    dll_ = win32::Narrow(HostToWine(EnvVar(L"OBRIVO_BIN_DIR"))) + "\\version_os_product.dll";
  }
  void TearDown() override { common::ClearHistoryFile(); }

  void AddBho(const std::string& clsid) {
    ASSERT_TRUE(common::WriteStoreString(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32",
                                         "", dll_));
    ASSERT_TRUE(win32::CreateKey(HKEY_LOCAL_MACHINE, std::string(kBhoKey) + "\\" + clsid, KEY_WRITE));
  }
  static void AddToolbar(const std::string& name) {
    ASSERT_TRUE(common::WriteStoreString(HKEY_LOCAL_MACHINE, kToolbarKey, name, ""));
  }
  static bool BhoRegistered(const std::string& clsid) {
    return KeyExists(HKEY_LOCAL_MACHINE, std::string(kBhoKey) + "\\" + clsid);
  }
  static std::string Baseline(const std::string& name) {
    return common::ReadStoreString(browser::IEHelperBaselineKey(), HKEY_CURRENT_USER, name, 64);
  }

  // Answers `answer` to everything and notes the keys asked about.
  browser::IEHelperCheckHooks Answering(int answer) {
    browser::IEHelperCheckHooks hooks;
    hooks.ask = [this, answer](const core::Item& item) {
      asked_.push_back(core::AddOnIdentity(item.type, item.key));
      return answer;
    };
    hooks.showAlertIcon = [this] { ++alertIcons_; };
    hooks.stopProgram = [this](const core::Item& item) { stopped_.push_back(item.path); };
    hooks.removalFailed = [this](const core::Item& item, const browser::IEHelperRemoval&) {
      failed_.push_back(item.key);
    };
    return hooks;
  }

  std::string dll_;
  std::vector<std::string> asked_, stopped_, failed_;
  int alertIcons_ = 0;
};

TEST_F(IEHelperCheck, EachAnswerAndWhatItLeaves) {
  const struct {
    int answer;
    bool accepted;    // in the baseline afterwards
    bool registered;  // the BHO still registered
    std::size_t records;
    bool askedAgain;  // at the next check
  } cases[] = {
      {core::kAlertYes, true, true, 0, false},
      {core::kAlertNo, false, false, 1, false},  // gone, so nothing to ask about
      {0, false, true, 0, true},                 // no alert could be shown: nothing decided
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    ASSERT_TRUE(common::DeleteStoreTree(HKEY_CURRENT_USER, browser::IEHelperBaselineKey()));
    ASSERT_TRUE(common::ClearHistoryFile());
    asked_.clear();
    stopped_.clear();
    AddBho(kClassA);

    EXPECT_EQ(browser::VerifyIEHelpers(Answering(c.answer)), 1u);
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_EQ(asked_[0], std::string("900 ") + kClassA);
    EXPECT_EQ(Baseline(std::string("900 ") + kClassA), c.accepted ? "900" : "");
    EXPECT_EQ(BhoRegistered(kClassA), c.registered);
    EXPECT_EQ(stopped_.size(), c.answer == core::kAlertNo ? 1u : 0u);
    ASSERT_EQ(common::LoadHistory(), c.records);
    if (c.records) {
      EXPECT_EQ(common::Items().At(0).flag, core::history_event::kIEHelperRemove);
    }
    EXPECT_FALSE(common::LookupFirstDetected(T::kBrowserHelper, dll_).empty());

    asked_.clear();
    browser::VerifyIEHelpers(Answering(core::kAlertYes));
    EXPECT_EQ(asked_.size(), c.askedAgain ? 1u : 0u);
  }
}

// Accepting one add-on covers neither another add-on of the same product nor another kind of
// registration of the same class; spellings of one class identifier are one add-on.
TEST_F(IEHelperCheck, AcceptanceGoesByKindAndClassNotByName) {
  AddBho(kClassA);
  ASSERT_TRUE(browser::VerifyIEHelpers(Answering(core::kAlertYes)) == 1u);
  asked_.clear();

  AddBho(kClassB);                                   // same file, same product name
  AddToolbar(kClassA);                               // same class, another kind
  AddToolbar("5e6f7a8b-0000-4000-8000-00000000000a");  // that toolbar again, spelt otherwise
  EXPECT_EQ(browser::VerifyIEHelpers(Answering(core::kAlertYes)), 4u);
  EXPECT_EQ(asked_, (std::vector<std::string>{std::string("900 ") + kClassB,
                                               std::string("901 ") + kClassA}))
      << "the second spelling of the toolbar is not asked about again";
}

TEST_F(IEHelperCheck, ARemovalThatFailsIsSaidAndAskedAgain) {
  AddBho(kClassA);
  win32::UniqueKey key = win32::OpenKey(HKEY_LOCAL_MACHINE, std::string(kBhoKey) + "\\" + kClassA,
                                        KEY_ALL_ACCESS | WRITE_DAC);
  ASSERT_TRUE(key);
  // Closed to everyone: it cannot be saved, so it is not deleted.
  SetKeyDacl(key.get(), L"D:(D;;KA;;;WD)");
  browser::VerifyIEHelpers(Answering(core::kAlertNo));
  SetKeyDacl(key.get(), L"D:(A;;KA;;;WD)");
  EXPECT_TRUE(BhoRegistered(kClassA));
  EXPECT_EQ(failed_, std::vector<std::string>{kClassA});
  EXPECT_EQ(common::LoadHistory(), 0u);
  asked_.clear();
  browser::VerifyIEHelpers(Answering(core::kAlertYes));
  EXPECT_EQ(asked_.size(), 1u);
}

// An older store: a baseline named by titles (or none). It is taken by identity once, so the
// add-ons installed before the upgrade raise no alert, and the title values are gone.
TEST_F(IEHelperCheck, AnOlderStoreTakesItsBaselineOnce) {
  AddBho(kClassA);
  ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, browser::IEHelperBaselineKey(),
                                       "Fixture Shell Component", "900"));
  EXPECT_TRUE(browser::EnsureIEHelperBaseline());
  EXPECT_EQ(Baseline("Fixture Shell Component"), "");
  EXPECT_EQ(Baseline(std::string("900 ") + kClassA), "900");

  AddBho(kClassB);
  EXPECT_FALSE(browser::EnsureIEHelperBaseline()) << "taken once only";
  browser::VerifyIEHelpers(Answering(core::kAlertYes));
  EXPECT_EQ(asked_, std::vector<std::string>{std::string("900 ") + kClassB});
}

TEST_F(IEHelperCheck, FirstDetectedSeedsArePathsOfEveryAddOn) {
  AddBho(kClassA);
  AddToolbar(kClassB);  // unregistered: no path, nothing to date
  EXPECT_EQ(browser::IEHelperPaths(), std::vector<std::string>{dll_});
}

}  // namespace
}  // namespace obrivo::test
