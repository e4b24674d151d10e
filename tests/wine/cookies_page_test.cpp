// The Cookies page and the cookie viewer driven by control id: filters added and removed with
// their limits and messages, the browser choice and its folder, and the viewer's two column
// sets, check marks and remove commands.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "browser/cookies.h"
#include "common/store.h"
#include "common/win32/registry.h"
#include "common/win32/wide.h"
#include "explorer/explorer_state.h"
#include "explorer/list_view.h"
#include "explorer_driver.h"
#include "explorer_ids.h"
#include "test_process.h"
#include "cookie_test_env.h"

namespace obrivo::test {
namespace {

constexpr int kCookiesPage = 6028;

class CookiesPage : public CookieTest {
 protected:
  void SetUp() override {
    CookieTest::SetUp();
    explorer::CreateSharedResources(common::App().instance);
  }
  void TearDown() override {
    explorer::ReleaseSharedResources();
    CookieTest::TearDown();
  }

  static void Type(HWND page, const std::wstring& text) {
    ::SendDlgItemMessageW(page, IDC_COOKIE_FILTER_EDIT, WM_SETTEXT, 0,
                          reinterpret_cast<LPARAM>(text.c_str()));
  }
  static std::vector<std::string> Rows(HWND list, int column = 0) {
    std::vector<std::string> cells;
    for (int row = 0; row < explorer::RowCount(list); ++row)
      cells.push_back(explorer::CellText(list, row, column));
    return cells;
  }
  static std::vector<bool> Checks(HWND list) {
    std::vector<bool> checks;
    for (int row = 0; row < explorer::RowCount(list); ++row)
      checks.push_back(ListView_GetCheckState(list, row) != 0);
    return checks;
  }
  static std::wstring FieldText(HWND dialog, int id) { return WindowText(::GetDlgItem(dialog, id)); }

  // Opens the viewer from the page and runs `drive` on it; the viewer is closed afterwards.
  static void WithViewer(HWND page, const std::function<void(HWND viewer, HWND list)>& drive) {
    PostClick(page, IDC_VIEW_COOKIES);
    HWND viewer = WaitForDialog(L"Cookies");
    ASSERT_TRUE(viewer);
    drive(viewer, ::GetDlgItem(viewer, IDC_PAGE_LIST));
    ::PostMessageW(viewer, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntilHandled(viewer, page));
  }
};

TEST_F(CookiesPage, FiltersAreAddedAndRemovedWithinTheirLimits) {
  // 255 filters of the user's and a one-time one, which does not count and is not shown.
  for (int i = 0; i < 254; ++i) ASSERT_TRUE(browser::AddNut("filter " + std::to_string(i)));
  ASSERT_TRUE(browser::AddNut("x.example - once", browser::kOneTimeNut));
  const std::string longest(512, 'n');
  RunSheet(kCookiesPage, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    ASSERT_EQ(explorer::RowCount(list), 254);
    EXPECT_EQ(RowOf(list, "x.example - once"), -1);

    Type(page, L"Жук");
    Click(page, IDC_ADD);
    EXPECT_GE(RowOf(list, "Жук"), 0);
    EXPECT_EQ(FieldText(page, IDC_COOKIE_FILTER_EDIT), L"") << "the field is cleared";
    Type(page, win32::Wide(longest + "z"));
    PostClick(page, IDC_ADD);
    EXPECT_NE(DismissMessageBox(L"Obrivo Help").find(L"1 to 512 characters"), std::wstring::npos);
    Type(page, win32::Wide(longest));
    Click(page, IDC_ADD);
    EXPECT_GE(RowOf(list, longest), 0);
    ASSERT_EQ(explorer::RowCount(list), 256);

    Type(page, L"one too many");
    PostClick(page, IDC_ADD);
    EXPECT_NE(DismissMessageBox(L"Obrivo Help").find(L"reached a limit"), std::wstring::npos);
    EXPECT_EQ(RowOf(list, "one too many"), -1);

    SelectRows(list, {});
    PostClick(page, IDC_REMOVE);
    EXPECT_NE(DismissMessageBox(L"Obrivo Help").find(L"No Cookie has been selected."),
              std::wstring::npos);
    SelectRows(list, {RowOf(list, "Жук")});
    Click(page, IDC_REMOVE);
    EXPECT_EQ(RowOf(list, "Жук"), -1);
  });
  EXPECT_FALSE(browser::IsNut("жук"));
  EXPECT_TRUE(browser::IsNut(longest));
  EXPECT_EQ(browser::LoadNuts().size(), 256u);
}

TEST_F(CookiesPage, TheBrowserChoiceShowsItsFolder) {
  const std::string ie = MakeIECookieFolder();
  const std::string profile = MakeMozillaProfile(CookieLine("a.example", "1"));
  StoreOption("Browser", "1");
  for (const char* nut : {"ads", "track", "doubleclick"}) ASSERT_TRUE(browser::AddNut(nut));
  const std::string other = MakeFolder("Other Cookies");
  MakeFile(other + "\\index.dat");
  RunSheet(kCookiesPage, [&](HWND, HWND page) {
    SaveDesktopScreenshot(L"explorer-cookies-page.bmp", ::GetParent(page));
    EXPECT_TRUE(IsChecked(page, IDC_COOKIES_IE));
    EXPECT_EQ(FieldText(page, IDC_COOKIE_FOLDER), win32::Wide(ie));
    // No Firefox is registered and AppData holds a Mozilla folder: the choice is offered.
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(page, IDC_COOKIES_MOZILLA)));
    Click(page, IDC_COOKIES_MOZILLA);
    EXPECT_EQ(StoredOption("Browser"), "6");
    EXPECT_EQ(FieldText(page, IDC_COOKIE_FOLDER), win32::Wide(profile));
    Click(page, IDC_COOKIES_IE);
    EXPECT_EQ(StoredOption("Browser"), "1");
    ::DeleteFileW(win32::Wide(ie + "index.dat").c_str());
    Click(page, IDC_COOKIES_IE);
    EXPECT_NE(FieldText(page, IDC_COOKIE_FOLDER), win32::Wide(ie));

    Click(page, IDC_ALWAYS_VIEW_COOKIES);
    EXPECT_EQ(StoredOption("ViewCookies"), "1");

    // Another folder, chosen by a file in it, for the browser the page shows.
    PostClick(page, IDC_COOKIE_FOLDER_BROWSE);
    HWND chooser = WaitForDialog(L"Open");
    ASSERT_NE(chooser, nullptr);
    ChooseFile(chooser, win32::Wide(other + "\\index.dat"));
    EXPECT_TRUE(WaitUntilHandled(chooser, page));
    EXPECT_EQ(common::ReadStoreString(common::kProductKey, HKEY_CURRENT_USER, "IECookieFolder", 512),
              other + "\\");
    EXPECT_EQ(FieldText(page, IDC_COOKIE_FOLDER), win32::Wide(other + "\\"));
  });
}

TEST_F(CookiesPage, TheViewerOfIECookiesKeepsTheCheckedAndRemovesTheRest) {
  const std::string folder = MakeIECookieFolder();
  MakeFile(folder + "u@keep[1].txt");
  MakeFile(folder + "u@drop[1].txt");
  MakeFile(folder + "u@ads[1].txt");
  ASSERT_TRUE(browser::AddNut("ADS"));
  browser::SetKeptCookie("u@keep[1].txt", true);
  StoreOption("Browser", "1");
  RunSheet(kCookiesPage, [&](HWND, HWND page) {
    WithViewer(page, [&](HWND viewer, HWND list) {
      EXPECT_EQ(explorer::ColumnCount(list), 2);
      EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(viewer, IDC_COOKIE_VIEW_FILE)));
      EXPECT_EQ(FieldText(viewer, IDC_COOKIE_FOLDER), win32::Wide(folder));
      // The filter took its cookie before the list was shown.
      EXPECT_EQ(RowOf(list, "u@ads[1].txt"), -1);
      const int keep = RowOf(list, "u@keep[1].txt"), drop = RowOf(list, "u@drop[1].txt");
      ASSERT_GE(keep, 0);
      ASSERT_GE(drop, 0);
      EXPECT_TRUE(ListView_GetCheckState(list, keep));
      EXPECT_FALSE(ListView_GetCheckState(list, drop));
      EXPECT_FALSE(explorer::CellText(list, keep, 1).empty()) << "its creation date";
      SaveDesktopScreenshot(L"explorer-cookie-viewer.bmp", viewer);

      PostClick(viewer, IDC_REMOVE_UNCHECKED);
      EXPECT_NE(AnswerQuestion(IDNO, viewer).find(L"NOT checked"), std::wstring::npos);
      EXPECT_EQ(explorer::RowCount(list), 2);
      PostClick(viewer, IDC_REMOVE_UNCHECKED);
      AnswerQuestion(IDYES, viewer);
      EXPECT_EQ(Rows(list), (std::vector<std::string>{"u@keep[1].txt"}));
    });
  });
  EXPECT_TRUE(win32::IsExistingFile(folder + "u@keep[1].txt"));
  EXPECT_FALSE(win32::IsExistingFile(folder + "u@drop[1].txt"));
  EXPECT_FALSE(win32::IsExistingFile(folder + "u@ads[1].txt"));
}

// The Explorer started for the cookie list (-COOKIE) opens the viewer with the page.
TEST_F(CookiesPage, OpenedForTheCookieListItShowsTheViewerAtOnce) {
  MakeIECookieFolder();
  StoreOption("Browser", "1");
  explorer::Explorer().viewCookiesAtOnce = true;
  bool viewerShown = false;
  RunSheet(kCookiesPage, [&](HWND, HWND page) {
    HWND viewer = WaitForDialog(L"Cookies");
    viewerShown = viewer != nullptr;
    if (viewer) {
      ::PostMessageW(viewer, WM_COMMAND, IDCANCEL, 0);
      EXPECT_TRUE(WaitUntilHandled(viewer, page));
    }
  });
  explorer::Explorer().viewCookiesAtOnce = false;
  EXPECT_TRUE(viewerShown);
}

TEST_F(CookiesPage, TheViewerOfMozillaCookiesRemovesTheCheckedOnes) {
  const std::string profile =
      MakeMozillaProfile("# kept comment\n" + CookieLine(".a.example", "sid", "v1", "\n",
                                                         "2000000000", "TRUE") +
                         CookieLine("b.example", "id", "v2"));
  StoreOption("Browser", "6");
  RunSheet(kCookiesPage, [&](HWND, HWND page) {
    WithViewer(page, [&](HWND viewer, HWND list) {
      EXPECT_EQ(explorer::ColumnCount(list), 5);
      EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(viewer, IDC_COOKIE_VIEW_FILE)));
      const int a = RowOf(list, "a.example - sid");
      ASSERT_GE(a, 0);
      EXPECT_FALSE(explorer::CellText(list, a, 1).empty()) << "the expiry date";
      EXPECT_EQ(explorer::CellText(list, a, 2), "/");
      EXPECT_EQ(explorer::CellText(list, a, 3), "v1");
      EXPECT_EQ(explorer::CellText(list, a, 4), "True");
      EXPECT_EQ(explorer::CellText(list, RowOf(list, "b.example - id"), 4), "False");
      EXPECT_EQ(Checks(list), (std::vector<bool>{false, false}));

      ListView_SetCheckState(list, a, TRUE);
      PostClick(viewer, IDC_REMOVE_CHECKED);
      EXPECT_NE(AnswerQuestion(IDYES, viewer).find(L"you checked"), std::wstring::npos);
      // The cookie waits for its rewrite, and is shown no more.
      EXPECT_EQ(Rows(list), (std::vector<std::string>{"b.example - id"}));
    });
  });
  EXPECT_EQ(StoredOptionText("UpdateCookieFile"), "1");
  EXPECT_EQ(Contents(profile + "cookiesnew.txt"),
            "# kept comment\n" + CookieLine("b.example", "id", "v2"));
}

}  // namespace
}  // namespace obrivo::test
