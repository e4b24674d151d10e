// The Monitor's diagnostic trace: send2tv.txt in its folder, written only when the Debug option
// was set at start, at most 9001 lines per run.
#pragma once

#include <string_view>

namespace obrivo::monitor {

// Starts tracing when the Debug option is set (after the store's initialisation).
void InitTrace(bool debugOn);
// One line "category: text"; returns false when nothing was written.
bool Trace(std::string_view category, std::string_view text);
// The time since the last line, as a line of its own.
bool TraceElapsed();

}  // namespace obrivo::monitor
