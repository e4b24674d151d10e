// The guard's comparisons and the limits of what it writes back to the machine.
#include "core/settings_guard.h"

#include <gtest/gtest.h>

#include <string>

namespace obrivo::core {
namespace {

TEST(SettingsGuard, PagesDifferUnlessOnlyOneTrailingSlashOrAsciiCaseDiffers) {
  const struct {
    std::string a, b;
    bool same;
  } cases[] = {
      {"http://www.example.com/", "http://www.example.com", true},
      {"HTTP://WWW.Example.COM", "http://www.example.com/", true},
      {"", "", true},
      {"/", "", true},
      {"http://www.example.com//", "http://www.example.com", false},  // only one "/" goes
      {"http://www.example.com", "http://www.example.com.evil.example", false},
      {"http://www.example.com", "http://www.examp1e.com", false},
      {"http://www.example.com", "http://www.example.com ", false},
      // Look-alike letters are other hosts: no folding beyond ASCII letters.
      {"http://www.\u017Fecure.example", "http://www.secure.example", false},  // long s
      {"http://\u212Aiosk.example", "http://kiosk.example", false},             // Kelvin sign
      {"http://b\u0430nk.example", "http://bank.example", false},              // Cyrillic a
      {"http://\u00E9t\u00E9.example", "http://\u00C9T\u00C9.example", false},
      {"http://\u00E9t\u00E9.example/", "http://\u00E9t\u00E9.example", true},
      {"about:blank", "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.a + " | " + c.b);
    EXPECT_EQ(SamePage(c.a, c.b), c.same);
    EXPECT_EQ(SamePage(c.b, c.a), c.same);
  }
  EXPECT_EQ(WithoutTrailingSlash("http://a.example//"), "http://a.example/");
}

TEST(SettingsGuard, AlertTextsTakeEachValueOnceInTurn) {
  EXPECT_EQ(FormatAlert("new %s, old %s.", "a", "b"), "new a, old b.");
  // A page holding "%s" is never filled in itself: the baseline goes where the text says.
  EXPECT_EQ(FormatAlert("new %s, old %s.", "http://x/?q=%s", "b"), "new http://x/?q=%s, old b.");
  EXPECT_EQ(FormatAlert("only %s", "a", "b"), "only a");
  EXPECT_EQ(FormatAlert("none", "a", "b"), "none");
}

TEST(SettingsGuard, OnlyPlainSchemePrefixesMayBeWritten) {
  const struct {
    std::string prefix;
    bool plain;
  } cases[] = {
      {"http://", true},
      {"HTTPS://", true},
      {"ftp://", true},
      {"svn+ssh://", true},
      {"", false},
      {"://", false},
      {"http:", false},
      {"http:/", false},
      {"http://evil.example/?", false},
      {"http://evil.example", false},
      {"\"http://\"", false},
      {"http ://", false},
      {" http://", false},
      {"http:// ", false},
      {"1http://", false},
      {"ht\u00F6p://", false},
      {std::string("htt\0p://", 8), false},
      {std::string(32, 'a') + "://", true},
      {std::string(33, 'a') + "://", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.prefix);
    EXPECT_EQ(IsPlainSchemePrefix(c.prefix), c.plain);
  }
}

TEST(SettingsGuard, AutomaticUpdatesValuesAndTheirTexts) {
  const struct {
    long long value;
    bool restorable;
    int textId;
  } cases[] = {{0, false, 1050}, {1, true, 1051}, {2, true, 1052}, {3, true, 1053},
               {4, true, 1054},  {5, false, 1050}, {-1, false, 1050},
               {0xFFFFFFFFLL, false, 1050}, {1LL << 32 | 2, false, 1050}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(IsRestorableAUOption(c.value), c.restorable);
    EXPECT_EQ(AUOptionTextId(c.value), c.textId);
  }
}

TEST(SettingsGuard, UserAccountControlLoweredRestorableAndItsLevel) {
  using V = UacValues;
  const V standard{5, 1, 1};
  const struct {
    V baseline, live;
    bool lowered;
  } comparisons[] = {
      {standard, standard, false},
      {standard, V{5, 0, 1}, true},         // turned off
      {standard, V{0, 1, 1}, true},         // elevation without a prompt
      {standard, V{5, 1, 0}, true},         // no secure desktop
      {standard, V{2, 1, 1}, true},         // lower number, though more prompting: as recorded
      {V{2, 1, 1}, V{5, 1, 1}, false},      // a higher number is not lowered
      {V{5, 0, 1}, V{5, 1, 1}, false},      // switched on
      {V{5, 0, 1}, V{5, 0, 1}, false},
      {V{}, V{0, 0, 0}, false},             // nothing recorded, nothing compared
      {standard, V{}, false},               // the live values vanished: nothing to compare
      {V{5, 1, {}}, V{5, 1, 0}, false},
  };
  for (const auto& c : comparisons) {
    SCOPED_TRACE(UacValuesText(c.baseline) + " -> " + UacValuesText(c.live));
    EXPECT_EQ(UacProtectionLowered(c.baseline, c.live), c.lowered);
  }

  const struct {
    V values;
    bool restorable;
    int levelId;
  } values[] = {
      {V{5, 1, 1}, true, 1076},  {V{5, 1, 0}, true, 1075},   {V{2, 1, 1}, true, 1077},
      {V{0, 1, 0}, true, 1074},  {V{5, 0, 1}, true, 1074},   {V{5, {}, {}}, true, 1076},
      {V{}, false, 1076},        {V{6, 1, 1}, false, 1076},  {V{5, 2, 1}, false, 1076},
      {V{5, 1, -1}, false, 1076}, {V{-1, 1, 1}, false, 1076}, {V{5, 1, 1LL << 32}, false, 1076},
  };
  for (const auto& c : values) {
    SCOPED_TRACE(UacValuesText(c.values));
    EXPECT_EQ(IsRestorableUac(c.values), c.restorable);
    EXPECT_EQ(UacLevelTextId(c.values), c.levelId);
  }
  EXPECT_EQ(UacValuesText(V{5, 1, {}}),
            "EnableLUA 1, ConsentPromptBehaviorAdmin 5, PromptOnSecureDesktop -");
}

TEST(SettingsGuard, DefaultBrowserFromItsCommand) {
  const struct {
    std::string command;
    std::string program;
    int code;
  } cases[] = {
      {"\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" -nohome",
       "C:\\Program Files\\Internet Explorer\\iexplore.exe", 1},
      {"\"C:\\Program Files\\Mozilla Firefox\\firefox.exe\" -osint -url \"%1\"",
       "C:\\Program Files\\Mozilla Firefox\\firefox.exe", 6},  // "mozilla" is tested first
      {"C:\\Apps\\firefox\\firefox.exe -url %1", "C:\\Apps\\firefox\\firefox.exe", 3},
      {"C:\\Netscape\\NETSCP.EXE", "C:\\Netscape\\NETSCP.EXE", 2},
      {"\"C:\\Maxthon\\Maxthon.exe\" \"%1\"", "C:\\Maxthon\\Maxthon.exe %1", 4},
      {"C:\\Avant Browser\\avant.exe %1", "C:\\Avant Browser\\avant.exe %1", 5},
      {"\"C:\\Opera\\opera.exe\" \"%1\"", "C:\\Opera\\opera.exe %1", 1},
      {"-url", "", 1},
      {"", "", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    const std::string program = BrowserProgramFromCommand(c.command);
    EXPECT_EQ(program, c.program);
    EXPECT_EQ(ClassifyBrowser(program), c.code);
  }
  EXPECT_EQ(BrowserProgramFromAppPath("C:\\Program Files\\Internet Explorer;"),
            "C:\\Program Files\\Internet Explorer\\IExplore.exe");
  EXPECT_EQ(BrowserProgramFromAppPath("C:\\IE"), "C:\\IE\\IExplore.exe");
}

}  // namespace
}  // namespace obrivo::core
