// Starting, finding, waiting for and ending the programs under test.
#include "test_process.h"

#include <tlhelp32.h>

#include <cstring>
#include <thread>
#include <utility>
#include <vector>

namespace obrivo::test {

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

Process::Process(const std::wstring& exe, const std::wstring& arguments,
                 const std::wstring& workingDir) {
  std::wstring commandLine = L"\"" + exe + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  Start(exe, std::move(commandLine), workingDir);
}

Process Process::WithCommandLine(const std::wstring& exe, std::wstring commandLine) {
  Process p;
  p.Start(exe, std::move(commandLine), L"");
  return p;
}

void Process::Start(const std::wstring& exe, std::wstring commandLine,
                    const std::wstring& workingDir) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       workingDir.empty() ? nullptr : workingDir.c_str(), &startup, &info)) {
    ::CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
  }
}

Process::~Process() { Kill(); }

Process::Process(Process&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)), id_(std::exchange(other.id_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Kill();
    process_ = std::exchange(other.process_, nullptr);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

DWORD Process::WaitForExit(std::chrono::milliseconds timeout) {
  if (!process_) return 0;
  if (::WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
    return STILL_ACTIVE;
  DWORD code = 0;
  ::GetExitCodeProcess(process_, &code);
  return code;
}

bool Process::Running() const {
  return process_ && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

void Process::Kill() {
  if (!process_) return;
  if (Running()) {
    ::TerminateProcess(process_, 1);
    ::WaitForSingleObject(process_, 10000);
  }
  ::CloseHandle(process_);
  process_ = nullptr;
}

std::vector<DWORD> ProcessesIn(const std::wstring& folder, const wchar_t* file) {
  std::vector<DWORD> found;
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return found;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  std::vector<DWORD> ids;
  for (BOOL ok = ::Process32FirstW(snapshot, &entry); ok; ok = ::Process32NextW(snapshot, &entry))
    ids.push_back(entry.th32ProcessID);
  ::CloseHandle(snapshot);
  const std::wstring wanted = file ? folder + L"\\" + file : folder;
  for (DWORD id : ids) {
    const std::wstring image = ProcessImage(id);
    const bool whole = !file || image.size() == wanted.size();
    if (whole && _wcsnicmp(image.c_str(), wanted.c_str(), wanted.size()) == 0) found.push_back(id);
  }
  return found;
}

void KillProcessesIn(const std::wstring& folder) {
  for (DWORD id : ProcessesIn(folder)) {
    HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (!process) continue;
    ::TerminateProcess(process, 1);
    ::WaitForSingleObject(process, 10000);
    ::CloseHandle(process);
  }
}

std::wstring ProcessImage(DWORD id) {
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
  if (!process) return {};
  wchar_t path[MAX_PATH * 2];
  DWORD size = MAX_PATH * 2;
  const bool named = ::QueryFullProcessImageNameW(process, 0, path, &size) != FALSE;
  ::CloseHandle(process);
  return named ? std::wstring(path, size) : std::wstring();
}

std::wstring ProgramStartedBy(const std::wstring& commandLine) {
  std::wstring line = commandLine;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        nullptr, &startup, &info))
    return {};
  const std::wstring image = ProcessImage(info.dwProcessId);
  ::TerminateProcess(info.hProcess, 1);
  ::WaitForSingleObject(info.hProcess, 10000);
  ::CloseHandle(info.hThread);
  ::CloseHandle(info.hProcess);
  return image;
}

HWND FindTopWindow(const wchar_t* className, const wchar_t* title) {
  return ::FindWindowW(className, title);
}

HWND WaitForWindow(const wchar_t* className, const wchar_t* title,
                   std::chrono::milliseconds timeout) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = ::FindWindowW(className, title)) != nullptr; }, timeout);
  return found;
}

std::wstring WindowText(HWND window) {
  wchar_t buffer[2048] = {};
  ::SendMessageTimeoutW(window, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(buffer),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
  return buffer;
}

int FontHeight(HWND control) {
  auto font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
  LOGFONTW logFont{};
  if (!font || ::GetObjectW(font, sizeof logFont, &logFont) != sizeof logFont) return 0;
  return logFont.lfHeight < 0 ? -logFont.lfHeight : logFont.lfHeight;
}

RECT SendDpiChanged(HWND window, int dpi, const RECT& at, int atDpi) {
  RECT suggested{at.left + 8, at.top + 8, 0, 0};
  suggested.right = suggested.left + ::MulDiv(at.right - at.left, dpi, atDpi);
  suggested.bottom = suggested.top + ::MulDiv(at.bottom - at.top, dpi, atDpi);
  ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  return suggested;
}

bool HasRect(HWND window, const RECT& expected) {
  RECT r{};
  return ::GetWindowRect(window, &r) && ::EqualRect(&r, &expected);
}

HWND FindDialogOf(DWORD processId) {
  struct Search {
    DWORD pid;
    HWND found;
  } search{processId, nullptr};
  ::EnumWindows(
      [](HWND window, LPARAM lParam) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lParam);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        wchar_t cls[64] = {};
        ::GetClassNameW(window, cls, 64);
        if (pid == s->pid && wcscmp(cls, L"#32770") == 0 && ::IsWindowVisible(window)) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring HostToWine(std::wstring path) {
  if (!path.empty() && path.front() == L'/') {
    for (auto& c : path)
      if (c == L'/') c = L'\\';
    path = L"Z:" + path;
  }
  return path;
}

std::wstring EnvVar(const wchar_t* name) {
  wchar_t buffer[4096];
  const DWORD length = ::GetEnvironmentVariableW(name, buffer, 4096);
  return length && length < 4096 ? std::wstring(buffer, length) : std::wstring();
}

namespace {

// The screen as 24-bit rows, bottom row first.
std::vector<BYTE> CaptureScreen(BITMAPINFO& info) {
  const int width = ::GetSystemMetrics(SM_CXSCREEN);
  const int height = ::GetSystemMetrics(SM_CYSCREEN);
  info = BITMAPINFO{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  const DWORD rowBytes = ((width * 3 + 3) / 4) * 4;
  std::vector<BYTE> pixels(static_cast<std::size_t>(rowBytes) * height);
  HDC screen = ::GetDC(nullptr);
  void* bits = nullptr;
  HDC memory = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  ::GdiFlush();
  if (bits) std::memcpy(pixels.data(), bits, pixels.size());
  ::SelectObject(memory, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  return pixels;
}

}  // namespace

bool SaveDesktopScreenshot(const std::wstring& fileName, HWND shown) {
  const std::wstring folder = HostToWine(EnvVar(L"OBRIVO_ARTIFACTS_DIR"));  // set by ctest
  if (folder.empty()) return false;
  ::CreateDirectoryW(folder.c_str(), nullptr);
  // The window painted now (its thread answers before this returns), then the picture taken
  // once the screen holds still: what is drawn reaches the screen a moment after the painting.
  if (shown)
    ::RedrawWindow(shown, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  BITMAPINFO info{};
  std::vector<BYTE> pixels = CaptureScreen(info);
  WaitUntil(
      [&] {
        std::vector<BYTE> again = CaptureScreen(info);
        const bool still = again == pixels;
        pixels = std::move(again);
        return still;
      },
      std::chrono::seconds(5));
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  bool ok = false;
  HANDLE out = ::CreateFileW((folder + L"\\" + fileName).c_str(), GENERIC_WRITE, 0, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    ok = ::WriteFile(out, &file, sizeof file, &written, nullptr) &&
         ::WriteFile(out, &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) &&
         ::WriteFile(out, pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
    ::CloseHandle(out);
  }
  return ok;
}

}  // namespace obrivo::test
