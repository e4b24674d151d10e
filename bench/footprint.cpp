// The idle Monitor at default options: its CPU time over a stretch of minutes (GetProcessTimes)
// and its peak working set (GetProcessMemoryInfo), beside a do-nothing program of the same shape
// with the same system libraries loaded, which shows what Wine itself costs.
#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"

namespace obrivo::bench {
namespace {

using namespace std::chrono_literals;

struct Watched {
  const char* label = "";
  std::wstring program;
  HANDLE handle = nullptr;
  std::wstring hostPid;
  double startCpu = 0, startHostCpu = 0;
};

HANDLE OpenForFigures(DWORD id) {
  return ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE, id);
}

PROCESS_MEMORY_COUNTERS Memory(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!::GetProcessMemoryInfo(process, &counters, sizeof counters)) counters.cb = 0;
  return counters;
}

std::string Megabytes(SIZE_T bytes) { return Fixed(static_cast<double>(bytes) / 1048576.0, 1) + " MB"; }

// The system libraries the Monitor has loaded (not the program and not its notifier), by name.
std::wstring SystemModulesOf(DWORD processId, const std::wstring& programFolder) {
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
  if (snapshot == INVALID_HANDLE_VALUE) return {};
  std::wstring folder = programFolder;
  for (wchar_t& c : folder) c = static_cast<wchar_t>(std::towlower(c));
  std::wstring names;
  MODULEENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL ok = ::Module32FirstW(snapshot, &entry); ok; ok = ::Module32NextW(snapshot, &entry)) {
    std::wstring path = entry.szExePath;
    for (wchar_t& c : path) c = static_cast<wchar_t>(std::towlower(c));
    if (path.rfind(folder, 0) == 0) continue;
    names += (names.empty() ? L"" : L" ") + std::wstring(entry.szModule);
  }
  ::CloseHandle(snapshot);
  return names;
}

int Run(int seconds) {
  ProgramFolder folder(L"footprint");
  if (!folder.ready()) return 2;
  test::Process monitor;
  if (!StartMonitor(folder, monitor)) {
    Progress("the Monitor did not start");
    return 2;
  }
  const std::wstring bin = test::HostToWine(test::EnvVar(L"OBRIVO_BIN_DIR"));
  test::Process reference(bin + L"\\bench\\obrivo_bench_idle.exe",
                          SystemModulesOf(monitor.id(), folder.path()));
  if (!reference.started() || !test::WaitForWindow(L"ObrivoBenchIdle")) {
    Progress("the reference program did not start");
    return 2;
  }
  // Both have finished starting: from here on only idle work counts.
  std::this_thread::sleep_for(5s);
  Watched watched[2];
  watched[0].label = "Monitor";
  watched[0].program = folder.Program(L"Obrivo.exe");
  watched[1].label = "reference (Wine alone)";
  watched[1].program = bin + L"\\bench\\obrivo_bench_idle.exe";
  watched[0].handle = OpenForFigures(monitor.id());
  watched[1].handle = OpenForFigures(reference.id());
  for (Watched& w : watched) {
    if (!w.handle) return 2;
    w.hostPid = HostPidOf(w.program);
    w.startCpu = ProcessCpuSeconds(w.handle);
    w.startHostCpu = HostCpuSeconds(w.hostPid);
  }
  Figure("footprint, Monitor start-up CPU (to its first command and 5 s after)",
         Fixed(watched[0].startHostCpu * 1000, 0) + " ms by the host kernel, " +
             Fixed(watched[0].startCpu * 1000, 0) + " ms by GetProcessTimes");
  const Clocks start = Clocks::Now();

  for (int elapsed = 0; elapsed < seconds; elapsed += 30) {
    std::this_thread::sleep_for(std::chrono::seconds(std::min(30, seconds - elapsed)));
    if (!monitor.Running()) {
      Progress("the Monitor ended");
      return 1;
    }
    const double wall = WallSeconds() - start.wall;
    Progress(std::to_string(static_cast<int>(wall)) + " s: Monitor " +
             Fixed((HostCpuSeconds(watched[0].hostPid) - watched[0].startHostCpu) * 1000, 0) +
             " ms CPU");
  }
  const Clocks spent = Clocks::Now() - start;
  for (const Watched& w : watched) {
    const double cpu = ProcessCpuSeconds(w.handle) - w.startCpu;
    const double hostCpu = w.startHostCpu < 0 ? -1 : HostCpuSeconds(w.hostPid) - w.startHostCpu;
    const PROCESS_MEMORY_COUNTERS memory = Memory(w.handle);
    const HostMemory host = HostMemoryOf(w.hostPid);
    const std::string prefix = std::string("footprint, ") + w.label;
    Figure(prefix + ", idle CPU over " + Fixed(spent.wall, 0) + " s at default options",
           (hostCpu < 0 ? std::string("host kernel: unknown")
                        : "host kernel " + Fixed(hostCpu * 1000, 0) + " ms = " +
                              Fixed(100 * hostCpu / spent.wall, 3) + "% of one core") +
               "; GetProcessTimes " + Fixed(cpu * 1000, 0) + " ms = " +
               Fixed(100 * cpu / spent.wall, 3) + "%");
    Figure(prefix + ", peak working set",
           (memory.cb ? "GetProcessMemoryInfo " + Megabytes(memory.PeakWorkingSetSize) + " (now " +
                            Megabytes(memory.WorkingSetSize) + ", private " +
                            Megabytes(memory.PagefileUsage) + ")"
                      : std::string("GetProcessMemoryInfo: unknown")) +
               "; host kernel peak " + Megabytes(static_cast<SIZE_T>(host.peak)) + " (now " +
               Megabytes(static_cast<SIZE_T>(host.resident)) + ")");
    ::CloseHandle(w.handle);
  }
  if (spent.serverCpu >= 0)
    Figure("footprint, Wine server CPU over the same time (every program of the session)",
           Fixed(spent.serverCpu * 1000, 0) + " ms = " +
               Fixed(100 * spent.serverCpu / spent.wall, 3) + "% of one core");
  return 0;
}

}  // namespace
}  // namespace obrivo::bench

int wmain(int argc, wchar_t** argv) {
  return obrivo::bench::Run(obrivo::bench::IntArgument(argc, argv, L"--seconds", 300));
}
