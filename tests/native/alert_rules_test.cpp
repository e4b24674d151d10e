// How alerts are answered: hide options, the repeat rule, the location texts.
#include "core/alert_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace obrivo::core {
namespace {

TEST(AlertRules, HideOptionAnswersOnlyWhileAlertsAreNotForced) {
  // clang-format off
  const struct {
    int hide, showAlerts, expected;
  } cases[] = {
      {0, 0, 0},           // ask
      {1, 0, kAlertYes},   // "Always Allow Changes"
      {2, 0, kAlertNo},    // "Prevent Changes"
      {5, 0, kAlertNo},    // any other value prevents too
      {-1, 0, kAlertNo},
      {1, 1, 0},           // ShowAlerts overrides every hide option
      {2, 1, 0},
      {1, 7, 0},
      {0, 1, 0},
  };
  // clang-format on
  for (const auto& c : cases)
    EXPECT_EQ(HideOptionAnswer(c.hide, c.showAlerts), c.expected)
        << "hide " << c.hide << " showAlerts " << c.showAlerts;
}

TEST(AlertRules, RepeatsAreCountedForTheSameCommandInARow) {
  int count = 0;
  std::string last;
  const struct {
    const char* path;
    int expectedCount;
  } steps[] = {
      {"C:\\A\\agent.exe", 0},
      {"c:\\a\\AGENT.EXE", 1},  // case does not matter
      {"C:\\A\\agent.exe", 2},
      {"C:\\B\\other.exe", 0},  // another command starts again
      {"C:\\A\\agent.exe", 0},
      {"C:\\A\\agent.exe", 1},
      {"", 0},
      {"", 0},  // no command is no repeat
  };
  for (const auto& s : steps) {
    NoteStartupAlert(count, last, s.path);
    EXPECT_EQ(count, s.expectedCount) << s.path;
    EXPECT_EQ(last, s.path);
  }
}

TEST(AlertRules, StartupAnswerFollowsTheRepeatRule) {
  // clang-format off
  const struct {
    bool yes;
    int repeatCount, type;
    int result;
    bool repeated, suppress;
  } cases[] = {
      {true, 0, 11, kAlertYes, false, false},
      {true, 1, 11, kAlertYes, false, false},
      {true, 2, 11, kAlertDisable, true, false},   // third alert in a row
      {true, 5, 256, kAlertDisable, true, false},
      {false, 0, 11, kAlertNo, false, false},
      {false, 1, 200, kAlertNo, false, false},
      {false, 0, 256, kAlertDisable, false, false},  // a notification package is only disabled
      {false, 2, 11, kAlertDisable, true, true},
      {false, 3, 256, kAlertDisable, true, true},
  };
  // clang-format on
  for (const auto& c : cases) {
    const StartupAnswer a = StartupAlertAnswer(c.yes, c.repeatCount, c.type);
    EXPECT_EQ(a.result, c.result) << c.yes << " " << c.repeatCount << " " << c.type;
    EXPECT_EQ(a.repeated, c.repeated) << c.yes << " " << c.repeatCount << " " << c.type;
    EXPECT_EQ(a.suppress, c.suppress) << c.yes << " " << c.repeatCount << " " << c.type;
  }
}

TEST(AlertRules, LocationSentenceAndLabelByType) {
  // clang-format off
  const struct {
    int type, sentence;
    const char* label;
  } cases[] = {
      {1, 765, ""},   {11, 765, ""},  {21, 765, ""},  {4, 765, ""},
      {2, 766, ""},   {3, 766, ""},   {5, 766, ""},   {6, 766, ""},
      {12, 766, ""},  {16, 766, ""},  {22, 766, ""},  {26, 766, ""},
      {100, 767, ""}, {101, 767, ""}, {200, 768, ""},
      {250, 765, "WinLogon:UserInit"}, {251, 765, "WinLogon:Shell"},
      {252, 765, "ObjectDelayLoad"},   {253, 765, "SharedTaskScheduler"},
      {254, 765, ""}, {255, 765, "AppInit_DLLs"}, {256, 765, ""},
  };
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(StartupLocationSentenceId(c.type), c.sentence) << c.type;
    EXPECT_EQ(StartupLocationLabel(c.type), c.label) << c.type;
  }
}

}  // namespace
}  // namespace obrivo::core
