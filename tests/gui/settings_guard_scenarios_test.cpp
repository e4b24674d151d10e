// The settings guard end to end with the real programs: reg.exe changes the start page while the
// Monitor runs, the Monitor asks, and No puts the page back; a changed Automatic Updates option
// and User Account Control turned off are put back by the Explorer, started elevated for that one
// switch; and the Explorer refuses to write a URL prefix planted in the user's settings, saying so.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <optional>
#include <string>

#include "program_scenario.h"
#include "test_process.h"

namespace obrivo::test {
namespace {

using namespace std::chrono_literals;

constexpr wchar_t kProduct[] = L"Software\\Tolvane\\Obrivo";
constexpr wchar_t kMain[] = L"Software\\Microsoft\\Internet Explorer\\Main";
constexpr wchar_t kAutoUpdate[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update";
constexpr wchar_t kPrefixes[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\Prefixes";
constexpr wchar_t kPolicies[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr const wchar_t* kUacNames[] = {L"ConsentPromptBehaviorAdmin", L"EnableLUA",
                                        L"PromptOnSecureDesktop"};
constexpr int kMessageText = 0xFFFF;

std::optional<DWORD> GetDword(HKEY hive, const wchar_t* path, const wchar_t* name) {
  DWORD value = 0, size = sizeof value;
  if (::RegGetValueW(hive, path, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

void SetDword(HKEY hive, const wchar_t* path, const wchar_t* name, std::optional<DWORD> value) {
  if (!value) {
    ::RegDeleteKeyValueW(hive, path, name);
    return;
  }
  ASSERT_EQ(::RegSetKeyValueW(hive, path, name, REG_DWORD, &*value, sizeof *value), ERROR_SUCCESS);
}

class SettingsGuardScenario : public ProgramScenario {
 protected:
  void SetUp() override {
    ProgramScenario::SetUp();
    startPage_ = GetString(HKEY_CURRENT_USER, kMain, L"Start Page");
    prefix_ = GetString(HKEY_LOCAL_MACHINE, kPrefixes, L"www");
    autoUpdate_ = GetDword(HKEY_LOCAL_MACHINE, kAutoUpdate, L"AUOptions");
    for (int i = 0; i < 3; ++i) uac_[i] = GetDword(HKEY_LOCAL_MACHINE, kPolicies, kUacNames[i]);
  }
  void TearDown() override {
    nudge_ = Process();
    KillProcessesIn(folder_);
    SetString(HKEY_CURRENT_USER, kMain, L"Start Page", startPage_);
    SetString(HKEY_LOCAL_MACHINE, kPrefixes, L"www", prefix_);
    SetDword(HKEY_LOCAL_MACHINE, kAutoUpdate, L"AUOptions", autoUpdate_);
    for (int i = 0; i < 3; ++i) SetDword(HKEY_LOCAL_MACHINE, kPolicies, kUacNames[i], uac_[i]);
    ProgramScenario::TearDown();
  }

  static void Reg(const std::wstring& arguments) {
    Process reg(L"C:\\windows\\system32\\reg.exe", arguments);
    ASSERT_TRUE(reg.started());
    ASSERT_EQ(reg.WaitForExit(), 0u) << "reg.exe " << std::string(arguments.begin(), arguments.end());
  }

  // The Monitor's message box whose text holds `part`, nudging the Monitor now and then.
  HWND WaitForQuestion(HWND monitor, DWORD monitorId, const wchar_t* part) {
    HWND box = nullptr;
    const auto shown = [&] {
      box = FindDialogOf(monitorId);
      return box && ::IsWindowVisible(box) &&
             WindowText(::GetDlgItem(box, kMessageText)).find(part) != std::wstring::npos;
    };
    for (int round = 0; round < 12; ++round) {
      Nudge(monitor);
      if (WaitUntil(shown, 5s)) return box;
    }
    return nullptr;
  }

  HWND StartMonitorWithBaselines(Process& monitor) {
    HWND window = StartMonitor(monitor);
    if (!window) return nullptr;
    // The first look takes the pages as they are.
    EXPECT_TRUE(WaitUntil(
        [&] {
          Nudge(window);
          return !GetString(HKEY_CURRENT_USER, kProduct, L"StartPage").empty();
        },
        60s))
        << "the start page's baseline";
    return window;
  }

  std::wstring startPage_, prefix_;
  std::optional<DWORD> autoUpdate_;
  std::optional<DWORD> uac_[3];
};

TEST_F(SettingsGuardScenario, ChangedStartPageIsAskedAboutAndNoPutsItBack) {
  Reg(std::wstring(L"add \"HKCU\\") + kMain + L"\" /v \"Start Page\" /d http://home.example/ /f");
  Process monitor;
  HWND window = StartMonitorWithBaselines(monitor);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, kProduct, L"StartPage"), L"http://home.example/");

  // Only the letter case and one trailing "/" differ: nothing to ask.
  Reg(std::wstring(L"add \"HKCU\\") + kMain + L"\" /v \"Start Page\" /d HTTP://Home.Example /f");
  // A look-alike host.
  Reg(std::wstring(L"add \"HKCU\\") + kMain +
      L"\" /v \"Start Page\" /d http://home.example.hijack.example/ /f");
  HWND box = WaitForQuestion(window, monitor.id(), L"Internet Explorer Start Page");
  ASSERT_NE(box, nullptr) << "the start page alert";
  const std::wstring text = WindowText(::GetDlgItem(box, kMessageText));
  EXPECT_NE(text.find(L"Your new page is http://home.example.hijack.example/"), std::wstring::npos)
      << std::string(text.begin(), text.end());
  EXPECT_NE(text.find(L"http://home.example/"), std::wstring::npos);
  EXPECT_EQ(WindowText(box), L"Obrivo");
  SaveDesktopScreenshot(L"monitor-start-page.bmp");
  ::SendMessageW(::GetDlgItem(box, IDNO), BM_CLICK, 0, 0);

  EXPECT_TRUE(WaitUntil(
      [&] { return GetString(HKEY_CURRENT_USER, kMain, L"Start Page") == L"http://home.example"; },
      10s))
      << "the page is put back, without its trailing \"/\"";
  EXPECT_EQ(GetString(HKEY_CURRENT_USER, kProduct, L"StartPage"), L"http://home.example/")
      << "the baseline stays";
}

TEST_F(SettingsGuardScenario, MachineSettingsChangedArePutBackByTheElevatedExplorer) {
  SetDword(HKEY_LOCAL_MACHINE, kAutoUpdate, L"AUOptions", 4);
  SetDword(HKEY_LOCAL_MACHINE, kPolicies, kUacNames[0], 5);
  SetDword(HKEY_LOCAL_MACHINE, kPolicies, kUacNames[1], 1);
  SetDword(HKEY_LOCAL_MACHINE, kPolicies, kUacNames[2], 1);
  Process monitor;
  HWND window = StartMonitorWithBaselines(monitor);
  ASSERT_NE(window, nullptr);
  const struct {
    const wchar_t* key;
    const wchar_t* name;
    DWORD kept, changed;
    const wchar_t* caption;
    const wchar_t* shows;  // a part of the question: the changed setting's text
  } rows[] = {
      {kAutoUpdate, L"AUOptions", 4, 1, L"Obrivo - Windows Auto Update Settings",
       L"Turn off Automatic Updates."},
      {kPolicies, L"EnableLUA", 1, 0, L"Obrivo - Windows User Account Control Settings",
       L"0: User Account Control Turned Off"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.name, row.name + wcslen(row.name)));
    EXPECT_EQ(GetDword(HKEY_CURRENT_USER, kProduct, row.name), row.kept) << "taken at start";
    Reg(std::wstring(L"add \"HKLM\\") + row.key + L"\" /v " + row.name + L" /t REG_DWORD /d " +
        std::to_wstring(row.changed) + L" /f");
    HWND box = WaitForQuestion(window, monitor.id(), row.shows);
    ASSERT_NE(box, nullptr) << "the alert";
    EXPECT_EQ(WindowText(box), row.caption);
    ::SendMessageW(::GetDlgItem(box, IDYES), BM_CLICK, 0, 0);  // Yes prevents the change
    EXPECT_TRUE(WaitUntil(
        [&] { return GetDword(HKEY_LOCAL_MACHINE, row.key, row.name) == row.kept; }, 20s))
        << "written back by the Explorer";
    EXPECT_EQ(GetDword(HKEY_CURRENT_USER, kProduct, row.name), row.kept) << "the baseline stays";
  }
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kPolicies, kUacNames[0]), 5u);
}

TEST_F(SettingsGuardScenario, ExplorerSwitchesWriteTheKeptValueOrRefuseAPlantedOne) {
  SetDword(HKEY_CURRENT_USER, kProduct, L"AUOptions", 2);
  SetDword(HKEY_LOCAL_MACHINE, kAutoUpdate, L"AUOptions", 1);
  Process write = RunExplorer(L"-AUOption");
  EXPECT_EQ(write.WaitForExit(), 0u);
  EXPECT_EQ(GetDword(HKEY_LOCAL_MACHINE, kAutoUpdate, L"AUOptions"), 2u);

  // Any program the user runs can write this: the Explorer must not carry it to the machine.
  ASSERT_EQ(SetString(HKEY_CURRENT_USER, kProduct, L"wwwPrefix", L"http://evil.example/?"),
            ERROR_SUCCESS);
  ASSERT_EQ(SetString(HKEY_LOCAL_MACHINE, kPrefixes, L"www", L"http://"), ERROR_SUCCESS);
  Process refuse = RunExplorer(L"-SetPrefix");
  HWND box = WaitForDialogBesides(refuse, nullptr);
  ASSERT_NE(box, nullptr) << "the refusal";
  const std::wstring text = WindowText(::GetDlgItem(box, kMessageText));
  EXPECT_NE(text.find(L"Internet Browser Default Prefix"), std::wstring::npos)
      << std::string(text.begin(), text.end());
  ::SendMessageW(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  EXPECT_EQ(refuse.WaitForExit(), 2u);
  EXPECT_EQ(GetString(HKEY_LOCAL_MACHINE, kPrefixes, L"www"), L"http://");
}

}  // namespace
}  // namespace obrivo::test
