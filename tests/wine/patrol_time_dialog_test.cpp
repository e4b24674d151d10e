// Set Patrol Time driven by control id: typed minutes beyond the slider's end, the slider and the
// edit following each other, the real-time box stored at once and put back by Close, and every
// category page's Monitor picture opening the dialog for its own category.
#include "explorer/patrol_time_dialog.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "core/explorer_pages.h"
#include "explorer_driver.h"
#include "explorer_ids.h"
#include "icon_ids.h"
#include "wine_test_env.h"

namespace obrivo::explorer {
namespace {

using namespace std::chrono_literals;
using test::Click;
using test::IsChecked;
using test::StoredOption;
using test::StoreOption;

constexpr wchar_t kStartupTitle[] = L"Patrol Time for Startup Programs";

class PatrolTime : public test::SandboxedTest {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
  }

  // Opens the dialog for `interval` on this thread while `drive` works it; returns its result.
  static int Run(std::string_view interval, std::string_view realtime, const wchar_t* title,
                 const std::function<void(HWND dialog)>& drive) {
    int result = -2;
    test::WhileOpen([&] { result = ShowPatrolTimeDialog(nullptr, interval, realtime); },
                    [&] {
                      HWND dialog = test::WaitForDialog(title);
                      if (!dialog) {
                        ADD_FAILURE() << "the dialog did not open";
                        return;
                      }
                      drive(dialog);
                    },
                    [title] { return test::FindShownDialog(title); });
    return result;
  }

  static int SliderPosition(HWND dialog) {
    return static_cast<int>(::SendDlgItemMessageW(dialog, IDC_PATROL_SLIDER, TBM_GETPOS, 0, 0));
  }
  static void SliderKey(HWND dialog, WPARAM key) {
    ::SendDlgItemMessageW(dialog, IDC_PATROL_SLIDER, WM_KEYDOWN, key, 0);
  }
  static std::wstring Minutes(HWND dialog) {
    return test::WindowText(::GetDlgItem(dialog, IDC_PATROL_MINUTES));
  }
  static bool MinutesEnabled(HWND dialog) {
    return ::IsWindowEnabled(::GetDlgItem(dialog, IDC_PATROL_MINUTES)) != FALSE;
  }
};

TEST_F(PatrolTime, TypedMinutesAreStoredEvenBeyondTheSliderEnd) {
  const struct {
    const wchar_t* typed;
    bool pasted;  // put in whole, as a paste does: the edit takes digits only when typed
    int result;
    int slider;
  } cases[] = {
      {L"45", false, 45, 30},   // the slider stops at 30, the number does not
      {L"456", false, 45, 30},  // two digits at most
      {L"7", false, 7, 7},
      {L"", false, 0, 2},  // nothing typed: monitoring off; the slider stays where it was
      {L"x1", true, 0, 2},
  };
  bool screenshot = true;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.typed, c.typed + wcslen(c.typed)));
    common::DeleteStoreValue(HKEY_CURRENT_USER, common::kOptionsKey, "Start");
    StoreOption("Update", "0");
    const int result = Run("Start", "RealtimeStartup", kStartupTitle, [&](HWND dialog) {
      EXPECT_EQ(Minutes(dialog), L"2") << "the category's interval, its default when not stored";
      EXPECT_EQ(SliderPosition(dialog), 2);
      HWND edit = ::GetDlgItem(dialog, IDC_PATROL_MINUTES);
      if (c.pasted) {
        ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.typed));
      } else {
        ::SendMessageW(edit, EM_SETSEL, 0, -1);
        ::SendMessageW(edit, WM_CHAR, VK_BACK, 0);
        for (const wchar_t* p = c.typed; *p; ++p) ::SendMessageW(edit, WM_CHAR, *p, 0);
      }
      EXPECT_EQ(SliderPosition(dialog), c.slider);
      if (screenshot) {
        screenshot = false;
        test::SaveDesktopScreenshot(L"explorer-patrol-time.bmp", dialog);
      }
      Click(dialog, IDOK);
    });
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(StoredOption("Start"), std::to_string(c.result));
    EXPECT_EQ(StoredOption("Update"), "1");
  }
}

TEST_F(PatrolTime, TheSliderWritesTheMinutesAndZeroSwitchesTheEditOff) {
  StoreOption("Start", "5");
  EXPECT_EQ(Run("Start", "RealtimeStartup", kStartupTitle,
                [](HWND dialog) {
                  EXPECT_EQ(Minutes(dialog), L"5");
                  EXPECT_TRUE(MinutesEnabled(dialog));
                  SliderKey(dialog, VK_HOME);
                  EXPECT_EQ(Minutes(dialog), L"0");
                  EXPECT_FALSE(MinutesEnabled(dialog)) << "off: nothing to type";
                  SliderKey(dialog, VK_NEXT);  // one page of 3
                  EXPECT_EQ(Minutes(dialog), L"3");
                  EXPECT_TRUE(MinutesEnabled(dialog));
                  SliderKey(dialog, VK_END);
                  EXPECT_EQ(Minutes(dialog), L"30");
                  Click(dialog, IDOK);
                }),
            30);
  EXPECT_EQ(StoredOption("Start"), "30");

  EXPECT_EQ(Run("Start", "RealtimeStartup", kStartupTitle,
                [](HWND dialog) {
                  SliderKey(dialog, VK_HOME);
                  Click(dialog, IDOK);
                }),
            0);
  EXPECT_EQ(StoredOption("Start"), "0") << "0 switches the category's patrol off";

  // Off when it opens: the edit waits for the slider.
  EXPECT_EQ(Run("Start", "RealtimeStartup", kStartupTitle,
                [](HWND dialog) {
                  EXPECT_FALSE(MinutesEnabled(dialog));
                  Click(dialog, IDCANCEL);
                }),
            -1);
}

TEST_F(PatrolTime, TheRealTimeBoxIsStoredAtOnceAndClosePutsItBack) {
  const struct {
    const char* stored;  // nullptr: missing, the default (1) applies
    bool checkedAtStart;
    int closeWith;
    const char* afterwards;
  } cases[] = {
      {nullptr, true, IDCANCEL, "1"},
      {"0", false, IDCANCEL, "0"},
      {"1", true, IDOK, "0"},
      {"0", false, IDOK, "1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.stored ? c.stored : "-") + (c.closeWith == IDOK ? " OK" : " Close"));
    common::DeleteStoreValue(HKEY_CURRENT_USER, common::kOptionsKey, "Start");
    if (c.stored)
      StoreOption("RealtimeStartup", c.stored);
    else
      common::DeleteStoreValue(HKEY_CURRENT_USER, common::kOptionsKey, "RealtimeStartup");
    const int result = Run("Start", "RealtimeStartup", kStartupTitle, [&](HWND dialog) {
      EXPECT_EQ(IsChecked(dialog, IDC_PATROL_REAL_TIME), c.checkedAtStart);
      StoreOption("Update", "0");
      Click(dialog, IDC_PATROL_REAL_TIME);
      EXPECT_EQ(StoredOption("RealtimeStartup"), c.checkedAtStart ? "0" : "1")
          << "stored while the dialog is still open";
      EXPECT_EQ(StoredOption("Update"), "1");
      Click(dialog, c.closeWith);
    });
    EXPECT_EQ(StoredOption("RealtimeStartup"), c.afterwards);
    if (c.closeWith == IDCANCEL) {
      EXPECT_EQ(result, -1);
      EXPECT_EQ(StoredOption("Start"), "") << "Close stores no interval";
    } else {
      EXPECT_EQ(result, 2);
      EXPECT_EQ(StoredOption("Start"), "2");
    }
  }
}

TEST_F(PatrolTime, ACategoryWithoutRealTimeWatchingHasTheBoxDisabled) {
  StoreOption("Tasks", "11");
  EXPECT_EQ(Run("Tasks", "", L"Patrol Time for Tasks",
                [](HWND dialog) {
                  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_PATROL_REAL_TIME)));
                  EXPECT_EQ(Minutes(dialog), L"11");
                  EXPECT_EQ(SliderPosition(dialog), 11);
                  EXPECT_EQ(test::WindowText(::GetDlgItem(dialog, IDCANCEL)), L"&Close");
                  ::PostMessageW(dialog, WM_CLOSE, 0, 0);  // the title bar's close box
                }),
            -1);
  EXPECT_EQ(StoredOption("Tasks"), "11");
}

// Every page with a Monitor picture opens Set Patrol Time for its own category; what the dialog
// stores shows in the picture at once.
TEST_F(PatrolTime, EveryCategoryPageOpensItsOwnPatrolTime) {
  CreateSharedResources(common::App().instance);
  const struct {
    int page;
    const wchar_t* title;
    const char* interval;
  } cases[] = {
      {6026, kStartupTitle, "Start"},
      {6056, L"Patrol Time for ActiveX Controls", "ActiveX"},
      {6040, L"Patrol Time for IE Helpers", "IEHelpers"},
      {6039, L"Patrol Time for Tasks", "Tasks"},
      {6038, L"Patrol Time for Windows Services", "Services"},
      {6028, L"Patrol Time for Cookie Filter", "Nuts"},
      {6042, L"Patrol Time for File Types", "FileType"},
      {6052, L"Patrol Time for checking hidden files.", "Hidden"},
  };
  const auto pages = core::SheetPagesFor(common::App().ntFamily);
  test::RunSheet(6026, [&](HWND sheet, HWND) {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.page);
      StoreOption(c.interval, "6");
      int index = 0;
      while (index < static_cast<int>(pages.size()) &&
             pages[static_cast<std::size_t>(index)].code != c.page)
        ++index;
      ::SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
      HWND page = PropSheet_GetCurrentPageHwnd(sheet);
      HWND picture = ::GetDlgItem(page, IDC_MONITOR_PICTURE);
      ASSERT_NE(picture, nullptr);
      EXPECT_NE(test::PictureImage(picture), IDB_PATROL_OFF);
      test::PostPictureClick(page, IDC_MONITOR_PICTURE);
      HWND dialog = test::WaitForDialog(c.title);
      ASSERT_NE(dialog, nullptr) << "the category's own title";
      SliderKey(dialog, VK_HOME);
      Click(dialog, IDOK);
      EXPECT_TRUE(test::WaitUntil([&] {
        return StoredOption(c.interval) == "0" && test::PictureImage(picture) == IDB_PATROL_OFF;
      })) << StoredOption(c.interval)
          << ", picture " << test::PictureImage(picture);
    }
  });
  ReleaseSharedResources();
}

}  // namespace
}  // namespace obrivo::explorer
