// The Options page with the real programs: what is set there reaches the running Monitor. The
// tray icon box hides the Monitor's icon and brings it back, also once the Monitor has reloaded
// its options through the change flag.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "explorer_probe.h"
#include "program_scenario.h"
#include "test_process.h"

namespace obrivo::test {
namespace {

using namespace std::chrono_literals;

constexpr int kHideTrayIconBox = 1025;
constexpr wchar_t kOptionsKey[] = L"Software\\Tolvane\\Obrivo\\Options";

class OptionsScenario : public ProgramScenario {
 protected:
  void TearDown() override {
    CloseExplorer();
    ProgramScenario::TearDown();
  }

  Process Start(const wchar_t* program, const std::wstring& arguments) {
    return Process(folder_ + L"\\" + program, arguments, folder_);
  }

  static std::wstring Option(const wchar_t* name) {
    return GetString(HKEY_CURRENT_USER, kOptionsKey, name);
  }
};

TEST_F(OptionsScenario, TheTrayIconBoxHidesAndBringsBackTheRunningMonitorsIcon) {
  Process monitor = Start(L"Obrivo.exe", L"");
  HWND window = WaitForWindow(L"Obrivo");
  ASSERT_NE(window, nullptr) << "the Monitor's window";
  ASSERT_TRUE(WaitUntil([&] { return TrayIconExists(window); })) << "the Monitor shows its icon";

  Process explorer = Start(L"ObrivoEx.exe", L"-OPTIONS");
  HWND sheet = WaitForSheet();
  ASSERT_NE(sheet, nullptr);
  ASSERT_EQ(CurrentPageCode(sheet), 6033);
  HWND box = ::GetDlgItem(PropSheet_GetCurrentPageHwnd(sheet), kHideTrayIconBox);
  ASSERT_NE(box, nullptr);

  ::PostMessageW(box, BM_CLICK, 0, 0);
  HWND message = WaitForWindow(L"#32770", L"Obrivo Help");
  ASSERT_NE(message, nullptr) << "the page says how to come back to it";
  ::PostMessageW(message, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitUntil([&] { return !TrayIconExists(window); })) << "the icon goes at once";
  EXPECT_EQ(Option(L"HideTavik"), L"1");

  // A program starting makes the Monitor look at the system; it reloads the options then. Any
  // start or patrol since the click may have done so already (Update back to 0).
  if (Option(L"Update") != L"0") {
    Process other(helper_, L"wait");
    EXPECT_TRUE(WaitUntil([] { return Option(L"Update") == L"0"; }, 60s))
        << "the Monitor reloads its options";
  }
  EXPECT_FALSE(TrayIconExists(window)) << "still hidden after the reload";

  ::PostMessageW(box, BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return TrayIconExists(window); }, 10s)) << "the icon is back";
  EXPECT_EQ(Option(L"HideTavik"), L"0");
  EXPECT_EQ(::FindWindowW(L"#32770", L"Obrivo Help"), nullptr) << "no message when unhiding";
}

}  // namespace
}  // namespace obrivo::test
