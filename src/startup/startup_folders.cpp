// The Startup and Common Startup folders: shortcuts by the command they run, program files by
// their description, other files by name.
#include <windows.h>

#include <vector>

#include "common/items.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/shell_link.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"
#include "core/item_list.h"
#include "core/startup_codes.h"
#include "core/text.h"
#include "startup/startup_sources.h"

namespace obrivo::startup::detail {
namespace {

constexpr DWORD kResolveTimeoutMs = 500;

// A file's extension after its last dot, when it has one.
std::string_view Extension(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

std::string DescriptionOrProduct(const std::string& file) {
  const auto version = common::ReadVersionInfo(file);
  if (!version) return {};
  return version->fileDescription.empty() ? version->productName : version->fileDescription;
}

void ListShortcut(const std::string& shortcut) {
  // A shortcut that cannot be resolved in time, or whose target is gone, starts nothing.
  const auto target = win32::ResolveShellLink(shortcut, kResolveTimeoutMs);
  if (!target) return;
  std::string title =
      target->description.empty() ? DescriptionOrProduct(target->path) : target->description;
  // Named by the target's file, not by the arguments that now follow it in the path.
  if (title.empty()) title = core::TitleFromPath(target->path);
  // The arguments are part of what the entry is: a new shortcut to an accepted program (a
  // command interpreter, say) with other arguments is another entry.
  common::AddItem(title, win32::ShellLinkCommandLine(*target), shortcut, "", core::kStartupFolder,
                  0);
}

// The names of the files in `folder` (ending with a backslash), without subfolders.
std::vector<std::string> FileNames(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found{};
  const win32::UniqueFind find(::FindFirstFileW(win32::Wide(folder + "*").c_str(), &found));
  if (!find) return names;
  do {
    // A folder starts no program, whatever other attributes it carries.
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    names.push_back(win32::Narrow(found.cFileName));
  } while (::FindNextFileW(find.get(), &found));
  return names;
}

}  // namespace

void ListStartupFolder(const std::string& folder) {
  if (folder.empty()) return;
  const std::string prefix = core::AddTrailingBackslash(folder);
  for (const std::string& name : FileNames(prefix)) {
    const std::string file = prefix + name;
    const std::string_view extension = Extension(name);
    if (core::EqualsNoCase(extension, "ini")) continue;  // the folder's own settings
    if (core::EqualsNoCase(extension, "lnk"))
      ListShortcut(file);
    else if (core::EqualsNoCase(extension, "exe"))
      common::AddItem(DescriptionOrProduct(file), file, file, "", core::kStartupFolder, 0);
    else
      common::AddItem("", file, "", "", core::kStartupFolder, 0);
  }
}

void ListStartupFolders() {
  // The same folder named twice (both hives, or both values) is listed once.
  std::vector<std::string> listed;
  for (const HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    for (const char* value : {"Startup", "Common Startup"}) {
      const auto named = ReadStringValue(hive, core::kShellFoldersKey, value);
      if (!named || named->empty()) continue;
      const std::string folder = core::AddTrailingBackslash(*named);
      bool seen = false;
      for (const std::string& other : listed) seen = seen || core::EqualsNoCase(other, folder);
      if (seen) continue;
      listed.push_back(folder);
      ListStartupFolder(folder);
    }
  }
}

}  // namespace obrivo::startup::detail
