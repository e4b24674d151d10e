// What the benchmarks share: clocks (wall, this process's CPU, another process's CPU, the Wine
// server's CPU), summaries of a series of samples, the programs copied to a folder of their own
// with a first-run store, and the figures printed one per line.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "test_process.h"

namespace obrivo::bench {

// Seconds since an arbitrary start, from the performance counter.
double WallSeconds();

// User plus kernel time of a process in seconds; a negative value when it cannot be read.
double ProcessCpuSeconds(HANDLE process);
double OwnCpuSeconds();

// User plus system time of the Wine server (run.sh passes its host pid and the kernel's clock
// tick in BENCH_WINESERVER_PID and BENCH_CLK_TCK): under Wine every registry call is served by
// that process, so a registry-bound figure that leaves it out only shows the caller's half.
// Negative when unknown.
double WineServerCpuSeconds();

// A Wine program's host process, found by the program file its command line starts with (Wine's
// GetProcessTimes leaves out the time of another process's running threads, so its CPU is read
// where the host kernel counts it). Empty when not found.
std::wstring HostPidOf(const std::wstring& programPath);
// User plus system time of a host process ("self": this one) in seconds; negative when unknown.
double HostCpuSeconds(const std::wstring& pid);
// The host kernel's resident set and its peak (VmRSS, VmHWM) in bytes; 0 when unknown.
struct HostMemory {
  double resident = 0, peak = 0;
};
HostMemory HostMemoryOf(const std::wstring& pid);

// The clocks read at one instant; differences give a measured interval.
struct Clocks {
  double wall = 0, ownCpu = 0, serverCpu = 0;
  static Clocks Now();
  Clocks operator-(const Clocks& start) const;
};

// Median and the nearest-rank 95th percentile of a series.
struct Summary {
  std::size_t count = 0;
  double median = 0, p95 = 0, min = 0, max = 0, mean = 0;
};
Summary Summarise(std::vector<double> samples);

// A figure printed as "name: text" on stdout (run.sh keeps stdout as the results file); progress
// goes to stderr.
void Figure(const std::string& name, const std::string& text);
void Progress(const std::string& text);
std::string Fixed(double value, int decimals);

// Integer option from the command line: "--name value"; `fallback` when absent.
int IntArgument(int argc, wchar_t** argv, const wchar_t* name, int fallback);

// The built programs copied into C:\obrivo-bench\<name> (the Monitor and the Explorer keep their
// history beside themselves, so a benchmark never shares a folder with the tests), plus
// agent.exe, a real program for startup entries to name. The store is reset to a first run
// before and after.
class ProgramFolder {
 public:
  explicit ProgramFolder(const std::wstring& name);
  ~ProgramFolder();
  ProgramFolder(const ProgramFolder&) = delete;
  ProgramFolder& operator=(const ProgramFolder&) = delete;

  bool ready() const { return ready_; }
  const std::wstring& path() const { return path_; }
  std::wstring Program(const wchar_t* file) const { return path_ + L"\\" + file; }
  // The helper that stays alive with "wait" (built beside the programs).
  const std::wstring& helper() const { return helper_; }

  static void ResetStore();
  static bool SetOption(const wchar_t* name, const wchar_t* value);

 private:
  std::wstring path_, helper_;
  bool ready_ = false;
};

// The Monitor started from `folder`, once its window exists and it has handled its first
// command; nullptr when it did not come up within 30 s.
HWND StartMonitor(const ProgramFolder& folder, test::Process& process);

// Writes or deletes string values of the user's Run key.
bool SetUserRunValue(const std::wstring& name, const std::wstring& data);
bool UserRunValueExists(const std::wstring& name);
void DeleteUserRunValue(const std::wstring& name);

}  // namespace obrivo::bench
