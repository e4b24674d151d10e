// The delayed-start launcher's schedule over ticks and delays, and the stored delay's reading,
// display and presets.
#include "core/delayed_start.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace obrivo::core {
namespace {

TEST(DelayedStart, StoredDelayTexts) {
  const struct {
    const char* text;
    int seconds;
  } cases[] = {
      {"30", 30},  {"10", 10},
      {"7", 7},    {"86400", 86400},
      {"95", 95},  {"", 10},
      {"abc", 10}, {"-5", 10},
      {"0", 10},   {"7x", 10},
      {" 30", 10}, {"99999999999999", 10},  // out of range: not a number the launcher can wait for
  };
  for (const auto& c : cases) EXPECT_EQ(StoredDelaySeconds(c.text), c.seconds) << c.text;
}

TEST(DelayedStart, EachDelayIsDueAtTheFirstStepAtOrAfterIt) {
  const struct {
    int seconds, step;
  } cases[] = {{1, 1},  {7, 1},  {10, 1},  {11, 2},      {20, 2},
               {30, 3}, {60, 6}, {95, 10}, {86400, 8640}};
  for (const auto& c : cases) EXPECT_EQ(DueStep(c.seconds), c.step) << c.seconds;
}

// Runs the launcher for `ticks` ticks over entries of the given delays; the tick (counted from
// 1) on which each entry was started.
std::map<std::size_t, int> StartTicks(const std::vector<int>& delays, int ticks,
                                      DelayLauncher* launcherOut = nullptr) {
  std::vector<int> steps;
  for (int d : delays) steps.push_back(DueStep(d));
  DelayLauncher launcher(steps);
  std::map<std::size_t, int> started;
  for (int tick = 1; tick <= ticks; ++tick)
    for (std::size_t index : launcher.Tick()) {
      EXPECT_FALSE(started.count(index)) << "entry " << index << " started twice";
      started[index] = tick;
    }
  if (launcherOut) *launcherOut = launcher;
  return started;
}

TEST(DelayedStart, TheLauncherStartsEachEntryOnceAtItsStep) {
  // Delay 10 on the 6th tick, 60 on the 36th; 7 (not a multiple of 10) with the 10s, 95 with
  // the 100s; two entries of one delay in the same step, in the order they were listed.
  DelayLauncher launcher;
  const auto started = StartTicks({10, 60, 7, 95, 10, 30}, 200, &launcher);
  EXPECT_EQ(started,
            (std::map<std::size_t, int>{{0, 6}, {1, 36}, {2, 6}, {3, 60}, {4, 6}, {5, 18}}));
  EXPECT_TRUE(launcher.Finished());
  EXPECT_EQ(launcher.step(), 10) << "no step after the last entry";
}

TEST(DelayedStart, NothingBeforeTheSixthTickAndNothingOnceFinished) {
  DelayLauncher launcher({1});
  for (int tick = 1; tick < kLauncherStepTicks; ++tick) EXPECT_TRUE(launcher.Tick().empty());
  EXPECT_EQ(launcher.Tick(), std::vector<std::size_t>{0});
  EXPECT_TRUE(launcher.Finished());
  for (int tick = 0; tick < 100; ++tick) EXPECT_TRUE(launcher.Tick().empty());
  EXPECT_EQ(launcher.step(), 1);

  DelayLauncher empty;
  EXPECT_TRUE(empty.Finished());
  EXPECT_TRUE(empty.Tick().empty());
  EXPECT_EQ(empty.step(), 0);
}

TEST(DelayedStart, DelayTimeColumn) {
  const struct {
    int seconds;
    const char* text;
  } cases[] = {{0, "0 Sec."},           {45, "45 Sec."},          {59, "59 Sec."},
               {60, "1 Min. : 0 Sec."}, {95, "1 Min. : 35 Sec."}, {3650, "60 Min. : 50 Sec."},
               {-5, "0 Sec."}};
  for (const auto& c : cases) EXPECT_EQ(DelayTimeText(c.seconds, "Min.", "Sec."), c.text);
}

TEST(DelayedStart, OptionsPresetsAndTheDelayTheyMake) {
  const struct {
    int seconds, minutes, index, applied;
  } cases[] = {{95, 1, 3, 90},      {30, 0, 3, 30},       {0, 0, 0, 0},
               {3650, 60, 5, 3650}, {86400, 60, 0, 3600}, {7, 0, 0, 0}};
  for (const auto& c : cases) {
    const DelayPreset preset = PresetForDelay(c.seconds);
    EXPECT_EQ(preset.minutes, c.minutes) << c.seconds;
    EXPECT_EQ(preset.secondsIndex, c.index) << c.seconds;
    EXPECT_EQ(DelayForPreset(preset), c.applied) << c.seconds;
  }
  EXPECT_EQ(DelayForPreset({99, 9}), 3650) << "out-of-range choices are held to the lists";
}

TEST(DelayedStart, WindowModeByOpenAs) {
  const struct {
    const char* text;
    int show;
  } cases[] = {{"0", kShowNormal}, {"1", kShowMinimized}, {"2", kShowMaximized},
               {"7", kShowNormal}, {"", kShowNormal},     {"-1", kShowNormal}};
  for (const auto& c : cases) EXPECT_EQ(ShowCommandForOpenAs(c.text), c.show) << c.text;
}

}  // namespace
}  // namespace obrivo::core
