// The diagnostic trace's lines: the key reads back as the tick and the count, the value keeps
// the category and text whole after its time, and the elapsed-time line is never negative, its
// stars at most 16, also across the tick counter's wrap.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/trace_format.h"
#include "fuzz_input.h"

using namespace obrivo::core;

namespace {

bool ReadInt(std::string_view text, std::int64_t& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const obrivo::fuzz::Fields in(data, size);

  const auto tick = static_cast<std::uint32_t>(in.Number(0));
  const int count = in.Number(1);
  const std::string key = TraceKey(tick, count);
  const std::size_t dot = key.find('.');
  FUZZ_CHECK(dot != std::string::npos);
  std::int64_t readTick = 0, readCount = 0;
  FUZZ_CHECK(ReadInt(std::string_view(key).substr(0, dot), readTick));
  FUZZ_CHECK(ReadInt(std::string_view(key).substr(dot + 1), readCount));
  FUZZ_CHECK(static_cast<std::uint32_t>(readTick) == tick && readCount == count);

  DateTime now;
  now.month = in.Number(2);
  now.day = in.Number(3);
  now.hour = in.Number(4);
  now.minute = in.Number(5);
  now.second = in.Number(6);
  const std::string_view category = in.Text(7), text = in.Text(8);
  const std::string value = TraceValue(now, category, text);
  const std::string tail = " " + std::string(category) + ": " + std::string(text);
  FUZZ_CHECK(value.size() >= tail.size() && value.substr(value.size() - tail.size()) == tail);
  const bool clock = now.month >= 1 && now.month <= 12 && now.day >= 1 && now.day <= 31 &&
                     now.hour >= 0 && now.hour <= 23 && now.minute >= 0 && now.minute <= 59 &&
                     now.second >= 0 && now.second <= 59;
  if (clock) {
    // "MM-DD  hh:mm:ss ": a fixed width before the category.
    FUZZ_CHECK(value.size() == 16 + tail.size() - 1);
    for (const std::size_t i : {0, 1, 3, 4, 7, 8, 10, 11, 13, 14}) FUZZ_CHECK(IsDigit(value[i]));
  }

  const auto nowTick = static_cast<std::uint32_t>(in.Number(9));
  const auto lastTick = static_cast<std::uint32_t>(in.Number(10));
  const bool alertShown = in.Flag(11);
  const std::string_view lastText = in.Text(12);
  const TraceElapsed elapsed = TraceElapsedValue(nowTick, lastTick, alertShown, lastText);
  FUZZ_CHECK(elapsed.value >= 0);
  if (alertShown) FUZZ_CHECK(elapsed.value == 1);
  const std::string start = "**:**:** NanoCycles: " + std::string(lastText) + " = ";
  FUZZ_CHECK(elapsed.line.substr(0, start.size()) == start);
  std::string_view rest = std::string_view(elapsed.line).substr(start.size());
  std::int64_t shown = -1;
  const std::size_t blank = rest.find(' ');
  FUZZ_CHECK(blank != std::string_view::npos && ReadInt(rest.substr(0, blank), shown));
  FUZZ_CHECK(shown == elapsed.value);
  rest.remove_prefix(blank + 1);
  const std::size_t stars = rest.empty() ? 0 : rest.size() - 1;
  FUZZ_CHECK(rest.empty() || (rest[0] == '\t' && rest.find_first_not_of('*', 1) == std::string_view::npos));
  FUZZ_CHECK(stars <= 16);
  FUZZ_CHECK(static_cast<int>(stars) == std::min(elapsed.value / 1000, 16));
  return 0;
}
