// Running programs, found by the file they run from.
#include "system/processes.h"

#include <tlhelp32.h>

#include <string>
#include <vector>

#include "common/app.h"
#include "common/history.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"
#include "core/text.h"

namespace obrivo::system {
namespace {

constexpr int kStopQuestionId = 707;
constexpr int kTitleId = 2;
constexpr int kKillEvent = 5;
constexpr int kProcessType = 600;

std::string ImagePath(DWORD processId) {
  win32::UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return {};
  std::vector<wchar_t> buffer(32768);
  DWORD size = static_cast<DWORD>(buffer.size());
  if (!::QueryFullProcessImageNameW(process.get(), 0, buffer.data(), &size)) return {};
  return win32::NarrowBuffer(buffer.data(), size);
}

bool Matches(std::string_view image, std::string_view wanted, std::string_view wantedFile) {
  if (image.empty()) return false;
  const std::string imageFile = common::CommandToProgramPath(image);
  if (core::EqualsNoCase(imageFile, wantedFile)) return true;
  return core::EqualsNoCase(core::FileNamePart(imageFile), wanted);
}

}  // namespace

DWORD FindProcessByPath(std::string_view path) {
  if (path.empty()) return 0;
  const std::string wantedFile = common::CommandToProgramPath(path);
  win32::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  const DWORD self = ::GetCurrentProcessId();
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == 0 || entry.th32ProcessID == self) continue;
    if (Matches(ImagePath(entry.th32ProcessID), path, wantedFile)) return entry.th32ProcessID;
  }
  return 0;
}

DWORD StopProgramByPath(HWND owner, std::string_view path, std::string_view name, bool ask) {
  const DWORD id = FindProcessByPath(path);
  if (id == 0) return 0;
  if (ask) {
    const std::string question =
        core::FormatText(common::LoadText(kStopQuestionId), name.empty() ? path : name);
    const int answer = ::MessageBoxExW(
        owner, win32::Wide(question).c_str(), win32::Wide(common::LoadText(kTitleId, 128)).c_str(),
        MB_YESNO | MB_ICONQUESTION | MB_TOPMOST, common::App().languageId);
    if (answer != IDYES) return id;
  }
  win32::UniqueHandle process(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, id));
  if (!process) return 0;
  // Ended with exit code 1: ending it with the code it reports while running (259, STILL_ACTIVE)
  // would make everyone who later reads its exit code believe it still runs.
  ::TerminateProcess(process.get(), 1);
  DWORD code = 0;
  for (int i = 0; i < 5; ++i) {
    if (::GetExitCodeProcess(process.get(), &code) && code != STILL_ACTIVE) break;
    ::Sleep(10);
  }
  common::WriteHistory(kKillEvent, kProcessType, name, path, "");
  // Stale tray icons of the ended program disappear once the taskbar repaints.
  if (HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr))
    ::InvalidateRect(taskbar, nullptr, TRUE);
  return id;
}

}  // namespace obrivo::system
