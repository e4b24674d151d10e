// Starting, finding, waiting for and ending the programs under test.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace obrivo::test {

// Polls `condition` until it holds or `timeout` passes; true when it held.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(20));

// A started process; ended (and waited for) when the object goes away.
class Process {
 public:
  Process() = default;
  Process(const std::wstring& exe, const std::wstring& arguments,
          const std::wstring& workingDir = L"");
  // Started with exactly `commandLine`, whose first word need not name `exe` nor be quoted.
  static Process WithCommandLine(const std::wstring& exe, std::wstring commandLine);
  ~Process();
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool started() const { return process_ != nullptr; }
  DWORD id() const { return id_; }
  // Exit code once ended within `timeout`; STILL_ACTIVE otherwise.
  DWORD WaitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(20));
  bool Running() const;
  void Kill();

 private:
  void Start(const std::wstring& exe, std::wstring commandLine, const std::wstring& workingDir);

  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// The running processes whose image lies in `folder` (and is the file named `file`, when given).
std::vector<DWORD> ProcessesIn(const std::wstring& folder, const wchar_t* file = nullptr);
// Ends every process whose image lies in `folder` (programs started by the programs under test).
void KillProcessesIn(const std::wstring& folder);
// The image file of a running process; empty while it cannot be read.
std::wstring ProcessImage(DWORD id);
// The program Windows starts for `commandLine` taken whole, as it starts a Run key's value: the
// process is created suspended, named and ended at once. Empty when nothing starts.
std::wstring ProgramStartedBy(const std::wstring& commandLine);

// The visible or hidden top-level window of a class (and title, when given).
HWND FindTopWindow(const wchar_t* className, const wchar_t* title = nullptr);
HWND WaitForWindow(const wchar_t* className, const wchar_t* title = nullptr,
                   std::chrono::milliseconds timeout = std::chrono::seconds(20));

std::wstring WindowText(HWND window);
// The character height in pixels of the font `control` shows its text in (WM_GETFONT); 0 when it
// has none of its own.
int FontHeight(HWND control);
// Does what the system does when it moves top-level `window` to another DPI (Wine never does):
// sends WM_DPICHANGED for `dpi`, suggesting `at` (the window's rectangle at `atDpi`) scaled to
// `dpi` and moved a little down and to the right. Returns the rectangle it suggested.
RECT SendDpiChanged(HWND window, int dpi, const RECT& at, int atDpi);
// True when `window`'s rectangle is `expected`.
bool HasRect(HWND window, const RECT& expected);

// A message box or dialog owned by `processId`, when one is shown.
HWND FindDialogOf(DWORD processId);

std::wstring EnvVar(const wchar_t* name);
// A host path ("/work/...") as Wine's programs see it ("Z:\\work\\..."); other paths unchanged.
std::wstring HostToWine(std::wstring path);
// Writes a screenshot of the whole desktop to `fileName` in the artifacts folder (BMP), once
// `shown` (when given) has painted and the screen has stopped changing.
bool SaveDesktopScreenshot(const std::wstring& fileName, HWND shown = nullptr);

}  // namespace obrivo::test
