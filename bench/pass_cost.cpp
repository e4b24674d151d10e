// The CPU cost of the Monitor's startup check over 1000 Run values, against merely enumerating
// the same keys with RegEnumValueW, in one process whose registry is redirected to scratch keys.
//
// Under Wine each registry call is a request to the Wine server, which does the work in its own
// process: CPU is counted as this process's plus the server's (run.sh gives its pid), and wall
// time is shown beside it.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "common/app.h"
#include "common/first_detected.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/wide.h"
#include "core/capacity.h"
#include "core/startup_codes.h"
#include "core/text.h"
#include "registry_sandbox.h"
#include "startup/startup_check.h"
#include "startup/startup_locations.h"

namespace obrivo::bench {
namespace {

constexpr int kValues = 1000;

// Mean cost of one call of `operation` over enough calls for the clocks' resolution (the
// server's CPU counts in 10 ms ticks): at least `minCalls` and `minSeconds` of wall time.
// `prepare` runs before each call, outside the measurement.
struct Cost {
  double wall = 0, ownCpu = 0, serverCpu = 0;
  int calls = 0;
  double Cpu() const { return ownCpu + (serverCpu > 0 ? serverCpu : 0); }
};

Cost Measure(const std::function<void()>& prepare, const std::function<void()>& operation,
             int minCalls = 5, double minSeconds = 3) {
  Cost total;
  bool serverKnown = true;
  while (total.calls < minCalls || total.wall < minSeconds) {
    if (prepare) prepare();
    const Clocks start = Clocks::Now();
    operation();
    const Clocks spent = Clocks::Now() - start;
    total.wall += spent.wall;
    total.ownCpu += spent.ownCpu;
    if (spent.serverCpu < 0) serverKnown = false; else total.serverCpu += spent.serverCpu;
    ++total.calls;
  }
  const double n = total.calls;
  return Cost{total.wall / n, total.ownCpu / n, serverKnown ? total.serverCpu / n : -1,
              total.calls};
}

std::string Millis(double seconds) { return Fixed(seconds * 1000, 2) + " ms"; }

void Report(const std::string& name, const Cost& cost, const Cost* reference) {
  std::string text = "CPU " + Millis(cost.Cpu()) + " (own " + Millis(cost.ownCpu) +
                     ", Wine server " +
                     (cost.serverCpu < 0 ? std::string("unknown") : Millis(cost.serverCpu)) +
                     "), wall " + Millis(cost.wall) + ", " + std::to_string(cost.calls) + " calls";
  if (reference && reference->Cpu() > 0)
    text += "; " + Fixed(cost.Cpu() / reference->Cpu(), 1) + "x the enumeration's CPU, " +
            Fixed(cost.wall / reference->wall, 1) + "x its wall time";
  Figure(name, text);
}

// What the baseline lookups cost without the rest: RegEnumValueW over every Run key the startup
// enumerator reads, names and data into buffers large enough for any value.
std::size_t EnumerateRunKeys() {
  std::vector<wchar_t> name(16384);
  std::vector<BYTE> data(65536);
  std::size_t values = 0;
  for (const int base : {0, 10, 20}) {
    const HKEY hive = base == 10 ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    for (int index = 0; index < core::kRunKeyCount; ++index) {
      const std::wstring path = win32::Wide(core::RunKeyPath(base + index));
      HKEY key = nullptr;
      if (::RegOpenKeyExW(hive, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
      for (DWORD i = 0;; ++i) {
        DWORD nameChars = static_cast<DWORD>(name.size()), dataBytes = static_cast<DWORD>(data.size()),
              type = 0;
        if (::RegEnumValueW(key, i, name.data(), &nameChars, nullptr, &type, data.data(),
                            &dataBytes) != ERROR_SUCCESS)
          break;
        ++values;
      }
      ::RegCloseKey(key);
    }
  }
  return values;
}

class PassBench {
 public:
  PassBench() {
    common::InitApp(core::Program::Monitor, ::GetModuleHandleW(nullptr));
    common::App().languageId = 9;
    common::App().wow64Keys = true;  // the sandbox has the 32-bit view's Run key
    agent_ = common::ProgramFolder() + "\\agent.exe";
    const std::wstring helper =
        test::HostToWine(test::EnvVar(L"OBRIVO_BIN_DIR")) + L"\\obrivo_test_helper.exe";
    ready_ = ::CopyFileW(helper.c_str(), win32::Wide(agent_).c_str(), FALSE) != 0;
    hooks_.askNewEntry = [this](const core::Item&) {
      ++asked_;
      return 6;
    };
  }
  ~PassBench() { ::DeleteFileW(win32::Wide(agent_).c_str()); }

  bool ready() const { return ready_; }

  int Run() {
    // What every pass costs whatever the number of entries: the Startup folders, win.ini,
    // Winlogon and the advanced locations.
    const Cost emptyEnum = Measure(nullptr, [] { EnumerateRunKeys(); });
    const Cost emptyStartup = Measure(nullptr, [] { startup::EnumStartup(false); });
    Report("pass cost, no Run values: RegEnumValueW of the Run keys", emptyEnum, nullptr);
    Report("pass cost, no Run values: EnumStartup", emptyStartup, nullptr);

    for (int i = 0; i < kValues; ++i)
      if (!common::WriteStoreString(HKEY_CURRENT_USER, core::RunKeyPath(11), ValueName(i),
                                    "\"" + agent_ + "\" -instance " + std::to_string(i)))
        return 2;
    if (EnumerateRunKeys() != kValues || startup::EnumStartup(false) != kValues) {
      Progress("the 1000 values are not all listed");
      return 2;
    }

    const Cost enumeration = Measure(nullptr, [] { EnumerateRunKeys(); });
    Report("pass cost, 1000 Run values: RegEnumValueW of the Run keys (reference)", enumeration,
           nullptr);
    const Cost listing = Measure(nullptr, [] { startup::EnumStartup(false); });
    Report("pass cost, 1000 Run values: EnumStartup alone", listing, &enumeration);

    Breakdown(enumeration);

    // The first pass that sees all of them: each new entry asked about and accepted.
    int firstAsked = 0;
    const Cost first = Measure(
        [this] {
          ForgetBaseline();
          asked_ = 0;
        },
        [this, &firstAsked] {
          startup::CheckStartup(hooks_);
          firstAsked = asked_;
        },
        3, 0);
    Report("pass cost, 1000 Run values: CheckStartup answering Yes to 1000 new entries", first,
           &enumeration);

    // From here on the baseline knows everything: the pass the Monitor repeats while nothing
    // changes.
    bool changed = false;
    const Cost quiet = Measure(nullptr, [this, &changed] { changed = Pass(); });
    Report("pass cost, 1000 Run values: quiet pass (StartupChanged, false)", quiet, &enumeration);
    const Cost known = Measure(nullptr, [this] { startup::CheckStartup(hooks_); });
    Report("pass cost, 1000 Run values: CheckStartup with a baseline that knows all",
           known, &enumeration);

    // One new entry among the known ones: StartupChanged, then CheckStartup asks about it. Each
    // call gets an entry of its own; the one before goes from the Run key (its baseline value
    // stays, one more known command).
    int newAsked = 0, newcomers = 0;
    const Cost one = Measure(
        [&] {
          const std::string name = "BenchNewcomer" + std::to_string(newcomers);
          if (newcomers > 0)
            common::DeleteStoreValue(HKEY_CURRENT_USER, core::RunKeyPath(11),
                                     "BenchNewcomer" + std::to_string(newcomers - 1));
          ++newcomers;
          common::WriteStoreString(HKEY_CURRENT_USER, core::RunKeyPath(11), name,
                                   "\"" + agent_ + "\" -newcomer " + name);
          asked_ = 0;
        },
        [&] {
          Pass();
          newAsked = asked_;
        });
    Report("pass cost, 1000 Run values: pass with one new entry (StartupChanged + CheckStartup)",
           one, &enumeration);

    if (changed || firstAsked != kValues || newAsked != 1) {
      Progress("unexpected state: quiet pass changed=" + std::to_string(changed) +
               ", first pass asked " + std::to_string(firstAsked) + ", new-entry pass asked " +
               std::to_string(newAsked));
      return 1;
    }
    return 0;
  }

 private:
  // What the listing does per value besides reading it, each step 1000 times on its own.
  void Breakdown(const Cost& enumeration) {
    const std::string command = agent_ + " -instance 1";
    Report("pass cost, 1000 x LongPathName of a listed command (program path and arguments)",
           Measure(nullptr,
                   [&] {
                     for (int i = 0; i < kValues; ++i) common::LongPathName(command);
                   }),
           &enumeration);
    Report("pass cost, 1000 x LongPathName of the program path alone",
           Measure(nullptr,
                   [this] {
                     for (int i = 0; i < kValues; ++i) common::LongPathName(agent_);
                   }),
           &enumeration);
    Report("pass cost, 1000 x LongPathName of an empty key",
           Measure(nullptr,
                   [] {
                     for (int i = 0; i < kValues; ++i) common::LongPathName("");
                   }),
           &enumeration);
    Report("pass cost, 1000 x IsStartupEntryDisabled",
           Measure(nullptr,
                   [] {
                     for (int i = 0; i < kValues; ++i)
                       startup::IsStartupEntryDisabled(ValueName(i));
                   }),
           &enumeration);
    Report("pass cost, 1000 x LoadText of the product's title",
           Measure(nullptr,
                   [] {
                     for (int i = 0; i < kValues; ++i) common::LoadText(2, core::kTitleCapacity);
                   }),
           &enumeration);
  }

  static std::string ValueName(int i) { return "BenchAgent" + std::to_string(1000 + i); }

  // The Monitor's startup patrol: the quick test, and the check when it finds something new.
  bool Pass() {
    if (!startup::StartupChanged()) return false;
    startup::CheckStartup(hooks_);
    return true;
  }

  static void ForgetBaseline() {
    common::DeleteStoreTree(HKEY_CURRENT_USER, common::ProductSubkey("Run"));
    common::DeleteStoreTree(HKEY_CURRENT_USER,
                            common::DetectedSubkeyPath(common::kDetectedStartup));
  }

  std::string agent_;
  bool ready_ = false;
  startup::StartupCheckHooks hooks_;
  int asked_ = 0;
};

}  // namespace
}  // namespace obrivo::bench

int wmain() {
  obrivo::test::RegistrySandbox sandbox;
  obrivo::bench::PassBench bench;
  if (!bench.ready()) return 2;
  return bench.Run();
}
