// The Monitor's cookie patrols as the patrol runs them: the new-cookie question comes once per
// check while a cookie is not marked to keep, Yes opens the cookie list and No does not; the
// filter and the waiting rewrite follow the default browser.
#include "monitor/cookie_watch.h"

#include <gtest/gtest.h>

#include <string>

#include "browser/cookies.h"
#include "cookie_test_env.h"

namespace obrivo::test {
namespace {

constexpr char kBrowserCommandKey[] = "SOFTWARE\\Classes\\HTTP\\shell\\open\\command";

class CookieWatch : public CookieTest {
 protected:
  void SetUp() override {
    CookieTest::SetUp();
    ASSERT_TRUE(common::WriteStoreString(HKEY_LOCAL_MACHINE, kBrowserCommandKey, "",
                                         "\"C:\\Program Files\\Mozilla Firefox\\firefox.exe\" -url"));
  }
  monitor::NewCookieHooks Answering(bool yes) {
    monitor::NewCookieHooks hooks;
    hooks.ask = [this, yes] {
      ++asked_;
      return yes;
    };
    hooks.openCookieList = [this] { ++opened_; };
    return hooks;
  }
  int asked_ = 0, opened_ = 0;
};

TEST_F(CookieWatch, TheNewCookieQuestionAndItsAnswers) {
  MakeMozillaProfile(CookieLine("a.example", "1") + CookieLine("b.example", "2"));
  const struct {
    const char* what;
    bool keepAll, yes;
    int asked, opened;
  } cases[] = {
      {"a new cookie, No", false, false, 1, 0},
      {"a new cookie, Yes", false, true, 1, 1},
      {"every cookie kept", true, true, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    asked_ = opened_ = 0;
    browser::SetKeptCookie("a.example - 1", true);
    browser::SetKeptCookie("b.example - 2", c.keepAll);
    EXPECT_EQ(monitor::CheckNewCookies(Answering(c.yes)), c.asked == 1);
    EXPECT_EQ(asked_, c.asked);
    EXPECT_EQ(opened_, c.opened);
  }
}

TEST_F(CookieWatch, TheFilterPatrolRewritesAndTheNextStepPutsTheFileInPlace) {
  const std::string keep = CookieLine("keep.example", "k");
  const std::string profile = MakeMozillaProfile(keep + CookieLine("ads.example", "t"));
  ASSERT_TRUE(browser::AddNut("ads"));
  monitor::FilterCookies();
  EXPECT_EQ(StoredOptionText("UpdateCookieFile"), "1");
  monitor::ApplyWaitingCookieFile();
  EXPECT_EQ(Contents(profile + "cookies.txt"), keep);
  EXPECT_EQ(StoredOptionText("UpdateCookieFile"), "");

  // With Internet Explorer the default browser, the Mozilla file is left alone.
  ASSERT_TRUE(common::WriteStoreString(HKEY_LOCAL_MACHINE, kBrowserCommandKey, "",
                                       "C:\\Program Files\\Internet Explorer\\iexplore.exe"));
  ASSERT_TRUE(WriteBytes(profile + "cookies.txt", keep + CookieLine("ads.example", "t")));
  monitor::FilterCookies();
  EXPECT_EQ(StoredOptionText("UpdateCookieFile"), "");
}

}  // namespace
}  // namespace obrivo::test
