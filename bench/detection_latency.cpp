// How long a new Run entry lives with the Monitor set to remove new startup programs without a
// window: from just before reg.exe adds the value to when the value is seen gone.
//
// Two series against one Monitor:
//  - "nudged": after each add the bench starts or ends a program of its own and posts the
//    notifier's message itself, as the end-to-end tests do. This is not the product alone.
//  - "as shipped": nothing but reg.exe. A removal is itself a change the notifier reports, so
//    it brings one more patrol forward; an add made before that patrol would be found by it and
//    look faster than any add the Monitor did not see coming. Each round therefore first waits
//    out the longest latency seen so far (at least the spacing of passes), then a random time
//    within one period of the timer, so that the adds fall at random points of the timer.
//  - "notifier off": the same against a Monitor whose Quenrax.dll is one that never reports
//    (bench/quenrax_silent.cpp), so that only the timed patrol, the safety net, finds the value.
#include <windows.h>

#include <algorithm>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"

namespace obrivo::bench {
namespace {

using namespace std::chrono_literals;

constexpr UINT kNotifierMessage = 9024;
constexpr auto kPollInterval = 15ms;

class LatencyBench {
 public:
  LatencyBench(const ProgramFolder& folder, HWND monitor) : folder_(folder), monitor_(monitor) {}

  // Seconds from just before reg.exe starts to the value seen gone; negative on a timeout.
  double Round(const std::wstring& name, bool nudge, std::chrono::seconds timeout) {
    const std::wstring data = L"\\\"" + folder_.Program(L"agent.exe") + L"\\\" -" + name;
    const std::wstring arguments = L"add HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run /v " +
                                   name + L" /t REG_SZ /d \"" + data + L"\" /f";
    const double start = WallSeconds();
    test::Process reg = Quiet(L"C:\\windows\\system32\\reg.exe", arguments);
    if (!reg.started() || reg.WaitForExit() != 0) {
      Progress("reg.exe add failed");
      return -1;
    }
    auto nextNudge = std::chrono::steady_clock::now();
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (UserRunValueExists(name)) {
      const auto now = std::chrono::steady_clock::now();
      if (now > deadline) {
        DeleteUserRunValue(name);
        return -1;
      }
      if (nudge && now >= nextNudge) {
        Nudge();
        nextNudge = std::chrono::steady_clock::now() + 10s;
      }
      std::this_thread::sleep_for(kPollInterval);
    }
    return WallSeconds() - start;
  }

 private:
  // A change in the number of running programs is what brings a patrol forward after the
  // notifier's message: start or end a program, then send the message.
  void Nudge() {
    if (nudger_.started())
      nudger_ = test::Process();
    else
      nudger_ = test::Process(folder_.helper(), L"wait");
    std::this_thread::sleep_for(300ms);
    ::PostMessageW(monitor_, kNotifierMessage, 0, 0);
  }

  // reg.exe reports its success on the output it inherits, which is the figures' output:
  // started with the null device as its standard handles instead.
  static test::Process Quiet(const std::wstring& exe, const std::wstring& arguments) {
    HANDLE null = ::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE), err = ::GetStdHandle(STD_ERROR_HANDLE);
    if (null != INVALID_HANDLE_VALUE) {
      ::SetStdHandle(STD_OUTPUT_HANDLE, null);
      ::SetStdHandle(STD_ERROR_HANDLE, null);
    }
    test::Process process(exe, arguments);
    ::SetStdHandle(STD_OUTPUT_HANDLE, out);
    ::SetStdHandle(STD_ERROR_HANDLE, err);
    if (null != INVALID_HANDLE_VALUE) ::CloseHandle(null);
    return process;
  }

  const ProgramFolder& folder_;
  HWND monitor_;
  test::Process nudger_;
};

void Report(const std::string& label, const std::vector<double>& latencies, int timeouts) {
  const Summary s = Summarise(latencies);
  Figure(label, "median " + Fixed(s.median, 2) + " s, p95 " + Fixed(s.p95, 2) + " s (min " +
                    Fixed(s.min, 2) + ", max " + Fixed(s.max, 2) + ", mean " + Fixed(s.mean, 2) +
                    "; " + std::to_string(s.count) + " rounds, " + std::to_string(timeouts) +
                    " timed out)");
}

// Rounds of reg.exe alone, each after a wait that puts the add at a random point of the timer.
void ShippedSeries(LatencyBench& bench, const std::string& label, const std::wstring& prefix,
                   int rounds, double longest, int& timeouts) {
  std::mt19937 random(std::random_device{}());
  std::vector<double> latencies;
  for (int i = 1; i <= rounds; ++i) {
    const double wait =
        std::max(longest, 2.0) + std::uniform_real_distribution<double>(0, 2.0)(random);
    std::this_thread::sleep_for(std::chrono::duration<double>(wait));
    const double latency = bench.Round(prefix + std::to_wstring(i), false, 600s);
    Progress(label + " round " + std::to_string(i) + " (after " + Fixed(wait, 1) +
             " s): " + Fixed(latency, 3) + " s");
    if (latency < 0) {
      ++timeouts;
    } else {
      latencies.push_back(latency);
      longest = std::max(longest, latency);
    }
  }
  if (rounds > 0) Report("detection latency, " + label, latencies, timeouts);
}

int Run(int rounds, int nudgedRounds, int unnotifiedRounds) {
  ProgramFolder folder(L"latency");
  if (!folder.ready()) return 2;
  if (!ProgramFolder::SetOption(L"HideStartup", L"2") ||
      !ProgramFolder::SetOption(L"ShowAlerts", L"0"))
    return 2;
  test::Process monitor;
  HWND window = StartMonitor(folder, monitor);
  if (!window) {
    Progress("the Monitor did not start");
    return 2;
  }
  LatencyBench bench(folder, window);

  std::vector<double> nudged;
  int nudgedTimeouts = 0;
  double longest = 0;
  for (int i = 1; i <= nudgedRounds; ++i) {
    const double latency = bench.Round(L"BenchNudged" + std::to_wstring(i), true, 120s);
    Progress("nudged round " + std::to_string(i) + ": " + Fixed(latency, 3) + " s");
    if (latency < 0) {
      ++nudgedTimeouts;
    } else {
      nudged.push_back(latency);
      longest = std::max(longest, latency);
    }
  }
  if (nudgedRounds > 0)
    Report("detection latency, NUDGED (bench starts/ends a program and posts 9024)", nudged,
           nudgedTimeouts);

  int shippedTimeouts = 0;
  ShippedSeries(bench, "as shipped (reg.exe only)", L"BenchShipped", rounds, longest,
                shippedTimeouts);

  int unnotifiedTimeouts = 0;
  if (unnotifiedRounds > 0) {
    monitor = test::Process();
    test::KillProcessesIn(folder.path());
    // The ended Monitor's image may hold the file a moment longer.
    const std::wstring silent =
        test::HostToWine(test::EnvVar(L"OBRIVO_BIN_DIR")) + L"\\bench\\silent\\Quenrax.dll";
    if (!test::WaitUntil(
            [&] {
              return ::CopyFileW(silent.c_str(), folder.Program(L"Quenrax.dll").c_str(), FALSE) !=
                     FALSE;
            },
            30s)) {
      Progress("the silent Quenrax.dll could not be put in place");
      return 2;
    }
    window = StartMonitor(folder, monitor);
    if (!window) {
      Progress("the Monitor without its notifier did not start");
      return 2;
    }
    LatencyBench timerOnly(folder, window);
    ShippedSeries(timerOnly, "notifier off (the timed patrol alone)", L"BenchTimed",
                  unnotifiedRounds, 0, unnotifiedTimeouts);
  }
  return shippedTimeouts + nudgedTimeouts + unnotifiedTimeouts == 0 ? 0 : 1;
}

}  // namespace
}  // namespace obrivo::bench

int wmain(int argc, wchar_t** argv) {
  using obrivo::bench::IntArgument;
  return obrivo::bench::Run(IntArgument(argc, argv, L"--rounds", 30),
                            IntArgument(argc, argv, L"--nudged-rounds", 20),
                            IntArgument(argc, argv, L"--unnotified-rounds", 10));
}
