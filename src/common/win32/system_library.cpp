// System libraries loaded from the system folder only.
#include "common/win32/system_library.h"

#include <windows.h>

#include <string>

#include "common/win32/system.h"
#include "common/win32/wide.h"

namespace obrivo::win32 {

UniqueModule LoadSystemLibrary(std::string_view name) {
  const std::string folder = SystemDirectory();
  if (folder.empty()) return UniqueModule();
  return LoadLibraryFrom(folder, name);
}

UniqueModule LoadLibraryFrom(std::string_view folder, std::string_view name) {
  const std::wstring path = Wide(std::string(folder) + "\\" + std::string(name));
  UniqueModule module(::LoadLibraryExW(
      path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32));
  // Systems without the search flags refuse them as an invalid parameter; the altered search
  // path then starts the search for the library's imports in its own folder.
  if (!module && ::GetLastError() == ERROR_INVALID_PARAMETER)
    module.reset(::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  return module;
}

}  // namespace obrivo::win32
