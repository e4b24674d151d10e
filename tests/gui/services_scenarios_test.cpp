// Services end to end with the real Monitor: sc.exe installs a new auto-start service, the
// Monitor notices at its services patrol and asks; No stops the service and disables it, and the
// history viewer's Restore sets its start type back.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "explorer_ids.h"
#include "program_scenario.h"
#include "test_process.h"

namespace obrivo::test {
namespace {

using namespace std::chrono_literals;

constexpr wchar_t kAlertTitle[] = L"Obrivo New Program Alert";
constexpr int kNoButton = 7, kLowerMessage = 1144;

class ServicesScenario : public ProgramScenario {
 protected:
  void SetUp() override {
    ProgramScenario::SetUp();
    const std::wstring id = std::to_wstring(::GetCurrentProcessId());
    key_ = L"ObrivoGuiService" + id;
    display_ = L"Fixture Gui Service " + id;
    program_ = HostToWine(EnvVar(L"OBRIVO_BIN_DIR")) + L"\\obrivo_test_service.exe";
  }
  void TearDown() override {
    if (SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)) {
      if (SC_HANDLE service = ::OpenServiceW(manager, key_.c_str(), SERVICE_ALL_ACCESS)) {
        SERVICE_STATUS status{};
        ::ControlService(service, SERVICE_CONTROL_STOP, &status);
        ::DeleteService(service);
        ::CloseServiceHandle(service);
      }
      ::CloseServiceHandle(manager);
    }
    ProgramScenario::TearDown();
  }

  std::optional<DWORD> StartType() const {
    std::optional<DWORD> start;
    SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) return start;
    if (SC_HANDLE service = ::OpenServiceW(manager, key_.c_str(), SERVICE_QUERY_CONFIG)) {
      DWORD needed = 0;
      ::QueryServiceConfigW(service, nullptr, 0, &needed);
      std::vector<std::uint64_t> buffer(needed / sizeof(std::uint64_t) + 1);
      auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
      if (needed && ::QueryServiceConfigW(service, config, needed, &needed))
        start = config->dwStartType;
      ::CloseServiceHandle(service);
    }
    ::CloseServiceHandle(manager);
    return start;
  }

  std::wstring key_, display_, program_;
};

TEST_F(ServicesScenario, NewAutoStartServiceIsAskedAboutAndNoDisablesItWithAnUndo) {
  SetOption(L"Services", L"1");
  SetOption(L"RealtimeServices", L"1");
  Process monitorProcess;
  HWND monitor = StartMonitor(monitorProcess);
  ASSERT_NE(monitor, nullptr);

  Process sc(L"C:\\windows\\system32\\sc.exe",
             L"create " + key_ + L" binpath= \"" + program_ + L"\" start= auto displayname= \"" +
                 display_ + L"\"");
  ASSERT_TRUE(sc.started());
  ASSERT_EQ(sc.WaitForExit(), 0u) << "sc.exe create";
  ASSERT_EQ(StartType(), std::optional<DWORD>(SERVICE_AUTO_START));

  // The services patrol runs in the second half of a pass, made due by the change.
  HWND alert = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        alert = FindDialogOf(monitorProcess.id());
        return alert && WindowText(alert) == kAlertTitle && ::IsWindowVisible(alert);
      },
      180s))
      << "the service alert";
  EXPECT_EQ(WindowText(::GetDlgItem(alert, kLowerMessage))
                .rfind(L"Startup Status: Automatic\r\nActive Status: Stopped.", 0),
            0u)
      << std::string(WindowText(::GetDlgItem(alert, kLowerMessage)).begin(),
                     WindowText(::GetDlgItem(alert, kLowerMessage)).end());
  ::SendMessageW(::GetDlgItem(alert, kNoButton), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return StartType() == std::optional<DWORD>(SERVICE_DISABLED); }, 20s))
      << "disabled";
  EXPECT_TRUE(WaitUntil([&] { return History().find("SERVICE_Disabled") != std::string::npos; },
                        10s))
      << History();
  EXPECT_NE(History().find("\tSERVICE_EXE\t"), std::string::npos) << History();

  // The history viewer, from the Options page: Restore sets the start type back.
  Process explorer;
  HWND sheet = OpenExplorer(explorer, L"-START");
  ASSERT_NE(sheet, nullptr);
  PropSheet_SetCurSel(sheet, nullptr, PageIndexOf(6033));
  ASSERT_TRUE(WaitUntil([&] { return CurrentPageCode(sheet) == 6033; }, 5s));
  ::PostMessageW(::GetDlgItem(PropSheet_GetCurrentPageHwnd(sheet), IDC_VIEW_HISTORY), BM_CLICK,
                 0, 0);
  HWND viewer = WaitForDialogBesides(explorer, sheet);
  ASSERT_NE(viewer, nullptr) << "the history viewer";
  ASSERT_TRUE(TypeToSelect(::GetDlgItem(viewer, IDC_PAGE_LIST), display_));
  EXPECT_TRUE(WaitUntil(
      [&] { return ::IsWindowEnabled(::GetDlgItem(viewer, IDC_HISTORY_RESTORE)) != FALSE; }, 5s));
  ::PostMessageW(::GetDlgItem(viewer, IDC_HISTORY_RESTORE), BM_CLICK, 0, 0);
  EXPECT_TRUE(
      WaitUntil([&] { return StartType() == std::optional<DWORD>(SERVICE_AUTO_START); }, 10s))
      << "the start type it had before";
  EXPECT_TRUE(WaitUntil([&] { return History().find("SERVICE_Automatic") != std::string::npos; },
                        10s))
      << History();
  ::PostMessageW(viewer, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(viewer); }, 10s));
  QuitExplorer(explorer);
}

}  // namespace
}  // namespace obrivo::test
