// The settings guard against a sandboxed registry: each (baseline, live) pair gives the answer
// asked for and the writes a person expects; the write-back refuses any kept value it would never
// write to the machine; the Monitor tells the user when an elevated write-back could not happen,
// and keeps the baseline so that the next patrol asks again.
#include "browser/settings_guard.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "alert_test_env.h"
#include "browser_test_env.h"
#include "common/store.h"
#include "common/win32/registry.h"
#include "common/win32/wide.h"
#include "core/alert_rules.h"
#include "core/command_switches.h"
#include "explorer/explorer.h"
#include "monitor/settings_guard_watch.h"

namespace obrivo::test {
namespace {

using browser::MachineSetting;
using browser::WriteBack;

// Spelt out here rather than taken from the code under test.
constexpr char kProduct[] = "Software\\Tolvane\\Obrivo";
constexpr char kMain[] = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr char kAutoUpdate[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update";
constexpr char kPrefixes[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\Prefixes";
constexpr char kDefaultPrefix[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\DefaultPrefix";
constexpr char kPolicies[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

// A value as a test plants it: text, a number, or nothing at all.
struct Planted {
  enum Kind { None, Text, Number } kind = None;
  std::string text;
  DWORD number = 0;
};
Planted Text(std::string t) { return {Planted::Text, std::move(t), 0}; }
Planted Number(DWORD n) { return {Planted::Number, {}, n}; }
const Planted kNone{};

class SettingsGuard : public AlertTest {
 protected:
  static void Plant(HKEY hive, const std::string& key, const std::string& name, const Planted& v) {
    if (v.kind == Planted::None) {
      common::DeleteStoreValue(hive, key, name);
    } else if (v.kind == Planted::Text) {
      ASSERT_TRUE(common::WriteStoreString(hive, key, name, v.text));
    } else {
      ASSERT_TRUE(common::WriteStoreDword(hive, key, name, v.number));
    }
  }
  // What a value holds now, in the same terms.
  static Planted Read(HKEY hive, const std::string& key, const std::string& name) {
    auto opened = win32::OpenKey(hive, key, KEY_READ);
    if (!opened) return kNone;
    const auto value = win32::QueryValue(opened.get(), name);
    if (!value) return kNone;
    if (value->type == REG_DWORD && value->data.size() == 4) {
      DWORD n = 0;
      memcpy(&n, value->data.data(), 4);
      return Number(n);
    }
    return Text(win32::StringFromValue(*value).value_or("<not text>"));
  }
  static std::string Describe(const Planted& v) {
    return v.kind == Planted::None     ? "(none)"
           : v.kind == Planted::Number ? "#" + std::to_string(v.number)
                                       : "\"" + v.text + "\"";
  }
  static void ExpectSame(const Planted& actual, const Planted& expected, const char* what) {
    EXPECT_EQ(Describe(actual), Describe(expected)) << what;
  }

  // Hooks that answer as told and note what was asked and written back.
  browser::SettingsGuardHooks Answering(bool keepPages, bool restoreMachine) {
    browser::SettingsGuardHooks hooks;
    hooks.keepPage = [this, keepPages](const core::GuardedPage& page, const std::string& live,
                                       const std::string& baseline) {
      asked_.push_back(std::string(page.value) + ": " + live + " <- " + baseline);
      return keepPages;
    };
    hooks.showAlertIcon = [this] { ++alertIcons_; };
    hooks.pageRestoreFailed = [this](const core::GuardedPage& page, const std::string&) {
      failed_.push_back(std::string(page.value));
    };
    hooks.restoreMachine = [this, restoreMachine](const browser::MachineAlert& alert) {
      machineAsked_.push_back(alert);
      return restoreMachine;
    };
    hooks.writeBack = [this](MachineSetting setting) {
      writeBacks_.push_back(setting);
      return true;
    };
    return hooks;
  }

  std::vector<std::string> asked_, failed_;
  std::vector<browser::MachineAlert> machineAsked_;
  std::vector<MachineSetting> writeBacks_;
  int alertIcons_ = 0;
};

TEST_F(SettingsGuard, StartPageTableOfBaselineAndLive) {
  const std::string longPage = "http://long.example/" + std::string(600, 'x');
  const std::string wide = "http://b\xC3\xBC" "cher.example/\xE6\x9C\xAC";  // beyond ASCII
  const struct {
    const char* name;
    Planted baseline, live;
    int automatic;  // 0 asks
    bool keep;      // the answer when asked
    bool asked;
    Planted baselineAfter, liveAfter;
  } cases[] = {
      {"first look", kNone, Text("http://a.example/"), 0, true, false, Text("http://a.example/"),
       Text("http://a.example/")},
      {"first look, no page", kNone, kNone, 0, true, false, Text(""), kNone},
      {"one slash and case", Text("http://a.example"), Text("HTTP://A.Example/"), 0, true, false,
       Text("http://a.example"), Text("HTTP://A.Example/")},
      {"look-alike host, No", Text("http://bank.example"), Text("http://bank.example.evil.example"),
       0, false, true, Text("http://bank.example"), Text("http://bank.example")},
      {"look-alike letter, No", Text("http://bank.example"), Text("http://b\xD0\xB0nk.example"), 0,
       false, true, Text("http://bank.example"), Text("http://bank.example")},
      {"two slashes, Yes", Text("http://a.example"), Text("http://a.example//"), 0, true, true,
       Text("http://a.example/"), Text("http://a.example//")},
      {"restored without its slash", Text("http://a.example/"), Text("http://b.example"), 0, false,
       true, Text("http://a.example/"), Text("http://a.example")},
      {"page gone, No", Text("http://a.example"), kNone, 0, false, true, Text("http://a.example"),
       Text("http://a.example")},
      {"page emptied, Yes", Text("http://a.example"), Text(""), 0, true, true, Text(""), Text("")},
      {"page of another type, No", Text("http://a.example"), Number(1), 0, false, true,
       Text("http://a.example"), Text("http://a.example")},
      {"long page, Yes", Text("http://a.example"), Text(longPage), 0, true, true, Text(longPage),
       Text(longPage)},
      {"long baseline restored whole", Text(longPage), Text("http://a.example"), 0, false, true,
       Text(longPage), Text(longPage)},
      {"beyond ASCII, Yes", Text("http://a.example"), Text(wide), 0, true, true, Text(wide),
       Text(wide)},
      {"beyond ASCII restored", Text(wide), Text("http://a.example"), 0, false, true, Text(wide),
       Text(wide)},
      {"baseline of another type", Number(5), Text("http://a.example"), 0, false, false,
       Text("http://a.example"), Text("http://a.example")},
      {"always allowed", Text("http://a.example"), Text("http://b.example"), core::kAlertYes,
       false, false, Text("http://b.example"), Text("http://b.example")},
      {"always prevented", Text("http://a.example"), Text("http://b.example"), core::kAlertNo,
       true, false, Text("http://a.example"), Text("http://a.example")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Plant(HKEY_CURRENT_USER, kProduct, "StartPage", c.baseline);
    Plant(HKEY_CURRENT_USER, kMain, "Start Page", c.live);
    // The other two pages agree with their baselines and stay out of it.
    Plant(HKEY_CURRENT_USER, kProduct, "SearchPage", Text("http://search.example"));
    Plant(HKEY_CURRENT_USER, kMain, "Search Page", Text("http://search.example"));
    Plant(HKEY_CURRENT_USER, kProduct, "SourcePage", Text(""));
    asked_.clear();
    alertIcons_ = 0;
    browser::SettingsGuardHooks hooks = Answering(c.keep, false);
    hooks.automaticPageAnswer = c.automatic;
    const bool differs = c.asked || c.automatic != 0;
    EXPECT_EQ(browser::VerifyHomePages(hooks), differs ? 1 : 0);
    EXPECT_EQ(asked_.size(), c.asked ? 1u : 0u);
    EXPECT_EQ(alertIcons_, differs ? 1 : 0) << "the tray shows every difference";
    ExpectSame(Read(HKEY_CURRENT_USER, kProduct, "StartPage"), c.baselineAfter, "baseline");
    ExpectSame(Read(HKEY_CURRENT_USER, kMain, "Start Page"), c.liveAfter, "live page");
  }
  EXPECT_TRUE(failed_.empty());
}

TEST_F(SettingsGuard, EachPageIsAskedAboutWithItsOwnValuesInOrder) {
  const char kDesktop[] = "Software\\Microsoft\\Internet Explorer\\Desktop\\Components\\0";
  Plant(HKEY_CURRENT_USER, kProduct, "StartPage", Text("http://start.example"));
  Plant(HKEY_CURRENT_USER, kProduct, "SearchPage", Text("http://search.example"));
  Plant(HKEY_CURRENT_USER, kProduct, "SourcePage", Text("C:\\Desktop\\page.htm"));
  Plant(HKEY_CURRENT_USER, kMain, "Start Page", Text("http://s.evil.example"));
  Plant(HKEY_CURRENT_USER, kMain, "Search Page", Text("http://q.evil.example/?q=%s"));
  Plant(HKEY_CURRENT_USER, kDesktop, "Source", Text("http://d.evil.example"));
  EXPECT_EQ(browser::VerifyHomePages(Answering(false, false)), 3);
  EXPECT_EQ(asked_, (std::vector<std::string>{
                        "Start Page: http://s.evil.example <- http://start.example",
                        "Search Page: http://q.evil.example/?q=%s <- http://search.example",
                        "Source: http://d.evil.example <- C:\\Desktop\\page.htm"}));
  ExpectSame(Read(HKEY_CURRENT_USER, kMain, "Search Page"), Text("http://search.example"), "search");
  ExpectSame(Read(HKEY_CURRENT_USER, kDesktop, "Source"), Text("C:\\Desktop\\page.htm"), "desktop");
}

TEST_F(SettingsGuard, APageThatCannotBeWrittenBackIsSaidAndAskedAboutAgain) {
  Plant(HKEY_CURRENT_USER, kProduct, "StartPage", Text("http://a.example"));
  Plant(HKEY_CURRENT_USER, kMain, "Start Page", Text("http://evil.example"));
  for (const char* other : {"SearchPage", "SourcePage"})
    Plant(HKEY_CURRENT_USER, kProduct, other, Text(""));
  {
    auto key = win32::OpenKey(HKEY_CURRENT_USER, kMain, READ_CONTROL | WRITE_DAC);
    ASSERT_TRUE(key);
    SetKeyDacl(key.get(), L"D:(A;;KR;;;WD)");  // readable, not writable
  }
  EXPECT_EQ(browser::VerifyHomePages(Answering(false, false)), 1);
  EXPECT_EQ(failed_, std::vector<std::string>{"Start Page"});
  ExpectSame(Read(HKEY_CURRENT_USER, kProduct, "StartPage"), Text("http://a.example"), "kept");
  EXPECT_EQ(browser::VerifyHomePages(Answering(false, false)), 1) << "asked again";
  auto key = win32::OpenKey(HKEY_CURRENT_USER, kMain, READ_CONTROL | WRITE_DAC);
  ASSERT_TRUE(key);
  SetKeyDacl(key.get(), L"D:(A;;KA;;;WD)");
}

TEST_F(SettingsGuard, SystemSettingsTableOfBaselineAndLive) {
  const struct {
    const char* name;
    Planted auBaseline, auLive, prefixBaseline, prefixLive;
    bool restore;  // the answer when asked
    int result;
    std::vector<MachineSetting> asked;
    Planted auBaselineAfter, prefixBaselineAfter;
    const char* after = "";  // a part of the last alert's "after" text
  } cases[] = {
      {"first look records the option only", kNone, Number(3), kNone, Text("http://evil/?"), false,
       1, {}, Number(3), kNone},
      {"nothing to record", kNone, kNone, kNone, Text("ftp://"), false, 1, {}, kNone, kNone},
      {"a zero baseline", Number(0), Number(0), kNone, Text("ftp://"), false, 1, {}, Number(0),
       kNone},
      {"baseline above 4 taken again", Number(7), Number(2), kNone, kNone, false, 1, {}, Number(2),
       kNone},
      {"baseline of another type taken again", Text("3"), Number(3), kNone, kNone, false, 1, {},
       Number(3), kNone},
      {"all as kept", Number(3), Number(3), kNone, Text("HTTP://"), true, 0, {}, Number(3), kNone},
      {"option changed, restore", Number(3), Number(1), kNone, Text("http://"), true, 0,
       {MachineSetting::AutoUpdate}, Number(3), kNone, "Turn off Automatic Updates."},
      {"option changed, accept", Number(3), Number(1), kNone, Text("http://"), false, 0,
       {MachineSetting::AutoUpdate}, Number(1), kNone},
      {"option gone", Number(4), kNone, kNone, Text("http://"), true, 0,
       {MachineSetting::AutoUpdate}, Number(4), kNone, "Windows Auto Update Settings"},
      {"option of another type", Number(4), Text("4"), kNone, Text("http://"), true, 0,
       {MachineSetting::AutoUpdate}, Number(4), kNone, "Windows Auto Update Settings"},
      {"option above 4", Number(4), Number(9), kNone, Text("http://"), false, 0,
       {MachineSetting::AutoUpdate}, Number(9), kNone, "(9)"},
      {"prefix planted, restore", Number(2), Number(2), kNone, Text("http://evil.example/?"), true,
       0, {MachineSetting::UrlPrefix}, Number(2), kNone, "http://evil.example/?"},
      {"prefix changed, accept", Number(2), Number(2), Text("http://"), Text("https://"), false, 0,
       {MachineSetting::UrlPrefix}, Number(2), Text("https://")},
      {"prefix gone", Number(2), Number(2), kNone, kNone, true, 0, {MachineSetting::UrlPrefix},
       Number(2), kNone},
      {"both changed", Number(2), Number(3), Text("https://"), Text("http://"), true, 0,
       {MachineSetting::AutoUpdate, MachineSetting::UrlPrefix}, Number(2), Text("https://")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Plant(HKEY_CURRENT_USER, kProduct, "AUOptions", c.auBaseline);
    Plant(HKEY_LOCAL_MACHINE, kAutoUpdate, "AUOptions", c.auLive);
    Plant(HKEY_CURRENT_USER, kProduct, "wwwPrefix", c.prefixBaseline);
    Plant(HKEY_LOCAL_MACHINE, kPrefixes, "www", c.prefixLive);
    machineAsked_.clear();
    writeBacks_.clear();
    EXPECT_EQ(browser::VerifySystemSettings(Answering(false, c.restore)), c.result);
    std::vector<MachineSetting> asked;
    for (const auto& a : machineAsked_) {
      asked.push_back(a.setting);
      // The prefix alert stops; the option's warns.
      EXPECT_EQ(a.stopIcon, a.setting == MachineSetting::UrlPrefix);
      EXPECT_EQ(a.textId, a.setting == MachineSetting::UrlPrefix ? 1065 : 1055);
    }
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(writeBacks_, c.restore ? c.asked : std::vector<MachineSetting>{});
    if (!machineAsked_.empty()) {
      EXPECT_NE(machineAsked_.back().after.find(c.after), std::string::npos)
          << machineAsked_.back().after;
    }
    ExpectSame(Read(HKEY_CURRENT_USER, kProduct, "AUOptions"), c.auBaselineAfter, "AU baseline");
    ExpectSame(Read(HKEY_CURRENT_USER, kProduct, "wwwPrefix"), c.prefixBaselineAfter,
               "prefix baseline");
    // The check itself never writes the machine's values: only the write-back does.
    ExpectSame(Read(HKEY_LOCAL_MACHINE, kAutoUpdate, "AUOptions"), c.auLive, "AU live");
    ExpectSame(Read(HKEY_LOCAL_MACHINE, kPrefixes, "www"), c.prefixLive, "prefix live");
  }
}

TEST_F(SettingsGuard, UserAccountControlLoweredIsAskedWhateverTheUpdateBaseline) {
  const DWORD kMissing = 0xFFFFFFFF;
  const struct {
    const char* name;
    DWORD baseline[3];  // ConsentPromptBehaviorAdmin, EnableLUA, PromptOnSecureDesktop
    Planted live[3];
    bool restore;
    bool asked;
    DWORD baselineAfter[3];
  } cases[] = {
      {"unchanged", {5, 1, 1}, {Number(5), Number(1), Number(1)}, true, false, {5, 1, 1}},
      {"turned off, restore", {5, 1, 1}, {Number(5), Number(0), Number(1)}, true, true, {5, 1, 1}},
      {"turned off, accept", {5, 1, 1}, {Number(5), Number(0), Number(1)}, false, true, {5, 0, 1}},
      {"no prompt, restore", {5, 1, 1}, {Number(0), Number(1), Number(1)}, true, true, {5, 1, 1}},
      {"no secure desktop", {5, 1, 1}, {Number(5), Number(1), Number(0)}, true, true, {5, 1, 1}},
      {"raised: taken silently", {5, 1, 0}, {Number(5), Number(1), Number(1)}, true, false,
       {5, 1, 1}},
      {"recorded missing", {kMissing, 1, kMissing}, {Number(0), Number(1), Number(0)}, true, false,
       {0, 1, 0}},
      {"live gone", {5, 1, 1}, {kNone, kNone, kNone}, true, false, {kMissing, kMissing, kMissing}},
      {"live of another type", {5, 1, 1}, {Number(5), Text("0"), Number(1)}, true, false,
       {5, kMissing, 1}},
  };
  const char* names[] = {"ConsentPromptBehaviorAdmin", "EnableLUA", "PromptOnSecureDesktop"};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Plant(HKEY_CURRENT_USER, kProduct, "AUOptions", kNone);  // the option is not compared
    for (int i = 0; i < 3; ++i) {
      Plant(HKEY_CURRENT_USER, kProduct, names[i], Number(c.baseline[i]));
      Plant(HKEY_LOCAL_MACHINE, kPolicies, names[i], c.live[i]);
    }
    machineAsked_.clear();
    writeBacks_.clear();
    EXPECT_EQ(browser::VerifySystemSettings(Answering(false, c.restore)), 1);
    ASSERT_EQ(machineAsked_.size(), c.asked ? 1u : 0u);
    if (c.asked) {
      EXPECT_EQ(machineAsked_[0].setting, MachineSetting::UserAccountControl);
      EXPECT_EQ(machineAsked_[0].captionId, 1073);
      EXPECT_EQ(machineAsked_[0].textId, 1078);
      EXPECT_NE(machineAsked_[0].before, machineAsked_[0].after);
      EXPECT_EQ(writeBacks_.size(), c.restore ? 1u : 0u);
    }
    for (int i = 0; i < 3; ++i)
      ExpectSame(Read(HKEY_CURRENT_USER, kProduct, names[i]), Number(c.baselineAfter[i]), names[i]);
  }
}

TEST_F(SettingsGuard, WriteBackRefusesWhatItWouldNeverWrite) {
  const struct {
    const char* name;
    MachineSetting setting;
    const char* baselineName;
    Planted baseline;
    WriteBack result;
    const char* key;
    const char* liveName;
    Planted liveAfter;  // the live value starts as "untouched"
  } cases[] = {
      {"option 3", MachineSetting::AutoUpdate, "AUOptions", Number(3), WriteBack::Written,
       kAutoUpdate, "AUOptions", Number(3)},
      {"option 1", MachineSetting::AutoUpdate, "AUOptions", Number(1), WriteBack::Written,
       kAutoUpdate, "AUOptions", Number(1)},
      {"option 5", MachineSetting::AutoUpdate, "AUOptions", Number(5), WriteBack::Refused,
       kAutoUpdate, "AUOptions", Text("untouched")},
      {"option 0", MachineSetting::AutoUpdate, "AUOptions", Number(0), WriteBack::Refused,
       kAutoUpdate, "AUOptions", Text("untouched")},
      {"option as text", MachineSetting::AutoUpdate, "AUOptions", Text("3"), WriteBack::Refused,
       kAutoUpdate, "AUOptions", Text("untouched")},
      {"no option kept", MachineSetting::AutoUpdate, "AUOptions", kNone, WriteBack::Refused,
       kAutoUpdate, "AUOptions", Text("untouched")},
      {"no prefix kept", MachineSetting::UrlPrefix, "wwwPrefix", kNone, WriteBack::Written,
       kPrefixes, "www", Text("http://")},
      {"https", MachineSetting::UrlPrefix, "wwwPrefix", Text("https://"), WriteBack::Written,
       kPrefixes, "www", Text("https://")},
      {"planted address", MachineSetting::UrlPrefix, "wwwPrefix", Text("http://evil.example/?"),
       WriteBack::Refused, kPrefixes, "www", Text("untouched")},
      {"quotes", MachineSetting::UrlPrefix, "wwwPrefix", Text("\"http://\""), WriteBack::Refused,
       kPrefixes, "www", Text("untouched")},
      {"spaces", MachineSetting::UrlPrefix, "wwwPrefix", Text("http :// "), WriteBack::Refused,
       kPrefixes, "www", Text("untouched")},
      {"empty", MachineSetting::UrlPrefix, "wwwPrefix", Text(""), WriteBack::Refused, kPrefixes,
       "www", Text("untouched")},
      {"prefix as a number", MachineSetting::UrlPrefix, "wwwPrefix", Number(1), WriteBack::Refused,
       kPrefixes, "www", Text("untouched")},
      {"turned on", MachineSetting::UserAccountControl, "EnableLUA", Number(1),
       WriteBack::Written, kPolicies, "EnableLUA", Number(1)},
      {"out of range", MachineSetting::UserAccountControl, "EnableLUA", Number(2),
       WriteBack::Refused, kPolicies, "EnableLUA", Text("untouched")},
      {"as text", MachineSetting::UserAccountControl, "EnableLUA", Text("1"), WriteBack::Refused,
       kPolicies, "EnableLUA", Text("untouched")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (const char* uac : {"ConsentPromptBehaviorAdmin", "PromptOnSecureDesktop"})
      Plant(HKEY_CURRENT_USER, kProduct, uac, Number(0xFFFFFFFF));  // recorded missing
    Plant(HKEY_CURRENT_USER, kProduct, c.baselineName, c.baseline);
    Plant(HKEY_LOCAL_MACHINE, c.key, c.liveName, Text("untouched"));
    Plant(HKEY_LOCAL_MACHINE, kDefaultPrefix, "", Text("untouched"));
    EXPECT_EQ(browser::WriteBaselineBack(c.setting), c.result);
    ExpectSame(Read(HKEY_LOCAL_MACHINE, c.key, c.liveName), c.liveAfter, "live");
    if (c.setting == MachineSetting::UrlPrefix)
      ExpectSame(Read(HKEY_LOCAL_MACHINE, kDefaultPrefix, ""), c.liveAfter, "default prefix");
    if (c.setting == MachineSetting::UserAccountControl)
      ExpectSame(Read(HKEY_LOCAL_MACHINE, kPolicies, "PromptOnSecureDesktop"), kNone,
                 "a value recorded missing is not written");
  }
}

TEST_F(SettingsGuard, WriteBackThatTheSystemRefusesFails) {
  Plant(HKEY_CURRENT_USER, kProduct, "AUOptions", Number(2));
  Plant(HKEY_LOCAL_MACHINE, kAutoUpdate, "AUOptions", Number(1));
  {
    auto key = win32::OpenKey(HKEY_LOCAL_MACHINE, kAutoUpdate, READ_CONTROL | WRITE_DAC);
    ASSERT_TRUE(key);
    SetKeyDacl(key.get(), L"D:(A;;KR;;;WD)");
  }
  EXPECT_EQ(browser::WriteBaselineBack(MachineSetting::AutoUpdate), WriteBack::Failed);
  ExpectSame(Read(HKEY_LOCAL_MACHINE, kAutoUpdate, "AUOptions"), Number(1), "unchanged");
  auto key = win32::OpenKey(HKEY_LOCAL_MACHINE, kAutoUpdate, READ_CONTROL | WRITE_DAC);
  ASSERT_TRUE(key);
  SetKeyDacl(key.get(), L"D:(A;;KA;;;WD)");
}

TEST_F(SettingsGuard, DefaultBrowserFromTheWebCommandElseTheBrowsersPath) {
  const char kCommand[] = "SOFTWARE\\Classes\\HTTP\\shell\\open\\command";
  const char kAppPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE";
  const struct {
    Planted command, appPath;
    int code;
  } cases[] = {
      {Text("\"C:\\Program Files\\Mozilla Firefox\\firefox.exe\" -osint -url \"%1\""), kNone, 6},
      {Text("C:\\Apps\\firefox.exe -url %1"), kNone, 3},
      {Text("\"C:\\Opera\\opera.exe\" \"%1\""), kNone, 1},
      // Nothing left of the command: Internet Explorer's own path, whatever folder it names.
      {Text("-url %1"), Text("C:\\Maxthon;"), 1},
      {kNone, Text("C:\\Avant Browser"), 1},
      {Text("\"\""), Text("C:\\Mozilla"), 1},
      {Number(7), kNone, 1},
      {kNone, kNone, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Describe(c.command) + " " + Describe(c.appPath));
    Plant(HKEY_LOCAL_MACHINE, kCommand, "", c.command);
    Plant(HKEY_LOCAL_MACHINE, kAppPath, "Path", c.appPath);
    EXPECT_EQ(browser::DetectDefaultBrowser(), c.code);
  }
}

// The Explorer's switches: what it writes, and the message it gives when it refuses.
TEST_F(SettingsGuard, ExplorerSwitchWritesOrSaysWhyItRefused) {
  using Action = core::ExplorerCommandLine::Action;
  Plant(HKEY_CURRENT_USER, kProduct, "AUOptions", Number(4));
  EXPECT_EQ(explorer::WriteMachineSettingBack(Action::AUOption), core::kMachineSettingWritten);
  ExpectSame(Read(HKEY_LOCAL_MACHINE, kAutoUpdate, "AUOptions"), Number(4), "written");

  Plant(HKEY_CURRENT_USER, kProduct, "wwwPrefix", Text("http://evil.example/?"));
  Plant(HKEY_LOCAL_MACHINE, kPrefixes, "www", Text("http://"));
  std::wstring text;
  const int code = Open([] { return explorer::WriteMachineSettingBack(Action::SetPrefix); },
                        [&](HWND box) {
                          text = ControlText(box, 0xFFFF);
                          Click(box, IDOK);
                        });
  EXPECT_EQ(code, core::kMachineSettingRefused);
  EXPECT_NE(text.find(L"Internet Browser Default Prefix"), std::wstring::npos)
      << win32::Narrow(text);
  EXPECT_NE(text.find(L"Nothing was written"), std::wstring::npos) << win32::Narrow(text);
  ExpectSame(Read(HKEY_LOCAL_MACHINE, kPrefixes, "www"), Text("http://"), "not written");
}

// The Monitor's side of the write-back, with the elevated start made to fail or be declined.
class ElevatedWriteBack : public SettingsGuard {
 protected:
  void TearDown() override {
    monitor::SetElevatedStarterForTesting({});
    SettingsGuard::TearDown();
  }
  void StartsAs(monitor::ElevatedStart result) {
    monitor::SetElevatedStarterForTesting(
        [this, result](const std::wstring& program, const std::wstring& parameters) {
          started_.push_back(win32::Narrow(program) + " " + win32::Narrow(parameters));
          return result;
        });
  }
  std::vector<std::string> started_;
};

TEST_F(ElevatedWriteBack, EachOutcomeIsToldOnceAndTheExplorerGetsTheSettingsSwitch) {
  using O = monitor::ElevatedStart::Outcome;
  const struct {
    MachineSetting setting;
    monitor::ElevatedStart start;
    bool written;
    const wchar_t* told;  // a part of the Monitor's message; null: no message
    const char* switchText;
  } cases[] = {
      {MachineSetting::AutoUpdate, {O::Finished, 0}, true, nullptr, "-AUOption"},
      {MachineSetting::UrlPrefix, {O::Finished, 0}, true, nullptr, "-SetPrefix"},
      {MachineSetting::UserAccountControl, {O::Finished, 0}, true, nullptr, "-SetUAC"},
      // The Explorer said why itself.
      {MachineSetting::UrlPrefix, {O::Finished, 2}, false, nullptr, "-SetPrefix"},
      {MachineSetting::AutoUpdate, {O::Finished, 3}, false, nullptr, "-AUOption"},
      {MachineSetting::AutoUpdate, {O::Declined, 0}, false, L"permission", "-AUOption"},
      {MachineSetting::UrlPrefix, {O::NotStarted, 0}, false, L"ObrivoEx.exe must exist",
       "-SetPrefix"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.switchText);
    started_.clear();
    StartsAs(c.start);
    std::wstring told;
    if (c.told) {
      const int written =
          Open([&] { return monitor::WriteMachineSettingBack(c.setting) ? 1 : 0; },
               [&](HWND box) {
                 told = ControlText(box, 0xFFFF);
                 Click(box, IDOK);
               });
      EXPECT_EQ(written, 0);
      EXPECT_NE(told.find(c.told), std::wstring::npos) << win32::Narrow(told);
    } else {
      EXPECT_EQ(monitor::WriteMachineSettingBack(c.setting), c.written);
    }
    ASSERT_EQ(started_.size(), 1u);
    EXPECT_EQ(started_[0], common::ProgramFolder() + "\\ObrivoEx.exe " + c.switchText);
  }
}

TEST_F(ElevatedWriteBack, ADeclinedRestoreKeepsTheBaselineAndTheNextPatrolAsksAgain) {
  using O = monitor::ElevatedStart::Outcome;
  StartsAs({O::Declined, 0});
  Plant(HKEY_CURRENT_USER, kProduct, "AUOptions", Number(4));
  Plant(HKEY_LOCAL_MACHINE, kAutoUpdate, "AUOptions", Number(1));
  Plant(HKEY_LOCAL_MACHINE, kPrefixes, "www", Text("http://"));
  for (int patrol = 0; patrol < 2; ++patrol) {
    SCOPED_TRACE(patrol);
    std::wstring caption, question, told;
    std::thread driver([&] {
      HWND box = WaitForOwnDialog();
      if (!box) return;
      caption = WindowText(box);
      question = ControlText(box, 0xFFFF);
      Click(box, IDYES);  // restore
      WaitUntil([&] { return !::IsWindow(box); });
      HWND message = WaitForOwnDialog();
      if (!message) return;
      told = ControlText(message, 0xFFFF);
      Click(message, IDOK);
    });
    monitor::PatrolSystemSettings();
    driver.join();
    EXPECT_EQ(caption, L"Obrivo - Windows Auto Update Settings");
    EXPECT_NE(question.find(L"Automatically download recommended updates"), std::wstring::npos)
        << win32::Narrow(question);
    EXPECT_NE(question.find(L"Turn off Automatic Updates."), std::wstring::npos);
    EXPECT_NE(told.find(L"permission"), std::wstring::npos) << win32::Narrow(told);
    ExpectSame(Read(HKEY_CURRENT_USER, kProduct, "AUOptions"), Number(4), "baseline kept");
    ExpectSame(Read(HKEY_LOCAL_MACHINE, kAutoUpdate, "AUOptions"), Number(1), "still changed");
  }
  EXPECT_EQ(started_.size(), 2u);
}

}  // namespace
}  // namespace obrivo::test
