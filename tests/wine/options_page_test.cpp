// The Options page in the sheet, driven by control id: every check box with its setting and the
// change flag, the write-back over what the store holds now, the tray icon switch sent to the
// Monitor, the tools that are not there yet, the patrol pictures and Hide Alerts.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cwctype>
#include <functional>
#include <string>
#include <vector>

#include "common/settings_export.h"
#include "common/shell_integration.h"
#include "common/win32/files.h"
#include "common/win32/wide.h"
#include "common/utilities.h"
#include "core/options.h"
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

constexpr int kOptionsPage = 6033;
constexpr wchar_t kHelpCaption[] = L"Obrivo Help";
constexpr char kMachineRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Stands in for the running Monitor: a window of its class that keeps the tray icon switches it
// is sent.
class FakeMonitor {
 public:
  FakeMonitor() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Obrivo";
    ::RegisterClassW(&wc);
    window_ = ::CreateWindowExW(0, L"Obrivo", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                wc.hInstance, nullptr);
    switches().clear();
  }
  ~FakeMonitor() {
    ::DestroyWindow(window_);
    ::UnregisterClassW(L"Obrivo", ::GetModuleHandleW(nullptr));
  }
  static std::vector<LPARAM>& switches() {
    static std::vector<LPARAM> received;
    return received;
  }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == 6053) switches().push_back(lParam);
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
  HWND window_ = nullptr;
};

class OptionsPage : public test::SandboxedTest {
 protected:
  void SetUp() override {
    SandboxedTest::SetUp();
    CreateSharedResources(common::App().instance);
  }
  void TearDown() override { ReleaseSharedResources(); }
};

std::string ShellMenu() {
  return common::ExplorerMenuExists()
             ? common::ReadStoreString(std::string(common::kShellMenuKey) + "\\command",
                                       HKEY_CLASSES_ROOT, "", 1024)
             : "none";
}

std::string MonitorRunValue() {
  const std::string value =
      common::ReadStoreString(kMachineRun, HKEY_LOCAL_MACHINE, "Obrivo", 1024);
  return value.empty() ? "none" : value;
}

TEST_F(OptionsPage, EveryCheckBoxStoresItsSettingAndTheChangeFlag) {
  const std::string folder = common::ProgramFolder();
  const auto option = [](const char* name) { return [name] { return StoredOption(name); }; };
  const struct {
    const char* name;
    int control;
    std::function<std::string()> stored;
    std::string checked, unchecked;
    const wchar_t* message = nullptr;  // shown when the box is checked
  } cases[] = {
      {"sounds", IDC_PLAY_SOUNDS, option("Sound"), "1", "0"},
      {"history", IDC_TRACK_HISTORY, option("History"), "1", "0"},
      {"tray icon", IDC_HIDE_TRAY_ICON, option("HideTavik"), "1", "0",
       L"\nTaskbar icon will be hidden\n\nTo return to this Obrivo screen run Obrivo Express "
       L"from the Start Button -> Programs menu."},
      {"file types", IDC_LOCK_FILE_TYPES, option("LockFileTypes"), "1", "0"},
      {"confirm exit", IDC_CONFIRM_EXIT, option("ConfirmExit"), "1", "0"},
      {"plus format", IDC_PLUS_FORMAT, option("PlusFormat"), "1", "0",
       L"Thank you for your support.\n\nThis feature may not be supported by every system.\nIf "
       L"you no longer can access PLUS Info, return here and uncheck this box.\n"},
      {"original icon", IDC_ORIGINAL_TRAY_ICON, option("TrayIcon"), "159", "101"},
      {"shell menu", IDC_EXPLORER_INTEGRATION,
       [] { return StoredOption("ExplorerMenu") + " " + ShellMenu(); },
       "1 \"" + folder + "\\obrivo.exe\" %1", "0 none"},
      {"always run", IDC_AUTO_START, MonitorRunValue, "\"" + folder + "\\obrivo.exe\" -expressboot",
       "none"},
  };
  test::RunSheet(kOptionsPage, [&](HWND, HWND page) {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.name);
      const bool wasChecked = IsChecked(page, c.control);
      for (const bool nowChecked : {!wasChecked, wasChecked}) {
        StoreOption("Update", "0");
        const bool asks = nowChecked && c.message;
        if (asks) {
          test::PostClick(page, c.control);
          EXPECT_EQ(test::DismissMessageBox(kHelpCaption), c.message);
        } else {
          Click(page, c.control);
        }
        EXPECT_EQ(IsChecked(page, c.control), nowChecked);
        EXPECT_EQ(c.stored(), nowChecked ? c.checked : c.unchecked);
        EXPECT_EQ(StoredOption("Update"), "1") << "the Monitor is told to reload";
        EXPECT_EQ(test::FindShownDialog(kHelpCaption), nullptr) << "no message unasked";
      }
    }
  });
}

// The HOSTS viewer: Notepad on the prefix's HOSTS file, or a message when there is none.
TEST_F(OptionsPage, ViewHostsOpensNotepadOrSaysThatThereIsNoHostsFile) {
  const std::wstring hosts = win32::Wide(common::HostsFilePath());
  const std::wstring aside = hosts + L".obrivo-test";
  const auto notepadOnHosts = [] {
    HWND found = nullptr;
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
          wchar_t cls[32] = {};
          ::GetClassNameW(window, cls, 32);
          std::wstring title = test::WindowText(window);
          for (wchar_t& c : title) c = static_cast<wchar_t>(::towupper(c));
          if (std::wstring(cls) == L"Notepad" && title.find(L"HOSTS") != std::wstring::npos) {
            *reinterpret_cast<HWND*>(param) = window;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
  };
  test::RunSheet(kOptionsPage, [&](HWND, HWND page) {
    ASSERT_TRUE(::MoveFileExW(hosts.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING));
    test::PostClick(page, IDC_VIEW_HOSTS);
    const std::wstring text = test::AnswerQuestion(IDOK, page);
    ASSERT_TRUE(::MoveFileExW(aside.c_str(), hosts.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(text, L"\nA HOSTS file could not be located on your computer.\n\n");
    EXPECT_EQ(notepadOnHosts(), nullptr);

    test::PostClick(page, IDC_VIEW_HOSTS);
    HWND notepad = nullptr;
    EXPECT_TRUE(test::WaitUntil([&] { return (notepad = notepadOnHosts()) != nullptr; },
                                std::chrono::seconds(20)))
        << "Notepad shows the HOSTS file";
    if (notepad) {
      DWORD pid = 0;
      ::GetWindowThreadProcessId(notepad, &pid);
      HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
      if (process) {
        ::TerminateProcess(process, 0);
        ::WaitForSingleObject(process, 10000);
        ::CloseHandle(process);
      }
    }
    EXPECT_EQ(test::FindQuestion(), nullptr) << "no message when Notepad starts";
  });
}

// Pages and dialogs store their own options as they change; the page's write-back must not
// bring back what was there when the Explorer started.
TEST_F(OptionsPage, TheWriteBackRewritesEveryOptionAsTheStoreHasItNow) {
  test::RunSheet(kOptionsPage, [&](HWND, HWND page) {
    StoreOption("Start", "7");
    StoreOption("HideStartup", "2");
    Click(page, IDC_PLAY_SOUNDS);
    EXPECT_EQ(StoredOption("Start"), "7");
    EXPECT_EQ(StoredOption("HideStartup"), "2");
    EXPECT_EQ(StoredOption("Sound"), "0");
    for (core::OptionId id : core::OptionWriteBackOrder())
      EXPECT_NE(StoredOption(core::OptionName(id)), "") << core::OptionName(id);
    for (const char* untouched : {"TrayIcon", "WindowSettings", "MaxCookie", "Debug"})
      EXPECT_EQ(StoredOption(untouched), "") << untouched << " is written only where it changes";
  });
}

TEST_F(OptionsPage, TheTrayIconSwitchGoesToTheRunningMonitorBothWays) {
  FakeMonitor monitor;
  test::RunSheet(kOptionsPage, [&](HWND, HWND page) {
    test::PostClick(page, IDC_HIDE_TRAY_ICON);
    EXPECT_FALSE(test::DismissMessageBox(kHelpCaption).empty());
    EXPECT_EQ(StoredOption("HideTavik"), "1");
    Click(page, IDC_HIDE_TRAY_ICON);
    EXPECT_EQ(StoredOption("HideTavik"), "0");
  });
  EXPECT_EQ(FakeMonitor::switches(), (std::vector<LPARAM>{1, 0}));
}

TEST_F(OptionsPage, ShowsTheStoredSettingsAndOnlyTheToolsThatExist) {
  StoreOption("Sound", "0");
  StoreOption("ConfirmExit", "1");
  StoreOption("TrayIcon", "159");
  test::RunSheet(kOptionsPage, [&](HWND, HWND page) {
    EXPECT_FALSE(IsChecked(page, IDC_PLAY_SOUNDS));
    EXPECT_TRUE(IsChecked(page, IDC_CONFIRM_EXIT));
    EXPECT_TRUE(IsChecked(page, IDC_ORIGINAL_TRAY_ICON));
    EXPECT_TRUE(IsChecked(page, IDC_TRACK_HISTORY)) << "default";
    EXPECT_TRUE(IsChecked(page, IDC_EXPLORER_INTEGRATION)) << "default";
    EXPECT_FALSE(IsChecked(page, IDC_AUTO_START)) << "not registered in the Run key";

    for (int id : {IDC_VIEW_HISTORY, IDC_HIDE_ALERTS, IDC_RESTORE_ALL_DELAYED, IDC_VIEW_HOSTS,
                   IDC_OBRIVO_LOG, IDC_SPREADSHEET_REPORT, IDC_HIJACK_LOG, IDC_EXPORT_SETTINGS}) {
      HWND button = ::GetDlgItem(page, id);
      EXPECT_TRUE(::IsWindowVisible(button)) << id;
      EXPECT_TRUE(::IsWindowEnabled(button)) << id;
    }
    // This is the Windows NT family: the restart file belongs to Windows 9x.
    for (int id : {IDC_RESTART_FILE_PICTURE, IDC_RESTART_FILE_TEXT})
      EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(page, id))) << id;
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(page, IDC_ORIGINAL_TRAY_ICON)));

    test::SaveDesktopScreenshot(L"explorer-options-page.bmp", ::GetParent(page));
  });
}

TEST_F(OptionsPage, PatrolPicturesShowAndSetTheirCategory) {
  const struct {
    int picture;
    const char* interval;
    const char* realtime;
    const wchar_t* title;
  } cases[] = {
      {IDC_START_PAGES_PICTURE, "StartPage", "RealtimeStartPage",
       L"Patrol Time for Default Internet Pages"},
      {IDC_HOSTS_PICTURE, "HostFile", "RealtimeSysFiles", L"Patrol Time for checking HOST file"},
  };
  for (const auto& c : cases) {
    StoreOption(c.interval, "4");
    StoreOption(c.realtime, "0");
  }
  test::RunSheet(kOptionsPage, [&](HWND, HWND page) {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.interval);
      HWND picture = ::GetDlgItem(page, c.picture);
      EXPECT_EQ(test::PictureImage(picture), IDB_PATROL_ON);
      // Off, then on again in real time, then Close changes nothing.
      const struct {
        std::function<void(HWND dialog)> act;
        int image;
        const char* interval;
      } steps[] = {
          {[](HWND d) {
             ::SendDlgItemMessageW(d, IDC_PATROL_SLIDER, WM_KEYDOWN, VK_HOME, 0);
             Click(d, IDOK);
           },
           IDB_PATROL_OFF, "0"},
          {[](HWND d) {
             ::SendDlgItemMessageW(d, IDC_PATROL_SLIDER, WM_KEYDOWN, VK_END, 0);
             Click(d, IDC_PATROL_REAL_TIME);
             Click(d, IDOK);
           },
           IDB_PATROL_REAL_TIME, "30"},
          {[](HWND d) { Click(d, IDCANCEL); }, IDB_PATROL_REAL_TIME, "30"},
      };
      for (const auto& step : steps) {
        test::PostPictureClick(page, c.picture);
        HWND dialog = test::WaitForDialog(c.title);
        ASSERT_NE(dialog, nullptr);
        step.act(dialog);
        ASSERT_TRUE(test::WaitUntilHandled(dialog, page));
        EXPECT_TRUE(test::WaitUntil([&] {
          return StoredOption(c.interval) == step.interval &&
                 test::PictureImage(picture) == step.image;
        })) << StoredOption(c.interval)
            << ", picture " << test::PictureImage(picture);
      }
    }
  });
}

// On Windows 9x the restart-file row shows, and its picture sets that patrol like the others.
TEST_F(OptionsPage, OnWindows9xTheRestartFileRowSetsItsPatrol) {
  common::App().ntFamily = false;
  StoreOption("WinInit", "5");
  test::RunSheet(kOptionsPage, [&](HWND, HWND page) {
    for (int id : {IDC_RESTART_FILE_PICTURE, IDC_RESTART_FILE_TEXT})
      EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(page, id))) << id;
    HWND picture = ::GetDlgItem(page, IDC_RESTART_FILE_PICTURE);
    EXPECT_EQ(test::PictureImage(picture), IDB_PATROL_ON);
    test::PostPictureClick(page, IDC_RESTART_FILE_PICTURE);
    HWND dialog = test::WaitForDialog(L"Patrol Time for WinInit/Restart file");
    ASSERT_NE(dialog, nullptr);
    ::SendDlgItemMessageW(dialog, IDC_PATROL_SLIDER, WM_KEYDOWN, VK_HOME, 0);
    Click(dialog, IDOK);
    ASSERT_TRUE(test::WaitUntilHandled(dialog, page));
    EXPECT_TRUE(test::WaitUntil([&] {
      return StoredOption("WinInit") == "0" && test::PictureImage(picture) == IDB_PATROL_OFF;
    })) << StoredOption("WinInit");
  });
  common::App().ntFamily = true;
}

TEST_F(OptionsPage, HideAlertsChangesSurviveThePagesWriteBack) {
  test::RunSheet(kOptionsPage, [&](HWND, HWND page) {
    test::PostClick(page, IDC_HIDE_ALERTS);
    HWND dialog = test::WaitForDialog(L"Obrivo - Hide Alert Messages");
    ASSERT_NE(dialog, nullptr);
    Click(dialog, IDC_HIDE_STARTUP);
    test::PostClick(dialog, IDOK);
    ASSERT_TRUE(test::WaitUntilHandled(dialog, page));
    EXPECT_EQ(StoredOption("SendHistory"), "0") << "the page wrote every option after the dialog";
    EXPECT_EQ(StoredOption("HideStartup"), "1");
  });
}

// Export Settings writes into the user's documents folder and says where; a value whose name the
// script cannot hold is named; a file that cannot be written is said, with nothing claimed saved.
TEST_F(OptionsPage, ExportSettingsSaysWhereTheFileWentWhatItLeftOutOrThatItFailed) {
  wchar_t user[257] = {};
  DWORD size = 257;
  ASSERT_TRUE(::GetUserNameW(user, &size));
  const std::string folder = common::DocumentsFolder();
  ASSERT_FALSE(folder.empty());
  ::CreateDirectoryW(win32::Wide(folder).c_str(), nullptr);
  const std::wstring file = win32::Wide(folder) + L"\\" + user + L"-Obrivo.reg";
  ::DeleteFileW(file.c_str());
  {
    // Only the native calls can name a value with a NUL in it.
    auto run = win32::CreateKey(HKEY_CURRENT_USER, "Software\\Tolvane\\Obrivo\\Disabled\\Run",
                                KEY_ALL_ACCESS);
    ASSERT_TRUE(run);
    ASSERT_EQ(win32::SetRawValue(run.get(), std::string("Updater\0hidden", 14),
                                 {REG_SZ, {'x', 0, 0, 0}}),
              ERROR_SUCCESS);
  }
  test::RunSheet(kOptionsPage, [&](HWND, HWND page) {
    test::PostClick(page, IDC_EXPORT_SETTINGS);
    const std::wstring said = test::DismissMessageBox(kHelpCaption);
    EXPECT_NE(said.find(L"have been saved as the following file"), std::wstring::npos)
        << win32::Narrow(said);
    EXPECT_NE(said.find(std::wstring(user) + L"-Obrivo.reg"), std::wstring::npos);
    EXPECT_NE(said.find(L"Disabled\\Run\\Updater\u2400hidden"), std::wstring::npos)
        << "the value left out is named: " << win32::Narrow(said);
    const auto bytes = win32::ReadWholeFile(win32::Narrow(file));
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->substr(0, 2), "\xFF\xFE");

    // A folder where the file should go: it cannot be written.
    ASSERT_TRUE(::DeleteFileW(file.c_str()));
    ASSERT_TRUE(::CreateDirectoryW(file.c_str(), nullptr));
    test::PostClick(page, IDC_EXPORT_SETTINGS);
    const std::wstring failed = test::DismissMessageBox(kHelpCaption);
    ::RemoveDirectoryW(file.c_str());
    EXPECT_NE(failed.find(L"could not be saved"), std::wstring::npos) << win32::Narrow(failed);
    EXPECT_EQ(failed.find(L"have been saved"), std::wstring::npos);
  });
}


}  // namespace
}  // namespace obrivo::explorer
