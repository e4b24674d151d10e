// The CPU cost of one ActiveX pass over 200 controls the browser has used (each with a registered
// class, its browser statistics and, for half of them, a compatibility entry), against merely
// walking the statistics key with RegEnumKeyExW, in one process whose registry is redirected to
// scratch keys.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "cost_measure.h"
#include "browser/activex.h"
#include "browser/activex_check.h"
#include "common/store.h"
#include "common/win32/registry.h"
#include "common/win32/wide.h"
#include "core/alert_rules.h"
#include "startup_workbench.h"

namespace obrivo::bench {
namespace {

constexpr int kControls = 200;
constexpr char kStats[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats";
constexpr char kCompatibility[] = "SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility";

std::string ClassId(int i) {
  char text[40];
  snprintf(text, sizeof text, "{AC0AC0AC-0000-4000-8000-%012d}", i);
  return text;
}

// Every class names a real file (the agent) as its server.
bool AddControls(const std::string& file) {
  for (int i = 0; i < kControls; ++i) {
    const std::string clsid = ClassId(i);
    if (!common::WriteStoreString(HKEY_CLASSES_ROOT, "CLSID\\" + clsid, "", "Bench control") ||
        !common::WriteStoreString(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32", "",
                                  file))
      return false;
    const win32::UniqueKey use = win32::CreateKey(
        HKEY_CURRENT_USER, std::string(kStats) + "\\" + clsid + "\\iexplore", KEY_WRITE);
    if (!use || !win32::SetDwordValue(use.get(), "Type", 1)) return false;
    if (i % 2 == 0) {
      const win32::UniqueKey flags = win32::CreateKey(
          HKEY_LOCAL_MACHINE, std::string(kCompatibility) + "\\" + clsid, KEY_WRITE);
      if (!flags || !win32::SetDwordValue(flags.get(), "Compatibility Flags", 0)) return false;
    }
  }
  return true;
}

// The reference: the statistics key's names read and nothing else.
std::size_t WalkKeys() {
  std::vector<wchar_t> name(256);
  std::size_t found = 0;
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, win32::Wide(kStats).c_str(), 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return 0;
  for (DWORD i = 0;; ++i) {
    DWORD chars = static_cast<DWORD>(name.size());
    if (::RegEnumKeyExW(key, i, name.data(), &chars, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    ++found;
  }
  ::RegCloseKey(key);
  return found;
}

int Run() {
  StartupWorkbench workbench(core::Program::Monitor);
  if (!workbench.ready() || !AddControls(workbench.agent())) {
    Progress("the controls could not be written");
    return 2;
  }
  if (WalkKeys() != kControls || browser::EnumUsedActiveX({}) != kControls) {
    Progress("the 200 controls are not all listed");
    return 2;
  }
  const Cost walk = Measure(nullptr, [] { WalkKeys(); });
  Report("ActiveX, 200 controls: RegEnumKeyExW of the statistics key (reference)", walk, nullptr);
  const Cost listing = Measure(nullptr, [] { browser::EnumUsedActiveX({}); });
  Report("ActiveX, 200 controls: EnumUsedActiveX", listing, &walk);

  // The patrol while nothing changes: every control known to the baseline.
  browser::SnapshotActiveX();
  int asked = 0;
  browser::ActiveXCheckHooks hooks;
  hooks.ask = [&asked](const core::Item&) {
    ++asked;
    return core::kAlertYes;
  };
  std::size_t examined = 0;
  const Cost pass =
      Measure(nullptr, [&hooks, &examined] { examined = browser::VerifyActiveX(hooks); });
  Report("ActiveX, 200 controls: quiet patrol pass (VerifyActiveX)", pass, &walk);
  if (asked != 0 || examined != kControls) {
    Progress("the quiet pass asked about " + std::to_string(asked) + " controls and examined " +
             std::to_string(examined));
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace obrivo::bench

int wmain() { return obrivo::bench::Run(); }
