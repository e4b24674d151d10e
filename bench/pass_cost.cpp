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
#include "cost_measure.h"
#include "common/app.h"
#include "common/first_detected.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/wide.h"
#include "core/capacity.h"
#include "core/startup_codes.h"
#include "core/text.h"
#include "startup/startup_check.h"
#include "startup/startup_locations.h"
#include "startup_workbench.h"

namespace obrivo::bench {
namespace {

constexpr int kValues = 1000;
constexpr char kValuePrefix[] = "BenchAgent";

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
  PassBench() : workbench_(core::Program::Monitor), agent_(workbench_.agent()) {
    hooks_.askNewEntry = [this](const core::Item&) {
      ++asked_;
      return 6;
    };
  }
  bool ready() const { return workbench_.ready(); }

  int Run() {
    // What every pass costs whatever the number of entries: the Startup folders, win.ini,
    // Winlogon and the advanced locations.
    const Cost emptyEnum = Measure(nullptr, [] { EnumerateRunKeys(); });
    const Cost emptyStartup = Measure(nullptr, [] { startup::EnumStartup(false); });
    Report("pass cost, no Run values: RegEnumValueW of the Run keys", emptyEnum, nullptr);
    Report("pass cost, no Run values: EnumStartup", emptyStartup, nullptr);

    if (!workbench_.AddRunValues(kValuePrefix, kValues)) return 2;
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
                       startup::IsStartupEntryDisabled(11, ValueName(i));
                   }),
           &enumeration);
    Report("pass cost, 1000 x LoadText of the product's title",
           Measure(nullptr,
                   [] {
                     for (int i = 0; i < kValues; ++i) common::LoadText(2, core::kTitleCapacity);
                   }),
           &enumeration);
  }

  static std::string ValueName(int i) { return kValuePrefix + std::to_string(1000 + i); }

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

  StartupWorkbench workbench_;
  const std::string agent_;
  startup::StartupCheckHooks hooks_;
  int asked_ = 0;
};

}  // namespace
}  // namespace obrivo::bench

int wmain() {
  using namespace obrivo::bench;
  // This process's CPU as Wine reports it and as the host kernel counts it, over the whole run.
  const double ownStart = OwnCpuSeconds(), hostStart = HostCpuSeconds(L"self");
  PassBench bench;
  if (!bench.ready()) return 2;
  const int status = bench.Run();
  Figure("pass cost, this process's CPU over the whole run",
         "GetProcessTimes " + Fixed(OwnCpuSeconds() - ownStart, 2) + " s, host kernel " +
             Fixed(HostCpuSeconds(L"self") - hostStart, 2) + " s");
  return status;
}
