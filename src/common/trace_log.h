// The diagnostic trace files of both programs (send2tv.txt, sendex2tv.txt): INI format, section
// "Trace", written only when the Debug option was set at start. Failures that the programs
// otherwise pass over in silence (a registry value that could not be written) are reported to
// the trace through the diagnostic hook.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/trace_format.h"

namespace obrivo::common {

struct TraceLog {
  std::string traceFile;  // empty: nowhere to write
  int traceCount = core::kTraceOff;
  std::string lastTraceText;
  std::uint32_t lastTraceTick = 0;
};

// Tracing starts when `on`; the count then limits the run to 9001 lines.
void StartTraceLog(TraceLog& log, std::string file, bool on);
// One line "category: text"; false when nothing was written.
bool WriteTraceLine(TraceLog& log, std::string_view category, std::string_view text);
// The time since the last line; `alertShown` shortens it to 1 and is cleared.
bool WriteTraceElapsed(TraceLog& log, bool& alertShown);

// Where silent failures go: each program points it at its own trace.
using DiagnosticHook = std::function<void(std::string_view category, std::string_view text)>;
void SetDiagnosticHook(DiagnosticHook hook);
void ReportDiagnostic(std::string_view category, std::string_view text);

}  // namespace obrivo::common
