// The watched HOSTS file end to end with the real Monitor: an edit of the prefix's HOSTS (one
// that keeps its size among them) raises the File Change Alert at the Monitor's next patrol of
// the category; Reject writes the saved copy back, Accept makes the edit the new copy. The
// prefix's own HOSTS is put back afterwards, whatever happened.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "monitor_ids.h"
#include "program_scenario.h"
#include "test_process.h"

namespace obrivo::test {
namespace {

using namespace std::chrono_literals;

constexpr wchar_t kAlertTitle[] = L"Obrivo: File Change Alert";
constexpr wchar_t kRecordKey[] = L"Software\\Tolvane\\Obrivo\\Sysfiles\\HOSTS";
// The same length on purpose: only the contents tell the edit from a touch.
constexpr char kOriginal[] = "127.0.0.1 localhost\r\n127.0.0.1 example.com\r\n";
constexpr char kSameSizeEdit[] = "127.0.0.1 localhost\r\n10.0.0.99 example.com\r\n";
constexpr char kLongerEdit[] = "127.0.0.1 localhost\r\n10.0.0.99 example.com\r\n10.0.0.98 bank.example\r\n";

std::string ReadAll(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class SysFileScenario : public ProgramScenario {
 protected:
  void SetUp() override {
    ProgramScenario::SetUp();
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    hosts_ = std::wstring(system) + L"\\drivers\\etc\\HOSTS";
    attributes_ = ::GetFileAttributesW(hosts_.c_str());
    saved_ = ReadAll(hosts_);
    // The data folder is the user's AppData one, or the programs' own folder without it.
    const std::wstring appData = GetString(
        HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
        L"AppData");
    backup_ = appData.empty() ? folder_ + L"\\HOSTS" : appData + L"\\Obrivo\\HOSTS";
    ::DeleteFileW(backup_.c_str());
    Write(kOriginal, 1);
    // The category comes round at every pass of its half; a nudge makes it due at once.
    SetOption(L"HostFile", L"1");
  }
  void TearDown() override {
    nudge_ = Process();
    KillProcessesIn(folder_);
    ::SetFileAttributesW(hosts_.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (attributes_ == INVALID_FILE_ATTRIBUTES) {
      ::DeleteFileW(hosts_.c_str());
    } else {
      std::ofstream(std::filesystem::path(hosts_), std::ios::binary | std::ios::trunc) << saved_;
      ::SetFileAttributesW(hosts_.c_str(), attributes_);
    }
    ::DeleteFileW(backup_.c_str());
    ProgramScenario::TearDown();
  }

  // HOSTS with `text` and a last-write time `minute` minutes into a fixed hour, so that every
  // edit has a date of its own.
  void Write(const std::string& text, int minute) {
    ::SetFileAttributesW(hosts_.c_str(), FILE_ATTRIBUTE_NORMAL);
    { std::ofstream(std::filesystem::path(hosts_), std::ios::binary | std::ios::trunc) << text; }
    SYSTEMTIME t{2024, 5, 0, 20, 9, static_cast<WORD>(minute), 0, 0};
    FILETIME local{}, utc{};
    ::SystemTimeToFileTime(&t, &local);
    ::LocalFileTimeToFileTime(&local, &utc);
    HANDLE file = ::CreateFileW(hosts_.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ::SetFileTime(file, nullptr, nullptr, &utc);
    ::CloseHandle(file);
  }

  // Starts the Monitor on a first run and waits until it has recorded HOSTS and saved its copy.
  HWND Start(Process& monitor) {
    HWND window = StartMonitor(monitor);
    EXPECT_TRUE(WaitUntil([&] { return ReadAll(backup_) == kOriginal; }, 10s))
        << "the first run saves a copy of HOSTS";
    EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, kRecordKey, L"Location"), hosts_);
    return window;
  }

  // Waits for the File Change Alert, nudging the Monitor now and then.
  HWND WaitForAlert(HWND monitor, DWORD monitorId) {
    HWND alert = nullptr;
    const auto shown = [&] {
      alert = FindDialogOf(monitorId);
      return alert && WindowText(alert) == kAlertTitle && ::IsWindowVisible(alert);
    };
    for (int round = 0; round < 12; ++round) {
      Nudge(monitor);
      if (WaitUntil(shown, 5s)) return alert;
    }
    return nullptr;
  }

  // A message box of the Monitor's (a dialog with the static text 0xFFFF), once one shows.
  static HWND WaitForMessageBox(DWORD monitorId) {
    struct Search {
      DWORD pid;
      HWND found;
    } search{monitorId, nullptr};
    WaitUntil(
        [&] {
          ::EnumWindows(
              [](HWND window, LPARAM param) -> BOOL {
                auto* s = reinterpret_cast<Search*>(param);
                DWORD pid = 0;
                ::GetWindowThreadProcessId(window, &pid);
                if (pid != s->pid || !::IsWindowVisible(window) || !::GetDlgItem(window, 0xFFFF))
                  return TRUE;
                s->found = window;
                return FALSE;
              },
              reinterpret_cast<LPARAM>(&search));
          return search.found != nullptr;
        },
        10s);
    return search.found;
  }

  static void Press(HWND alert, int button) {
    ::SendMessageW(::GetDlgItem(alert, button), BM_CLICK, 0, 0);
  }

  std::wstring hosts_, backup_;
  DWORD attributes_ = INVALID_FILE_ATTRIBUTES;
  std::string saved_;
};

TEST_F(SysFileScenario, ASameSizeEditIsAskedAboutAndRejectPutsTheOldContentsBack) {
  Process monitor;
  HWND window = Start(monitor);
  ASSERT_NE(window, nullptr);
  Write(kSameSizeEdit, 2);
  ::SetFileAttributesW(hosts_.c_str(), FILE_ATTRIBUTE_READONLY);
  HWND alert = WaitForAlert(window, monitor.id());
  ASSERT_NE(alert, nullptr) << "the File Change Alert";
  EXPECT_EQ(WindowText(::GetDlgItem(alert, IDC_SF_NAME)), L"HOSTS");
  EXPECT_EQ(WindowText(::GetDlgItem(alert, IDC_SF_LOCATION)), hosts_);
  EXPECT_EQ(WindowText(::GetDlgItem(alert, IDC_SF_COMMENT)),
            L"HOST file can be used to protect or redirect domain access.");
  SaveDesktopScreenshot(L"monitor-file-change-alert.bmp", alert);

  // Escape and the close box answer nothing: the alert stays until Accept or Reject.
  ::SendMessageW(alert, WM_COMMAND, IDCANCEL, 0);
  ::SendMessageW(alert, WM_CLOSE, 0, 0);
  EXPECT_TRUE(::IsWindow(alert) && ::IsWindowVisible(alert));

  Press(alert, IDC_SF_REJECT);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(alert); }, 10s));
  EXPECT_EQ(ReadAll(hosts_), kOriginal) << "the saved copy is written back";
  EXPECT_NE(::GetFileAttributesW(hosts_.c_str()) & FILE_ATTRIBUTE_READONLY, 0u)
      << "a read-only HOSTS stays read-only";

  // The restored file meets its record: the next edit is the next alert, not this one again.
  ::SetFileAttributesW(hosts_.c_str(), FILE_ATTRIBUTE_NORMAL);
  Write(kLongerEdit, 3);
  alert = WaitForAlert(window, monitor.id());
  ASSERT_NE(alert, nullptr) << "the alert for the second edit";
  Press(alert, IDC_SF_REJECT);
  EXPECT_TRUE(WaitUntil([&] { return ReadAll(hosts_) == kOriginal; }, 10s));
}

// A saved copy replaced behind the Monitor's back is never written over HOSTS: Reject says so and
// the alert stays, so that the edit can still be accepted.
TEST_F(SysFileScenario, RejectRefusesASwappedCopyAndTheAlertStays) {
  Process monitor;
  HWND window = Start(monitor);
  ASSERT_NE(window, nullptr);
  Write(kLongerEdit, 8);
  HWND alert = WaitForAlert(window, monitor.id());
  ASSERT_NE(alert, nullptr) << "the File Change Alert";
  const std::string planted = "10.0.0.66 bank.example\r\n";
  { std::ofstream(std::filesystem::path(backup_), std::ios::binary | std::ios::trunc) << planted; }

  ::PostMessageW(::GetDlgItem(alert, IDC_SF_REJECT), BM_CLICK, 0, 0);
  HWND box = WaitForMessageBox(monitor.id());
  ASSERT_NE(box, nullptr) << "the refusal is said";
  EXPECT_NE(WindowText(::GetDlgItem(box, 0xFFFF)).find(L"was not written back"), std::wstring::npos)
      << "the refusal names what happened";
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(box); }, 10s));
  EXPECT_EQ(ReadAll(hosts_), kLongerEdit) << "nothing is written over HOSTS";
  EXPECT_TRUE(::IsWindow(alert) && ::IsWindowVisible(alert)) << "the alert stays";

  Press(alert, IDC_SF_ACCEPT);
  EXPECT_TRUE(WaitUntil([&] { return ReadAll(backup_) == kLongerEdit; }, 10s))
      << "accepting makes a good copy again";
}

TEST_F(SysFileScenario, AcceptMakesTheEditTheSavedCopy) {
  Process monitor;
  HWND window = Start(monitor);
  ASSERT_NE(window, nullptr);
  Write(kLongerEdit, 4);
  HWND alert = WaitForAlert(window, monitor.id());
  ASSERT_NE(alert, nullptr) << "the File Change Alert";
  Press(alert, IDC_SF_ACCEPT);
  EXPECT_TRUE(WaitUntil([&] { return ReadAll(backup_) == kLongerEdit; }, 10s))
      << "the copy follows the accepted file";
  EXPECT_EQ(ReadAll(hosts_), kLongerEdit) << "the file is left as accepted";

  // Touched without a change: the check takes the new date and asks nothing.
  const std::wstring acceptedDate = GetString(HKEY_LOCAL_MACHINE, kRecordKey, L"Date");
  Write(kLongerEdit, 5);
  bool taken = false;
  for (int round = 0; round < 12 && !taken; ++round) {
    Nudge(window);
    taken = WaitUntil(
        [&] { return GetString(HKEY_LOCAL_MACHINE, kRecordKey, L"Date") != acceptedDate; }, 5s);
  }
  EXPECT_TRUE(taken) << "the touch's date is taken into the record";
  alert = FindDialogOf(monitor.id());
  EXPECT_FALSE(alert && WindowText(alert) == kAlertTitle) << "a touch raises nothing";

  // A same-size edit after it is asked about.
  Write(std::string(kLongerEdit).replace(0, 9, "127.0.0.2"), 7);
  alert = WaitForAlert(window, monitor.id());
  ASSERT_NE(alert, nullptr) << "the alert for the edit after the touch";
  Press(alert, IDC_SF_ACCEPT);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(alert); }, 10s));
}

}  // namespace
}  // namespace obrivo::test
