// Hide Alerts driven by control id: each row's box and radios from its option and back, the two
// switches, every click stored at once.
#include "explorer/hide_alerts_dialog.h"

#include <gtest/gtest.h>

#include <string>

#include "explorer_driver.h"
#include "explorer_ids.h"
#include "wine_test_env.h"

namespace obrivo::explorer {
namespace {

using namespace std::chrono_literals;
using test::Click;
using test::IsChecked;
using test::StoredOption;
using test::StoreOption;

constexpr wchar_t kTitle[] = L"Obrivo - Hide Alert Messages";

struct Row {
  const char* option;
  int check, allow, prevent;
};

constexpr Row kRows[] = {
    {"HideStartup", IDC_HIDE_STARTUP, IDC_ALLOW_STARTUP, IDC_PREVENT_STARTUP},
    {"HideIEHelper", IDC_HIDE_IE_HELPERS, IDC_ALLOW_IE_HELPERS, IDC_PREVENT_IE_HELPERS},
    {"HideTasks", IDC_HIDE_TASKS, IDC_ALLOW_TASKS, IDC_PREVENT_TASKS},
    {"HideServices", IDC_HIDE_SERVICES, IDC_ALLOW_SERVICES, IDC_PREVENT_SERVICES},
    {"HideActiveX", IDC_HIDE_ACTIVEX, IDC_ALLOW_ACTIVEX, IDC_PREVENT_ACTIVEX},
    {"HideHidden", IDC_HIDE_HIDDEN, IDC_ALLOW_HIDDEN, IDC_PREVENT_HIDDEN},
    {"HideFileType", IDC_HIDE_FILE_TYPES, IDC_ALLOW_FILE_TYPES, IDC_PREVENT_FILE_TYPES},
    {"HideSystemFiles", IDC_HIDE_SYSTEM_FILES, IDC_ALLOW_SYSTEM_FILES, IDC_PREVENT_SYSTEM_FILES},
    {"HideHomePage", IDC_HIDE_HOME_PAGE, IDC_ALLOW_HOME_PAGE, IDC_PREVENT_HOME_PAGE},
};

// What a row shows: box, Allow, Prevent as checked (x) or not (-), and whether the radios can be
// used (+) or not (/).
std::string RowState(HWND dialog, const Row& row) {
  std::string state;
  for (int id : {row.check, row.allow, row.prevent}) state += IsChecked(dialog, id) ? 'x' : '-';
  const bool allow = ::IsWindowEnabled(::GetDlgItem(dialog, row.allow));
  const bool prevent = ::IsWindowEnabled(::GetDlgItem(dialog, row.prevent));
  state += allow && prevent ? '+' : (!allow && !prevent ? '/' : '?');
  return state;
}

class HideAlerts : public test::SandboxedTest {
 protected:
  static void Run(const std::function<void(HWND dialog)>& drive) {
    test::WhileOpen([] { ShowHideAlertsDialog(nullptr); },
                    [&] {
                      HWND dialog = test::WaitForDialog(kTitle);
                      if (!dialog) {
                        ADD_FAILURE() << "the dialog did not open";
                        return;
                      }
                      drive(dialog);
                      Click(dialog, IDOK);
                    },
                    [] { return test::FindShownDialog(kTitle); });
  }
};

TEST_F(HideAlerts, RowsShowTheirOptions) {
  const struct {
    const char* stored;  // nullptr: missing
    const char* shows;
  } cases[] = {
      {nullptr, "---/"}, {"0", "---/"}, {"1", "xx-+"},
      {"2", "x-x+"},     {"3", "x-x+"},  // any other value prevents, as the Monitor reads it
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored ? c.stored : "-");
    for (const Row& row : kRows) {
      if (c.stored)
        StoreOption(row.option, c.stored);
      else
        common::DeleteStoreValue(HKEY_CURRENT_USER, common::kOptionsKey, row.option);
    }
    Run([&](HWND dialog) {
      for (const Row& row : kRows) EXPECT_EQ(RowState(dialog, row), c.shows) << row.option;
    });
  }
}

TEST_F(HideAlerts, EachClickIsStoredAndTheRowFollows) {
  for (const Row& row : kRows) StoreOption(row.option, "2");
  bool screenshot = true;
  Run([&](HWND dialog) {
    if (screenshot) {
      screenshot = false;
      test::SaveDesktopScreenshot(L"explorer-hide-alerts.bmp", dialog);
    }
    const struct {
      const char* step;
      int Row::*control;
      const char* stored;
      const char* shows;
    } steps[] = {
        {"uncheck", &Row::check, "0", "---/"},  // shown again: the radios have nothing to say
        {"check", &Row::check, "1", "xx-+"},    // hidden again: allowed, whatever it was before
        {"prevent", &Row::prevent, "2", "x-x+"},
        {"allow", &Row::allow, "1", "xx-+"},
    };
    for (const Row& row : kRows) {
      for (const auto& s : steps) {
        SCOPED_TRACE(std::string(row.option) + " " + s.step);
        StoreOption("Update", "0");
        Click(dialog, row.*s.control);
        EXPECT_EQ(StoredOption(row.option), s.stored);
        EXPECT_EQ(StoredOption("Update"), "1");
        EXPECT_EQ(RowState(dialog, row), s.shows);
      }
    }
  });
}

TEST_F(HideAlerts, ShowAllAlertsAndRunOnceSwitchTheirOptions) {
  Run([](HWND dialog) {
    // Defaults: every alert shown, RunOnce entries asked about.
    EXPECT_TRUE(IsChecked(dialog, IDC_SHOW_ALL_ALERTS));
    EXPECT_FALSE(IsChecked(dialog, IDC_HIDE_RUN_ONCE));
    for (const auto& [id, option, first] : {std::tuple{IDC_SHOW_ALL_ALERTS, "ShowAlerts", "0"},
                                            std::tuple{IDC_HIDE_RUN_ONCE, "HideRunOnce", "1"}}) {
      SCOPED_TRACE(option);
      Click(dialog, id);
      EXPECT_EQ(StoredOption(option), first);
      EXPECT_EQ(IsChecked(dialog, id), std::string(first) == "1");
      Click(dialog, id);
      EXPECT_EQ(StoredOption(option), std::string(first) == "1" ? "0" : "1");
    }
  });
}

}  // namespace
}  // namespace obrivo::explorer
