// Trace line formats.
#include "trace_format.h"

#include <algorithm>
#include <cstdio>

namespace obrivo::core {

std::string TraceKey(std::uint32_t tick, int count) {
  return std::to_string(static_cast<std::int32_t>(tick)) + "." + std::to_string(count);
}

std::string TraceValue(const DateTime& now, std::string_view category, std::string_view text) {
  char time[40];
  std::snprintf(time, sizeof time, "%02d-%02d  %02d:%02d:%02d", now.month, now.day, now.hour,
                now.minute, now.second);
  std::string out(time);
  out += ' ';
  out += category;
  out += ": ";
  out += text;
  return out;
}

TraceElapsed TraceElapsedValue(std::uint32_t now, std::uint32_t lastTick, bool alertShown,
                               std::string_view lastText) {
  TraceElapsed e;
  // Unsigned difference: correct across the 49-day wrap of the tick counter.
  e.value = alertShown ? 1 : static_cast<int>((now - lastTick) / 2);
  const int stars = std::min(e.value / 1000, 16);
  std::string marker;
  if (stars > 0) marker = "\t" + std::string(static_cast<std::size_t>(stars), '*');
  e.line = "**:**:** NanoCycles: ";
  e.line += lastText;
  e.line += " = " + std::to_string(e.value) + " " + marker;
  return e;
}

}  // namespace obrivo::core
