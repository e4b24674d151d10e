// Shared set-up of the alert tests: the Monitor's context in a sandboxed registry, an alert
// opened on this thread while another thread drives it, and a web-address handler that records
// what the Info button and the help page would have opened instead of starting a browser.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

#include "common/app.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/wide.h"
#include "monitor/alerts/alert_window.h"
#include "monitor/monitor_state.h"
#include "test_process.h"
#include "wine_test_env.h"

namespace obrivo::test {

inline HWND WaitForOwnDialog() {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindDialogOf(::GetCurrentProcessId())) != nullptr; },
            std::chrono::seconds(10));
  return found;
}

inline void Click(HWND dialog, int id) {
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

inline void CloseBox(HWND dialog) { ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }

inline std::wstring ControlText(HWND dialog, int id) {
  return WindowText(::GetDlgItem(dialog, id));
}

inline bool IsTopmost(HWND window) {
  return (::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

class AlertTest : public SandboxedTest {
 protected:
  void SetUp() override {
    SandboxedTest::SetUp();
    common::InitApp(core::Program::Monitor, ::GetModuleHandleW(nullptr));
    common::App().languageId = 9;
    monitor::MonitorState& s = monitor::State();
    s.caption = "Obrivo";
    s.mainWindow = nullptr;
    s.repeatCount = 0;
    s.lastAlertPath.clear();
    s.alertSuppress = 0;
    s.alertType = 0;
    // The alerts' fonts, as the Monitor sets them up with its main window.
    monitor::CreateAlertFonts();
    bin_ = win32::Narrow(HostToWine(EnvVar(L"OBRIVO_BIN_DIR")));
    // Web addresses go to the helper, which writes them into the record file.
    record_ =
        common::ProgramFolder() + "\\opened-" + std::to_string(::GetCurrentProcessId()) + ".txt";
    const std::string helper = bin_ + "\\obrivo_test_helper.exe";
    for (const char* scheme : {"https", "http"}) {
      common::WriteStoreString(HKEY_CLASSES_ROOT, scheme, "URL Protocol", "");
      common::WriteStoreString(HKEY_CLASSES_ROOT, std::string(scheme) + "\\shell\\open\\command",
                               "", "\"" + helper + "\" record " + record_ + " %1");
    }
    common::DeleteFileForce(record_);
  }

  void TearDown() override { common::DeleteFileForce(record_); }

  // The address handed to the browser, once it arrives (empty when none did); the record is
  // removed so the next one can be waited for.
  std::string OpenedAddress() {
    if (!WaitUntil([&] { return win32::IsExistingFile(record_); }, std::chrono::seconds(10)))
      return {};
    const std::string address = common::ReadTextFile(record_, false).value_or("");
    common::DeleteFileForce(record_);
    return address;
  }

  // Fills the alert context, opens the alert here and drives it from another thread.
  template <typename Show>
  int Open(Show show, const std::function<void(HWND)>& drive) {
    std::thread driver([&] {
      HWND dialog = WaitForOwnDialog();
      if (!dialog) return;
      drive(dialog);
      // A drive that failed half-way must not leave the alert blocking the test.
      if (!WaitUntil([&] { return !::IsWindow(dialog); }, std::chrono::seconds(5))) {
        ADD_FAILURE() << "the alert stayed open";
        ::PostMessageW(dialog, WM_CLOSE, 0, 0);
      }
    });
    const int result = show();
    driver.join();
    return result;
  }

  void SetContext(const std::string& path, const std::string& title, int type) {
    monitor::MonitorState& s = monitor::State();
    s.alertPath = path;
    s.alertTitle = title;
    s.alertType = type;
  }

  std::string bin_;     // the build's program folder, where the fixtures are
  std::string record_;  // where the recording helper writes the address it was given
};

}  // namespace obrivo::test
