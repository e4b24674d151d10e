// The Explorer in a session whose system DPI is 144 (tools/test-session start DIR 144): the fonts
// the program makes itself grow with the DPI as the dialogs' own text does. Keeps a screenshot of
// the Startup page.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "common/store.h"
#include "common/win32/dpi.h"
#include "common/win32/wide.h"
#include "explorer/explorer_state.h"
#include "explorer_driver.h"
#include "explorer_ids.h"
#include "test_process.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

constexpr int kSessionDpi = 144;
constexpr int kLabelHeightAt96 = 12;  // the corner labels' font, in pixels at 96 DPI

class HighDpi : public SandboxedTest {
 protected:
  void SetUp() override {
    SandboxedTest::SetUp();
    explorer::CreateSharedResources(common::App().instance);
  }
  void TearDown() override { explorer::ReleaseSharedResources(); }
};

TEST_F(HighDpi, StartupPageLabelsAreAsLargeAsTheTextAroundThem) {
  // A row with the program's own icon and version information, for the screenshot.
  const std::string program =
      win32::Narrow(HostToWine(EnvVar(L"OBRIVO_BIN_DIR"))) + "\\ObrivoEx.exe";
  ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER,
                                       "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                       "Obrivo Explorer", "\"" + program + "\" -START"));
  RunSheet(6026, [](HWND sheet, HWND page) {
    ASSERT_EQ(win32::WindowDpi(sheet), kSessionDpi) << "the session's DPI reaches the sheet";
    const int dialogText = FontHeight(::GetDlgItem(page, IDC_HEADING));
    for (int id : {IDC_HELP_LABEL, IDC_MONITOR_LABEL}) {
      SCOPED_TRACE(id);
      const int label = FontHeight(::GetDlgItem(page, id));
      EXPECT_GE(label * 10, kLabelHeightAt96 * 14) << "at least 1.4 times its size at 96 DPI";
      EXPECT_GE(label, dialogText) << "not smaller than the dialog's own text";
    }
    EXPECT_GE(::SendDlgItemMessageW(page, IDC_PAGE_LIST, LVM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_TRUE(SaveDesktopScreenshot(L"explorer-startup-page-144dpi.bmp", sheet));
  });
}

}  // namespace
}  // namespace obrivo::test
