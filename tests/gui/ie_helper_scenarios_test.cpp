// Browser add-ons end to end with the real Monitor: an installer registers a BHO with reg.exe,
// the Monitor notices at its next patrol and asks. No deletes the registrations and leaves the
// file alone: the fixture library leaves a marker beside itself whenever anything loads it.
// Yes accepts the add-on, which is then not asked about again.
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

constexpr wchar_t kBhoKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
constexpr wchar_t kBaseline[] = L"Software\\Tolvane\\Obrivo\\IEHelpers";
constexpr wchar_t kAlertTitle[] = L"Obrivo New Program Alert";
constexpr wchar_t kClassA[] = L"{6C1D0F3E-0000-4000-8000-0000000000A1}";
constexpr wchar_t kClassB[] = L"{6C1D0F3E-0000-4000-8000-0000000000B2}";
constexpr int kYesButton = 6, kNoButton = 7, kCommandField = 1026, kMessageText = 1036;

class IEHelperScenario : public ProgramScenario {
 protected:
  void SetUp() override {
    ProgramScenario::SetUp();
    const std::wstring bin = HostToWine(EnvVar(L"OBRIVO_BIN_DIR"));
    // In a folder with a space: the path must be taken whole.
    addOnFolder_ = folder_ + L"\\Add on";
    ::CreateDirectoryW(addOnFolder_.c_str(), nullptr);
    for (const wchar_t* name : {L"helper a.dll", L"helper b.dll"}) {
      const std::wstring dll = addOnFolder_ + L"\\" + name;
      ASSERT_TRUE(::CopyFileW((bin + L"\\processes\\planted_library.dll").c_str(), dll.c_str(),
                              FALSE));
      ::DeleteFileW((dll + L".loaded").c_str());
    }
  }
  void TearDown() override {
    nudge_ = Process();
    KillProcessesIn(folder_);
    for (const wchar_t* clsid : {kClassA, kClassB}) {
      ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(kBhoKey) + L"\\" + clsid).c_str());
      ::RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + clsid).c_str());
    }
    std::filesystem::remove_all(std::filesystem::path(addOnFolder_));
    ProgramScenario::TearDown();
  }

  std::wstring Dll(const wchar_t* clsid) const {
    return addOnFolder_ + (clsid == kClassA ? L"\\helper a.dll" : L"\\helper b.dll");
  }

  static void Reg(const std::wstring& arguments) {
    Process reg(L"C:\\windows\\system32\\reg.exe", arguments);
    ASSERT_TRUE(reg.started());
    ASSERT_EQ(reg.WaitForExit(), 0u) << "reg.exe " << std::string(arguments.begin(), arguments.end());
  }

  // Registers the class and the BHO the way an installer's script would.
  void RegisterWithReg(const wchar_t* clsid) {
    Reg(std::wstring(L"add HKCR\\CLSID\\") + clsid + L"\\InprocServer32 /ve /t REG_SZ /d \"" +
        Dll(clsid) + L"\" /f");
    Reg(std::wstring(L"add \"HKLM\\") + kBhoKey + L"\\" + clsid + L"\" /f");
  }

  static bool Registered(const wchar_t* clsid) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kBhoKey) + L"\\" + clsid).c_str(), 0,
                        KEY_READ, &key) != ERROR_SUCCESS)
      return false;
    ::RegCloseKey(key);
    return true;
  }
  static bool ClassRegistered(const wchar_t* clsid) {
    return !GetString(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + clsid + L"\\InprocServer32").c_str(),
                      nullptr)
                .empty();
  }
  static std::wstring Baseline(const wchar_t* clsid) {
    return GetString(HKEY_CURRENT_USER, kBaseline, (std::wstring(L"900 ") + clsid).c_str());
  }
  static bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  // Waits for the IE-helper alert, nudging the Monitor now and then.
  HWND WaitForAlert(HWND monitor, DWORD monitorId) {
    HWND alert = nullptr;
    const auto isAddOnAlert = [&] {
      alert = FindDialogOf(monitorId);
      return alert && WindowText(alert) == kAlertTitle && ::IsWindowVisible(alert) &&
             WindowText(::GetDlgItem(alert, kMessageText)).find(L"Internet Explorer Add-On") !=
                 std::wstring::npos;
    };
    for (int round = 0; round < 12; ++round) {
      Nudge(monitor);
      if (WaitUntil(isAddOnAlert, 5s)) return alert;
    }
    return nullptr;
  }

  static void Press(HWND alert, int button) {
    ::SendMessageW(::GetDlgItem(alert, button), BM_CLICK, 0, 0);
  }

  std::wstring addOnFolder_;
};

TEST_F(IEHelperScenario, NoDeletesTheRegistrationAndNeverLoadsTheFile) {
  Process monitor;
  HWND window = StartMonitor(monitor);
  ASSERT_NE(window, nullptr);
  RegisterWithReg(kClassA);
  HWND alert = WaitForAlert(window, monitor.id());
  ASSERT_NE(alert, nullptr) << "the IE-helper alert";
  EXPECT_NE(WindowText(::GetDlgItem(alert, kCommandField)).find(L"helper a.dll"),
            std::wstring::npos)
      << "the file it found";
  SaveDesktopScreenshot(L"monitor-new-ie-helper.bmp");
  Press(alert, kNoButton);

  EXPECT_TRUE(WaitUntil([&] { return !Registered(kClassA); }, 10s)) << "the BHO key is gone";
  EXPECT_TRUE(WaitUntil([&] { return !ClassRegistered(kClassA); }, 5s))
      << "its class belonged to it alone";
  EXPECT_TRUE(WaitUntil([&] { return History().find("IEHELPER_Remove") != std::string::npos; }, 5s))
      << History();
  EXPECT_NE(History().find("IEHELPER_Alert"), std::string::npos) << History();
  EXPECT_TRUE(Baseline(kClassA).empty());
  EXPECT_TRUE(Exists(Dll(kClassA))) << "the file stays on disk";
  EXPECT_FALSE(Exists(Dll(kClassA) + L".loaded")) << "the file was never loaded";
}

TEST_F(IEHelperScenario, YesAcceptsTheAddOnWhichIsNotAskedAboutAgain) {
  Process monitor;
  HWND window = StartMonitor(monitor);
  ASSERT_NE(window, nullptr);
  RegisterWithReg(kClassA);
  HWND alert = WaitForAlert(window, monitor.id());
  ASSERT_NE(alert, nullptr) << "the IE-helper alert";
  Press(alert, kYesButton);
  EXPECT_TRUE(WaitUntil([&] { return !Baseline(kClassA).empty(); }, 10s));
  EXPECT_EQ(Baseline(kClassA), L"900") << "known by its kind and class";
  EXPECT_TRUE(Registered(kClassA));

  // A second add-on: the next alert is about it, so the check that raised it passed the first.
  RegisterWithReg(kClassB);
  alert = WaitForAlert(window, monitor.id());
  ASSERT_NE(alert, nullptr) << "the alert for the second add-on";
  EXPECT_NE(WindowText(::GetDlgItem(alert, kCommandField)).find(L"helper b.dll"),
            std::wstring::npos)
      << "the accepted add-on is not asked about again";
  Press(alert, kYesButton);
  EXPECT_TRUE(WaitUntil([&] { return !Baseline(kClassB).empty(); }, 10s));
  EXPECT_FALSE(Exists(Dll(kClassA) + L".loaded"));
}

}  // namespace
}  // namespace obrivo::test
