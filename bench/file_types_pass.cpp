// The CPU cost of one file-types patrol pass over the default watched extensions (each with its
// system association, a third also with an application and a third with a ProgID chosen in the
// shell), against reading the same values raw with RegOpenKeyExW and RegQueryValueExW, in one
// process whose registry is redirected to scratch keys.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "common/store.h"
#include "common/win32/wide.h"
#include "core/file_type_list.h"
#include "cost_measure.h"
#include "file_types/associations.h"
#include "file_types/file_type_check.h"
#include "startup_workbench.h"

namespace obrivo::bench {
namespace {

constexpr char kProductList[] =
    "AVI;BAT;CAB;CAT;CHM;COM;CMD;CSS;DOC;EML;EXE;INF;JS;LOG;MSI;MSG;MID;MP3;PIF;RAM;REG;RTF;SBS;"
    "SCR;TXT;URL;VBS;VBE;WSF;WSH;XLS;";
constexpr char kClasses[] = "Software\\Classes\\";
constexpr char kFileExts[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";
constexpr char kOpen[] = "\\shell\\open\\command";
constexpr char kStore[] = "Software\\Tolvane\\Obrivo\\";

struct Read {
  HKEY hive;
  std::string path, name;
};

std::vector<std::string> Extensions() {
  return core::MonitoredExtensions(core::DefaultMonitoredList(kProductList));
}

// Every association, and the list of every value the pass reads for it.
bool AddAssociations(const std::string& program, std::vector<Read>& reads) {
  const std::vector<std::string> names = Extensions();
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string ext = "." + names[i], cls = names[i] + "file";
    const std::string command = "\"" + program + "\" \"%1\"";
    if (!common::WriteStoreString(HKEY_LOCAL_MACHINE, kClasses + ext, "", cls) ||
        !common::WriteStoreString(HKEY_LOCAL_MACHINE, kClasses + cls, "", "Bench " + cls) ||
        !common::WriteStoreString(HKEY_LOCAL_MACHINE, kClasses + cls + kOpen, "", command))
      return false;
    reads.push_back({HKEY_LOCAL_MACHINE, kClasses + ext, ""});
    reads.push_back({HKEY_LOCAL_MACHINE, kClasses + cls + kOpen, ""});
    reads.push_back({HKEY_LOCAL_MACHINE, kClasses + cls, ""});
    reads.push_back({HKEY_CURRENT_USER, std::string(kStore) + "Ext", ext});
    reads.push_back({HKEY_CURRENT_USER, std::string(kStore) + "Class", cls});
    reads.push_back({HKEY_CURRENT_USER, kFileExts + ext, "Application"});
    reads.push_back({HKEY_CURRENT_USER, kFileExts + ext, "ProgID"});
    if (i % 3 == 1) {
      const std::string app = "app" + names[i] + ".exe";
      if (!common::WriteStoreString(HKEY_CURRENT_USER, kFileExts + ext, "Application", app) ||
          !common::WriteStoreString(HKEY_CLASSES_ROOT, "Applications\\" + app + kOpen, "", command))
        return false;
      reads.push_back({HKEY_CLASSES_ROOT, "Applications\\" + app + kOpen, ""});
      reads.push_back({HKEY_LOCAL_MACHINE, kClasses + app, ""});
      reads.push_back({HKEY_CURRENT_USER, std::string(kStore) + "ExtApp", ext});
      reads.push_back({HKEY_CURRENT_USER, std::string(kStore) + "Class", app});
    } else if (i % 3 == 2) {
      const std::string progId = "Bench." + names[i];
      if (!common::WriteStoreString(HKEY_CURRENT_USER, kFileExts + ext, "ProgID", progId) ||
          !common::WriteStoreString(HKEY_CLASSES_ROOT, progId + kOpen, "", command))
        return false;
      reads.push_back({HKEY_CLASSES_ROOT, progId + kOpen, ""});
      reads.push_back({HKEY_LOCAL_MACHINE, kClasses + progId, ""});
      reads.push_back({HKEY_CURRENT_USER, std::string(kStore) + "ExtProgID", ext});
      reads.push_back({HKEY_CURRENT_USER, std::string(kStore) + "Class", progId});
    }
  }
  return true;
}

// The reference: each of those values opened and read into a buffer large enough for all.
std::size_t ReadRaw(const std::vector<Read>& reads) {
  std::vector<BYTE> data(4096);
  std::size_t found = 0;
  for (const Read& r : reads) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(r.hive, win32::Wide(r.path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
      continue;
    DWORD bytes = static_cast<DWORD>(data.size());
    if (::RegQueryValueExW(key, win32::Wide(r.name).c_str(), nullptr, nullptr, data.data(),
                           &bytes) == ERROR_SUCCESS)
      ++found;
    ::RegCloseKey(key);
  }
  return found;
}

int Run() {
  StartupWorkbench workbench(core::Program::Monitor);
  std::vector<Read> reads;
  if (!workbench.ready() || !AddAssociations(workbench.agent(), reads)) {
    Progress("the associations could not be written");
    return 2;
  }
  file_types::InitFileTypeBaseline();
  const std::size_t rows = file_types::EnumFileTypes();
  const std::size_t expected = Extensions().size() + (Extensions().size() + 1) / 3 +
                               Extensions().size() / 3;
  if (rows != expected) {
    Progress("listed " + std::to_string(rows) + " associations, not " + std::to_string(expected));
    return 2;
  }
  const std::string label = "File types, " + std::to_string(Extensions().size()) +
                            " default extensions (" + std::to_string(rows) + " associations): ";
  const Cost raw = Measure(nullptr, [&reads] { ReadRaw(reads); });
  Report(label + "RegQueryValueExW of the same values (reference)", raw, nullptr);

  int asked = 0;
  file_types::FileTypeCheckHooks hooks;
  hooks.ask = [&asked](const file_types::FileTypeChange&) {
    ++asked;
    return 6;
  };
  std::size_t examined = 0;
  const Cost pass =
      Measure(nullptr, [&hooks, &examined] { examined = file_types::VerifyFileTypes(hooks); });
  Report(label + "quiet patrol pass (VerifyFileTypes)", pass, &raw);
  if (asked != 0 || examined != rows) {
    Progress("the quiet pass asked about " + std::to_string(asked) + " types and examined " +
             std::to_string(examined));
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace obrivo::bench

int wmain() { return obrivo::bench::Run(); }
