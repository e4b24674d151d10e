// The Explorer as a user meets it: started with a page switch or its stored start page, started
// again while open, asked to quit, and where its sheet reappears. Each scenario runs the real
// ObrivoEx.exe from a folder of its own.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "explorer_probe.h"
#include "program_scenario.h"
#include "test_process.h"

namespace obrivo::test {
namespace {

using namespace std::chrono_literals;

constexpr wchar_t kProductKey[] = L"Software\\Tolvane\\Obrivo";
constexpr wchar_t kOptionsKey[] = L"Software\\Tolvane\\Obrivo\\Options";

std::string ReadFileText(const std::wstring& path) {
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

class ExplorerScenario : public ProgramScenario {
 protected:
  void TearDown() override {
    CloseExplorer();
    ProgramScenario::TearDown();
  }
};

TEST_F(ExplorerScenario, SwitchesAndTheStoredStartPageChooseThePage) {
  const struct {
    const wchar_t* arguments;
    const wchar_t* startTab;  // nullptr: none stored
    int page;
  } cases[] = {
      {L"-FILETYPES", nullptr, 6042},  // contains -FILETYPE
      {L"-OPTIONS", nullptr, 6033},
      {L"-NUTS", nullptr, 6028},  // contains -NUT
      {L"-restart", nullptr, 6033},
      {L"-BHO -START", nullptr, 6040},  // the later switch of the table wins
      {L"", L"6052", 6052},
      {L"", L"0", 6026},
      {L"", L"garbage", 6026},
      {L"", L"6031", 6026},  // a command, not a page: never run at start
      {L"", nullptr, 6026},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.arguments, c.arguments + wcslen(c.arguments)) + " / " +
                 (c.startTab ? std::string(c.startTab, c.startTab + wcslen(c.startTab)) : "-"));
    ResetStore();
    if (c.startTab) SetOption(L"StartTab", c.startTab);
    Process explorer;
    HWND sheet = OpenExplorer(explorer, c.arguments);
    EXPECT_EQ(CurrentPageCode(sheet), c.page);
    QuitExplorer(explorer);
  }
}

TEST_F(ExplorerScenario, EveryPageIsThereWithItsCaption) {
  Process explorer;
  HWND sheet = OpenExplorer(explorer, L"-START");
  ASSERT_NE(sheet, nullptr);
  HWND tabs = PropSheet_GetTabControl(sheet);
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(TabCtrl_GetItemCount(tabs), 13) << "Services is present on the NT family";
  // Selecting each page shows it; the ones without rows yet have their columns.
  for (int index = 0; index < 13; ++index) {
    PropSheet_SetCurSel(sheet, nullptr, index);
    EXPECT_TRUE(WaitUntil([&] { return CurrentPageCode(sheet) == PageCodeAt(index); }, 5s))
        << index;
  }
  // The File Types page: its columns, and the prefix's own associations of the watched list
  // (.txt opens with Notepad), with Add to watch more.
  PropSheet_SetCurSel(sheet, nullptr, 8);
  HWND fileTypes = PropSheet_GetCurrentPageHwnd(sheet);
  HWND fileTypesList = ::GetDlgItem(fileTypes, 1000);
  ASSERT_NE(fileTypesList, nullptr);
  HWND fileTypesHeader = reinterpret_cast<HWND>(::SendMessageW(fileTypesList, LVM_GETHEADER, 0, 0));
  EXPECT_EQ(::SendMessageW(fileTypesHeader, HDM_GETITEMCOUNT, 0, 0), 6) << "the file types columns";
  EXPECT_TRUE(WaitUntil([&] { return ::SendMessageW(fileTypesList, LVM_GETITEMCOUNT, 0, 0) > 0; },
                        5s))
      << "the watched types the prefix associates";
  EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(fileTypes, 1064))) << "Add";

  // The Startup page lists what starts with Windows (a fresh Wine prefix has entries of its own).
  PropSheet_SetCurSel(sheet, nullptr, 0);
  HWND page = PropSheet_GetCurrentPageHwnd(sheet);
  HWND list = ::GetDlgItem(page, 1000);
  ASSERT_NE(list, nullptr);
  HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
  EXPECT_EQ(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 5) << "the startup columns";
  EXPECT_GT(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0);
  EXPECT_EQ(WindowText(::GetDlgItem(page, 1008)), L"Info...");
  EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(page, 1008)));
  EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(page, 1064)));

  SaveDesktopScreenshot(L"explorer-startup-page.bmp", sheet);
  QuitExplorer(explorer);
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, kOptionsKey, L"StartTab"), L"6026");
}

TEST_F(ExplorerScenario, SecondStartBringsTheSheetToTheFrontWithoutChangingPage) {
  Process explorer;
  HWND sheet = OpenExplorer(explorer, L"-HIDDEN");
  ASSERT_NE(sheet, nullptr);
  ASSERT_EQ(CurrentPageCode(sheet), 6052);
  // Another window comes to the front first.
  HWND other = ::CreateWindowExW(0, L"STATIC", L"in front", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10,
                                 10, 300, 200, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(other, nullptr);
  ::SetForegroundWindow(other);
  EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == other; }, 5s));

  Process second = RunExplorer(L"-TASK");
  EXPECT_EQ(second.WaitForExit(), 0u) << "the second Explorer hands over and ends";
  EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == sheet; }, 5s))
      << "the open sheet comes to the front";
  // The handover's handler brought it there; a page change would have come from it too.
  EXPECT_EQ(CurrentPageCode(sheet), 6052) << "the page does not change";
  EXPECT_TRUE(explorer.Running());
  ::DestroyWindow(other);
  QuitExplorer(explorer);
}

TEST_F(ExplorerScenario, QuitWithNoExplorerRunningReturnsAtOnce) {
  Process quit = RunExplorer(L"-Q");
  EXPECT_EQ(quit.WaitForExit(5s), 0u);
  EXPECT_EQ(::FindWindowW(L"ObrivoEx", nullptr), nullptr) << "no window was opened";
}

TEST_F(ExplorerScenario, StoredPlaceIsKeptAndPulledBackOnScreen) {
  const int virtualWidth = ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int virtualHeight = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
  const struct {
    std::wstring x, y, dx, dy;
    int left, top;
  } cases[] = {
      {L"120", L"60", L"", L"", 120, 60},
      {std::to_wstring(virtualWidth + 500), L"60", L"", L"", 0, 60},
      {L"120", std::to_wstring(virtualHeight + 500), L"", L"", 120, 0},
      {L"-30000", L"-30000", L"", L"", 0, 0},      // a monitor that is no longer there
      {L"40", L"30", L"99999", L"99999", 40, 30},  // a size beyond the screen is not used
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.x.begin(), c.x.end()) + "," + std::string(c.y.begin(), c.y.end()));
    ResetStore();
    SetString(HKEY_CURRENT_USER, kProductKey, L"xPos", c.x);
    SetString(HKEY_CURRENT_USER, kProductKey, L"yPos", c.y);
    if (!c.dx.empty()) {
      SetString(HKEY_CURRENT_USER, kProductKey, L"dxPos", c.dx);
      SetString(HKEY_CURRENT_USER, kProductKey, L"dyPos", c.dy);
    }
    Process explorer;
    HWND sheet = OpenExplorer(explorer, L"-START");
    ASSERT_NE(sheet, nullptr);
    RECT r{};
    EXPECT_TRUE(WaitUntil(
        [&] {
          ::GetWindowRect(sheet, &r);
          return r.left == c.left && r.top == c.top;
        },
        5s))
        << r.left << "," << r.top;
    EXPECT_LE(r.right - r.left, virtualWidth);
    EXPECT_LE(r.bottom - r.top, virtualHeight);
    QuitExplorer(explorer);
  }
}

TEST_F(ExplorerScenario, ClosingKeepsPlaceSizeAndPage) {
  Process explorer;
  HWND sheet = OpenExplorer(explorer, L"-SCHEDULE");
  ASSERT_NE(sheet, nullptr);
  RECT r{};
  ::GetWindowRect(sheet, &r);
  HWND list = ::GetDlgItem(PropSheet_GetCurrentPageHwnd(sheet), 1000);
  RECT before{};
  ::GetWindowRect(list, &before);
  const int width = r.right - r.left + 60, height = r.bottom - r.top + 40;
  ::SetWindowPos(sheet, nullptr, 77, 55, width, height, SWP_NOZORDER);
  // The list follows the sheet's new size.
  RECT after{};
  EXPECT_TRUE(WaitUntil(
      [&] {
        ::GetWindowRect(list, &after);
        return (after.right - after.left) - (before.right - before.left) >= 50 &&
               (after.bottom - after.top) - (before.bottom - before.top) >= 30;
      },
      5s))
      << "the list grew with the sheet";
  QuitExplorer(explorer);
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, kProductKey, L"xPos"), L"77");
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, kProductKey, L"yPos"), L"55");
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, kProductKey, L"dxPos"), std::to_wstring(width));
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, kProductKey, L"dyPos"), std::to_wstring(height));
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, kOptionsKey, L"StartTab"), L"6039");

  // The next start comes back there, on that page.
  Process again;
  HWND reopened = OpenExplorer(again, L"");
  ASSERT_NE(reopened, nullptr);
  EXPECT_EQ(CurrentPageCode(reopened), 6039);
  RECT back{};
  ::GetWindowRect(reopened, &back);
  EXPECT_EQ(back.left, 77);
  EXPECT_EQ(back.right - back.left, width);
  QuitExplorer(again);
}

TEST_F(ExplorerScenario, PruningRotatesThroughTheDetectionKeys) {
  // Each start prunes one key; the counter wraps from 3 to 0.
  SetOption(L"nCount", L"2");
  const wchar_t* missing = L"C:\\no such folder\\gone.exe";
  SetString(HKEY_CURRENT_USER, L"Software\\Tolvane\\Detected\\Hidden", missing, L"01/01/2020");
  SetString(HKEY_CURRENT_USER, L"Software\\Tolvane\\Detected\\Tasks", missing, L"01/01/2020");
  Process first;
  ASSERT_NE(OpenExplorer(first, L"-START"), nullptr);
  QuitExplorer(first);
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, kOptionsKey, L"nCount"), L"3");
  EXPECT_TRUE(
      GetString(HKEY_CURRENT_USER, L"Software\\Tolvane\\Detected\\Hidden", missing).empty());
  EXPECT_FALSE(GetString(HKEY_CURRENT_USER, L"Software\\Tolvane\\Detected\\Tasks", missing).empty())
      << "only one key per start";
  Process second;
  ASSERT_NE(OpenExplorer(second, L"-START"), nullptr);
  QuitExplorer(second);
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, kOptionsKey, L"nCount"), L"0");
  EXPECT_TRUE(GetString(HKEY_CURRENT_USER, L"Software\\Tolvane\\Detected\\Tasks", missing).empty());
}

TEST_F(ExplorerScenario, TraceFileOnlyWithDebug) {
  const std::wstring traceFile = DataFile(L"sendex2tv.txt");
  {
    Process explorer;
    ASSERT_NE(OpenExplorer(explorer, L"-START"), nullptr);
    QuitExplorer(explorer);
    EXPECT_EQ(::GetFileAttributesW(traceFile.c_str()), INVALID_FILE_ATTRIBUTES)
        << "no trace without Debug";
  }
  ResetStore();
  SetOption(L"Debug", L"1");
  Process explorer;
  ASSERT_NE(OpenExplorer(explorer, L"-TASK"), nullptr);
  QuitExplorer(explorer);
  const std::string trace = ReadFileText(traceFile);
  EXPECT_NE(trace.find("[Trace]"), std::string::npos) << trace;
  // Lines in order: numbered keys, the cookie folders found at start, then the sheet's opening
  // with its page and its closing.
  EXPECT_TRUE(std::regex_search(
      trace, std::regex(R"(\d+\.1=\d\d-\d\d  \d\d:\d\d:\d\d START: Explorer started\r?\n)"
                        R"(\d+\.2=.* COOKIES: IE:.*  Mozilla:.*\r?\n)"
                        R"(\d+\.3=.* SHEET: Open the sheet on page 6029\r?\n)"
                        R"(\d+\.4=.* SHEET: The sheet closed\r?\n)"
                        R"(\d+\.5=\*\*:\*\*:\*\* NanoCycles: The sheet closed = \d+)")))
      << trace;
}

}  // namespace
}  // namespace obrivo::test
