// The Startup Programs page driven by control id: what its rows show, the advanced locations on
// request, Enable and Disable following the selection, Remove with and without its question,
// Add, and the commands that need a selection.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/category_hooks.h"
#include "common/first_detected.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/wide.h"
#include "explorer/explorer_state.h"
#include "explorer/list_view.h"
#include "explorer/sheet.h"
#include "explorer/startup_page_actions.h"
#include "explorer_driver.h"
#include "explorer_ids.h"
#include "startup/startup_actions.h"
#include "startup/startup_check.h"
#include "startup_actions_env.h"
#include "system/processes.h"
#include "test_process.h"

namespace obrivo::test {
namespace {

const std::string kRun = kVersionKey + "\\Run";
const std::string kWinlogon = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr wchar_t kHelpCaption[] = L"Obrivo Help";

class StartupPage : public StartupActionsTest {
 protected:
  void SetUp() override {
    StartupActionsTest::SetUp();
    explorer::CreateSharedResources(common::App().instance);
    folder_ = common::ProgramFolder();
    tool_ = folder_ + "\\tool.exe";  // no version information
    ASSERT_TRUE(
        ::CopyFileW((HostToWine(EnvVar(L"OBRIVO_BIN_DIR")) + L"\\obrivo_test_helper.exe").c_str(),
                    win32::Wide(tool_).c_str(), FALSE));
  }
  void TearDown() override {
    ::DeleteFileW(win32::Wide(tool_).c_str());
    explorer::ReleaseSharedResources();
    StartupActionsTest::TearDown();
  }

  static void AddUserRun(const std::string& name, const std::string& command) {
    ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, kRun, name, command));
  }

  static std::vector<std::string> Column(HWND list, int column) {
    std::vector<std::string> cells;
    for (int row = 0; row < explorer::RowCount(list); ++row)
      cells.push_back(explorer::CellText(list, row, column));
    return cells;
  }

  static bool Shown(HWND page, int id) {
    return ::IsWindowVisible(::GetDlgItem(page, id)) != FALSE;
  }

  std::string folder_, tool_;
};

TEST_F(StartupPage, RowsShowTitleCommandTypeAndFirstDetectedDate) {
  AddUserRun("Plain", tool_ + " -x");
  AddUserRun("Through Rundll", "rundll32.exe " + folder_ + "\\helper.dll,Start");
  AddUserRun("Sleeper", tool_ + " -sleep");
  ASSERT_TRUE(startup::ToggleStartupEntry("Sleeper", tool_ + " -sleep", "", 11));
  RunSheet(6026, [](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    const int plain = RowOf(list, "Plain"), rundll = RowOf(list, "Through Rundll"),
              sleeper = RowOf(list, "Sleeper");
    ASSERT_GE(plain, 0);
    ASSERT_GE(rundll, 0);
    ASSERT_GE(sleeper, 0);
    EXPECT_EQ(explorer::CellText(list, plain, 1), "tool.exe -x");
    EXPECT_EQ(explorer::CellText(list, rundll, 1), "RunDLL32.exe helper.dll,Start");
    EXPECT_EQ(explorer::CellText(list, plain, 3), "HKCU_RUN");
    EXPECT_EQ(explorer::CellText(list, sleeper, 3), "   Disabled");
    EXPECT_FALSE(explorer::CellText(list, plain, 4).empty()) << "dated on first sight";

    // The selection decides which of Enable and Disable is there, and the status line says
    // where the entry lives.
    SelectRows(list, {sleeper});
    EXPECT_TRUE(Shown(page, IDC_ENABLE));
    EXPECT_FALSE(Shown(page, IDC_DISABLE));
    // It takes its place in the bottom row, level with the other buttons.
    EXPECT_EQ(RectIn(page, ::GetDlgItem(page, IDC_ENABLE)).top,
              RectIn(page, ::GetDlgItem(page, IDC_ADD)).top);
    SelectRows(list, {plain});
    EXPECT_FALSE(Shown(page, IDC_ENABLE));
    EXPECT_TRUE(Shown(page, IDC_DISABLE));
    EXPECT_EQ(WindowText(explorer::SheetStatusBar()),
              L"Startup Location: HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    SelectRows(list, {});
    EXPECT_FALSE(Shown(page, IDC_ENABLE));
    EXPECT_FALSE(Shown(page, IDC_DISABLE));
  });
}

TEST_F(StartupPage, AdvancedLocationsOnlyWhenAskedForAndTheChoiceIsKept) {
  common::WriteStoreString(HKEY_LOCAL_MACHINE, kWinlogon, "Shell", "Explorer.exe");
  AddUserRun("Plain", tool_ + " -x");
  AddUserRun("Sleeper", tool_ + " -sleep");
  ASSERT_TRUE(startup::ToggleStartupEntry("Sleeper", tool_ + " -sleep", "", 11));
  StoreOption("ShowAllStartup", "0");
  RunSheet(6026, [](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    EXPECT_EQ(RowOf(list, "Winlogon Shell"), -1);
    EXPECT_FALSE(IsChecked(page, IDC_SHOW_ALL_STARTUP));
    Click(page, IDC_SHOW_ALL_STARTUP);
    EXPECT_GE(RowOf(list, "Winlogon Shell"), 0) << "listed at once";
    EXPECT_EQ(StoredOption("ShowAllStartup"), "1");
    EXPECT_EQ(StoredOption("Update"), "1");
    // A Winlogon value is reset, not removed, and cannot be disabled.
    SelectRows(list, {RowOf(list, "Winlogon Shell")});
    EXPECT_EQ(WindowText(::GetDlgItem(page, IDC_REMOVE)), L"&Reset");
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, IDC_DISABLE)));
    SelectRows(list, {RowOf(list, "Plain")});
    EXPECT_EQ(WindowText(::GetDlgItem(page, IDC_REMOVE)), L"&Remove");
    SelectRows(list, {RowOf(list, "Sleeper")});
    SaveDesktopScreenshot(L"explorer-startup-page-advanced.bmp", ::GetParent(page));
  });
}

// An earlier build dated this entry twice: at its first run under the program file, later under
// the command. At the Explorer's start the page's name takes the earlier date, which it shows.
TEST_F(StartupPage, FirstDetectedColumnShowsTheFirstOfTwoEarlierRecords) {
  const std::string command = tool_ + " -arg";
  AddUserRun("Twice", command);
  const std::string detected = common::DetectedSubkeyPath(common::kDetectedStartup);
  const std::string firstRun = "12/01/2019 9:00 AM", later = "02/01/2020 9:00 AM";
  ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, common::kDetectedKey, "", firstRun));
  ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, detected,
                                       common::CommandToProgramPath(command), firstRun));
  ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, detected, command, later));
  app::CategoryBaselineHooks().initFirstDetected();  // as at the Explorer's start
  RunSheet(6026, [](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    const int row = RowOf(list, "Twice");
    ASSERT_GE(row, 0);
    EXPECT_EQ(explorer::CellText(list, row, 4), "12/01/2019 9:00 AM");
  });
}

TEST_F(StartupPage, RemovingOneEntryAsksAndSeveralDoNot) {
  for (const char* name : {"One", "Two", "Three", "Four"}) AddUserRun(name, tool_ + " -" + name);
  RunSheet(6026, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    // One entry: the question names its command; No keeps it.
    SelectRows(list, {RowOf(list, "One")});
    PostClick(page, IDC_REMOVE);
    EXPECT_NE(AnswerQuestion(IDNO, page).find(L"You have chosen to remove"), std::wstring::npos)
        << "string 15 is asked";
    EXPECT_TRUE(Value(HKEY_CURRENT_USER, kRun, "One").has_value());

    // Three entries: removed without a question.
    SelectRows(list, {RowOf(list, "One"), RowOf(list, "Two"), RowOf(list, "Three")});
    Click(page, IDC_REMOVE);
    EXPECT_EQ(FindQuestion(), nullptr);
    for (const char* name : {"One", "Two", "Three"})
      EXPECT_FALSE(Value(HKEY_CURRENT_USER, kRun, name).has_value()) << name;
    EXPECT_TRUE(Value(HKEY_CURRENT_USER, kRun, "Four").has_value());
    EXPECT_EQ(RowOf(list, "Two"), -1) << "the list is refilled";
  });
}

TEST_F(StartupPage, DisableAndEnableActOnTheSelectedEntries) {
  AddUserRun("Alpha", tool_ + " -a");
  AddUserRun("Beta", tool_ + " -b");
  RunSheet(6026, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    SelectRows(list, {RowOf(list, "Alpha"), RowOf(list, "Beta")});
    Click(page, IDC_DISABLE);
    EXPECT_TRUE(startup::IsStartupEntryDisabled(11, "Alpha"));
    EXPECT_TRUE(startup::IsStartupEntryDisabled(11, "Beta"));
    EXPECT_EQ(explorer::CellText(list, RowOf(list, "Alpha"), 3), "   Disabled");
    SelectRows(list, {RowOf(list, "Beta")});
    Click(page, IDC_ENABLE);
    EXPECT_FALSE(startup::IsStartupEntryDisabled(11, "Beta"));
    EXPECT_EQ(Value(HKEY_CURRENT_USER, kRun, "Beta"), tool_ + " -b");
    EXPECT_TRUE(startup::IsStartupEntryDisabled(11, "Alpha")) << "only the selected one";
  });
}

TEST_F(StartupPage, CommandsWithoutASelectionSayThatARowMustBeChosen) {
  AddUserRun("Alpha", tool_ + " -a");
  RunSheet(6026, [](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    SelectRows(list, {});
    // Enable and Disable are hidden without a selection; their commands still answer.
    for (int id : {IDC_REMOVE, IDC_DISABLE, IDC_ENABLE}) {
      SCOPED_TRACE(id);
      ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
      EXPECT_NE(DismissMessageBox(kHelpCaption).find(L"No selection has been made."),
                std::wstring::npos);
    }
  });
}

TEST_F(StartupPage, AddAsksForTheProgramWithTheFileChooser) {
  RunSheet(6026, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    PostClick(page, IDC_ADD);
    HWND chooser = WaitForDialog(L"Add AutoStart Program");
    ASSERT_NE(chooser, nullptr) << "the file chooser with its title";
    // The filter's parts come from one string whose separators are "%", spaces trimmed.
    wchar_t filter[128] = {};
    ::SendDlgItemMessageW(chooser, 0x470, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(filter));
    EXPECT_EQ(std::wstring(filter), L"Programs Files (*.exe)");
    ChooseFile(chooser, win32::Wide(tool_));
    ASSERT_TRUE(WaitUntilHandled(chooser, page));
    EXPECT_EQ(Value(HKEY_CURRENT_USER, kRun, "tool"), tool_);
    EXPECT_GE(RowOf(list, "tool"), 0) << "listed at once";
  });
}

TEST_F(StartupPage, AnAddedProgramIsTitledByItsFileAndTheMonitorKnowsIt) {
  startup::SnapshotStartup();
  EXPECT_EQ(explorer::AddStartupProgram(tool_), "tool") << "no version information";
  EXPECT_EQ(Value(HKEY_CURRENT_USER, kRun, "tool"), tool_);
  EXPECT_FALSE(startup::StartupChanged()) << "the Monitor does not ask about it";

  // A path with spaces is quoted, so that Windows cannot run a program named by its first part.
  const std::string spaced = folder_ + "\\My Tools\\tool2.exe";
  ::CreateDirectoryW(win32::Wide(folder_ + "\\My Tools").c_str(), nullptr);
  ASSERT_TRUE(::CopyFileW(win32::Wide(tool_).c_str(), win32::Wide(spaced).c_str(), FALSE));
  EXPECT_EQ(explorer::AddStartupProgram(spaced), "tool2");
  EXPECT_EQ(Value(HKEY_CURRENT_USER, kRun, "tool2"), "\"" + spaced + "\"");
  EXPECT_FALSE(startup::StartupChanged());
  EXPECT_EQ(explorer::AddStartupProgram("C:\\x"), "") << "too short to name a program";
  ::DeleteFileW(win32::Wide(spaced).c_str());
  ::RemoveDirectoryW(win32::Wide(folder_ + "\\My Tools").c_str());
}

// The Info window's status and Kill Task go by the entry's own command line: a second copy of the
// same program file, started with other arguments (as the user's console is for a cmd.exe
// entry), neither shows the entry as running nor is ended with it.
TEST_F(StartupPage, InfoWindowKillTaskEndsOnlyTheEntrysOwnProgram) {
  const std::wstring lingering =
      HostToWine(EnvVar(L"OBRIVO_BIN_DIR")) + L"\\obrivo_lingering_program.exe";
  const std::string command = "\"" + win32::Narrow(lingering) + "\" -entry";
  test::Process other(lingering, L"-other");
  ASSERT_TRUE(other.started());
  AddUserRun("Linger", command);
  RunSheet(6026, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    auto openInfo = [&] {
      SelectRows(list, {RowOf(list, "Linger")});
      PostClick(page, IDC_INFO);
      return WaitForDialog(L"Linger");
    };
    HWND info = openInfo();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(WindowText(::GetDlgItem(info, IDC_INFO_STATUS)), L"Ready")
        << "another copy of the program is not the entry's";
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(info, IDC_INFO_KILL)));
    ::PostMessageW(info, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntilHandled(info, page));

    test::Process entry(lingering, L"-entry");
    ASSERT_TRUE(entry.started());
    ASSERT_TRUE(WaitUntil([&] { return system::IsEntryProgramRunning(command); }, 10s));
    info = openInfo();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(WindowText(::GetDlgItem(info, IDC_INFO_STATUS)), L"Running");
    ASSERT_TRUE(::IsWindowVisible(::GetDlgItem(info, IDC_INFO_KILL)));
    ::SendMessageW(info, WM_COMMAND, MAKEWPARAM(IDC_INFO_KILL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(info, IDC_INFO_KILL)));
    EXPECT_NE(entry.WaitForExit(10s), static_cast<DWORD>(STILL_ACTIVE)) << "the entry's ended";
    EXPECT_TRUE(other.Running()) << "the other copy is left alone";
    EXPECT_TRUE(
        WaitUntil([&] { return WindowText(::GetDlgItem(info, IDC_INFO_STATUS)) == L"Ready"; }, 5s));
    ::PostMessageW(info, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntilHandled(info, page));
  });
  other.Kill();
}

}  // namespace
}  // namespace obrivo::test
