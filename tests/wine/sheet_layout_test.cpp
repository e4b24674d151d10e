// Every page of the sheet as a person reads it: the tab captions, and heading texts that fit
// their controls and stay clear of the list below them.
#include "explorer/sheet.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "common/win32/window.h"
#include "core/explorer_pages.h"
#include "explorer/explorer_state.h"
#include "explorer_ids.h"
#include "test_process.h"
#include "wine_test_env.h"

namespace obrivo::explorer {
namespace {

using namespace std::chrono_literals;

RECT RectIn(HWND parent, HWND child) {
  RECT r{};
  ::GetWindowRect(child, &r);
  ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// The height the control's text needs at the control's width, in its own font.
int NeededHeight(HWND control) {
  RECT client{};
  ::GetClientRect(control, &client);
  return win32::WrappedTextHeight(control, win32::WindowTextW(control), client.right);
}

class SheetLayout : public test::SandboxedTest {
 protected:
  void SetUp() override {
    SandboxedTest::SetUp();
    CreateSharedResources(common::App().instance);
  }
  void TearDown() override { ReleaseSharedResources(); }
};

std::vector<std::wstring> TabCaptions(HWND sheet) {
  std::vector<std::wstring> captions;
  HWND tabs = PropSheet_GetTabControl(sheet);
  for (int i = 0; i < TabCtrl_GetItemCount(tabs); ++i) {
    wchar_t text[64] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    TabCtrl_GetItem(tabs, i, &item);
    captions.push_back(text);
  }
  return captions;
}

TEST_F(SheetLayout, TabCaptionsAndHeadingsFitAboveTheList) {
  const auto pages = core::SheetPagesFor(common::App().ntFamily);
  std::thread driver([&] {
    HWND sheet = nullptr;
    test::WaitUntil([&] { return (sheet = Explorer().sheet) != nullptr; }, 10s);
    if (!sheet) {
      ADD_FAILURE() << "the sheet did not open";
      return;
    }
    // Captions as a tab shows them, not as the tray menu words the same pages.
    EXPECT_EQ(TabCaptions(sheet),
              (std::vector<std::wstring>{L"Startup Programs", L" Delayed Start ", L" ActiveX ",
                                         L" IE Helpers ", L" Scheduled Tasks ", L" Services ",
                                         L" Active Tasks ", L"Cookies", L" File Types ",
                                         L" Hidden Files ", L" Recent ", L"PLUS",
                                         L" Options  "}));
    for (int i = 0; i < static_cast<int>(pages.size()); ++i) {
      SCOPED_TRACE(pages[static_cast<std::size_t>(i)].code);
      ::SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(i), 0);
      HWND page = PropSheet_GetCurrentPageHwnd(sheet);
      ASSERT_NE(page, nullptr);
      HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
      for (int id : {IDC_HEADING, IDC_HEADING2}) {
        HWND heading = ::GetDlgItem(page, id);
        if (!heading || win32::WindowTextW(heading).empty()) continue;
        SCOPED_TRACE(id);
        RECT client{};
        ::GetClientRect(heading, &client);
        EXPECT_LE(NeededHeight(heading), client.bottom) << "the text is cut off";
        if (list) EXPECT_LE(RectIn(page, heading).bottom, RectIn(page, list).top);
      }
    }
    ::PostMessageW(sheet, WM_CLOSE, 0, 0);
  });
  OpenSheet(6026);
  driver.join();
}

}  // namespace
}  // namespace obrivo::explorer
