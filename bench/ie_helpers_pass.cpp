// The CPU cost of one pass over 200 browser add-ons (BHOs, toolbars and extensions, each with a
// registered class), against merely walking the same keys with RegEnumKeyExW (RegEnumValueW for
// the toolbars' values), in one process whose registry is redirected to scratch keys.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "cost_measure.h"
#include "browser/ie_helper_check.h"
#include "browser/ie_helpers.h"
#include "common/store.h"
#include "common/win32/wide.h"
#include "core/alert_rules.h"
#include "startup_workbench.h"

namespace obrivo::bench {
namespace {

constexpr int kAddOns = 200;
constexpr char kBho[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
constexpr char kToolbar[] = "SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";
constexpr char kExtensions[] = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";

std::string ClassId(int i) {
  char text[40];
  snprintf(text, sizeof text, "{B0B0B0B0-0000-4000-8000-%012d}", i);
  return text;
}

// A third of each kind; every class names a real file (the agent) as its server.
bool AddAddOns(const std::string& file) {
  for (int i = 0; i < kAddOns; ++i) {
    const std::string clsid = ClassId(i);
    if (!common::WriteStoreString(HKEY_CLASSES_ROOT, "CLSID\\" + clsid, "", "Bench add-on") ||
        !common::WriteStoreString(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32", "",
                                  file))
      return false;
    bool written = false;
    switch (i % 3) {
      case 0:
        written = common::WriteStoreString(HKEY_LOCAL_MACHINE, std::string(kBho) + "\\" + clsid,
                                           "NoExplorer", "1");
        break;
      case 1:
        written = common::WriteStoreString(HKEY_LOCAL_MACHINE, kToolbar, clsid, "");
        break;
      default:
        written = common::WriteStoreString(HKEY_LOCAL_MACHINE,
                                           std::string(kExtensions) + "\\" + clsid, "ButtonText",
                                           "Bench " + std::to_string(i)) &&
                  common::WriteStoreString(HKEY_LOCAL_MACHINE,
                                           std::string(kExtensions) + "\\" + clsid, "Exec",
                                           "\"" + file + "\" -button " + std::to_string(i));
        break;
    }
    if (!written) return false;
  }
  return true;
}

// The reference: the three keys' names read and nothing else, into a buffer for the longest key
// name (a larger one costs Wine's server more per call).
std::size_t WalkKeys() {
  std::vector<wchar_t> name(256);
  std::size_t found = 0;
  for (const char* path : {kBho, kExtensions}) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, win32::Wide(path).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
      continue;
    for (DWORD i = 0;; ++i) {
      DWORD chars = static_cast<DWORD>(name.size());
      if (::RegEnumKeyExW(key, i, name.data(), &chars, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS)
        break;
      ++found;
    }
    ::RegCloseKey(key);
  }
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, win32::Wide(kToolbar).c_str(), 0, KEY_READ, &key) ==
      ERROR_SUCCESS) {
    for (DWORD i = 0;; ++i) {
      DWORD chars = static_cast<DWORD>(name.size());
      if (::RegEnumValueW(key, i, name.data(), &chars, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS)
        break;
      ++found;
    }
    ::RegCloseKey(key);
  }
  return found;
}

int Run() {
  StartupWorkbench workbench(core::Program::Monitor);
  if (!workbench.ready() || !AddAddOns(workbench.agent())) {
    Progress("the add-ons could not be written");
    return 2;
  }
  if (WalkKeys() != kAddOns || browser::EnumIEHelpers() != kAddOns) {
    Progress("the 200 add-ons are not all listed");
    return 2;
  }
  const Cost walk = Measure(nullptr, [] { WalkKeys(); });
  Report("IE helpers, 200 add-ons: RegEnumKeyExW of the same keys (reference)", walk, nullptr);
  const Cost listing = Measure(nullptr, [] { browser::EnumIEHelpers(); });
  Report("IE helpers, 200 add-ons: EnumIEHelpers", listing, &walk);

  // The patrol while nothing changes: every add-on known to the baseline.
  browser::SnapshotIEHelpers();
  int asked = 0;
  browser::IEHelperCheckHooks hooks;
  hooks.ask = [&asked](const core::Item&) {
    ++asked;
    return core::kAlertYes;
  };
  std::size_t examined = 0;
  const Cost pass =
      Measure(nullptr, [&hooks, &examined] { examined = browser::VerifyIEHelpers(hooks); });
  Report("IE helpers, 200 add-ons: quiet patrol pass (VerifyIEHelpers)", pass, &walk);
  if (asked != 0 || examined != kAddOns) {
    Progress("the quiet pass asked about " + std::to_string(asked) + " add-ons and examined " +
             std::to_string(examined));
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace obrivo::bench

int wmain() { return obrivo::bench::Run(); }
