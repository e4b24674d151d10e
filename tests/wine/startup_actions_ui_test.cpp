// What the user sees of the startup operations, driven by control id from another thread: the
// Explorer's warning before an advanced entry goes, the Monitor's question, the history
// viewer's Restore, and deleting a file at the next restart (the program file of a startup entry
// from the Startup page, a running program from the Active Tasks page).
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/system.h"
#include "common/window_place.h"
#include "core/options.h"
#include "core/text.h"
#include "explorer/advanced_warning.h"
#include "explorer/explorer_state.h"
#include "explorer/history_viewer.h"
#include "explorer/list_view.h"
#include "explorer/sheet.h"
#include "explorer_driver.h"
#include "explorer_ids.h"
#include "file_bytes.h"
#include "monitor/advanced_removal.h"
#include "pending_deletions.h"
#include "startup/delete_on_reboot.h"
#include "startup/startup_actions.h"
#include "startup_actions_env.h"
#include "test_process.h"

namespace obrivo::startup {
namespace {

using namespace std::chrono_literals;
using test::kBaselineKey;
using test::kVersionKey;
using test::PendingDeletions;
using test::Value;
using test::WaitUntil;

const HKEY kLM = HKEY_LOCAL_MACHINE;
const HKEY kCU = HKEY_CURRENT_USER;
const std::string kHooks = kVersionKey + "\\Explorer\\ShellExecuteHooks";
const std::string kRun = kVersionKey + "\\Run";

std::wstring Text(HWND dialog, int id) { return test::WindowText(::GetDlgItem(dialog, id)); }

void Click(HWND dialog, int id) {
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

// A visible dialog of this process with `title`, and with control `id` when given.
HWND WaitForDialog(const wchar_t* title, int id = 0, std::chrono::milliseconds timeout = 10s) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        found = ::FindWindowW(L"#32770", title);
        return found && ::IsWindowVisible(found) && (id == 0 || ::GetDlgItem(found, id));
      },
      timeout);
  return found;
}

std::string FixturePath(const char* name) {
  return win32::Narrow(test::HostToWine(test::EnvVar(L"OBRIVO_BIN_DIR"))) + "\\" + name;
}

class StartupActionsUi : public test::StartupActionsTest {
 protected:
  void SetUp() override {
    StartupActionsTest::SetUp();
    explorer::CreateSharedResources(common::App().instance);
  }
  void TearDown() override {
    explorer::ReleaseSharedResources();
    StartupActionsTest::TearDown();
  }

  // Runs `act` on this thread while `drive` works the windows it opens from another.
  static void WhileDriving(const std::function<void()>& act, const std::function<void()>& drive) {
    std::thread driver(drive);
    act();
    driver.join();
  }
};

// ---- The Explorer's warning ----------------------------------------------------------------

TEST_F(StartupActionsUi, TheWarningRemovesOnlyWhenTheBoxIsTickedAndOkPressed) {
  const struct {
    bool tick;
    int button;
    bool removed;
  } cases[] = {{false, IDOK, false}, {true, IDCANCEL, false}, {true, IDOK, true}};
  const std::string path = FixturePath("obrivo_test_helper.exe");
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "tick " << c.tick << ", button " << c.button);
    Write(kLM, kHooks, "{1234}", "Agent");
    bool removed = false;
    WhileDriving(
        [&] {
          removed = RemoveStartupEntry("Agent", path, "{1234}", 254,
                                       explorer::AdvancedWarningConfirm(nullptr));
        },
        [&] {
          HWND dialog = WaitForDialog(L"Obrivo Message", IDC_WARNING_CONFIRM);
          ASSERT_NE(dialog, nullptr);
          EXPECT_EQ(win32::Narrow(Text(dialog, IDC_WARNING_PATH)), path);
          EXPECT_EQ(win32::Narrow(Text(dialog, IDC_WARNING_TEXT)), common::LoadText(907));
          EXPECT_EQ(Text(dialog, IDC_WARNING_TITLE), L"Agent");
          EXPECT_EQ(::SendDlgItemMessageW(dialog, IDC_WARNING_CONFIRM, BM_GETCHECK, 0, 0),
                    BST_UNCHECKED)
              << "the box starts unticked";
          if (c.tick)
            ::SendDlgItemMessageW(dialog, IDC_WARNING_CONFIRM, BM_SETCHECK, BST_CHECKED, 0);
          Click(dialog, c.button);
        });
    EXPECT_EQ(removed, c.removed);
    EXPECT_EQ(Value(kLM, kHooks, "{1234}").has_value(), !c.removed);
  }
}

TEST_F(StartupActionsUi, TheWarningNamesAMicrosoftFileAsASystemFile) {
  const struct {
    const char* file;
    std::string line;
  } cases[] = {
      {"version_microsoft_copyright.dll",
       "The file Agent appears to be a valid Microsoft system file."},
      {"version_os_product.dll", "Agent"},  // another copyright
      {"obrivo_test_helper.exe", "Agent"},  // no version information
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    bool confirmed = true;
    WhileDriving(
        [&] { confirmed = explorer::ShowAdvancedWarning(nullptr, "Agent", FixturePath(c.file)); },
        [&] {
          HWND dialog = WaitForDialog(L"Obrivo Message", IDC_WARNING_CONFIRM);
          ASSERT_NE(dialog, nullptr);
          EXPECT_EQ(win32::Narrow(Text(dialog, IDC_WARNING_TITLE)), c.line);
          if (&c == &cases[0]) {
            test::SaveDesktopScreenshot(L"startup-advanced-warning.bmp", dialog);
          }
          Click(dialog, IDOK);
        });
    EXPECT_FALSE(confirmed);
  }
}

TEST_F(StartupActionsUi, TheWarningKeepsItsPlace) {
  const auto show = [&](const std::function<void(HWND)>& drive) {
    WhileDriving([] { explorer::ShowAdvancedWarning(nullptr, "Agent", "C:\\agent.dll"); },
                 [&] {
                   HWND dialog = WaitForDialog(L"Obrivo Message", IDC_WARNING_CONFIRM);
                   ASSERT_NE(dialog, nullptr);
                   drive(dialog);
                   Click(dialog, IDOK);
                 });
  };
  show([](HWND dialog) {
    ::SetWindowPos(dialog, nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  });
  EXPECT_EQ(common::ReadWindowPosition("xDefaultWarning"), "40");
  EXPECT_EQ(common::ReadWindowPosition("yDefaultWarning"), "50");
  show([](HWND dialog) {
    RECT r{};
    ::GetWindowRect(dialog, &r);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 50);
  });
}

// ---- The Monitor's question ----------------------------------------------------------------

TEST_F(StartupActionsUi, TheMonitorAsksOnlyWhileStartupAlertsAreShown) {
  const struct {
    int hideStartup;
    int answer;  // 0: no question expected
    bool removed;
  } cases[] = {{0, IDNO, false}, {0, IDYES, true}, {1, 0, true}, {2, 0, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "HideStartup " << c.hideStartup << ", answer " << c.answer);
    common::App().options.Set(core::OptionId::HideStartup, c.hideStartup);
    Write(kLM, kHooks, "{1234}", "Agent");
    std::atomic<bool> done{false};
    bool asked = false, removed = false;
    WhileDriving(
        [&] {
          removed = RemoveAdvancedStartupEntry(254, "Agent", "C:\\agent.dll", "{1234}",
                                               monitor::AdvancedRemovalConfirmation());
          done = true;
        },
        [&] {
          WaitUntil(
              [&] {
                HWND box = ::FindWindowW(L"#32770", L"Obrivo");
                if (box && ::IsWindowVisible(box) && ::GetDlgItem(box, IDYES)) {
                  asked = true;
                  EXPECT_NE(win32::Narrow(Text(box, 0xFFFF)).find("C:\\agent.dll"),
                            std::string::npos);
                  Click(box, c.answer ? c.answer : IDNO);
                  return true;
                }
                return done.load();
              },
              10s);
        });
    EXPECT_EQ(asked, c.answer != 0);
    EXPECT_EQ(removed, c.removed);
    EXPECT_EQ(Value(kLM, kHooks, "{1234}").has_value(), !c.removed) << "No leaves the entry";
  }
}

// ---- The history viewer --------------------------------------------------------------------

TEST_F(StartupActionsUi, TheHistoryViewerPutsARemovedEntryBack) {
  Write(kCU, kRun, "Agent", "\"C:\\Program Files\\Agent\\agent.exe\" /tray");
  ASSERT_TRUE(RemoveStartupEntry("Agent", "C:\\Program Files\\Agent\\agent.exe /tray", "", 11, {}));
  ASSERT_EQ(Value(kCU, kRun, "Agent"), std::nullopt);
  WhileDriving(
      [] { explorer::ShowHistoryViewer(nullptr); },
      [&] {
        HWND dialog = WaitForDialog(L"Obrivo History", IDC_HISTORY_RESTORE);
        ASSERT_NE(dialog, nullptr);
        HWND list = ::GetDlgItem(dialog, IDC_PAGE_LIST);
        ASSERT_EQ(explorer::RowCount(list), 1);
        EXPECT_EQ(explorer::CellText(list, 0, 1), "*START_Remove");
        explorer::SelectRow(list, 0);
        EXPECT_TRUE(WaitUntil(
            [&] { return ::IsWindowEnabled(::GetDlgItem(dialog, IDC_HISTORY_RESTORE)); }, 5s));
        Click(dialog, IDC_HISTORY_RESTORE);
        EXPECT_TRUE(WaitUntil([&] { return Value(kCU, kRun, "Agent").has_value(); }, 5s));
        Click(dialog, IDOK);
      });
  EXPECT_EQ(Value(kCU, kRun, "Agent"), "\"C:\\Program Files\\Agent\\agent.exe\" /tray");
  EXPECT_EQ(Value(kLM, kRun, "Agent"), std::nullopt) << "back in the user's key";
  EXPECT_EQ(Value(kCU, kBaselineKey, "C:\\Program Files\\Agent\\agent.exe /tray"), "11")
      << "accepted under the path it is listed by";
}

TEST_F(StartupActionsUi, DisableAndEnableRecordsAreReversedOnlyOnce) {
  Write(kCU, kRun, "Agent", "C:\\agent.exe");
  core::Item record;
  record.title = "Agent";
  record.path = "C:\\agent.exe";
  record.type = 11;
  ASSERT_TRUE(ToggleStartupEntry("Agent", "C:\\agent.exe", "", 11));
  const auto undoDisable = explorer::HistoryRestoreFor(1);
  const auto undoEnable = explorer::HistoryRestoreFor(2);
  ASSERT_TRUE(undoDisable && undoEnable);
  undoDisable(nullptr, record);
  EXPECT_FALSE(IsStartupEntryDisabled(11, "Agent"));
  undoDisable(nullptr, record);
  EXPECT_FALSE(IsStartupEntryDisabled(11, "Agent")) << "an enabled entry stays enabled";
  EXPECT_EQ(Value(kCU, kRun, "Agent"), "C:\\agent.exe");
  undoEnable(nullptr, record);
  EXPECT_TRUE(IsStartupEntryDisabled(11, "Agent"));
  undoEnable(nullptr, record);
  EXPECT_TRUE(IsStartupEntryDisabled(11, "Agent"));
  EXPECT_EQ(Value(kCU, kRun, "Agent"), std::nullopt);
}

// ---- Deleting at the next restart ----------------------------------------------------------

TEST_F(StartupActionsUi, AFileIsScheduledForDeletionWithItsAttributesCleared) {
  PendingDeletions pending;
  const std::string file = common::ProgramFolder() + "\\doomed.exe";
  ASSERT_TRUE(test::WriteBytes(file, "x"));
  ::SetFileAttributesW(win32::Wide(file).c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  EXPECT_FALSE(pending.Lists(file));
  ASSERT_TRUE(DeleteFileOnReboot(file));
  EXPECT_TRUE(pending.Lists(file));
  EXPECT_EQ(
      win32::FileAttributes(file).value_or(0) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
      0u);
  EXPECT_FALSE(DeleteFileOnReboot(""));
  ::DeleteFileW(win32::Wide(file).c_str());
}

TEST_F(StartupActionsUi, OnTheOlderWindowsTheDeletionJoinsWininitIni) {
  const std::string wininit = win32::WindowsDirectory() + "\\wininit.ini";
  const auto before = win32::ReadWholeFile(wininit);
  const std::string file = common::ProgramFolder() + "\\doomed.exe";
  ASSERT_TRUE(test::WriteBytes(file, "x"));
  const std::string line = "NUL=" + win32::ShortPath(file).value_or("?") + "\r\n";
  const struct {
    const char* existing;  // nullptr: no file yet
    std::string expected;
  } cases[] = {
      {nullptr, "[rename]\r\n" + line},
      {"[rename]\r\nNUL=C:\\OLD.TXT\r\n", "[rename]\r\n" + line + "NUL=C:\\OLD.TXT\r\n"},
      {"[other]\r\nA=B", "[other]\r\nA=B\r\n[rename]\r\n" + line},
      {"; note\r\n[Rename]", "; note\r\n[Rename]\r\n" + line},
  };
  common::App().ntFamily = false;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.existing ? c.existing : "none");
    ::DeleteFileW(win32::Wide(wininit).c_str());
    if (c.existing) {
      ASSERT_TRUE(test::WriteBytes(wininit, c.existing));
    }
    EXPECT_TRUE(DeleteFileOnReboot(file));
    EXPECT_EQ(win32::ReadWholeFile(wininit), c.expected);
  }
  // A file that is not there has no short path: nothing is added.
  EXPECT_FALSE(DeleteFileOnReboot(common::ProgramFolder() + "\\missing.exe"));
  EXPECT_EQ(win32::ReadWholeFile(wininit), cases[3].expected);
  common::App().ntFamily = true;
  ::DeleteFileW(win32::Wide(wininit).c_str());
  if (before) test::WriteBytes(wininit, *before);
  ::DeleteFileW(win32::Wide(file).c_str());
}

TEST_F(StartupActionsUi, AnEntrysProgramFileIsWhatItsCommandRuns) {
  const std::string program = common::ProgramFolder() + "\\doomed program.exe";
  const std::string dll = common::ProgramFolder() + "\\doomed.dll";
  const std::string missing = common::ProgramFolder() + "\\missing.exe";
  ASSERT_TRUE(test::WriteBytes(program, "x"));
  ASSERT_TRUE(test::WriteBytes(dll, "x"));
  const std::string notepad = win32::WindowsDirectory() + "\\notepad.exe";
  const struct {
    std::string command;
    bool throughRundll;  // the item's flag: its path is the host's target
    std::optional<std::string> file;
  } cases[] = {
      {"\"" + program + "\" -background", false, program},
      {program + " -background", false, program},  // as listed, the quotes gone
      {program, false, program},
      {dll + ",Start -x", true, dll},
      {"\"" + dll + "\",Start", true, dll},
      {"rundll32.exe \"" + dll + "\",Start", false, dll},  // a disabled entry's stored command
      {"rundll32.exe shell32,Control_RunDLL", false, win32::SystemDirectory() + "\\shell32.dll"},
      {"notepad.exe C:\\notes.txt", false, notepad},
      {"%SystemRoot%\\notepad.exe -x", false, notepad},
      // The host named among the arguments does not make its DLL the program.
      {"evil.exe RUNDLL32.EXE " + dll + ",Start", false, std::nullopt},
      {missing + " -x", false, std::nullopt},
      {"", false, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    const auto file = EntryProgramFile(c.command, c.throughRundll);
    ASSERT_EQ(file.has_value(), c.file.has_value()) << file.value_or("(none)");
    if (file) {
      EXPECT_TRUE(core::EqualsNoCase(*file, *c.file)) << *file;
    }
  }
  ::DeleteFileW(win32::Wide(program).c_str());
  ::DeleteFileW(win32::Wide(dll).c_str());
}

TEST_F(StartupActionsUi, TheStartupPageDeletesAnEntrysProgramFileOnRebootOrSaysWhyNot) {
  PendingDeletions pending;
  const std::string program = common::ProgramFolder() + "\\doomed program.exe";
  const std::string dll = common::ProgramFolder() + "\\doomed.dll";
  const std::string missing = common::ProgramFolder() + "\\missing.exe";
  ASSERT_TRUE(test::WriteBytes(program, "x"));
  ASSERT_TRUE(test::WriteBytes(dll, "x"));
  const struct {
    const char* name;
    std::string command;
    std::string scheduled;  // empty: nothing can be, and the user is told
  } cases[] = {
      {"Spaced", "\"" + program + "\" -background", program},
      {"Hosted", "rundll32.exe \"" + dll + "\",Start", dll},
      {"Missing", missing + " -x", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Write(kCU, kRun, c.name, c.command);
    std::wstring failure;
    bool failureShown = false;
    test::RunSheet(6026, [&](HWND, HWND page) {
      HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
      int row = -1;
      WaitUntil(
          [&] {
            for (int r = 0; r < explorer::RowCount(list); ++r)
              if (explorer::CellText(list, r, 0) == c.name) row = r;
            return row >= 0;
          },
          10s);
      ASSERT_GE(row, 0) << "the entry is listed";
      explorer::SelectRow(list, row);
      ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(1144, 0), 0);
      HWND question = WaitForDialog(L"Obrivo", IDYES);
      ASSERT_NE(question, nullptr) << "string 800 is asked first";
      Click(question, IDYES);
      ASSERT_TRUE(test::WaitUntilHandled(question, page));
      // The page has either finished the command or shows its report (created, perhaps not yet
      // shown) and waits in it.
      if (HWND box = ::FindWindowW(L"#32770", L"Obrivo Help")) {
        failureShown = true;
        WaitUntil([&] { return !Text(box, 0xFFFF).empty(); }, 5s);
        failure = Text(box, 0xFFFF);
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        WaitUntil([&] { return !::IsWindow(box); }, 5s);
      }
    });
    common::DeleteStoreValue(kCU, kRun, c.name);
    if (!c.scheduled.empty()) {
      EXPECT_TRUE(pending.Lists(c.scheduled)) << "the program file, without the arguments";
      EXPECT_FALSE(failureShown) << win32::Narrow(failure);
    } else {
      EXPECT_TRUE(failureShown) << "a failure is reported";
      EXPECT_NE(failure.find(L"could not be scheduled for deletion"), std::wstring::npos);
      EXPECT_NE(failure.find(win32::Wide(missing)), std::wstring::npos) << "naming what it was";
    }
  }
  EXPECT_FALSE(pending.Lists(program + " -background"));
  ::DeleteFileW(win32::Wide(program).c_str());
  ::DeleteFileW(win32::Wide(dll).c_str());
}

TEST_F(StartupActionsUi, ActiveTasksDeletesTheSelectedProgramOnRebootAfterAskingYes) {
  PendingDeletions pending;
  const std::string self = win32::ModuleFileName();
  for (const int answer : {IDNO, IDYES}) {
    SCOPED_TRACE(answer);
    std::thread driver([&] {
      HWND sheet = nullptr;
      WaitUntil([&] { return (sheet = explorer::Explorer().sheet) != nullptr; }, 10s);
      HWND page = sheet ? PropSheet_GetCurrentPageHwnd(sheet) : nullptr;
      HWND list = page ? ::GetDlgItem(page, IDC_PAGE_LIST) : nullptr;
      int row = -1;
      WaitUntil(
          [&] {
            for (int r = 0; list && r < explorer::RowCount(list); ++r)
              if (core::EqualsNoCase(explorer::CellText(list, r, 0), core::FileNamePart(self)))
                row = r;
            return row >= 0;
          },
          10s);
      if (row >= 0) {
        explorer::SelectRow(list, row);
        ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(1144, 0), 0);
        HWND box = WaitForDialog(L"Obrivo", IDYES);
        EXPECT_NE(box, nullptr) << "the question comes first";
        if (box) {
          EXPECT_NE(
              win32::Narrow(Text(box, 0xFFFF)).find("Are you sure you want this file deleted?"),
              std::string::npos);
          Click(box, answer);
          WaitUntil([&] { return !::IsWindow(box); }, 5s);
        }
      } else {
        ADD_FAILURE() << "the test program is not listed";
      }
      if (sheet) ::PostMessageW(sheet, WM_CLOSE, 0, 0);
    });
    explorer::OpenSheet(6029);
    driver.join();
    EXPECT_EQ(pending.Lists(self), answer == IDYES);
  }
}

}  // namespace
}  // namespace obrivo::startup
