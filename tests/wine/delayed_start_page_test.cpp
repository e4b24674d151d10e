// The Delayed Start page driven by control id: what its rows show, Remove's three answers,
// Restore, Add for all users or the current one, the delay options, Launch with the parameters of
// the entry's own hive; the Startup page's move into the list and the Options page's return of
// every delayed program.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/wide.h"
#include "core/text.h"
#include "explorer/list_view.h"
#include "explorer_driver.h"
#include "explorer_ids.h"
#include "file_bytes.h"
#include "menu_ids.h"
#include "startup/delayed_list.h"
#include "startup_actions_env.h"
#include "system/processes.h"
#include "test_process.h"

namespace obrivo::test {
namespace {

using startup::DelayHive;

const HKEY kLM = HKEY_LOCAL_MACHINE;
const HKEY kCU = HKEY_CURRENT_USER;
const std::string kRun = kVersionKey + "\\Run";
const std::string kDelay = "Software\\Tolvane\\Obrivo\\Delay";
constexpr wchar_t kHelpCaption[] = L"Obrivo Help";
constexpr int kDelayedPage = 6055;

bool Contains(const std::wstring& text, const wchar_t* part) {
  return text.find(part) != std::wstring::npos;
}

// A command of the row menu, as the menu sends it.
void PostMenuCommand(HWND page, int id) { ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

class DelayedStartPage : public StartupActionsTest {
 protected:
  void SetUp() override {
    StartupActionsTest::SetUp();
    explorer::CreateSharedResources(common::App().instance);
    folder_ = common::ProgramFolder() + "\\delayed-page";
    ASSERT_TRUE(win32::EnsureDirectory(folder_));
    recorder_ = CopyOfHelper("recorder.exe");
  }
  void TearDown() override {
    KillProcessesIn(win32::Wide(folder_));
    std::error_code ignored;
    for (const std::string& folder : {folder_, common::ProgramFolder() + "\\Delayed"})
      std::filesystem::remove_all(std::filesystem::path(win32::Wide(folder)), ignored);
    explorer::ReleaseSharedResources();
    StartupActionsTest::TearDown();
  }

  // The test helper (it records its arguments with "record FILE ..."), under a name of its own.
  std::string CopyOfHelper(const std::string& name) const {
    const std::string path = folder_ + "\\" + name;
    EXPECT_TRUE(
        ::CopyFileW((HostToWine(EnvVar(L"OBRIVO_BIN_DIR")) + L"\\obrivo_test_helper.exe").c_str(),
                    win32::Wide(path).c_str(), FALSE));
    return path;
  }

  // Adds `program` to the list of `hive` with the values given; returns the entry's name.
  static std::string List(DelayHive hive, const std::string& program, const std::string& title,
                          const std::string& time, const std::string& parameters = "") {
    EXPECT_TRUE(startup::AddDelayedProgram(program, hive)) << program;
    const HKEY key = startup::DelayHiveKey(hive);
    const std::string name = core::ToUpper(program);
    Write(key, kDelay + "\\Time", name, time);
    if (!title.empty()) Write(key, kDelay + "\\Title", name, title);
    if (!parameters.empty()) Write(key, kDelay + "\\Parameters", name, parameters);
    return name;
  }

  // Moves the user's Run entry `name` (starting `command`) into the list.
  static void MoveUserRun(const std::string& name, const std::string& command) {
    Write(kCU, kRun, name, command);
    const auto item = ListedStartupEntry(11, name);
    ASSERT_TRUE(item) << name;
    ASSERT_EQ(startup::MoveToDelayed(*item, {}), startup::DelayMove::Moved) << name;
  }

  static bool IsListed(DelayHive hive, const std::string& name) {
    return startup::FindDelayedEntry(hive, name).has_value();
  }

  std::string folder_, recorder_;
};

TEST_F(DelayedStartPage, RowsShowTheProgramItsStatusAndItsDelay) {
  const std::string waiter = CopyOfHelper("waiter.exe");
  List(DelayHive::Machine, recorder_, "Recorder", "45");
  List(DelayHive::User, waiter, "Waiter", "95");
  List(DelayHive::User, "C:\\nowhere\\gone.exe", "", "soon");
  Process running(win32::Wide(waiter), L"wait");
  ASSERT_TRUE(WaitUntil([&] { return system::FindProcessByPath(waiter) != 0; }, 10s));
  RunSheet(kDelayedPage, [](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    const std::vector<std::string> headings = {"Title", "Command", "Status", "Delay Time"};
    ASSERT_EQ(explorer::ColumnCount(list), 4);
    for (int column = 0; column < 4; ++column) {
      wchar_t text[64] = {};
      LVCOLUMNW header{};
      header.mask = LVCF_TEXT;
      header.pszText = text;
      header.cchTextMax = 64;
      ASSERT_TRUE(ListView_GetColumn(list, column, &header));
      EXPECT_EQ(win32::Narrow(text), headings[static_cast<std::size_t>(column)]);
    }
    const struct {
      std::string title, command, status, delay;
    } rows[] = {
        {"Recorder", "RECORDER.EXE", "", "45 Sec."},
        {"Waiter", "WAITER.EXE", "Running", "1 Min. : 35 Sec."},
        // No title of its own and no version information: its file name. A stored delay that
        // is no number starts it at the launcher's first step, and says so.
        {"GONE.EXE", "GONE.EXE", "Local File not found.", "10 Sec."},
    };
    ASSERT_EQ(explorer::RowCount(list), 3);
    for (const auto& r : rows) {
      SCOPED_TRACE(r.title);
      const int row = RowOf(list, r.title);
      ASSERT_GE(row, 0);
      EXPECT_EQ(explorer::CellText(list, row, 1), r.command);
      EXPECT_EQ(explorer::CellText(list, row, 2), r.status);
      EXPECT_EQ(explorer::CellText(list, row, 3), r.delay);
    }
    SelectRows(list, {RowOf(list, "Waiter")});
    SaveDesktopScreenshot(L"explorer-delayed-start-page.bmp", ::GetParent(page));

    // The sort is kept under the page's own option.
    NMLISTVIEW click{};
    click.hdr = {list, IDC_PAGE_LIST, LVN_COLUMNCLICK};
    click.iSubItem = 3;
    ::SendMessageW(page, WM_NOTIFY, IDC_PAGE_LIST, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(StoredOption("SortPrograms"), "4");

    // Every command on the selected entries needs one.
    SelectRows(list, {});
    for (int id : {IDC_REMOVE, IDC_DELAY_OPTIONS, IDM_LAUNCH_PROGRAM, IDM_RESTORE_TO_STARTUP}) {
      SCOPED_TRACE(id);
      PostMenuCommand(page, id);
      EXPECT_TRUE(Contains(DismissMessageBox(kHelpCaption), L"No selection has been made."));
    }
  });
  running.Kill();
}

TEST_F(DelayedStartPage, RemoveAsksForEachEntryAndCancelEndsTheCommand) {
  for (const char* name : {"Alpha", "Beta", "Gamma", "Omega"})
    MoveUserRun(name, "C:\\" + std::string(name) + ".exe");
  RunSheet(kDelayedPage, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    ASSERT_EQ(explorer::RowCount(list), 4);
    SelectRows(list, {0, 1, 2, 3});
    PostClick(page, IDC_REMOVE);
    // Asked in the list's order, each question naming its program.
    const struct {
      const wchar_t* title;
      int answer;
    } questions[] = {{L"Alpha", IDYES}, {L"Beta", IDNO}, {L"Gamma", IDCANCEL}};
    for (const auto& q : questions) {
      const std::wstring text = AnswerQuestion(q.answer, page);
      EXPECT_TRUE(text.starts_with(q.title)) << win32::Narrow(text);
      EXPECT_TRUE(Contains(text,
                           L"Would you like this program to be put in the normal Windows "
                           L"Startup Programs list?"));
    }
    EXPECT_EQ(FindQuestion(), nullptr) << "Cancel ends the command";

    EXPECT_EQ(Value(kCU, kRun, "Alpha"), "C:\\Alpha.exe") << "Yes: back where it stood";
    EXPECT_FALSE(IsListed(DelayHive::User, "C:\\ALPHA.EXE"));
    EXPECT_FALSE(Value(kCU, kRun, "Beta").has_value()) << "No: nowhere at all";
    EXPECT_FALSE(IsListed(DelayHive::User, "C:\\BETA.EXE"));
    for (const char* name : {"Gamma", "Omega"}) {
      EXPECT_TRUE(IsListed(DelayHive::User, "C:\\" + core::ToUpper(name) + ".EXE")) << name;
      EXPECT_GE(RowOf(list, name), 0) << name;
    }
    EXPECT_EQ(explorer::RowCount(list), 2) << "the list is refilled";
  });
}

TEST_F(DelayedStartPage, RestorePutsEachEntryBackAndSaysWhichCouldNotGo) {
  MoveUserRun("Alpha", "C:\\alpha.exe");
  MoveUserRun("Beta", "C:\\beta.exe");
  // Another program took Beta's name meanwhile: it is never overwritten.
  Write(kCU, kRun, "Beta", "C:\\other.exe");
  RunSheet(kDelayedPage, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    SelectRows(list, {RowOf(list, "Alpha"), RowOf(list, "Beta")});
    PostMenuCommand(page, IDM_RESTORE_TO_STARTUP);
    const std::wstring said = DismissMessageBox(kHelpCaption);
    EXPECT_TRUE(Contains(said, L"\"Beta\" could not be put back")) << win32::Narrow(said);
    Settle(page);
    EXPECT_EQ(Value(kCU, kRun, "Alpha"), "C:\\alpha.exe");
    EXPECT_FALSE(IsListed(DelayHive::User, "C:\\ALPHA.EXE"));
    EXPECT_EQ(Value(kCU, kRun, "Beta"), "C:\\other.exe");
    EXPECT_TRUE(IsListed(DelayHive::User, "C:\\BETA.EXE")) << "it stays listed";
    EXPECT_EQ(RowOf(list, "Alpha"), -1);
    EXPECT_GE(RowOf(list, "Beta"), 0);
  });
}

TEST_F(DelayedStartPage, AddAsksWhomTheProgramStartsFor) {
  const std::string name = core::ToUpper(recorder_);
  const struct {
    const char* step;
    int choice;  // the radio clicked, 0 for none
    int button;
    std::optional<std::string> machine, user;  // the entry's code in each hive afterwards
    const wchar_t* said = nullptr;
  } steps[] = {
      {"cancelled", IDC_ALL_USERS, IDCANCEL, std::nullopt, std::nullopt},
      {"as offered", 0, IDOK, std::nullopt, "11"},
      {"all users", IDC_ALL_USERS, IDOK, "1", "11"},
      {"all users again", IDC_ALL_USERS, IDOK, "1", "11", L"in the Delayed Start list already"},
  };
  RunSheet(kDelayedPage, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    for (const auto& s : steps) {
      SCOPED_TRACE(s.step);
      PostClick(page, IDC_ADD);
      HWND chooser = WaitForDialog(L"Add AutoStart Program");
      ASSERT_NE(chooser, nullptr);
      ChooseFile(chooser, win32::Wide(recorder_));
      HWND type = WaitForDialog(L"Startup Program Type");
      ASSERT_NE(type, nullptr);
      EXPECT_TRUE(IsChecked(type, IDC_CURRENT_USER)) << "the narrower choice is offered";
      EXPECT_FALSE(IsChecked(type, IDC_ALL_USERS));
      if (!s.choice) SaveDesktopScreenshot(L"explorer-startup-type.bmp", type);
      if (s.choice) Click(type, s.choice);
      ::PostMessageW(type, WM_COMMAND, MAKEWPARAM(s.button, BN_CLICKED), 0);
      if (s.said) {
        EXPECT_TRUE(Contains(DismissMessageBox(kHelpCaption), s.said));
      }
      ASSERT_TRUE(WaitUntilHandled(type, page));
      EXPECT_EQ(Value(kLM, kDelay, name), s.machine);
      EXPECT_EQ(Value(kCU, kDelay, name), s.user);
      const int listed = (s.machine ? 1 : 0) + (s.user ? 1 : 0);
      EXPECT_EQ(explorer::RowCount(list), listed);
    }
    EXPECT_EQ(Value(kLM, kDelay + "\\Time", name), "30");
    EXPECT_EQ(Value(kCU, kDelay + "\\Time", name), "30");
  });
}

TEST_F(DelayedStartPage, DelayOptionsArePresetFromTheEntryAndApplyWritesItsHive) {
  const std::string name = List(DelayHive::Machine, recorder_, "Agent", "95", "-q");
  Write(kCU, kDelay + "\\OpenAs", name, "2");
  RunSheet(kDelayedPage, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    SelectRows(list, {RowOf(list, "Agent")});
    PostClick(page, IDC_DELAY_OPTIONS);
    HWND dialog = WaitForDialog(L"Program Delay Startup Options");
    ASSERT_NE(dialog, nullptr);
    const auto chosen = [&](int combo) {
      return ::SendDlgItemMessageW(dialog, combo, CB_GETCURSEL, 0, 0);
    };
    const auto text = [&](int id) { return win32::Narrow(WindowText(::GetDlgItem(dialog, id))); };
    EXPECT_EQ(text(IDC_DELAY_PROGRAM), name);
    // 95 seconds: 1 minute and the seconds entry "30".
    EXPECT_EQ(chosen(IDC_DELAY_MINUTES), 1);
    EXPECT_EQ(chosen(IDC_DELAY_SECONDS), 3);
    EXPECT_EQ(chosen(IDC_OPEN_AS), 2) << "Maximized";
    EXPECT_EQ(::SendDlgItemMessageW(dialog, IDC_DELAY_MINUTES, CB_GETCOUNT, 0, 0), 61);
    EXPECT_EQ(::SendDlgItemMessageW(dialog, IDC_DELAY_SECONDS, CB_GETCOUNT, 0, 0), 6);
    EXPECT_EQ(text(IDC_DELAY_PARAMETERS), "-q");
    EXPECT_EQ(text(IDC_DELAY_TITLE), "Agent");
    for (int field : {IDC_DELAY_PARAMETERS, IDC_DELAY_TITLE})
      EXPECT_EQ(::SendDlgItemMessageW(dialog, field, EM_GETLIMITTEXT, 0, 0), 256);
    SaveDesktopScreenshot(L"explorer-delay-options.bmp", dialog);

    ::SendDlgItemMessageW(dialog, IDC_DELAY_MINUTES, CB_SETCURSEL, 2, 0);
    ::SendDlgItemMessageW(dialog, IDC_DELAY_SECONDS, CB_SETCURSEL, 5, 0);
    ::SendDlgItemMessageW(dialog, IDC_OPEN_AS, CB_SETCURSEL, 1, 0);
    ::SetDlgItemTextW(dialog, IDC_DELAY_PARAMETERS, L"-x \"a b\"");
    ::SetDlgItemTextW(dialog, IDC_DELAY_TITLE, L"Agent \u00e9t\u00e9");
    Click(dialog, IDOK);
    EXPECT_TRUE(::IsWindow(dialog)) << "Apply leaves the dialog open";
    EXPECT_EQ(Value(kLM, kDelay + "\\Time", name), "170");
    EXPECT_EQ(Value(kLM, kDelay + "\\Parameters", name), "-x \"a b\"");
    EXPECT_EQ(Value(kLM, kDelay + "\\Title", name), "Agent \xC3\xA9t\xC3\xA9");
    EXPECT_EQ(Value(kCU, kDelay + "\\OpenAs", name), "1") << "the window mode is the user's";
    EXPECT_FALSE(Value(kCU, kDelay + "\\Time", name).has_value()) << "not the user's hive";

    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ASSERT_TRUE(WaitUntilHandled(dialog, page));
    const int row = RowOf(list, "Agent \xC3\xA9t\xC3\xA9");
    ASSERT_GE(row, 0) << "the list is refilled";
    EXPECT_EQ(explorer::CellText(list, row, 3), "2 Min. : 50 Sec.");
  });
}

// A program of the machine's list starts with the parameters stored with it, not with those the
// user's list holds for the same file.
TEST_F(DelayedStartPage, LaunchStartsWithTheParametersOfTheEntrysOwnHive) {
  const std::string record = folder_ + "\\launched.txt";
  const std::string hostRecord = folder_ + "\\hosted.txt";
  List(DelayHive::Machine, recorder_, "Machine copy", "30", "record " + record + " machine");
  List(DelayHive::User, recorder_, "User copy", "30", "record " + record + " user");
  List(DelayHive::User, "C:\\nowhere\\gone.exe", "Gone", "30");
  // An entry that ran through a host: the host starts with the program's file first.
  const std::string hosted = folder_ + "\\hosted.dll";
  ASSERT_TRUE(WriteBytes(hosted, "MZ"));
  const std::string hostedName =
      List(DelayHive::User, hosted, "Hosted", "30", "record " + hostRecord + " hosted");
  Write(kCU, kDelay + "\\Applet", hostedName, recorder_);
  RunSheet(kDelayedPage, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    SelectRows(list, {RowOf(list, "Machine copy"), RowOf(list, "Gone")});
    PostMenuCommand(page, IDM_LAUNCH_PROGRAM);
    EXPECT_TRUE(Contains(DismissMessageBox(kHelpCaption), L"\"Gone\" could not be started"));
    ASSERT_TRUE(WaitUntil([&] { return win32::IsExistingFile(record); }, 10s));
    EXPECT_EQ(ReadBytes(record), "machine");

    SelectRows(list, {RowOf(list, "Hosted")});
    PostMenuCommand(page, IDM_LAUNCH_PROGRAM);
    ASSERT_TRUE(WaitUntil([&] { return win32::IsExistingFile(hostRecord); }, 10s));
    EXPECT_EQ(ReadBytes(hostRecord), "hosted");
    Settle(page);
    EXPECT_EQ(FindShownDialog(kHelpCaption), nullptr) << "a start that worked is not reported";
  });
}

// The Startup page's "Move to Delayed Start", seen from the Delayed Start page: that page, shown
// before, shows the moved entry when it shows again.
TEST_F(DelayedStartPage, MoveFromTheStartupPageAsksForMachineWideEntriesAndKeepsThoseThatStay) {
  Write(kLM, kRun, "Machine A", "C:\\machine-a.exe -a");
  Write(kLM, kRun, "Machine B", "C:\\machine-b.exe");
  Write(kCU, kRun, "Listed", "C:\\listed.exe");
  ASSERT_TRUE(startup::AddDelayedProgram("C:\\listed.exe", DelayHive::User));
  Write(kCU, kRun, "Obrivo", common::ProgramFolder() + "\\Obrivo.exe -expressboot");
  Write(kCU, kRun, "Zulu", "C:\\zulu.exe");  // listed after the program's own entry
  RunSheet(kDelayedPage, [&](HWND sheet, HWND delayedPage) {
    HWND delayedList = ::GetDlgItem(delayedPage, IDC_PAGE_LIST);
    EXPECT_EQ(explorer::RowCount(delayedList), 1);
    ASSERT_TRUE(PropSheet_SetCurSel(sheet, nullptr, 0));
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    ASSERT_NE(page, delayedPage);
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    const auto move = [&](const std::vector<std::string>& titles) {
      std::vector<int> rows;
      for (const std::string& title : titles) rows.push_back(RowOf(list, title));
      SelectRows(list, rows);
      PostMenuCommand(page, IDM_MOVE_TO_DELAYED);
    };

    move({"Machine B"});
    EXPECT_TRUE(Contains(AnswerQuestion(IDCANCEL, page), L"used by everyone who may logon"));
    EXPECT_EQ(Value(kLM, kRun, "Machine B"), "C:\\machine-b.exe") << "Cancel keeps it";
    EXPECT_FALSE(IsListed(DelayHive::Machine, "C:\\MACHINE-B.EXE"));

    move({"Machine A"});
    EXPECT_FALSE(AnswerQuestion(IDOK, page).empty());
    EXPECT_FALSE(Value(kLM, kRun, "Machine A").has_value());
    EXPECT_EQ(Value(kLM, kDelay, "C:\\MACHINE-A.EXE"), "1") << "into the machine's list";
    EXPECT_EQ(Value(kLM, kDelay + "\\Parameters", "C:\\MACHINE-A.EXE"), "-a");
    EXPECT_EQ(RowOf(list, "Machine A"), -1) << "the page is refilled";

    move({"Listed"});
    EXPECT_TRUE(Contains(DismissMessageBox(kHelpCaption), L"in the Delayed Start list already"));
    Settle(page);
    EXPECT_EQ(Value(kCU, kRun, "Listed"), "C:\\listed.exe");

    // The program's own entry must stay, and the command ends with it.
    move({"Obrivo", "Zulu"});
    EXPECT_TRUE(Contains(DismissMessageBox(kHelpCaption), L"must remain as a normal Windows"));
    Settle(page);
    EXPECT_EQ(FindShownDialog(kHelpCaption), nullptr);
    EXPECT_TRUE(Value(kCU, kRun, "Obrivo").has_value());
    EXPECT_EQ(Value(kCU, kRun, "Zulu"), "C:\\zulu.exe");
    EXPECT_FALSE(IsListed(DelayHive::User, "C:\\ZULU.EXE"));

    ASSERT_TRUE(PropSheet_SetCurSel(sheet, nullptr, 1));
    Settle(delayedPage);
    EXPECT_GE(RowOf(delayedList, "Machine A"), 0) << "shown again after the move";
    EXPECT_EQ(explorer::RowCount(delayedList), 2);
  });
}

TEST_F(DelayedStartPage, RestoreAllOnTheOptionsPageSaysWhenSomeCouldNotGoBack) {
  MoveUserRun("Alpha", "C:\\alpha.exe");
  MoveUserRun("Beta", "C:\\beta.exe");
  Write(kCU, kRun, "Beta", "C:\\other.exe");
  RunSheet(6033, [&](HWND, HWND page) {
    PostClick(page, IDC_RESTORE_ALL_DELAYED);
    EXPECT_TRUE(Contains(DismissMessageBox(kHelpCaption), L"Some delayed programs could not"));
    Settle(page);
    EXPECT_EQ(Value(kCU, kRun, "Alpha"), "C:\\alpha.exe");
    EXPECT_TRUE(IsListed(DelayHive::User, "C:\\BETA.EXE"));

    ASSERT_EQ(::RegDeleteKeyValueW(kCU, win32::Wide(kRun).c_str(), L"Beta"), ERROR_SUCCESS);
    PostClick(page, IDC_RESTORE_ALL_DELAYED);
    ASSERT_TRUE(WaitUntil(
        [&] { return Value(kCU, kRun, "Beta").has_value() || FindShownDialog(kHelpCaption); },
        10s));
    Settle(page);
    EXPECT_EQ(FindShownDialog(kHelpCaption), nullptr) << "all went back: nothing to say";
    EXPECT_EQ(Value(kCU, kRun, "Beta"), "C:\\beta.exe");
    EXPECT_TRUE(startup::ReadDelayedList().empty());
  });
}

}  // namespace
}  // namespace obrivo::test
