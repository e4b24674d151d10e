// Deleting a file at the next start of Windows: the last resort for a program that cannot be
// removed while it runs.
#include <string>

#include "common/app.h"
#include "common/win32/files.h"
#include "common/win32/system.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"
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

}  // namespace

bool DeleteFileOnReboot(std::string_view path) {
  if (path.empty()) return false;
  const std::wstring wide = win32::Wide(path);
  // A read-only or system file would survive the deletion.
  ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!common::App().ntFamily) return ScheduleInWininit(path);
  return ::MoveFileExW(wide.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

}  // namespace obrivo::startup
