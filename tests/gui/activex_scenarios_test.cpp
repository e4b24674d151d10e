// ActiveX controls end to end with the real Monitor: an installer registers a control with
// reg.exe and the browser's statistics name it; the Monitor notices at its next ActiveX patrol and
// asks. No sets the control's kill bit, and the control is not asked about again.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "program_scenario.h"
#include "test_process.h"

namespace obrivo::test {
namespace {

using namespace std::chrono_literals;

constexpr wchar_t kStats[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats";
constexpr wchar_t kCompatibility[] =
    L"SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility";
constexpr wchar_t kBaseline[] = L"Software\\Tolvane\\Obrivo\\ActiveX";
constexpr wchar_t kAlertTitle[] = L"Obrivo New Program Alert";
constexpr wchar_t kClassA[] = L"{6D2E1F4A-0000-4000-8000-0000000000A1}";
constexpr wchar_t kClassB[] = L"{6D2E1F4A-0000-4000-8000-0000000000B2}";
constexpr int kYesButton = 6, kNoButton = 7, kCommandField = 1026, kMessageText = 1036;

class ActiveXScenario : public ProgramScenario {
 protected:
  void SetUp() override {
    ProgramScenario::SetUp();
    // Checked at every pass of its half, so that the test does not wait for four.
    SetOption(L"ActiveX", L"1");
  }
  void TearDown() override {
    nudge_ = Process();
    KillProcessesIn(folder_);
    for (const wchar_t* clsid : {kClassA, kClassB}) {
      ::RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kStats) + L"\\" + clsid).c_str());
      ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(kCompatibility) + L"\\" + clsid).c_str());
      ::RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + clsid).c_str());
    }
    ProgramScenario::TearDown();
  }

  static void Reg(const std::wstring& arguments) {
    Process reg(L"C:\\windows\\system32\\reg.exe", arguments);
    ASSERT_TRUE(reg.started());
    ASSERT_EQ(reg.WaitForExit(), 0u) << "reg.exe " << std::string(arguments.begin(), arguments.end());
  }

  // The control's class as its installer registers it, and the browser's note that it used it.
  void RegisterWithReg(const wchar_t* clsid, const std::wstring& file) {
    Reg(std::wstring(L"add HKCR\\CLSID\\") + clsid + L"\\InprocServer32 /ve /t REG_SZ /d \"" +
        file + L"\" /f");
    Reg(std::wstring(L"add \"HKCU\\") + kStats + L"\\" + clsid + L"\\iexplore\" /v Type /t "
        L"REG_DWORD /d 1 /f");
  }

  static DWORD Flags(const wchar_t* clsid) {
    DWORD flags = 0, size = sizeof flags;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, (std::wstring(kCompatibility) + L"\\" + clsid).c_str(),
                       L"Compatibility Flags", RRF_RT_REG_DWORD, nullptr, &flags,
                       &size) != ERROR_SUCCESS)
      return 0;
    return flags;
  }
  static std::wstring Baseline(const wchar_t* clsid) {
    return GetString(HKEY_CURRENT_USER, kBaseline, clsid);
  }

  // Waits for the ActiveX alert, nudging the Monitor now and then.
  HWND WaitForAlert(HWND monitor, DWORD monitorId) {
    HWND alert = nullptr;
    const auto isActiveXAlert = [&] {
      alert = FindDialogOf(monitorId);
      return alert && WindowText(alert) == kAlertTitle && ::IsWindowVisible(alert) &&
             WindowText(::GetDlgItem(alert, kMessageText)).find(L"ActiveX") != std::wstring::npos;
    };
    for (int round = 0; round < 12; ++round) {
      Nudge(monitor);
      if (WaitUntil(isActiveXAlert, 5s)) return alert;
    }
    return nullptr;
  }

  static void Press(HWND alert, int button) {
    ::SendMessageW(::GetDlgItem(alert, button), BM_CLICK, 0, 0);
  }
};

TEST_F(ActiveXScenario, NoSetsTheKillBitAndTheControlIsNotAskedAboutAgain) {
  Process monitor;
  HWND window = StartMonitor(monitor);
  ASSERT_NE(window, nullptr);
  RegisterWithReg(kClassA, L"C:\\Program Files\\Grid Maker\\grid a.ocx");
  HWND alert = WaitForAlert(window, monitor.id());
  ASSERT_NE(alert, nullptr) << "the ActiveX alert";
  EXPECT_NE(WindowText(::GetDlgItem(alert, kCommandField)).find(L"grid a.ocx"), std::wstring::npos)
      << "the file it found";
  SaveDesktopScreenshot(L"monitor-new-activex.bmp");
  Press(alert, kNoButton);

  EXPECT_TRUE(WaitUntil([&] { return (Flags(kClassA) & 0x400) != 0; }, 10s)) << "the kill bit";
  EXPECT_TRUE(WaitUntil([&] { return History().find("ACTIVEX_Disable") != std::string::npos; }, 5s))
      << History();
  EXPECT_NE(History().find("IEHELPER_Alert"), std::string::npos) << History();
  EXPECT_EQ(Baseline(kClassA), L"1200") << "known, whatever the answer";

  // A second control: the next alert is about it, so the check that raised it passed the first.
  RegisterWithReg(kClassB, L"C:\\Program Files\\Grid Maker\\grid b.ocx");
  alert = WaitForAlert(window, monitor.id());
  ASSERT_NE(alert, nullptr) << "the alert for the second control";
  EXPECT_NE(WindowText(::GetDlgItem(alert, kCommandField)).find(L"grid b.ocx"), std::wstring::npos)
      << "the rejected control is not asked about again";
  Press(alert, kYesButton);
  EXPECT_TRUE(WaitUntil([&] { return !Baseline(kClassB).empty(); }, 10s));
  EXPECT_EQ(Flags(kClassB) & 0x400, 0u) << "Yes leaves it enabled";
  EXPECT_NE(Flags(kClassA) & 0x400, 0u) << "and the first stays disabled";
}

}  // namespace
}  // namespace obrivo::test
