// File types end to end with the real Monitor: another program takes over .txt (the .txt key now
// names a class of its own, as an installer would write it); the Monitor notices at its next
// file-types patrol and shows the File Type Change Alert with both commands; No writes the
// accepted association back.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "program_scenario.h"
#include "test_process.h"

namespace obrivo::test {
namespace {

using namespace std::chrono_literals;

constexpr wchar_t kTxtKey[] = L"Software\\Classes\\.txt";
constexpr wchar_t kTakeOverClass[] = L"ObrivoScenario.Text";
constexpr wchar_t kTakeOverCommand[] =
    L"Software\\Classes\\ObrivoScenario.Text\\shell\\open\\command";
constexpr wchar_t kAlertTitle[] = L"Obrivo File Type Change Alert";
constexpr int kNoButton = 7, kExtension = 2401, kOldCommand = 2405, kNewCommand = 2409;

class FileTypeScenario : public ProgramScenario {
 protected:
  void SetUp() override {
    ProgramScenario::SetUp();
    original_ = GetString(HKEY_LOCAL_MACHINE, kTxtKey, nullptr);
    ASSERT_FALSE(original_.empty()) << "the prefix associates .txt";
    // The check is due at every file-types pass, brought forward by a nudge.
    SetOption(L"FileType", L"1");
    SetOption(L"RealtimeFileType", L"1");
  }
  void TearDown() override {
    nudge_ = Process();
    KillProcessesIn(folder_);
    SetString(HKEY_LOCAL_MACHINE, kTxtKey, nullptr, original_.c_str());
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\ObrivoScenario.Text");
    ProgramScenario::TearDown();
  }

  HWND WaitForAlert(HWND monitor, DWORD monitorId) {
    HWND alert = nullptr;
    const auto shown = [&] {
      alert = FindDialogOf(monitorId);
      return alert && WindowText(alert) == kAlertTitle && ::IsWindowVisible(alert);
    };
    for (int round = 0; round < 12; ++round) {
      Nudge(monitor);
      if (WaitUntil(shown, 5s)) return alert;
    }
    return nullptr;
  }

  std::wstring original_;
};

TEST_F(FileTypeScenario, ChangingTheTxtAssociationAlertsAndNoPutsItBack) {
  Process monitor;
  HWND window = StartMonitor(monitor);
  ASSERT_NE(window, nullptr);
  const std::wstring takeOver = helper_ + L" \"%1\"";
  ASSERT_EQ(SetString(HKEY_LOCAL_MACHINE, kTakeOverCommand, nullptr, takeOver.c_str()),
            ERROR_SUCCESS);
  ASSERT_EQ(SetString(HKEY_LOCAL_MACHINE, kTxtKey, nullptr, kTakeOverClass), ERROR_SUCCESS);

  HWND alert = WaitForAlert(window, monitor.id());
  ASSERT_NE(alert, nullptr) << "the File Type Change Alert";
  EXPECT_EQ(WindowText(::GetDlgItem(alert, kExtension)), L".TXT") << "as the list spells it";
  EXPECT_NE(WindowText(::GetDlgItem(alert, kOldCommand)).find(L"notepad.exe"), std::wstring::npos);
  EXPECT_NE(WindowText(::GetDlgItem(alert, kNewCommand)).find(L"obrivo_test_helper.exe"),
            std::wstring::npos);
  SaveDesktopScreenshot(L"monitor-file-type-alert.bmp");
  ::SendMessageW(::GetDlgItem(alert, kNoButton), BM_CLICK, 0, 0);

  EXPECT_TRUE(WaitUntil([&] { return GetString(HKEY_LOCAL_MACHINE, kTxtKey, nullptr) == original_; },
                        10s))
      << "the accepted class is written back";
  // Put back, the association is no change: the next passes do not ask again.
  for (int round = 0; round < 3; ++round) {
    Nudge(window);
    EXPECT_FALSE(WaitUntil([&] { return FindDialogOf(monitor.id()) != nullptr; }, 3s));
  }
}

}  // namespace
}  // namespace obrivo::test
