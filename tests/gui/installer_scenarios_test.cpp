// The installer and the uninstaller, run for real in the session's prefix: what they put in
// place, what an upgrade keeps, and that nothing the user's settings hold is lost on the way out.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "obrivo_version.h"
#include "program_scenario.h"
#include "test_process.h"

namespace obrivo::test {
namespace {

using namespace std::chrono_literals;

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Obrivo";
constexpr wchar_t kMachineRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kUserRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kDisabledRun[] = L"Software\\Tolvane\\Obrivo\\Disabled\\11";
constexpr wchar_t kOptions[] = L"Software\\Tolvane\\Obrivo\\Options";
// Spaces and letters beyond ASCII, where a path that is not quoted or not Unicode breaks.
constexpr wchar_t kInstallFolder[] = L"C:\\Program Files\\Obrivo T\u00ebst \u00fc";
constexpr wchar_t kUninstallTitle[] = L"Obrivo Uninstall";

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool KeyExists(HKEY hive, const wchar_t* path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(hive, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  ::RegCloseKey(key);
  return true;
}

struct RawValue {
  DWORD type = REG_NONE;
  std::wstring text;
};

std::optional<RawValue> ReadValue(HKEY hive, const wchar_t* path, const wchar_t* name) {
  wchar_t buffer[1024] = {};
  DWORD size = sizeof buffer - sizeof(wchar_t), type = 0;
  if (::RegGetValueW(hive, path, name, RRF_RT_ANY | RRF_NOEXPAND, &type, buffer, &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  return RawValue{type, buffer};
}

LONG SetTyped(HKEY hive, const wchar_t* path, const wchar_t* name, DWORD type,
              const std::wstring& value) {
  HKEY key = nullptr;
  LONG rc = ::RegCreateKeyExW(hive, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  rc = ::RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  ::RegCloseKey(key);
  return rc;
}

std::wstring StartMenuFolder() {
  wchar_t path[MAX_PATH] = {};
  ::SHGetFolderPathW(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, path);
  return std::wstring(path) + L"\\Obrivo";
}

// The program a shortcut starts; empty when it cannot be read.
std::wstring ShortcutTarget(const std::wstring& link) {
  IShellLinkW* shellLink = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&shellLink))))
    return {};
  std::wstring target;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t path[MAX_PATH] = {};
    if (SUCCEEDED(file->Load(link.c_str(), STGM_READ)) &&
        SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH)))
      target = path;
    file->Release();
  }
  shellLink->Release();
  return target;
}

bool SameBytes(const std::wstring& a, const std::wstring& b) {
  const auto read = [](const std::wstring& path) {
    std::string bytes;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char chunk[65536];
    DWORD got = 0;
    while (::ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got) bytes.append(chunk, got);
    ::CloseHandle(file);
    return bytes;
  };
  const std::string left = read(a);
  return !left.empty() && left == read(b);
}

// The uninstaller's own windows carry its title (the wizard's with a trailing blank): the wizard,
// and its questions, which are told apart by their Yes button.
HWND FindUninstallWindow(bool question) {
  struct Search {
    bool question;
    HWND found;
  } search{question, nullptr};
  ::EnumWindows(
      [](HWND w, LPARAM context) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(context);
        wchar_t cls[32] = {}, title[64] = {};
        ::GetClassNameW(w, cls, 32);
        ::GetWindowTextW(w, title, 64);
        if (std::wstring_view(cls) == L"#32770" &&
            std::wstring_view(title).substr(0, std::wcslen(kUninstallTitle)) == kUninstallTitle &&
            ::IsWindowVisible(w) && (::GetDlgItem(w, IDYES) != nullptr) == s.question)
          s.found = w;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The uninstaller's message box whose text holds `words`, once one shows.
HWND FindUninstallMessage(const wchar_t* words) {
  struct Search {
    const wchar_t* words;
    HWND found;
  } search{words, nullptr};
  ::EnumWindows(
      [](HWND w, LPARAM context) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(context);
        wchar_t title[64] = {};
        ::GetWindowTextW(w, title, 64);
        if (!::IsWindowVisible(w) ||
            std::wstring_view(title).substr(0, std::wcslen(kUninstallTitle)) != kUninstallTitle)
          return TRUE;
        ::EnumChildWindows(
            w,
            [](HWND child, LPARAM context) -> BOOL {
              auto& s = *reinterpret_cast<Search*>(context);
              wchar_t text[512] = {};
              ::GetWindowTextW(child, text, 512);
              if (std::wstring_view(text).find(s.words) == std::wstring_view::npos) return TRUE;
              s.found = ::GetParent(child);
              return FALSE;
            },
            context);
        return s.found ? FALSE : TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void Press(HWND dialog, int id) {
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

// "Close" on the wizard's last page, pressed until the wizard is gone: the uninstall's files and
// values can be gone a moment before that page is shown, and a press before it is lost.
bool CloseFinishedWizard() {
  return WaitUntil(
      [] {
        HWND wizard = FindUninstallWindow(false);
        if (wizard) Press(wizard, 1);
        return wizard == nullptr;
      },
      60s);
}

// An uninstaller left open by a failed scenario runs from a copy outside the install folder:
// ended here, so that the next scenario never drives its windows.
void EndLeftoverUninstaller() {
  for (bool question : {true, false}) {
    while (HWND window = FindUninstallWindow(question)) {
      DWORD pid = 0;
      ::GetWindowThreadProcessId(window, &pid);
      HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
      if (!process) break;
      const bool ended = ::TerminateProcess(process, 1) &&
                         ::WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
      ::CloseHandle(process);
      if (!ended) break;
    }
  }
}

class InstallerScenario : public ProgramScenario {
 protected:
  void SetUp() override {
    ProgramScenario::SetUp();
    ::CoInitialize(nullptr);
    setup_ = HostToWine(EnvVar(L"OBRIVO_BIN_DIR")) + L"\\..\\Obrivo-" OBRIVO_VERSION_TEXT
             L"-setup.exe";
    ASSERT_TRUE(Exists(setup_)) << "the build makes the installer";
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kUserRun, L"Agent");
  }
  void TearDown() override {
    EndLeftoverUninstaller();
    KillProcessesIn(kInstallFolder);
    if (Exists(Installed(L"Uninstall.exe"))) {
      Uninstall(L"/S");
      WaitUntil([] { return !KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey); }, 60s);
    }
    ::DeleteFileW(Installed(L"history.txt").c_str());
    ::RemoveDirectoryW(kInstallFolder);
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kUserRun, L"Agent");
    ::CoUninitialize();
    ProgramScenario::TearDown();
  }

  static std::wstring Installed(const std::wstring& file) {
    return std::wstring(kInstallFolder) + L"\\" + file;
  }

  // A silent install into the test's folder; /D must come last and is never quoted.
  DWORD InstallSilently() {
    Process setup = Process::WithCommandLine(
        setup_, L"\"" + setup_ + L"\" /S /D=" + std::wstring(kInstallFolder));
    EXPECT_TRUE(setup.started());
    return setup.WaitForExit(120s);
  }

  // The uninstaller copies itself away and starts the copy, so that it can delete itself: the
  // process started here ends at once, and the tests wait for what the copy does.
  static void Uninstall(const std::wstring& arguments) {
    Process launcher(Installed(L"Uninstall.exe"), arguments, kInstallFolder);
    EXPECT_TRUE(launcher.started());
    launcher.WaitForExit(60s);
  }

  static bool Uninstalled() {
    return !KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey) && !Exists(Installed(L"Obrivo.exe"));
  }

  // What a user disabled on the Startup page: the entry's copy in the settings, its value type
  // kept, and no live value.
  static void DisableAnEntry() {
    ASSERT_EQ(SetTyped(HKEY_LOCAL_MACHINE, kDisabledRun, L"Agent", REG_EXPAND_SZ,
                       L"%SystemRoot%\\agent.exe -tray"),
              ERROR_SUCCESS);
  }

  Process StartInstalledMonitor(HWND& window) {
    Process monitor(Installed(L"Obrivo.exe"), L"", kInstallFolder);
    EXPECT_TRUE(monitor.started());
    window = WaitForWindow(L"Obrivo");
    EXPECT_NE(window, nullptr);
    if (window) {
      EXPECT_TRUE(WaitUntil([&] { return PatrolRunning(window); }));
    }
    return monitor;
  }

  std::wstring setup_;
};

TEST_F(InstallerScenario, SilentInstallPutsEverythingInPlaceAndTheMonitorStartsFromThere) {
  ASSERT_EQ(InstallSilently(), 0u);

  const std::wstring bin = HostToWine(EnvVar(L"OBRIVO_BIN_DIR"));
  for (const wchar_t* file : {L"Obrivo.exe", L"ObrivoEx.exe", L"Quenrax.dll"}) {
    EXPECT_TRUE(Exists(Installed(file))) << file;
    EXPECT_TRUE(SameBytes(Installed(file), bin + L"\\..\\dist\\" + file))
        << "the stripped build of " << file;
  }
  for (const wchar_t* file : {L"features.html", L"Sounds\\alert.wav", L"Uninstall.exe"})
    EXPECT_TRUE(Exists(Installed(file))) << file;

  EXPECT_EQ(ShortcutTarget(StartMenuFolder() + L"\\Obrivo Explorer.lnk"),
            Installed(L"ObrivoEx.exe"));
  EXPECT_EQ(ShortcutTarget(StartMenuFolder() + L"\\Obrivo Monitor.lnk"), Installed(L"Obrivo.exe"));

  const std::wstring quoted = L"\"" + Installed(L"Uninstall.exe") + L"\"";
  const struct {
    const wchar_t* name;
    std::wstring expected;
  } values[] = {
      {L"DisplayName", L"Obrivo"},
      {L"DisplayVersion", L"" OBRIVO_VERSION_TEXT},
      {L"Publisher", L"Tolvane"},
      {L"DisplayIcon", L"\"" + Installed(L"Obrivo.exe") + L"\",0"},
      {L"UninstallString", quoted},
      {L"QuietUninstallString", quoted + L" /S"},
  };
  for (const auto& v : values)
    EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, kUninstallKey, v.name), v.expected) << v.name;
  DWORD size = 0, bytes = sizeof size;
  EXPECT_EQ(::RegGetValueW(HKEY_LOCAL_MACHINE, kUninstallKey, L"EstimatedSize", RRF_RT_DWORD,
                           nullptr, &size, &bytes),
            ERROR_SUCCESS);
  EXPECT_GT(size, 1000u) << "kilobytes: the programs alone are more than a megabyte";

  // The installed Monitor starts at logon from there, its path quoted.
  HWND window = nullptr;
  Process monitor = StartInstalledMonitor(window);
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, kMachineRun, L"Obrivo"),
            L"\"" + std::wstring(kInstallFolder) + L"\\obrivo.exe\" -expressboot");
}

TEST_F(InstallerScenario, AnUpgradeEndsTheRunningMonitorFirstAndKeepsTheStore) {
  ASSERT_EQ(InstallSilently(), 0u);
  HWND window = nullptr;
  Process monitor = StartInstalledMonitor(window);
  ASSERT_NE(window, nullptr);
  SetOption(L"HideStartup", L"2");
  DisableAnEntry();

  ASSERT_EQ(InstallSilently(), 0u) << "the same version again, over itself";
  EXPECT_EQ(monitor.WaitForExit(1s), 0u) << "ended by closing its window, before the copy";
  EXPECT_TRUE(SameBytes(Installed(L"Obrivo.exe"),
                        HostToWine(EnvVar(L"OBRIVO_BIN_DIR")) + L"\\..\\dist\\Obrivo.exe"));
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, kOptions, L"HideStartup"), L"2") << "the user's choice";
  EXPECT_TRUE(ReadValue(HKEY_LOCAL_MACHINE, kDisabledRun, L"Agent")) << "the disabled entry";
  // A silent upgrade gives the Monitor back.
  HWND again = WaitForWindow(L"Obrivo");
  ASSERT_NE(again, nullptr);
  EXPECT_NE(again, window);
}

TEST_F(InstallerScenario, SilentUninstallRemovesTheProgramsAndKeepsTheStore) {
  ASSERT_EQ(InstallSilently(), 0u);
  HWND window = nullptr;
  Process monitor = StartInstalledMonitor(window);
  Process explorer(Installed(L"ObrivoEx.exe"), L"-START", kInstallFolder);
  ASSERT_NE(WaitForSheet(), nullptr) << "the Explorer is open while uninstalling";
  DisableAnEntry();
  // What the programs wrote: the history in the user's data folder, and a file an earlier build
  // wrote beside the programs.
  for (const std::wstring& written : {DataFile(L"history.txt"), Installed(L"history.txt")}) {
    HANDLE file =
        ::CreateFileW(written.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ::CloseHandle(file);
  }

  Uninstall(L"/S");
  ASSERT_TRUE(WaitUntil(Uninstalled, 60s));
  EXPECT_EQ(monitor.WaitForExit(5s), 0u);
  EXPECT_EQ(explorer.WaitForExit(5s), 0u);
  EXPECT_TRUE(WaitUntil([] { return !Exists(Installed(L"Uninstall.exe")); }, 30s));
  for (const wchar_t* file : {L"ObrivoEx.exe", L"Quenrax.dll", L"features.html", L"Sounds"})
    EXPECT_FALSE(Exists(Installed(file))) << file;
  EXPECT_FALSE(Exists(StartMenuFolder())) << "the shortcuts and their folder";
  EXPECT_TRUE(GetString(HKEY_LOCAL_MACHINE, kMachineRun, L"Obrivo").empty()) << "logon start";
  EXPECT_TRUE(Exists(DataFile(L"history.txt"))) << "what the programs wrote stays";
  EXPECT_TRUE(Exists(Installed(L"history.txt"))) << "and so does the folder that holds it";
  const auto kept = ReadValue(HKEY_LOCAL_MACHINE, kDisabledRun, L"Agent");
  ASSERT_TRUE(kept) << "without the question the store is kept, disabled entries with it";
  EXPECT_EQ(kept->text, L"%SystemRoot%\\agent.exe -tray");
  EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, kUserRun, L"Agent")) << "and nothing enabled";
}

// The interactive uninstall asks whether to enable again what Obrivo disabled, and then, only
// when everything came back, whether to delete the settings.
TEST_F(InstallerScenario, InteractiveUninstallEnablesDisabledEntriesOnYesAndKeepsTheStoreUnlessAsked) {
  const struct {
    const char* name;
    int enable;       // the answer to the first question
    int deleteStore;  // the answer to the second; 0 when it must not be asked
  } cases[] = {
      {"enable, keep the settings", IDYES, IDNO},
      {"enable, delete the settings", IDYES, IDYES},
      {"leave them disabled", IDNO, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(InstallSilently(), 0u);
    DisableAnEntry();
    SetOption(L"HideStartup", L"2");

    Uninstall(L"");
    HWND wizard = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (wizard = FindUninstallWindow(false)) != nullptr; }, 30s));
    Press(wizard, 1);  // "Uninstall" on the confirmation page
    HWND question = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (question = FindUninstallWindow(true)) != nullptr; }, 30s));
    Press(question, c.enable);
    if (c.deleteStore) {
      ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(question); }, 30s));
      ASSERT_TRUE(WaitUntil([&] { return (question = FindUninstallWindow(true)) != nullptr; }, 60s))
          << "the second question";
      Press(question, c.deleteStore);
    }
    ASSERT_TRUE(WaitUntil(Uninstalled, 60s));
    EXPECT_EQ(FindUninstallWindow(true), nullptr) << "no further question";
    ASSERT_TRUE(CloseFinishedWizard());

    const auto live = ReadValue(HKEY_CURRENT_USER, kUserRun, L"Agent");
    const auto copy = ReadValue(HKEY_LOCAL_MACHINE, kDisabledRun, L"Agent");
    if (c.enable == IDYES) {
      ASSERT_TRUE(live) << "enabled again";
      EXPECT_EQ(live->type, static_cast<DWORD>(REG_EXPAND_SZ)) << "exactly as it stood";
      EXPECT_EQ(live->text, L"%SystemRoot%\\agent.exe -tray");
      EXPECT_FALSE(copy);
    } else {
      EXPECT_FALSE(live);
      ASSERT_TRUE(copy) << "still disabled, its copy kept";
    }
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, kOptions, L"HideStartup").empty(),
              c.deleteStore == IDYES)
        << "the settings go only when the user says so";
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kUserRun, L"Agent");
    ResetStore();
  }
}

// A delayed program that cannot go back to the startup list (a namesake took its place) lives
// only in the settings: the uninstaller says so, and never offers to delete them.
TEST_F(InstallerScenario, InteractiveUninstallKeepsTheSettingsWhenADelayedProgramCannotGoBack) {
  ASSERT_EQ(InstallSilently(), 0u);
  const std::wstring delay = L"Software\\Tolvane\\Obrivo\\Delay";
  const wchar_t* name = L"C:\\TOOLS\\BLOCKED.EXE";
  ASSERT_EQ(SetString(HKEY_CURRENT_USER, delay.c_str(), name, L"11"), ERROR_SUCCESS);
  ASSERT_EQ(SetString(HKEY_CURRENT_USER, (delay + L"\\Time").c_str(), name, L"30"), ERROR_SUCCESS);
  ASSERT_EQ(SetString(HKEY_CURRENT_USER, (delay + L"\\Entry").c_str(), name, L"Agent"),
            ERROR_SUCCESS);
  ASSERT_EQ(SetString(HKEY_CURRENT_USER, (delay + L"\\Command").c_str(), name,
                      L"C:\\Tools\\blocked.exe -startup"),
            ERROR_SUCCESS);
  ASSERT_EQ(SetString(HKEY_CURRENT_USER, kUserRun, L"Agent", L"C:\\Other\\namesake.exe"),
            ERROR_SUCCESS);
  SetOption(L"HideStartup", L"2");

  Uninstall(L"");
  HWND wizard = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (wizard = FindUninstallWindow(false)) != nullptr; }, 30s));
  Press(wizard, 1);  // "Uninstall" on the confirmation page
  HWND warning = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] { return (warning = FindUninstallMessage(L"could not be put back")) != nullptr; }, 60s))
      << "the user is told";
  Press(warning, IDOK);
  HWND question = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (question = FindUninstallWindow(true)) != nullptr; }, 30s));
  Press(question, IDYES);  // enable what was disabled: nothing is, so every entry "came back"
  ASSERT_TRUE(WaitUntil(Uninstalled, 60s));
  EXPECT_EQ(FindUninstallWindow(true), nullptr) << "never asked to delete the settings";
  ASSERT_TRUE(CloseFinishedWizard());

  EXPECT_EQ(GetString(HKEY_CURRENT_USER, (delay + L"\\Command").c_str(), name),
            L"C:\\Tools\\blocked.exe -startup")
      << "the delayed program's way back is kept";
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, kOptions, L"HideStartup"), L"2");
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, kUserRun, L"Agent"), L"C:\\Other\\namesake.exe");
}

}  // namespace
}  // namespace obrivo::test
