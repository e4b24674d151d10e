// The delayed-start texts: a stored delay is a positive number of seconds whatever the text, the
// Delay Time column reads back as the delay, the options dialog's preset makes back the delay it
// was taken from (to the dialog's ten seconds), and the launcher starts every entry exactly once.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/delayed_start.h"
#include "core/text.h"
#include "fuzz_input.h"

using namespace obrivo::core;

namespace {

// Decimal digits only, and what they make while they fit an int.
bool PositiveDecimal(std::string_view text, int& value) {
  if (text.empty()) return false;
  std::int64_t v = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
    if (v > INT32_MAX) return false;
  }
  value = static_cast<int>(v);
  return v > 0;
}

void CheckStoredDelay(std::string_view text) {
  const int seconds = StoredDelaySeconds(text);
  int expected = 0;
  FUZZ_CHECK(seconds == (PositiveDecimal(text, expected) ? expected : kDelayStepSeconds));
  FUZZ_CHECK(seconds > 0);
  FUZZ_CHECK(StoredDelaySeconds(std::to_string(seconds)) == seconds);
}

void CheckDelayText(int seconds, std::string_view minutesWord, std::string_view secondsWord) {
  const std::string text = DelayTimeText(seconds, minutesWord, secondsWord);
  const int delay = std::max(seconds, 0);
  // "<minutes> <word> : " from a minute on, then "<seconds> <word>".
  std::string_view rest = text;
  int minutes = 0;
  if (delay >= 60) {
    minutes = LeadingNumber(rest);
    const std::string middle = std::to_string(minutes) + " " + std::string(minutesWord) + " : ";
    FUZZ_CHECK(rest.substr(0, middle.size()) == middle);
    rest.remove_prefix(middle.size());
  }
  const int secs = LeadingNumber(rest);
  FUZZ_CHECK(rest == std::to_string(secs) + " " + std::string(secondsWord));
  FUZZ_CHECK(secs >= 0 && secs < 60);
  FUZZ_CHECK(static_cast<std::int64_t>(minutes) * 60 + secs == delay);
}

bool InLists(const DelayPreset& p) {
  return p.minutes >= 0 && p.minutes <= kLongestDelayMinutes && p.secondsIndex >= 0 &&
         p.secondsIndex <= 5;
}

void CheckPreset(int seconds, DelayPreset chosen) {
  const DelayPreset preset = PresetForDelay(seconds);
  FUZZ_CHECK(InLists(preset));
  const int applied = DelayForPreset(preset);
  FUZZ_CHECK(applied >= 0 && applied % kDelayStepSeconds == 0);
  FUZZ_CHECK(applied <= kLongestDelayMinutes * 60 + 5 * kDelayStepSeconds);
  const int delay = std::max(seconds, 0);
  if (delay < (kLongestDelayMinutes + 1) * 60) FUZZ_CHECK(applied == delay - delay % kDelayStepSeconds);
  const DelayPreset again = PresetForDelay(applied);
  FUZZ_CHECK(again.minutes == preset.minutes && again.secondsIndex == preset.secondsIndex);

  // Any choice, even one outside the lists, makes a delay that presets the lists to it.
  const int made = DelayForPreset(chosen);
  const DelayPreset shown = PresetForDelay(made);
  FUZZ_CHECK(InLists(shown));
  FUZZ_CHECK(DelayForPreset(shown) == made);
  if (InLists(chosen)) FUZZ_CHECK(shown.minutes == chosen.minutes && shown.secondsIndex == chosen.secondsIndex);
}

void CheckLauncher(const std::vector<int>& delays) {
  std::vector<int> steps;
  for (const int d : delays) {
    const int step = DueStep(d);
    FUZZ_CHECK(step >= 1);
    // The first step at or after the delay.
    if (d > kDelayStepSeconds) {
      FUZZ_CHECK(static_cast<std::int64_t>(step) * kDelayStepSeconds >= d);
      FUZZ_CHECK(static_cast<std::int64_t>(step - 1) * kDelayStepSeconds < d);
    } else {
      FUZZ_CHECK(step == 1);
    }
    steps.push_back(step);
  }
  DelayLauncher launcher(steps);
  std::vector<int> startedAt(steps.size(), 0);
  const int last = steps.empty() ? 0 : *std::max_element(steps.begin(), steps.end());
  for (int tick = 1; tick <= (last + 2) * kLauncherStepTicks; ++tick) {
    for (const std::size_t i : launcher.Tick()) {
      FUZZ_CHECK(i < steps.size() && startedAt[i] == 0);
      startedAt[i] = tick;
    }
  }
  FUZZ_CHECK(launcher.Finished());
  for (std::size_t i = 0; i < steps.size(); ++i)
    FUZZ_CHECK(startedAt[i] == steps[i] * kLauncherStepTicks);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const obrivo::fuzz::Fields in(data, size);
  CheckStoredDelay(in.Text(0));
  const int seconds = in.Number(1);
  CheckDelayText(seconds, in.Text(2), in.Text(3));
  CheckPreset(seconds, DelayPreset{in.Number(4), in.Number(5)});

  const int open = ShowCommandForOpenAs(in.Text(6));
  FUZZ_CHECK(open == kShowNormal || open == kShowMinimized || open == kShowMaximized);

  // A few entries with delays up to ten minutes, so the run stays short.
  std::vector<int> delays;
  for (std::size_t i = 7; i < 7 + 8 && !in.Text(i).empty(); ++i)
    delays.push_back(in.NumberIn(i, -20, 600));
  CheckLauncher(delays);
  return 0;
}
