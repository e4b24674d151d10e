// The restart commands of Windows 9x, run through the program's platform switch: when they apply,
// when commands are waiting (wininit.ini empty or without a section included), what the viewer
// shows and that its Delete cancels them, and that on the NT family nothing acts.
#include "startup/restart_commands.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "common/app.h"
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

}  // namespace
}  // namespace obrivo::test
