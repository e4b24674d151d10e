// The diagnostic trace files of both programs.
#include "common/trace_log.h"

#include <windows.h>

#include <utility>

#include "common/win32/wide.h"

namespace obrivo::common {
namespace {

bool WriteLine(const TraceLog& log, const std::string& key, const std::string& value) {
  if (log.traceFile.empty()) return false;
  return ::WritePrivateProfileStringW(L"Trace", win32::Wide(key).c_str(),
                                      win32::Wide(value).c_str(),
                                      win32::Wide(log.traceFile).c_str()) != FALSE;
}

DiagnosticHook& Hook() {
  static DiagnosticHook hook;
  return hook;
}

}  // namespace

void StartTraceLog(TraceLog& log, std::string file, bool on) {
  log.traceFile = std::move(file);
  log.traceCount = on ? 0 : core::kTraceOff;
}

bool WriteTraceLine(TraceLog& log, std::string_view category, std::string_view text) {
  if (log.traceCount > core::kTraceLineLimit) return false;
  log.lastTraceTick = ::GetTickCount();
  log.lastTraceText = std::string(text);
  ++log.traceCount;
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  const core::DateTime t{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
  return WriteLine(log, core::TraceKey(log.lastTraceTick, log.traceCount),
                   core::TraceValue(t, category, text));
}

bool WriteTraceElapsed(TraceLog& log, bool& alertShown) {
  if (log.traceCount > core::kTraceLineLimit) return false;
  const std::uint32_t now = ::GetTickCount();
  const auto e = core::TraceElapsedValue(now, log.lastTraceTick, alertShown, log.lastTraceText);
  alertShown = false;
  ++log.traceCount;
  return WriteLine(log, core::TraceKey(now, log.traceCount), e.line);
}

void SetDiagnosticHook(DiagnosticHook hook) { Hook() = std::move(hook); }

void ReportDiagnostic(std::string_view category, std::string_view text) {
  if (Hook()) Hook()(category, text);
}

}  // namespace obrivo::common
