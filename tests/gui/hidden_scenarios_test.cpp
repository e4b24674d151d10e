// Hidden files end to end with the real Monitor: a hidden file that appears in the system folder
// while it runs is asked about at its next hidden-files patrol. Closing the alert keeps the file
// (and accepts it); Delete moves it into the vault, and the history viewer's undo brings it back,
// hidden.
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "explorer_ids.h"
#include "monitor_ids.h"
#include "program_scenario.h"
#include "test_process.h"

namespace obrivo::test {
namespace {

using namespace std::chrono_literals;

constexpr wchar_t kBaseline[] = L"Software\\Tolvane\\Obrivo\\Hidden";
constexpr wchar_t kAlertTitle[] = L"Obrivo New Program Alert";

class HiddenScenario : public ProgramScenario {
 protected:
  void SetUp() override {
    ProgramScenario::SetUp();
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    kept_ = std::wstring(system) + L"\\obrivo scenario kept.dat";
    deleted_ = std::wstring(system) + L"\\obrivo scenario deleted.dat";
    Remove();
    // The hidden-files patrol is off until it has a time; with real time on, the notifier's
    // signal makes it due.
    SetOption(L"Hidden", L"1");
    SetOption(L"RealtimeHidden", L"1");
  }
  void TearDown() override {
    nudge_ = Process();
    KillProcessesIn(folder_);
    CloseExplorer();
    Remove();
    ProgramScenario::TearDown();
  }

  void Remove() {
    for (const std::wstring& file : {kept_, deleted_}) {
      ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileW(file.c_str());
    }
    const std::wstring appData = GetString(
        HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
        L"AppData");
    if (!appData.empty()) {
      std::error_code ignored;
      std::filesystem::remove(appData + L"\\Obrivo\\vault\\obrivo scenario deleted.dat", ignored);
    }
  }

  static bool MakeHidden(const std::wstring& path, const std::string& contents) {
    {
      std::ofstream out(std::filesystem::path(path), std::ios::binary);
      out << contents;
      if (!out) return false;
    }
    return ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN) != FALSE;
  }

  static DWORD Attributes(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()); }

  // Waits for the New Hidden File alert about `file`, nudging the Monitor now and then.
  HWND WaitForAlert(HWND monitor, DWORD monitorId, const std::wstring& file) {
    HWND alert = nullptr;
    const auto isHiddenAlert = [&] {
      alert = FindDialogOf(monitorId);
      return alert && WindowText(alert) == kAlertTitle && ::IsWindowVisible(alert) &&
             WindowText(::GetDlgItem(alert, IDC_ALERT_MESSAGE)).find(L"HIDDEN") !=
                 std::wstring::npos &&
             WindowText(::GetDlgItem(alert, IDC_ALERT_COMMAND)) == file;
    };
    for (int round = 0; round < 12; ++round) {
      Nudge(monitor);
      if (WaitUntil(isHiddenAlert, 5s)) return alert;
    }
    return nullptr;
  }

  std::wstring kept_, deleted_;
};

TEST_F(HiddenScenario, ClosingKeepsDeleteMovesToTheVaultAndTheUndoBringsItBack) {
  Process monitor;
  HWND window = StartMonitor(monitor);
  ASSERT_NE(window, nullptr);

  // Closing the alert is no answer to delete: the file stays, accepted.
  ASSERT_TRUE(MakeHidden(kept_, "kept"));
  HWND alert = WaitForAlert(window, monitor.id(), kept_);
  ASSERT_NE(alert, nullptr) << "the New Hidden File alert";
  SaveDesktopScreenshot(L"monitor-new-hidden-file.bmp");
  ::PostMessageW(alert, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(WaitUntil([&] { return !GetString(HKEY_CURRENT_USER, kBaseline, kept_.c_str()).empty(); },
                        10s))
      << "accepted";
  EXPECT_NE(Attributes(kept_), INVALID_FILE_ATTRIBUTES) << "the file stays";

  // Delete: the file goes, its copy kept and its deletion recorded.
  ASSERT_TRUE(MakeHidden(deleted_, "deleted contents"));
  alert = WaitForAlert(window, monitor.id(), deleted_);
  ASSERT_NE(alert, nullptr) << "the alert for the second file: the first was not asked again";
  ::SendMessageW(::GetDlgItem(alert, IDC_ALERT_DELETE), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return Attributes(deleted_) == INVALID_FILE_ATTRIBUTES; }, 10s))
      << "deleted";
  EXPECT_TRUE(
      WaitUntil([&] { return History().find("*HIDDEN_DeleteFile") != std::string::npos; }, 10s))
      << History();
  EXPECT_NE(History().find("HIDDEN_Alert"), std::string::npos) << History();
  EXPECT_NE(Attributes(kept_), INVALID_FILE_ATTRIBUTES);

  // The history viewer, from the Options page: Restore puts the file back, hidden.
  Process explorer;
  HWND sheet = OpenExplorer(explorer, L"-OPTIONS");
  ASSERT_NE(sheet, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return CurrentPageCode(sheet) == 6033; }, 5s));
  ::PostMessageW(::GetDlgItem(PropSheet_GetCurrentPageHwnd(sheet), IDC_VIEW_HISTORY), BM_CLICK,
                 0, 0);
  HWND viewer = WaitForDialogBesides(explorer, sheet);
  ASSERT_NE(viewer, nullptr) << "the history viewer";
  HWND list = ::GetDlgItem(viewer, IDC_PAGE_LIST);
  // The deletion is the last record: End selects it, as a person would.
  ::PostMessageW(list, WM_KEYDOWN, VK_END, 0);
  ::PostMessageW(list, WM_KEYUP, VK_END, 0);
  ASSERT_TRUE(WaitUntil(
      [&] { return CellTextOf(list, SelectedRowOf(list), 1) == L"*HIDDEN_DeleteFile"; }, 5s))
      << History();
  EXPECT_EQ(CellTextOf(list, SelectedRowOf(list), 0), L"obrivo scenario deleted.dat");
  EXPECT_TRUE(WaitUntil(
      [&] { return ::IsWindowEnabled(::GetDlgItem(viewer, IDC_HISTORY_RESTORE)) != FALSE; }, 5s))
      << "offered while the vault holds the copy";
  ::PostMessageW(::GetDlgItem(viewer, IDC_HISTORY_RESTORE), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return Attributes(deleted_) != INVALID_FILE_ATTRIBUTES; }, 10s))
      << "back at its place";
  EXPECT_TRUE(Attributes(deleted_) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_FALSE(GetString(HKEY_CURRENT_USER, kBaseline, deleted_.c_str()).empty())
      << "and accepted, so the Monitor does not ask again";
  ::PostMessageW(viewer, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(viewer); }, 10s));
  QuitExplorer(explorer);
}

}  // namespace
}  // namespace obrivo::test
