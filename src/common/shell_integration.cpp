// The Explorer shell verb and win.ini program lists.
#include "common/shell_integration.h"

#include <windows.h>

#include <string>

#include "common/store.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/system.h"
#include "common/win32/wide.h"
#include "core/profile_list.h"

namespace obrivo::common {

using win32::Wide;

void SetExplorerMenu(bool on) {
  if (!on) {
    DeleteStoreTree(HKEY_CLASSES_ROOT, kShellMenuKey);
    return;
  }
  const std::string command = "\"" + ProgramFolder() + "\\obrivo.exe\" %1";
  WriteStoreString(HKEY_CLASSES_ROOT, std::string(kShellMenuKey) + "\\command", "", command);
  WriteStoreString(HKEY_CLASSES_ROOT, kShellMenuKey, "", LoadText(1183));
}

bool ExplorerMenuExists() {
  return !ReadStoreString(kShellMenuKey, HKEY_CLASSES_ROOT, "", 1024).empty();
}

void SyncExplorerMenu(int explorerMenuOption) {
  const bool exists = ExplorerMenuExists();
  if (explorerMenuOption == 1 && !exists) SetExplorerMenu(true);
  if (explorerMenuOption != 1 && exists) SetExplorerMenu(false);
}

namespace {

std::wstring ReadProfileValue(std::string_view keyName) {
  // Grow until the whole value fits: a cut list written back would lose entries.
  std::wstring buffer(1024, L'\0');
  for (;;) {
    const DWORD length = ::GetProfileStringW(L"windows", Wide(keyName).c_str(), L"",
                                             buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length + 1 < buffer.size() || buffer.size() >= (1u << 20)) {
      buffer.resize(length);
      return buffer;
    }
    buffer.resize(buffer.size() * 4);
  }
}

bool WriteProfileValue(std::string_view keyName, const std::string& value) {
  const std::wstring winIni = Wide(win32::WindowsDirectory() + "\\win.ini");
  const DWORD attributes = ::GetFileAttributesW(winIni.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    ::SetFileAttributesW(winIni.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  return ::WriteProfileStringW(L"windows", Wide(keyName).c_str(), Wide(value).c_str()) != FALSE;
}

}  // namespace

bool AppendProfileListEntry(std::string_view keyName, std::string_view entry) {
  const std::string current = win32::Narrow(ReadProfileValue(keyName));
  return WriteProfileValue(keyName, core::AppendListEntry(current, entry));
}

bool RemoveProfileListEntry(std::string_view keyName, std::string_view entry) {
  const std::string current = win32::Narrow(ReadProfileValue(keyName));
  return WriteProfileValue(keyName, core::RemoveListEntry(current, entry));
}

}  // namespace obrivo::common
