#include "core/delayed_start.h"

#include <algorithm>
#include <charconv>

namespace obrivo::core {

int StoredDelaySeconds(std::string_view text) {
  int seconds = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, seconds);
  if (error != std::errc() || stop != end || seconds <= 0) return kDelayStepSeconds;
  return seconds;
}

int DueStep(int seconds) {
  if (seconds <= kDelayStepSeconds) return 1;
  return seconds / kDelayStepSeconds + (seconds % kDelayStepSeconds != 0 ? 1 : 0);
}

DelayLauncher::DelayLauncher(std::vector<int> dueSteps) : dueSteps_(std::move(dueSteps)) {}

std::vector<std::size_t> DelayLauncher::Tick() {
  std::vector<std::size_t> due;
  if (Finished()) return due;
  if (++ticks_ < kLauncherStepTicks) return due;
  ticks_ = 0;
  ++step_;
  for (std::size_t i = 0; i < dueSteps_.size(); ++i)
    if (std::max(dueSteps_[i], 1) == step_) due.push_back(i);
  handled_ += due.size();
  return due;
}

std::string DelayTimeText(int seconds, std::string_view minutesWord, std::string_view secondsWord) {
  seconds = std::max(seconds, 0);
  std::string text;
  if (seconds >= 60) {
    text = std::to_string(seconds / 60) + " ";
    text += minutesWord;
    text += " : ";
  }
  text += std::to_string(seconds % 60) + " ";
  text += secondsWord;
  return text;
}

DelayPreset PresetForDelay(int seconds) {
  seconds = std::max(seconds, 0);
  DelayPreset preset;
  preset.minutes = std::min(seconds / 60, kLongestDelayMinutes);
  preset.secondsIndex = (seconds % 60) / 10;
  return preset;
}

int DelayForPreset(const DelayPreset& preset) {
  return std::clamp(preset.minutes, 0, kLongestDelayMinutes) * 60 +
         std::clamp(preset.secondsIndex, 0, 5) * kDelayStepSeconds;
}

int ShowCommandForOpenAs(std::string_view text) {
  if (text == "1") return kShowMinimized;
  if (text == "2") return kShowMaximized;
  return kShowNormal;
}

}  // namespace obrivo::core
