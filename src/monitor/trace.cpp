// The Monitor's diagnostic trace.
#include "monitor/trace.h"

#include "common/app.h"
#include "common/data_folder.h"
#include "common/utilities.h"
#include "monitor/monitor_state.h"

namespace obrivo::monitor {

void InitTrace(bool debugOn) {
  common::StartTraceLog(State().trace, common::DataPath("send2tv.txt"), debugOn);
  if (debugOn)
    common::SetDiagnosticHook(
        [](std::string_view category, std::string_view text) { Trace(category, text); });
}

bool Trace(std::string_view category, std::string_view text) {
  return common::WriteTraceLine(State().trace, category, text);
}

bool TraceElapsed() { return common::WriteTraceElapsed(State().trace, State().alertShown); }

}  // namespace obrivo::monitor
