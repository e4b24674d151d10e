// The sheet's pages as a person meets them: the tab captions, heading texts that fit their
// controls and stay clear of the list below them, the corner pictures under the mouse, and the
// pages' fonts and layout when the sheet moves to another DPI.
#include "explorer/sheet.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/store.h"
#include "common/win32/dpi.h"
#include "common/win32/window.h"
#include "core/dpi.h"
#include "core/explorer_pages.h"
#include "explorer/explorer_state.h"
#include "explorer_driver.h"
#include "explorer_ids.h"
#include "test_process.h"
#include "wine_test_env.h"

namespace obrivo::explorer {
namespace {

using namespace std::chrono_literals;
using test::PictureImage;
using test::PointOver;
using test::RectIn;

// The height the control's text needs at the control's width, in its own font.
int NeededHeight(HWND control) {
  RECT client{};
  ::GetClientRect(control, &client);
  return win32::WrappedTextHeight(control, win32::WindowTextW(control), client.right);
}

class SheetPages : public test::SandboxedTest {
 protected:
  void SetUp() override {
    SandboxedTest::SetUp();
    CreateSharedResources(common::App().instance);
  }
  void TearDown() override { ReleaseSharedResources(); }

  static void RunSheet(int code, const std::function<void(HWND sheet)>& drive) {
    test::RunSheet(code, [&](HWND sheet, HWND) { drive(sheet); });
  }
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

TEST_F(SheetPages, TabCaptionsAndHeadingsFitAboveTheList) {
  const auto pages = core::SheetPagesFor(common::App().ntFamily);
  RunSheet(6026, [&](HWND sheet) {
    // Captions as a tab shows them, not as the tray menu words the same pages.
    EXPECT_EQ(TabCaptions(sheet),
              (std::vector<std::wstring>{L"Startup Programs", L" Delayed Start ", L" ActiveX ",
                                         L" IE Helpers ", L" Scheduled Tasks ", L" Services ",
                                         L" Active Tasks ", L"Cookies", L" File Types ",
                                         L" Hidden Files ", L" Recent ", L"PLUS", L" Options  "}));
    for (int i = 0; i < static_cast<int>(pages.size()); ++i) {
      SCOPED_TRACE(pages[static_cast<std::size_t>(i)].code);
      ::SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(i), 0);
      HWND page = PropSheet_GetCurrentPageHwnd(sheet);
      ASSERT_NE(page, nullptr);
      HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
      for (int id : {IDC_HEADING, IDC_HEADING2, IDC_DELAYED_HEADING, IDC_DELAYED_HINT,
                     IDC_RECENT_HEADING, IDC_RECENT_HEADING2}) {
        HWND heading = ::GetDlgItem(page, id);
        if (!heading || win32::WindowTextW(heading).empty()) continue;
        SCOPED_TRACE(id);
        RECT client{};
        ::GetClientRect(heading, &client);
        EXPECT_LE(NeededHeight(heading), client.bottom) << "the text is cut off";
        if (list) {
          EXPECT_LE(RectIn(page, heading).bottom, RectIn(page, list).top);
        }
      }
    }
  });
}

TEST_F(SheetPages, HelpPictureShowsHoverAndPressAndActsOnlyWhenReleasedOverIt) {
  RunSheet(6026, [](HWND sheet) {
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    HWND help = ::GetDlgItem(page, IDC_HELP_PICTURE);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(PictureImage(help), 133);
    ::SendMessageW(page, WM_MOUSEMOVE, 0, PointOver(page, help));
    EXPECT_EQ(PictureImage(help), 134) << "hover";
    ::SendMessageW(page, WM_LBUTTONDOWN, MK_LBUTTON, PointOver(page, help));
    EXPECT_EQ(PictureImage(help), 135) << "pressed";
    // Let go elsewhere: no help page, and the picture is itself again.
    ::SendMessageW(page, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(2, 2));
    ::SendMessageW(page, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(PictureImage(help), 133);
    ::SendMessageW(page, WM_MOUSEMOVE, 0, PointOver(page, help));
    ::SendMessageW(page, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(PictureImage(help), 133) << "the mouse left";
  });
}

TEST_F(SheetPages, MonitorPictureShowsWhetherThePatrolWatches) {
  const struct {
    const char* interval;  // nullptr: option missing
    const char* realtime;
    int image;
  } cases[] = {
      {nullptr, nullptr, 193},  // defaults: patrolled every 2 and watched in real time
      {"0", "1", 154},          // off, whatever the real-time flag
      {"5", "0", 156},
      {"5", "1", 193},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.interval ? c.interval : "-") + "/" +
                 (c.realtime ? c.realtime : "-"));
    for (const auto& [name, value] :
         {std::pair{"Start", c.interval}, {"RealtimeStartup", c.realtime}}) {
      if (value)
        common::WriteStoreString(HKEY_CURRENT_USER, common::kOptionsKey, name, value);
      else
        common::DeleteStoreValue(HKEY_CURRENT_USER, common::kOptionsKey, name);
    }
    RunSheet(6026, [&](HWND sheet) {
      HWND monitor = ::GetDlgItem(PropSheet_GetCurrentPageHwnd(sheet), IDC_MONITOR_PICTURE);
      ASSERT_NE(monitor, nullptr);
      EXPECT_EQ(PictureImage(monitor), c.image);
    });
  }
}

// The system tells the sheet it now shows at another DPI (Wine never does: the test does). The
// sheet takes the suggested place; every page, shown or not, and a page made only afterwards,
// draws its corner labels at the new DPI's size; the corner pictures keep their scaled distance
// from the right edge.
TEST_F(SheetPages, LabelsAndLayoutFollowTheSheetToAnotherDpi) {
  RunSheet(6026, [](HWND sheet) {
    HWND startup = PropSheet_GetCurrentPageHwnd(sheet);
    const int dpi = win32::WindowDpi(sheet);
    EXPECT_EQ(test::FontHeight(::GetDlgItem(startup, IDC_HELP_LABEL)), core::ScaleToDpi(12, dpi));
    EXPECT_EQ(test::FontHeight(::GetDlgItem(startup, IDC_MONITOR_LABEL)),
              core::ScaleToDpi(12, dpi));
    const auto rightGap = [](HWND page) {
      RECT client{};
      ::GetClientRect(page, &client);
      return client.right - RectIn(page, ::GetDlgItem(page, IDC_HELP_PICTURE)).right;
    };
    const int gap = rightGap(startup);
    RECT shown{};
    ::GetWindowRect(sheet, &shown);
    const auto changeDpi = [&](int newDpi) {
      EXPECT_TRUE(test::HasRect(sheet, test::SendDpiChanged(sheet, newDpi, shown, dpi)));
    };

    changeDpi(144);
    EXPECT_EQ(test::FontHeight(::GetDlgItem(startup, IDC_HELP_LABEL)), core::ScaleToDpi(12, 144));
    EXPECT_EQ(test::FontHeight(::GetDlgItem(startup, IDC_MONITOR_LABEL)),
              core::ScaleToDpi(12, 144));
    EXPECT_NEAR(rightGap(startup), core::ScaleToDpi(gap, 144, dpi), 1);
    // A page made after the change (the sheet makes each page when it is first shown).
    ::SendMessageW(sheet, PSM_SETCURSEL, 1, 0);
    HWND delayed = PropSheet_GetCurrentPageHwnd(sheet);
    ASSERT_NE(delayed, startup);
    EXPECT_EQ(test::FontHeight(::GetDlgItem(delayed, IDC_HELP_LABEL)), core::ScaleToDpi(12, 144));

    // And back: every page's labels, and the place of the corner pictures, as they were.
    changeDpi(dpi);
    for (HWND page : {startup, delayed}) {
      EXPECT_EQ(test::FontHeight(::GetDlgItem(page, IDC_HELP_LABEL)), core::ScaleToDpi(12, dpi));
    }
    EXPECT_EQ(rightGap(delayed), gap);
  });
}

}  // namespace
}  // namespace obrivo::explorer
