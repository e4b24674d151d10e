// The notifier's exports by ordinal, and what it reports: changes in the watched registry keys
// and programs starting and ending, a burst in few messages, nothing once stopped.
//
// The registry sandbox redirects HKCU and HKLM for the whole test process, the watcher thread
// included, so the watcher watches the sandbox's keys and every change below is made there.
#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>
#include <thread>

#include "common/utilities.h"
#include "common/win32/proc_address.h"
#include "common/win32/registry.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"
#include "quenrax/quenrax.h"
#include "test_process.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

using namespace std::chrono_literals;
using StartFn = BOOL(WINAPI*)(HWND);
using StopFn = void(WINAPI*)();

const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kWowRun[] = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunOnceSetup[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce\\Setup";
const char kWinlogon[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
const char kServices[] = "System\\CurrentControlSet\\Services";

HWND MakeWindow() {
  return ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                           nullptr);
}

win32::UniqueModule LoadNotifier() {
  return win32::UniqueModule(
      ::LoadLibraryW(win32::Wide(common::ProgramFolder() + "\\Quenrax.dll").c_str()));
}

template <typename Fn>
Fn Ordinal(const win32::UniqueModule& dll, int ordinal) {
  return win32::ProcAddress<Fn>(dll.get(), MAKEINTRESOURCEA(ordinal));
}

// Takes change messages to `window` off this thread's queue until `limit` passes, or until
// `quiet` passes without one, or (with `untilFirst`) at the first one. Returns how many came.
// Messages to other windows stay queued for their own count.
// `flags` collects the messages' wParam bits.
int PumpChanges(HWND window, std::chrono::milliseconds limit, std::chrono::milliseconds quiet,
                bool untilFirst, WPARAM* flags = nullptr) {
  const auto end = std::chrono::steady_clock::now() + limit;
  auto quietEnd = std::chrono::steady_clock::now() + quiet;
  int count = 0;
  for (;;) {
    MSG msg;
    while (
        ::PeekMessageW(&msg, window, quenrax::kChangeMessage, quenrax::kChangeMessage, PM_REMOVE)) {
      ++count;
      if (flags) *flags |= msg.wParam;
      quietEnd = std::chrono::steady_clock::now() + quiet;
      if (untilFirst) return count;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now >= end || now >= quietEnd) return count;
    std::this_thread::sleep_for(20ms);
  }
}

// The ids of this process's threads.
std::set<DWORD> ThreadIds() {
  std::set<DWORD> ids;
  win32::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Thread32First(snapshot.get(), &entry); more;
       more = ::Thread32Next(snapshot.get(), &entry))
    if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) ids.insert(entry.th32ThreadID);
  return ids;
}

// True when a change message reaches `window` in time. Generous: a key created after start is
// only found at the watcher's next look at the system, and Wine can be slow under load.
bool ChangeReported(HWND window, WPARAM* flags = nullptr) {
  return PumpChanges(window, 20s, 20s, true, flags) == 1;
}

// Messages still under way, taken off the queue so they are not counted for the next change.
void Drain(HWND window) { PumpChanges(window, 0ms, 0ms, false); }

// Messages over a few seconds: long enough for a program start to be seen and reported (a
// look every 1.5 s, reported 0.4 s later), short enough that programs other tests start
// meanwhile add only one or two.
int ChangesWithin4s(HWND window) { return PumpChanges(window, 4s, 4s, false); }

bool SetValue(HKEY root, const std::string& path, const std::string& name) {
  auto key = win32::CreateKey(root, path, KEY_ALL_ACCESS);
  return key && win32::SetStringValue(key.get(), name, "C:\\Programs\\quenrax-test.exe");
}

bool DeleteValue(HKEY root, const std::string& path, const std::string& name) {
  auto key = win32::OpenKey(root, path, KEY_ALL_ACCESS);
  return key && win32::DeleteValue(key.get(), name) == ERROR_SUCCESS;
}

class QuenraxTest : public SandboxedTest {
 protected:
  void SetUp() override {
    SandboxedTest::SetUp();
    dll_ = LoadNotifier();
    ASSERT_TRUE(dll_);
    start_ = Ordinal<StartFn>(dll_, 2);
    stop_ = Ordinal<StopFn>(dll_, 3);
    ASSERT_NE(start_, nullptr);
    ASSERT_NE(stop_, nullptr);
    window_ = MakeWindow();
    ASSERT_NE(window_, nullptr);
  }

  void TearDown() override {
    if (stop_) stop_();  // before the sandbox's keys go away
    if (window_) ::DestroyWindow(window_);
  }

  win32::UniqueModule dll_;
  StartFn start_ = nullptr;
  StopFn stop_ = nullptr;
  HWND window_ = nullptr;
};

TEST(Quenrax, StartsAndStopsByOrdinal) {
  RegistrySandbox sandbox;
  win32::UniqueModule dll = LoadNotifier();
  ASSERT_TRUE(dll);
  auto start = Ordinal<StartFn>(dll, 2);
  auto stop = Ordinal<StopFn>(dll, 3);
  ASSERT_NE(start, nullptr);
  ASSERT_NE(stop, nullptr);
  EXPECT_EQ(::GetProcAddress(dll.get(), "QuenraxStart"), nullptr) << "ordinals only";

  EXPECT_FALSE(start(nullptr)) << "no window to report to";
  HWND gone = MakeWindow();
  ::DestroyWindow(gone);
  EXPECT_FALSE(start(gone)) << "a window that no longer exists";

  HWND window = MakeWindow();
  ASSERT_NE(window, nullptr);
  for (int round = 0; round < 2; ++round) {  // a stopped watcher can start again
    EXPECT_TRUE(start(window));
    EXPECT_TRUE(start(window)) << "a second start keeps the running watcher";
    EXPECT_FALSE(start(nullptr)) << "and a bad window does not disturb it";
    Drain(window);
    ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, kRun, "Round" + std::to_string(round)));
    EXPECT_TRUE(ChangeReported(window)) << "round " << round;
    stop();
  }
  stop();  // stopping twice is harmless
  ::DestroyWindow(window);
}

TEST_F(QuenraxTest, ReportsChangesInWatchedKeys) {
  struct Case {
    const char* what;
    HKEY root;
    std::string path;
    bool subkey;         // the change creates a subkey named "QuenraxTest" instead of a value
    bool existsAtStart;  // otherwise the change creates the key after the watcher started
  };
  const Case cases[] = {
      {"user Run", HKEY_CURRENT_USER, kRun, false, false},
      {"machine Run", HKEY_LOCAL_MACHINE, kRun, false, true},
      {"32-bit programs' Run", HKEY_LOCAL_MACHINE, kWowRun, false, true},
      {"RunOnce\\Setup below RunOnce", HKEY_LOCAL_MACHINE, kRunOnceSetup, false, true},
      {"Winlogon", HKEY_LOCAL_MACHINE, kWinlogon, false, true},
      {"a new service", HKEY_LOCAL_MACHINE, kServices, true, true},
      {"an existing service's value", HKEY_LOCAL_MACHINE, std::string(kServices) + "\\Existing",
       false, true},
  };
  for (const Case& c : cases) {
    if (!c.existsAtStart) continue;
    ASSERT_TRUE(win32::CreateKey(c.root, c.path, KEY_ALL_ACCESS)) << c.what;
  }
  ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, kRun));
  ASSERT_TRUE(start_(window_));

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Drain(window_);
    if (c.subkey) {
      ASSERT_TRUE(win32::CreateKey(c.root, c.path + "\\QuenraxTest", KEY_ALL_ACCESS));
    } else {
      ASSERT_TRUE(SetValue(c.root, c.path, "QuenraxTest"));
    }
    WPARAM flags = 0;
    EXPECT_TRUE(ChangeReported(window_, &flags)) << "added";
    EXPECT_TRUE(flags & quenrax::kPlacesChanged) << "told as a change of a watched place";
    // Taking it away again is a change too, and shows the notification was armed again.
    if (c.subkey) {
      auto parent = win32::OpenKey(c.root, c.path, KEY_ALL_ACCESS);
      ASSERT_EQ(::RegDeleteKeyW(parent.get(), L"QuenraxTest"), ERROR_SUCCESS);
    } else {
      ASSERT_TRUE(DeleteValue(c.root, c.path, "QuenraxTest"));
    }
    EXPECT_TRUE(ChangeReported(window_)) << "removed";
  }
}

TEST_F(QuenraxTest, WatchesAKeyAgainAfterItWasDeletedAndCreatedAnew) {
  ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, kRun, "Before"));
  ASSERT_TRUE(start_(window_));
  Drain(window_);
  ASSERT_EQ(::RegDeleteTreeW(HKEY_LOCAL_MACHINE, win32::Wide(kRun).c_str()), ERROR_SUCCESS);
  EXPECT_TRUE(ChangeReported(window_)) << "deleted";
  ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, kRun, "Recreated"));
  EXPECT_TRUE(ChangeReported(window_)) << "created anew";
  Drain(window_);
  ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, kRun, "Later"));
  EXPECT_TRUE(ChangeReported(window_)) << "a change in the new key";
}

TEST_F(QuenraxTest, ReportsFilesComingAndGoingInTheStartupFolder) {
  const std::wstring folder = win32::Wide(common::ProgramFolder()) + L"\\quenrax-startup-" +
                              std::to_wstring(::GetCurrentProcessId());
  const std::wstring file = folder + L"\\program.lnk";
  ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
  {
    auto shellFolders = win32::CreateKey(
        HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
        KEY_ALL_ACCESS);
    ASSERT_TRUE(win32::SetStringValue(shellFolders.get(), "Startup", win32::Narrow(folder)));
  }
  ASSERT_TRUE(start_(window_));
  Drain(window_);
  win32::UniqueHandle created(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(created);
  created.reset();
  EXPECT_TRUE(ChangeReported(window_)) << "added";
  ASSERT_TRUE(::DeleteFileW(file.c_str()));
  EXPECT_TRUE(ChangeReported(window_)) << "removed";
  stop_();
  EXPECT_TRUE(::RemoveDirectoryW(folder.c_str()));
}

TEST_F(QuenraxTest, ReportsProgramsStartingAndEnding) {
  ASSERT_TRUE(start_(window_));
  Drain(window_);
  Process helper(win32::Wide(common::ProgramFolder() + "\\obrivo_test_helper.exe"), L"wait");
  ASSERT_TRUE(helper.started());
  WPARAM flags = 0;
  EXPECT_TRUE(ChangeReported(window_, &flags)) << "started";
  EXPECT_EQ(flags & quenrax::kPlacesChanged, 0u) << "only the running programs changed";
  Drain(window_);
  helper.Kill();
  EXPECT_TRUE(ChangeReported(window_)) << "ended";
}

TEST_F(QuenraxTest, ReportsABurstInFewMessages) {
  ASSERT_TRUE(win32::CreateKey(HKEY_LOCAL_MACHINE, kRun, KEY_ALL_ACCESS));
  ASSERT_TRUE(start_(window_));
  Drain(window_);
  auto key = win32::OpenKey(HKEY_LOCAL_MACHINE, kRun, KEY_ALL_ACCESS);
  ASSERT_TRUE(key);
  for (int i = 0; i < 50; ++i)
    ASSERT_TRUE(win32::SetStringValue(key.get(), "Burst" + std::to_string(i), "C:\\burst.exe"));
  const int messages = ChangesWithin4s(window_);
  EXPECT_GE(messages, 1);
  EXPECT_LE(messages, 5) << "50 changes in a row";
}

TEST_F(QuenraxTest, ReportsNothingOnceStopped) {
  ASSERT_TRUE(win32::CreateKey(HKEY_LOCAL_MACHINE, kRun, KEY_ALL_ACCESS));
  ASSERT_TRUE(start_(window_));
  stop_();
  Drain(window_);
  ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, kRun, "AfterStop"));
  ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, kRun, "AfterStop"));
  Process helper(win32::Wide(common::ProgramFolder() + "\\obrivo_test_helper.exe"), L"wait");
  ASSERT_TRUE(helper.started());
  EXPECT_EQ(ChangesWithin4s(window_), 0);
}

TEST_F(QuenraxTest, ReportsToTheLatestWindowAndStartsAgainWhenItsWindowIsGone) {
  ASSERT_TRUE(win32::CreateKey(HKEY_LOCAL_MACHINE, kRun, KEY_ALL_ACCESS));
  ASSERT_TRUE(start_(window_));
  HWND second = MakeWindow();
  ASSERT_NE(second, nullptr);
  ASSERT_TRUE(start_(second));
  Drain(window_);
  Drain(second);
  ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, kRun, "ToSecond"));
  EXPECT_TRUE(ChangeReported(second));
  EXPECT_EQ(PumpChanges(window_, 0ms, 0ms, false), 0) << "the first window is no longer told";

  // With its window gone the watcher has no one to tell: its thread ends by itself, and a new
  // start brings it back.
  stop_();
  const std::set<DWORD> before = ThreadIds();
  ASSERT_TRUE(start_(second));
  std::set<DWORD> watcher;
  for (DWORD id : ThreadIds())
    if (!before.count(id)) watcher.insert(id);
  ASSERT_EQ(watcher.size(), 1u) << "one watcher thread";
  ::DestroyWindow(second);
  EXPECT_TRUE(WaitUntil([&] { return !ThreadIds().count(*watcher.begin()); }))
      << "the watcher ended with its window";
  ASSERT_TRUE(start_(window_));
  Drain(window_);
  ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, kRun, "Again"));
  EXPECT_TRUE(ChangeReported(window_));
}

}  // namespace
}  // namespace obrivo::test
