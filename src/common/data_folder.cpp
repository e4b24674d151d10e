#include "data_folder.h"

#include <windows.h>

#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"
#include "core/text.h"

namespace obrivo::common {
namespace {

using win32::Wide;

constexpr std::string_view kKeptFolders[] = {kDisabledFolderName, kRemovedFolderName,
                                             kDelayedFolderName};

// Moves every file of `from` (and of its subfolders) to the same place under `to`, never over a
// file already there; the emptied folders go.
void MoveTree(const std::string& from, const std::string& to) {
  if (!win32::EnsureDirectory(to)) return;
  WIN32_FIND_DATAW found{};
  {
    win32::UniqueFind find(::FindFirstFileW(Wide(from + "\\*").c_str(), &found));
    if (!find) return;
    do {
      const std::string name = win32::Narrow(found.cFileName);
      if (name == "." || name == "..") continue;
      const std::string source = from + "\\" + name, target = to + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        MoveTree(source, target);
      else
        ::MoveFileExW(Wide(source).c_str(), Wide(target).c_str(), MOVEFILE_COPY_ALLOWED);
    } while (::FindNextFileW(find.get(), &found));
  }
  ::RemoveDirectoryW(Wide(from).c_str());
}

// The history of the program folder, followed by what the data folder's already holds: the
// records stay in the order they were written.
void MoveHistory(const std::string& from, const std::string& to) {
  if (!win32::IsExistingFile(from)) return;
  if (::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_COPY_ALLOWED)) return;
  const auto older = win32::ReadWholeFile(from);
  const auto newer = win32::ReadWholeFile(to);
  if (!older || !newer) return;
  // Written beside, then put in place whole: a failure leaves both files as they were.
  const std::string side = to + ".moving";
  HANDLE file = ::CreateFileW(Wide(side).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string joined = *older + *newer;
  DWORD written = 0;
  const bool ok =
      ::WriteFile(file, joined.data(), static_cast<DWORD>(joined.size()), &written, nullptr) &&
      written == joined.size() && ::FlushFileBuffers(file);
  ::CloseHandle(file);
  if (ok && ::MoveFileExW(Wide(side).c_str(), Wide(to).c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ::DeleteFileW(Wide(from).c_str());
  } else {
    ::DeleteFileW(Wide(side).c_str());
  }
}

}  // namespace

std::string DataPath(std::string_view name) { return DataFolder() + "\\" + std::string(name); }

void MoveDataFromProgramFolder() {
  const std::string program = ProgramFolder();
  const std::string data = DataFolder();
  if (core::EqualsNoCase(program, data)) return;
  MoveHistory(program + "\\history.txt", data + "\\history.txt");
  for (std::string_view folder : kKeptFolders) {
    const std::string from = program + "\\" + std::string(folder);
    if (win32::IsExistingDirectory(from)) MoveTree(from, data + "\\" + std::string(folder));
  }
}

std::string MovedDataPath(std::string_view path) {
  const std::string program = ProgramFolder() + "\\";
  if (path.size() <= program.size() || !core::EqualsNoCase(path.substr(0, program.size()), program))
    return std::string(path);
  const std::string_view rest = path.substr(program.size());
  for (std::string_view folder : kKeptFolders) {
    if (rest.size() > folder.size() && rest[folder.size()] == '\\' &&
        core::EqualsNoCase(rest.substr(0, folder.size()), folder) && !win32::FileAttributes(path)) {
      const std::string moved = DataFolder() + "\\" + std::string(rest);
      if (!core::EqualsNoCase(moved, path)) return moved;
    }
  }
  return std::string(path);
}

}  // namespace obrivo::common
