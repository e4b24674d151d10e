// The first-run tour that `tools/run.sh --demo` shows a newcomer: the real installer puts Obrivo
// in place, the installed Monitor starts, a program adds itself to the Run key as programs do,
// and the Monitor's alert and the Explorer's Startup page are saved as pictures.
//
//   obrivo_demo.exe <setup.exe> <folder for the pictures>
//
// Exit code 0 once both pictures are written; otherwise it says on stderr which step failed.
#include <windows.h>

#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "explorer_probe.h"
#include "monitor/monitor.h"
#include "test_process.h"

namespace {

using namespace std::chrono_literals;
using namespace obrivo::test;

constexpr wchar_t kInstallFolder[] = L"C:\\Program Files\\Obrivo";
constexpr wchar_t kUserRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kProgramFolder[] = L"C:\\Program Files\\Fabrikam Updater";
constexpr wchar_t kProgramName[] = L"Fabrikam Updater";
constexpr wchar_t kAlertTitle[] = L"Obrivo New Program Alert";

int Fail(const char* step) {
  std::fprintf(stderr, "demo: %s\n", step);
  return 1;
}

std::wstring Installed(const wchar_t* file) { return std::wstring(kInstallFolder) + L"\\" + file; }

// A program that adds itself to the Run key of the current user, as an updater would: a real
// program file (a copy of Notepad, so that the alert has an icon and a version to show).
bool AddProgramToRunKey() {
  ::CreateDirectoryW(kProgramFolder, nullptr);
  const std::wstring program = std::wstring(kProgramFolder) + L"\\updater.exe";
  wchar_t system[MAX_PATH] = {};
  ::GetSystemDirectoryW(system, MAX_PATH);
  if (!::CopyFileW((std::wstring(system) + L"\\notepad.exe").c_str(), program.c_str(), FALSE))
    return false;
  const std::wstring command = L"\"" + program + L"\" /background";
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kUserRun, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
    return false;
  const LONG rc =
      ::RegSetValueExW(key, kProgramName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  ::RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

HWND WaitForNewProgramAlert(DWORD monitorId) {
  HWND alert = nullptr;
  WaitUntil(
      [&] {
        alert = FindDialogOf(monitorId);
        return alert && WindowText(alert) == kAlertTitle && ::IsWindowVisible(alert);
      },
      90s);
  return alert && WindowText(alert) == kAlertTitle ? alert : nullptr;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  if (!argv || argc != 3) return Fail("usage: obrivo_demo <setup.exe> <folder for the pictures>");
  const std::wstring setup = argv[1];
  ::SetEnvironmentVariableW(L"OBRIVO_ARTIFACTS_DIR", argv[2]);

  // A silent install, as an administrator deploying it would run it.
  Process installer = Process::WithCommandLine(setup, L"\"" + setup + L"\" /S");
  if (!installer.started()) return Fail("the installer did not start");
  if (installer.WaitForExit(180s) != 0) return Fail("the installer failed");
  if (::GetFileAttributesW(Installed(L"Obrivo.exe").c_str()) == INVALID_FILE_ATTRIBUTES)
    return Fail("the installer left no Obrivo.exe in Program Files\\Obrivo");

  Process monitor(Installed(L"Obrivo.exe"), L"", kInstallFolder);
  HWND window = WaitForWindow(L"Obrivo", nullptr, 60s);
  if (!window) return Fail("the Monitor's window did not appear");
  if (!WaitUntil([&] { return ::GetPropW(window, obrivo::monitor::kPatrolRunningProperty); }, 60s))
    return Fail("the Monitor's patrol did not start");

  if (!AddProgramToRunKey()) return Fail("could not add the program to the Run key");
  HWND alert = WaitForNewProgramAlert(monitor.id());
  if (!alert) return Fail("no alert for the new Run entry");
  if (!SaveDesktopScreenshot(L"demo-alert.bmp", alert)) return Fail("no picture of the alert");
  // Yes: the user knows this program; it stays and joins the baseline.
  ::SendMessageW(::GetDlgItem(alert, IDYES), BM_CLICK, 0, 0);
  WaitUntil([&] { return !::IsWindow(alert); }, 20s);

  Process explorer(Installed(L"ObrivoEx.exe"), L"-START", kInstallFolder);
  HWND sheet = WaitForSheet(60s);
  if (!sheet) return Fail("the Explorer's Startup page did not open");
  if (!SaveDesktopScreenshot(L"demo-startup-page.bmp", sheet))
    return Fail("no picture of the Startup page");

  // The Monitor's window closes without its exit question; the Explorer ends on -Q.
  Process quit(Installed(L"ObrivoEx.exe"), L"-Q", kInstallFolder);
  quit.WaitForExit(30s);
  explorer.WaitForExit(30s);
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  monitor.WaitForExit(30s);
  return 0;
}
