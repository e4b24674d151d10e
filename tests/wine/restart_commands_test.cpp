// The restart commands of Windows 9x, run through the program's platform switch: when they apply,
// when commands are waiting (wininit.ini empty or without a section included), what the viewer
// shows and that its Delete cancels them, and that on the NT family nothing acts.
#include "startup/restart_commands.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "common/app.h"
#include "common/options_store.h"
#include "common/store.h"
#include "monitor/monitor_state.h"
#include "monitor/patrol.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "explorer_driver.h"
#include "file_bytes.h"
#include "restart_commands_ids.h"
#include "test_process.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

class RestartCommands : public SandboxedTest {
 protected:
  void SetUp() override {
    SandboxedTest::SetUp();
    folder_ = common::ProgramFolder() + "\\win9x";
    ::CreateDirectoryW(win32::Wide(folder_).c_str(), nullptr);
    Clear();
    startup::SetRestartCommandsFolder(folder_);
  }
  void TearDown() override {
    Clear();
    startup::SetRestartCommandsFolder(std::nullopt);
    common::App().ntFamily = true;
  }
  void Clear() {
    for (const char* name : {"\\wininit.ini", "\\wininit.exe"}) {
      const std::wstring path = win32::Wide(folder_ + name);
      ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileW(path.c_str());
    }
  }
  std::string Ini() const { return folder_ + "\\wininit.ini"; }
  std::string folder_;
};

TEST_F(RestartCommands, WaitingOnlyWhereTheOlderFamilyCarriesThemOut) {
  const struct {
    const char* what;
    bool nt;
    bool wininitExe;
    std::optional<std::string> ini;
    bool apply, waiting;
  } cases[] = {
      {"NT family", true, true, "[rename]\r\nNUL=C:\\x.dll\r\n", false, false},
      {"no wininit.exe", false, false, "[rename]\r\nNUL=C:\\x.dll\r\n", false, false},
      {"no wininit.ini", false, true, std::nullopt, true, false},
      {"0 bytes", false, true, "", true, false},
      {"lines without a section", false, true, "NUL=C:\\x.dll\r\nC:\\a=C:\\b", true, true},
      {"commands", false, true, "[rename]\r\nNUL=C:\\x.dll\r\n", true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Clear();
    common::App().ntFamily = c.nt;
    if (c.wininitExe) {
      ASSERT_TRUE(WriteBytes(folder_ + "\\wininit.exe", "MZ"));
    }
    if (c.ini) {
      ASSERT_TRUE(WriteBytes(Ini(), *c.ini));
    }
    EXPECT_EQ(startup::RestartCommandsApply(), c.apply);
    EXPECT_EQ(startup::RestartCommandsWaiting(), c.waiting);
  }
}

TEST_F(RestartCommands, TheViewerShowsTheLinesAndDeleteCancelsThemAll) {
  common::App().ntFamily = false;
  ASSERT_TRUE(WriteBytes(folder_ + "\\wininit.exe", "MZ"));
  // CR-only and LF-only line ends, a byte of an ANSI name, and no section at all.
  ASSERT_TRUE(WriteBytes(Ini(), "NUL=C:\\A.DLL\rC:\\B.EXE=C:\\C.EXE\nNUL=C:\\caf\xE9.dll"));
  ::SetFileAttributesW(win32::Wide(Ini()).c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(startup::RestartCommandsText().value_or(""),
            "NUL=C:\\A.DLL\r\nC:\\B.EXE=C:\\C.EXE\r\nNUL=C:\\caf\xE9.dll");

  std::wstring shown, legend;
  WhileOpen([] { startup::ShowRestartCommands(nullptr); },
            [&] {
              HWND viewer = WaitForDialog(L"Obrivo - Windows Restart Commands");
              ASSERT_NE(viewer, nullptr);
              shown = WindowText(::GetDlgItem(viewer, IDC_RESTART_TEXT));
              legend = WindowText(::GetDlgItem(viewer, IDC_RESTART_LEGEND));
              Click(viewer, IDC_RESTART_DELETE);
            },
            [] { return FindShownDialog(L"Obrivo - Windows Restart Commands"); });
  EXPECT_EQ(shown, L"NUL=C:\\A.DLL\r\nC:\\B.EXE=C:\\C.EXE\r\nNUL=C:\\caf\u00E9.dll");
  EXPECT_EQ(legend.rfind(L"NUL=", 0), 0u);
  EXPECT_EQ(::GetFileAttributesW(win32::Wide(Ini()).c_str()), INVALID_FILE_ATTRIBUTES)
      << "deleted, read-only as it was";
  EXPECT_FALSE(startup::RestartCommandsWaiting());

  // Nothing waiting: said, no viewer.
  ASSERT_TRUE(WriteBytes(Ini(), ""));
  std::wstring said;
  WhileOpen([] { startup::ShowRestartCommands(nullptr); },
            [&] { said = DismissMessageBox(L"Obrivo"); }, [] { return nullptr; });
  EXPECT_EQ(said, L"No commands have been found in the WinInit.ini file.");
}

TEST_F(RestartCommands, OnTheNtFamilyTheViewerCommandDoesNothing) {
  ASSERT_TRUE(WriteBytes(folder_ + "\\wininit.exe", "MZ"));
  ASSERT_TRUE(WriteBytes(Ini(), "[rename]\r\nNUL=C:\\x.dll\r\n"));
  common::App().ntFamily = true;
  startup::ShowRestartCommands(nullptr);  // would block on its window if it opened one
  EXPECT_TRUE(win32::IsExistingFile(Ini()));
}

// The Monitor's patrol as it is registered: off the NT family its restart-commands slot finds the
// waiting commands, asks once (No: no viewer) and stays quiet for the rest of the run.
TEST_F(RestartCommands, ThePatrolAsksOnceAndThenStaysQuiet) {
  common::App().ntFamily = false;
  ASSERT_TRUE(WriteBytes(folder_ + "\\wininit.exe", "MZ"));
  ASSERT_TRUE(WriteBytes(Ini(), "[rename]\r\nNUL=C:\\x.dll\r\n"));
  // Only this category is due: the others would look at the sandbox's empty system.
  for (const char* name : {"Start", "IEHelpers", "Hidden", "ActiveX", "HostFile", "StartPage",
                           "FileType", "Tasks", "Services", "Nuts", "Cookies"})
    ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, common::kOptionsKey, name, "0"));
  ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, common::kOptionsKey, "WinInit", "1"));
  common::App().program = core::Program::Monitor;
  common::LoadOptions(common::App().options);
  static_cast<core::PatrolState&>(monitor::State()) = core::PatrolState{};
  monitor::State().caption = "Obrivo";
  common::App().startTick = ::GetTickCount() - 5000;
  monitor::StartPatrol();
  const auto passes = [](int count) {
    for (int pass = 0; pass < count; ++pass) {
      monitor::State().lastVerifyStart = ::GetTickCount() - 5000;
      for (int i = 0; i <= core::kPassDueTicks; ++i) monitor::OnPatrolTick();
    }
  };
  std::wstring asked;
  WhileOpen([&] { passes(2); },  // half A, then half B with the restart commands
            [&] {
              HWND box = WaitForDialog(L"Obrivo");
              if (!box) return;
              asked = WindowText(::GetDlgItem(box, 0xFFFF));
              ::PostMessageW(box, WM_COMMAND, IDNO, 0);
            },
            [] { return FindShownDialog(L"Obrivo"); });
  EXPECT_NE(asked.find(L"wininit.ini"), std::wstring::npos) << win32::Narrow(asked);
  EXPECT_EQ(monitor::State().restartCountdown, core::kRestartCommandsReported);
  EXPECT_TRUE(win32::IsExistingFile(Ini())) << "No leaves the commands";
  passes(2);  // would block on a second question
  EXPECT_GT(monitor::State().restartCountdown, core::kRestartCommandsReported - 3)
      << "counting down from the reported mark, far from another question";
  for (int order = 1; order <= core::kPatrolCategoryCount; ++order)
    monitor::SetPatrolCheck(order, {});
}

}  // namespace
}  // namespace obrivo::test
