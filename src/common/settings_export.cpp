#include "common/settings_export.h"

#include <windows.h>

#include <shlobj.h>

#include <string_view>

#include "common/win32/files.h"
#include "common/win32/registry.h"
#include "common/win32/wide.h"
#include "core/reg_script.h"

namespace obrivo::common {
namespace {

struct Root {
  HKEY hive;
  std::wstring_view hiveName;
  std::string_view path;
};

const Root kRoots[] = {
    {HKEY_CURRENT_USER, L"HKEY_CURRENT_USER", "Software\\Tolvane"},
    {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE", "SOFTWARE\\Tolvane"},
};

std::u16string U16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

// The key and every key below it, depth first in enumeration order.
void DumpTree(HKEY hive, const std::string& path, const std::wstring& fullPath, bool& first,
              std::u16string& script, std::vector<std::string>& leftOut) {
  win32::UniqueKey key = win32::OpenKey(hive, path, KEY_READ);
  if (!key) return;
  script += core::RegKeyLines(U16(fullPath), first);
  first = false;
  for (const win32::NamedValue& value : win32::EnumValues(key.get())) {
    const auto lines = core::RegValueLines(U16(win32::Wide(value.name)), value.value.type,
                                           value.value.data);
    if (lines)
      script += *lines;
    else
      leftOut.push_back(win32::Narrow(fullPath) + "\\" + value.name);
  }
  for (const std::string& subkey : win32::EnumSubkeyNames(key.get()))
    DumpTree(hive, path + "\\" + subkey, fullPath + L"\\" + win32::Wide(subkey), first, script,
             leftOut);
}

std::string UserName() {
  wchar_t name[257] = {};
  DWORD size = 257;
  return ::GetUserNameW(name, &size) ? win32::Narrow(name) : std::string("User");
}

}  // namespace

std::string SettingsScript(std::vector<std::string>& leftOut) {
  std::u16string script(core::kRegScriptHeader);
  bool first = true;
  for (const Root& root : kRoots)
    DumpTree(root.hive, std::string(root.path),
             std::wstring(root.hiveName) + L"\\" + win32::Wide(root.path), first, script, leftOut);
  return core::RegScriptBytes(script);
}

std::string DocumentsFolder() {
  PWSTR folder = nullptr;
  std::string path;
  if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &folder)))
    path = win32::Narrow(folder);
  ::CoTaskMemFree(folder);
  return path;
}

SettingsExport ExportSettings(const std::string& folder) {
  SettingsExport result;
  const std::string into = folder.empty() ? DocumentsFolder() : folder;
  result.path = into + "\\" + UserName() + "-Obrivo.reg";
  const std::string bytes = SettingsScript(result.leftOut);
  result.written = !into.empty() && win32::WriteWholeFileReplacing(result.path, bytes);
  if (!result.written) result.error = into.empty() ? ERROR_PATH_NOT_FOUND : ::GetLastError();
  return result;
}

}  // namespace obrivo::common
