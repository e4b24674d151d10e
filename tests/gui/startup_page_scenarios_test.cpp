// Startup entries acted on from the real Explorer's Startup page, as a user meets them: entries
// that share a name in two places, a file that stands in a Startup folder itself, a value name
// with a NUL in it, and every program of Userinit.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "counted_name.h"
#include "explorer_ids.h"
#include "explorer_probe.h"
#include "program_scenario.h"
#include "test_process.h"

namespace obrivo::test {
namespace {

using namespace std::chrono_literals;

constexpr wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class StartupPageScenario : public ProgramScenario {
 protected:
  void TearDown() override {
    CloseExplorer();
    ProgramScenario::TearDown();
  }

  // Opens the Explorer on the Startup page; its list, or nullptr.
  HWND OpenStartupPage(Process& explorer) {
    HWND sheet = OpenExplorer(explorer, L"-START");
    return sheet ? ::GetDlgItem(PropSheet_GetCurrentPageHwnd(sheet), IDC_PAGE_LIST) : nullptr;
  }

  // The text of `column` in every row.
  static std::vector<std::wstring> ColumnOf(HWND list, int column = 0) {
    std::vector<std::wstring> cells;
    for (int row = 0, n = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); row < n;
         ++row)
      cells.push_back(CellTextOf(list, row, column));
    return cells;
  }

  static int CountOf(const std::vector<std::wstring>& cells, const std::wstring& text) {
    int count = 0;
    for (const std::wstring& cell : cells) count += cell == text;
    return count;
  }
};

// A machine-wide entry disabled from the Startup page keeps its command while another program
// writes a namesake into the user's Run key: the next listing leaves the user's entry where it
// is and the machine's command where the disable put it.
TEST_F(StartupPageScenario, ADisabledMachineEntryAndAUserNamesakeKeepTheirOwnCommands) {
  static constexpr wchar_t kDisabledMachineRun[] = L"Software\\Tolvane\\Obrivo\\Disabled\\1";
  const std::wstring machine = L"C:\\tools\\machine.exe", user = L"C:\\tools\\user.exe";
  ASSERT_EQ(SetString(HKEY_LOCAL_MACHINE, kRun, L"Dup", machine), ERROR_SUCCESS);
  struct Cleanup {
    ~Cleanup() {
      ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kRun, L"Dup");
      ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRun, L"Dup");
      ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kDisabledMachineRun, L"Dup");
    }
  } cleanup;

  Process explorer;
  HWND sheet = OpenExplorer(explorer, L"-START");
  ASSERT_NE(sheet, nullptr);
  HWND page = PropSheet_GetCurrentPageHwnd(sheet);
  HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
  ASSERT_TRUE(TypeToSelect(list, L"Dup"));
  ::PostMessageW(::GetDlgItem(page, IDC_DISABLE), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntil(
      [&] { return GetString(HKEY_LOCAL_MACHINE, kDisabledMachineRun, L"Dup") == machine; }, 10s))
      << "the disable keeps the machine's command";
  EXPECT_TRUE(GetString(HKEY_LOCAL_MACHINE, kRun, L"Dup").empty());
  QuitExplorer(explorer);

  Process reg(L"C:\\windows\\system32\\reg.exe",
              std::wstring(L"add HKCU\\") + kRun + L" /v Dup /t REG_SZ /d " + user + L" /f");
  ASSERT_TRUE(reg.started());
  ASSERT_EQ(reg.WaitForExit(), 0u) << "reg.exe add";

  sheet = OpenExplorer(explorer, L"-START");
  ASSERT_NE(sheet, nullptr);
  list = ::GetDlgItem(PropSheet_GetCurrentPageHwnd(sheet), IDC_PAGE_LIST);
  const auto dupRows = [&] {
    int rows = 0;
    for (int row = 0, n = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); row < n;
         ++row)
      rows += CellTextOf(list, row) == L"Dup";
    return rows;
  };
  EXPECT_TRUE(WaitUntil([&] { return dupRows() == 2; }, 10s))
      << "the user's entry and the disabled machine entry, each listed";
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, kRun, L"Dup"), user) << "left running at its place";
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, kDisabledMachineRun, L"Dup"), machine)
      << "the machine's command is still there to enable";
  EXPECT_TRUE(GetString(HKEY_LOCAL_MACHINE, kRun, L"Dup").empty()) << "and still disabled";
  QuitExplorer(explorer);
}

// A file placed in a Startup folder itself is kept when the entry is removed (the question says
// the file will not be deleted), and Restore in the history viewer puts it back.
TEST_F(StartupPageScenario, AFileInAStartupFolderIsKeptOnRemoveAndRestoredFromTheHistory) {
  wchar_t startup[MAX_PATH] = {};
  ASSERT_EQ(::SHGetFolderPathW(nullptr, CSIDL_STARTUP, nullptr, SHGFP_TYPE_CURRENT, startup), S_OK);
  ::SHCreateDirectoryExW(nullptr, startup, nullptr);
  const std::wstring file = std::wstring(startup) + L"\\keepme.bat";
  const std::wstring kept = DataFile(L"Removed") + L"\\keepme.bat";
  const std::string content = "@echo kept\r\n";
  {
    HANDLE h = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    ::CloseHandle(h);
  }
  struct Cleanup {
    std::wstring file, kept, folder;
    ~Cleanup() {
      ::DeleteFileW(file.c_str());
      ::DeleteFileW(kept.c_str());
      ::RemoveDirectoryW(folder.c_str());
    }
  } cleanup{file, kept, DataFile(L"Removed")};

  Process explorer;
  HWND list = OpenStartupPage(explorer);
  ASSERT_NE(list, nullptr);
  HWND sheet = ::GetAncestor(list, GA_ROOT);
  HWND page = ::GetParent(list);
  ASSERT_TRUE(TypeToSelect(list, L"keepme"));
  ::PostMessageW(::GetDlgItem(page, IDC_REMOVE), BM_CLICK, 0, 0);
  HWND question = WaitForDialogBesides(explorer, sheet);
  ASSERT_NE(question, nullptr) << "the removal is asked about";
  EXPECT_NE(WindowText(::GetDlgItem(question, 0xFFFF)).find(L"This file will not be deleted"),
            std::wstring::npos);
  ::PostMessageW(question, WM_COMMAND, IDYES, 0);
  EXPECT_TRUE(
      WaitUntil([&] { return ::GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES; }, 10s))
      << "no longer starts with Windows";
  EXPECT_NE(::GetFileAttributesW(kept.c_str()), INVALID_FILE_ATTRIBUTES) << "but kept";

  // The history viewer, from the Options page: the removal's row restores the file.
  PropSheet_SetCurSel(sheet, nullptr, PageIndexOf(6033));
  ASSERT_TRUE(WaitUntil([&] { return CurrentPageCode(sheet) == 6033; }, 5s));
  ::PostMessageW(::GetDlgItem(PropSheet_GetCurrentPageHwnd(sheet), IDC_VIEW_HISTORY), BM_CLICK, 0,
                 0);
  HWND viewer = WaitForDialogBesides(explorer, sheet);
  ASSERT_NE(viewer, nullptr) << "the history viewer";
  HWND records = ::GetDlgItem(viewer, IDC_PAGE_LIST);
  ASSERT_TRUE(TypeToSelect(records, L"keepme"));
  EXPECT_TRUE(WaitUntil(
      [&] { return ::IsWindowEnabled(::GetDlgItem(viewer, IDC_HISTORY_RESTORE)) != FALSE; }, 5s));
  ::PostMessageW(::GetDlgItem(viewer, IDC_HISTORY_RESTORE), BM_CLICK, 0, 0);
  EXPECT_TRUE(
      WaitUntil([&] { return ::GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10s))
      << "back in the Startup folder";
  ::PostMessageW(viewer, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(viewer); }, 10s));
  QuitExplorer(explorer);
}

// A program can name a Run value "Updater<NUL>hidden" beside a harmless "Updater": both are
// listed, the hidden one with its NUL shown as a mark.
TEST_F(StartupPageScenario, ARunValueWhoseNameHidesANulIsListedBesideItsNamesake) {
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kRun, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
            ERROR_SUCCESS);
  const std::wstring hidden(L"Updater\0hidden", 14);
  ASSERT_EQ(::RegSetValueExW(key, L"Updater", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(L"C:\\tools\\updater.exe"),
                             sizeof(L"C:\\tools\\updater.exe")),
            ERROR_SUCCESS);
  ASSERT_TRUE(SetCountedValue(key, hidden, L"C:\\evil\\hidden.exe"));
  struct Cleanup {
    HKEY key;
    std::wstring hidden;
    ~Cleanup() {
      ::RegDeleteValueW(key, L"Updater");
      DeleteCountedValue(key, hidden);
      ::RegCloseKey(key);
    }
  } cleanup{key, hidden};

  Process explorer;
  HWND list = OpenStartupPage(explorer);
  ASSERT_NE(list, nullptr);
  const auto titles = ColumnOf(list);
  EXPECT_EQ(CountOf(titles, L"Updater"), 1);
  EXPECT_EQ(CountOf(titles, L"Updater\u2400hidden"), 1) << "listed, its NUL visible";
  const auto commands = ColumnOf(list, 1);
  EXPECT_EQ(CountOf(commands, L"hidden.exe"), 1) << "with the data it holds";
  QuitExplorer(explorer);
}

// Userinit may name several programs; one placed before userinit.exe starts as surely as it.
TEST_F(StartupPageScenario, EveryProgramOfUserinitIsListed) {
  static constexpr wchar_t kWinlogon[] =
      L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
  const std::wstring before = GetString(HKEY_LOCAL_MACHINE, kWinlogon, L"Userinit");
  ASSERT_EQ(SetString(HKEY_LOCAL_MACHINE, kWinlogon, L"Userinit",
                      L"C:\\evil\\first.exe,C:\\windows\\system32\\userinit.exe,"),
            ERROR_SUCCESS);
  struct Cleanup {
    std::wstring before;
    ~Cleanup() {
      if (before.empty())
        ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kWinlogon, L"Userinit");
      else
        SetString(HKEY_LOCAL_MACHINE, kWinlogon, L"Userinit", before);
    }
  } cleanup{before};
  SetOption(L"ShowAllStartup", L"1");  // Winlogon is among the advanced locations

  Process explorer;
  HWND list = OpenStartupPage(explorer);
  ASSERT_NE(list, nullptr);
  const auto commands = ColumnOf(list, 1);
  EXPECT_EQ(CountOf(commands, L"first.exe"), 1) << "the program before userinit.exe";
  EXPECT_EQ(CountOf(commands, L"userinit.exe"), 1);
  QuitExplorer(explorer);
}

}  // namespace
}  // namespace obrivo::test
