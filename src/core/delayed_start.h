// The delayed-start list's platform-free rules: which launcher step starts an entry, how a stored
// delay is read and shown, how the options dialog presets it, and the window mode a started
// program gets.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace obrivo::core {

// The launcher takes a step every 6 timer ticks (12 seconds), each step 10 seconds of delay
// further on: step n starts what is due by n × 10 seconds.
inline constexpr int kLauncherStepTicks = 6;
inline constexpr int kDelayStepSeconds = 10;
// The delay of a program that joins the list.
inline constexpr int kNewDelaySeconds = 30;
// The options dialog offers 0 to 60 minutes and seconds in tens.
inline constexpr int kLongestDelayMinutes = 60;

// The delay a stored Delay\Time text asks for, in seconds. Anything but a positive decimal
// number ("", "abc", "-5", "0", "7x") asks for the shortest delay, so the program still starts.
int StoredDelaySeconds(std::string_view text);

// The launcher step that starts an entry of `seconds` delay: the first at or after it (a delay
// that is not a multiple of 10 is not skipped; the shortest delay is step 1).
int DueStep(int seconds);

// The launcher's clock over one run of the Monitor. Made at start-up from the due step of every
// entry in the list; each entry comes due exactly once, and once all have, no step runs again.
class DelayLauncher {
 public:
  explicit DelayLauncher(std::vector<int> dueSteps = {});

  // One timer tick: the indices (into the steps given) of the entries to start now, in the
  // order given. Empty between steps and once finished.
  std::vector<std::size_t> Tick();
  bool Finished() const { return handled_ == dueSteps_.size(); }
  int step() const { return step_; }

 private:
  std::vector<int> dueSteps_;
  std::size_t handled_ = 0;
  int ticks_ = 0;  // ticks since the last step
  int step_ = 0;   // steps taken
};

// The Delay Time column: "45 Sec." under a minute, "1 Min. : 35 Sec." from a minute on.
std::string DelayTimeText(int seconds, std::string_view minutesWord, std::string_view secondsWord);

// The options dialog's lists preset from a delay, and the delay they make.
struct DelayPreset {
  int minutes = 0;       // 0 to 60
  int secondsIndex = 0;  // 0 to 5: "0", "10" ... "50"
};
DelayPreset PresetForDelay(int seconds);
int DelayForPreset(const DelayPreset& preset);

// The show command (SW_*) for a stored Delay\OpenAs text: "0" normal, "1" minimised,
// "2" maximised; anything else normal.
inline constexpr int kShowNormal = 1;     // SW_SHOWNORMAL
inline constexpr int kShowMinimized = 6;  // SW_MINIMIZE
inline constexpr int kShowMaximized = 3;  // SW_SHOWMAXIMIZED
int ShowCommandForOpenAs(std::string_view text);

}  // namespace obrivo::core
