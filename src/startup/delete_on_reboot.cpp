// Deleting a file at the next start of Windows: the last resort for a program that cannot be
// removed while it runs.
#include "startup/delete_on_reboot.h"

#include <string>

#include "common/app.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/system.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"
#include "core/command_line.h"
#include "core/text.h"
#include "startup/startup_actions.h"

namespace obrivo::startup {
namespace {

// wininit.ini carries out only the lines of its [rename] section: the deletion goes there, and
// everything already in the file stays.
std::string WithDeletion(std::string contents, std::string_view shortPath) {
  const std::string line = "NUL=" + std::string(shortPath) + "\r\n";
  std::size_t start = 0;
  while (start < contents.size()) {
    std::size_t end = contents.find('\n', start);
    end = end == std::string::npos ? contents.size() : end + 1;
    std::string_view text = std::string_view(contents).substr(start, end - start);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    if (core::EqualsNoCase(core::SkipLeadingSpaces(text), "[rename]")) {
      std::string out = contents.substr(0, end);
      if (out.back() != '\n') out += "\r\n";
      return out + line + contents.substr(end);
    }
    start = end;
  }
  if (!contents.empty() && contents.back() != '\n') contents += "\r\n";
  return contents + "[rename]\r\n" + line;
}

bool WriteWholeFile(const std::string& path, const std::string& contents) {
  const win32::UniqueHandle file(::CreateFileW(win32::Wide(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return ::WriteFile(file.get(), contents.data(), static_cast<DWORD>(contents.size()), &written,
                     nullptr) &&
         written == contents.size();
}

// The older Windows family deletes at start what wininit.ini lists, by short path.
bool ScheduleInWininit(std::string_view path) {
  const auto shortPath = win32::ShortPath(path);
  if (!shortPath) return false;
  const std::string wininit = win32::WindowsDirectory() + "\\wininit.ini";
  const std::string contents = win32::ReadWholeFile(wininit).value_or("");
  return WriteWholeFile(wininit, WithDeletion(contents, *shortPath));
}

// `name` as an existing file: a path as it is, a bare name in the Windows or system folder
// (where Windows finds the programs that startup entries name without a folder).
std::optional<std::string> LocateFile(std::string_view name) {
  if (name.empty()) return std::nullopt;
  if (name.find_first_of("\\/:") != std::string_view::npos)
    return win32::IsExistingFile(name) ? std::optional<std::string>(name) : std::nullopt;
  const std::string folder = common::FolderOfProgram(name);
  if (folder.empty()) return std::nullopt;
  return folder + "\\" + std::string(name);
}

// The DLL of a RUNDLL32 target ("x.dll,Entry arguments", the DLL quoted or not); a name
// without extension is the DLL of that name, as the loader reads it.
std::optional<std::string> LocateRundllTarget(std::string_view target) {
  const std::string text = core::SkipLeadingSpaces(target);
  const bool quoted = !text.empty() && text.front() == '"';
  std::string_view dll = std::string_view(text).substr(quoted ? 1 : 0);
  dll = dll.substr(0, dll.find(quoted ? '"' : ','));
  while (!dll.empty() && dll.back() == ' ') dll.remove_suffix(1);
  if (auto file = LocateFile(dll)) return file;
  const std::size_t name = dll.find_last_of("\\/");
  const bool hasExtension =
      dll.find('.', name == std::string_view::npos ? 0 : name) != std::string_view::npos;
  if (!dll.empty() && !hasExtension) return LocateFile(std::string(dll) + ".dll");
  return std::nullopt;
}

// 0 when scheduled, otherwise the system's error code.
DWORD ScheduleDeletion(std::string_view path) {
  if (path.empty()) return ERROR_INVALID_PARAMETER;
  const std::wstring wide = win32::ExtendedPath(path);
  // A read-only or system file would survive the deletion.
  ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!common::App().ntFamily) {
    if (ScheduleInWininit(path)) return 0;
    const DWORD error = ::GetLastError();
    return error != 0 ? error : ERROR_WRITE_FAULT;
  }
  if (::MoveFileExW(wide.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return 0;
  const DWORD error = ::GetLastError();
  return error != 0 ? error : ERROR_ACCESS_DENIED;
}

}  // namespace

bool DeleteFileOnReboot(std::string_view path) { return ScheduleDeletion(path) == 0; }

std::optional<std::string> EntryProgramFile(std::string_view command, bool throughRundll) {
  if (throughRundll) return LocateRundllTarget(command);
  if (const auto target = core::RundllTarget(command)) return LocateRundllTarget(*target);
  const auto exists = [](std::string_view name) { return LocateFile(name).has_value(); };
  if (auto file = LocateFile(core::SplitProgramAndArguments(command, exists).program)) return file;
  // Folder tokens such as %SystemRoot% that only the resolution knows.
  return LocateFile(common::CommandToProgramPath(command));
}

RebootDeletion DeleteEntryProgramOnReboot(std::string_view command, bool throughRundll) {
  const auto file = EntryProgramFile(command, throughRundll);
  if (!file) return {std::string(command), ERROR_FILE_NOT_FOUND};
  return {*file, ScheduleDeletion(*file)};
}

RebootDeletion DeleteFileAtPathOnReboot(std::string_view path) {
  if (!win32::IsExistingFile(path)) return {std::string(path), ERROR_FILE_NOT_FOUND};
  return {std::string(path), ScheduleDeletion(path)};
}

}  // namespace obrivo::startup
