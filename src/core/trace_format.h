// Lines of the diagnostic trace files (INI format, section "Trace").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "date_text.h"

namespace obrivo::core {

// Lines are written while the count is at most this; a traced run writes at most 9001 lines.
inline constexpr int kTraceLineLimit = 9000;
// The count while tracing is off.
inline constexpr int kTraceOff = 9999;

// Key "tick.count".
std::string TraceKey(std::uint32_t tick, int count);
// Value "MM-DD  hh:mm:ss category: text".
std::string TraceValue(const DateTime& now, std::string_view category, std::string_view text);

// The elapsed-time line after `lastText`: half the milliseconds since the last line (1 when an
// alert was shown in between) and a tab followed by one star per second of that, at most 16.
struct TraceElapsed {
  int value = 0;
  std::string line;
};
TraceElapsed TraceElapsedValue(std::uint32_t now, std::uint32_t lastTick, bool alertShown,
                               std::string_view lastText);

}  // namespace obrivo::core
