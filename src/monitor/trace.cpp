// The Monitor's diagnostic trace.
#include "monitor/trace.h"

#include <windows.h>

#include "common/win32/wide.h"
#include "core/trace_format.h"
#include "monitor/monitor_state.h"

namespace obrivo::monitor {
namespace {

bool WriteLine(const std::string& key, const std::string& value) {
  const MonitorState& s = State();
  if (s.traceFile.empty()) return false;
  return ::WritePrivateProfileStringW(L"Trace", win32::Wide(key).c_str(),
                                      win32::Wide(value).c_str(),
                                      win32::Wide(s.traceFile).c_str()) != FALSE;
}

}  // namespace

void InitTrace(bool debugOn) { State().traceCount = debugOn ? 0 : core::kTraceOff; }

bool Trace(std::string_view category, std::string_view text) {
  MonitorState& s = State();
  if (s.traceCount > core::kTraceLineLimit) return false;
  s.lastTraceTick = ::GetTickCount();
  s.lastTraceText = std::string(text);
  ++s.traceCount;
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  const core::DateTime t{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
  return WriteLine(core::TraceKey(s.lastTraceTick, s.traceCount),
                   core::TraceValue(t, category, text));
}

bool TraceElapsed() {
  MonitorState& s = State();
  if (s.traceCount > core::kTraceLineLimit) return false;
  const std::uint32_t now = ::GetTickCount();
  const auto e = core::TraceElapsedValue(now, s.lastTraceTick, s.alertShown, s.lastTraceText);
  s.alertShown = false;
  ++s.traceCount;
  return WriteLine(core::TraceKey(now, s.traceCount), e.line);
}

}  // namespace obrivo::monitor
