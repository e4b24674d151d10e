// The hijack log on a fixture machine: a sandboxed registry holding hostile names, and fixture
// files (system.ini, iereset.inf, a 1 MB HOSTS, 100 hidden files). The log is compared with its
// expected text once the lines that describe the live machine (time, platform, processes,
// memory...) are masked; the cases of single sections come as tables.
#include "explorer/hijack_log_writer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/win32/files.h"
#include "common/win32/wide.h"
#include "counted_values.h"
#include "hidden_fixtures.h"
#include "startup_test_env.h"

namespace obrivo::test {
namespace {

using namespace std::string_literals;

const std::string kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kComponents = "Software\\Microsoft\\Internet Explorer\\Desktop\\Components\\";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start) + "<no line end>");
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

bool StartsWith(const std::string& text, std::string_view prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// The log with what describes the live machine rather than the fixture masked, and a 16,383
// character name written as its length.
std::string Masked(const std::string& log, const std::string& longName) {
  std::string out;
  bool inProcesses = false;
  for (std::string line : Lines(log)) {
    if (const std::size_t at = line.find(longName); at != std::string::npos)
      line.replace(at, longName.size(), "<16383 x n>");
    if (inProcesses && line.empty()) inProcesses = false;
    if (inProcesses) continue;
    if (line == "Running processes:") inProcesses = true;
    static constexpr std::string_view kVolatile[] = {
        "Log created by ", "Scan saved at ", "Platform: ", "MSIE: ", "Boot mode: ",
        "Memory currently in use: ", "Physical Memory Free: ", "Paging File Free: ",
        "Virtual Memory Free: ", "OB31 - ", "O23 - ", "Firefox ", "Mozilla ", "Netscape ",
        "O4 - Startup: ", "O4 - Global Startup: ", "O13 - ", "OB08 - ", "OB02 - ", "O17 - ",
        "O20 - ", "O21 - ", "O22 - "};
    for (const std::string_view prefix : kVolatile)
      if (StartsWith(line, prefix)) line = std::string(prefix) + "<masked>";
    if (line.find(" IE Cookies in Folder: ") != std::string::npos) line = "<cookies masked>";
    out += line + "\n";
  }
  return out;
}

class HijackLog : public StartupTest {
 protected:
  void SetUp() override {
    StartupTest::SetUp();
    windows_ = std::make_unique<FixtureFolder>(TempFolderForFixtures() + "\\hijack-windows");
    hidden_ = std::make_unique<FixtureFolder>(TempFolderForFixtures() + "\\hijack-hidden");
    ASSERT_TRUE(MakeFixtureFolder(*windows_ / "inf"));
    sources_.windowsFolder = windows_->path() + "\\";
    sources_.hostsFile = *windows_ / "hosts";
    sources_.hiddenRoots = std::vector<files::ScanRoot>{{hidden_->path(), 0}};
    sources_.now = core::DateTime{2026, 3, 7, 12, 30, 5};
  }

  std::string Log() const { return explorer::HijackLogText(sources_); }

  std::unique_ptr<FixtureFolder> windows_, hidden_;
  explorer::HijackLogSources sources_;
};

TEST_F(HijackLog, FixtureMachineGivesTheExpectedLog) {
  const std::string longName(16383, 'n');
  // Startup entries named to break a plain-text line or a report built from it (a name of one
  // character is no startup entry, so the quote and the comma stand among others).
  const std::vector<std::pair<std::wstring, std::string>> run = {
      {L"<b>", "C:\\fixture\\b.exe"},
      {L"say \"hi\"", "C:\\fixture\\quote.exe"},
      {L"last, first", "C:\\fixture\\comma.exe"},
      {L"=cmd|' /C calc'!A0", "C:\\fixture\\formula.exe"},
      {L"two\r\nO4 - HKLM\\..\\Run: [forged]forged.exe", "C:\\fixture\\crlf.exe"},
      {L"nul\0inside"s, "C:\\fixture\\nul.exe"},
      {L"\x200F" L"rtl\x200E", "C:\\fixture\\rtl.exe"},
      {L"\x4E2D\x6587", "C:\\fixture\\cjk.exe"},
      {win32::Wide(longName), "C:\\fixture\\long.exe"},
  };
  for (const auto& [name, path] : run) SetCountedValue(HKEY_LOCAL_MACHINE, kRunKey, name, win32::Wide(path));

  // A helper whose class text breaks its line, and a toolbar whose class is not registered.
  const std::string helper = "{9A8B7C6D-0000-4000-8000-00000000000A}";
  SetString(HKEY_LOCAL_MACHINE,
            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\" + helper,
            "", "");
  SetString(HKEY_CLASSES_ROOT, "CLSID\\" + helper, "", "Helper\r\n<b>");
  SetString(HKEY_CLASSES_ROOT, "CLSID\\" + helper + "\\InprocServer32", "", "C:\\fixture\\helper.dll");
  SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar", "{unregistered}", "");

  const std::string main = "Software\\Microsoft\\Internet Explorer\\Main";
  SetString(HKEY_CURRENT_USER, main, "Start Page", "http://start.example/<b>");
  SetString(HKEY_LOCAL_MACHINE, main, "Default_Page_URL", "http://default.example/");
  SetString(HKEY_CURRENT_USER, main, "Window Title", "Browsed\r\nby fixture");
  const std::string policies = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
  SetRaw(HKEY_CURRENT_USER, policies, "DisableTaskMgr", REG_DWORD, {1, 0, 0, 0});
  SetRaw(HKEY_CURRENT_USER, policies, "DisableRegEdit", REG_DWORD, {0, 0, 0, 0});
  SetRaw(HKEY_CURRENT_USER, policies, "DisableRegistryTools", REG_DWORD, {0x80, 0, 0, 0});
  SetString(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\Styles", "User Stylesheet",
            "C:\\fixture\\style.css");
  // Component 0 is missing: component 1 is never reached.
  SetString(HKEY_CURRENT_USER, kComponents + "1", "FriendlyName", "Unreached");

  ASSERT_TRUE(MakeFixtureFile(*windows_ / "system.ini",
                              FILE_ATTRIBUTE_NORMAL,
                              "[boot]\r\nshell=EXPLORER.EXE\r\nUserInit=C:\\fixture\\init.exe\r\n"));
  ASSERT_TRUE(MakeFixtureFile(
      *windows_ / "inf\\iereset.inf", FILE_ATTRIBUTE_NORMAL,
      "[Strings]\r\nSTART_PAGE_URL=\"http://reset.example/\"\r\n"
      "[Reg]\r\nHKCU,Main,\"Start Page\",0,http://home.example/\r\n"
      "HKLM,Main,Search Page and Default_Search_URL,0,http://search.example/\r\n"));
  // A 1 MB HOSTS file of blocking entries, with one redirection after its first megabyte.
  std::string hosts = "# fixture\r\n127.0.0.1 localhost\r\n";
  while (hosts.size() < 1024 * 1024) hosts += "0.0.0.0 blocked" + std::to_string(hosts.size()) + ".example\r\n";
  hosts += "10.0.0.5\tbank.example\r\n";
  ASSERT_TRUE(MakeFixtureFile(*windows_ / "hosts", FILE_ATTRIBUTE_NORMAL, hosts));
  ASSERT_TRUE(MakeFixtureFile(*hidden_ / "only.bin", FILE_ATTRIBUTE_HIDDEN));

  const std::string log = Log();
  EXPECT_NE(log.substr(0, 3), "\xEF\xBB\xBF") << "no byte-order mark";
  EXPECT_EQ(log.find('\0'), std::string::npos);
  for (const std::string& line : Lines(log)) EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
  EXPECT_NE(log.find("Scan saved at 12:30:05 PM, on  3/07/2026\r\n"), std::string::npos);

  const std::string expected =
      "Log created by <masked>\n"
      "Scan saved at <masked>\n"
      "Platform: <masked>\n"
      "MSIE: <masked>\n"
      "Boot mode: <masked>\n"
      "\n"
      "Running processes:\n"
      "\n"
      "R0 - HKCU\\Software\\Microsoft\\Internet Explorer\\Main,Start Page = http://start.example/<b>\n"
      "R1 - HKLM\\Software\\Microsoft\\Internet Explorer\\Main,Default_Page_URL = http://default.example/\n"
      "R1 - HKCU\\Software\\Microsoft\\Internet Explorer\\Main,Window Title = Browsed by fixture\n"
      "F2 - REG: system.ini: UserInit=C:\\fixture\\init.exe\n"
      "O1 - Hosts: 10.0.0.5 bank.example\n"
      "O2 - BHO: Helper <b> - {9A8B7C6D-0000-4000-8000-00000000000A} - C:\\fixture\\helper.dll\n"
      "O3 - Toolbar:  - {unregistered} - \n"
      // The registry lists the values sorted by name.
      "O4 - HKLM\\..\\Run: [<b>]C:\\fixture\\b.exe\n"
      "O4 - HKLM\\..\\Run: [=cmd|' /C calc'!A0]C:\\fixture\\formula.exe\n"
      "O4 - HKLM\\..\\Run: [last, first]C:\\fixture\\comma.exe\n"
      "O4 - HKLM\\..\\Run: [<16383 x n>]C:\\fixture\\long.exe\n"
      "O4 - HKLM\\..\\Run: [nul\\0inside]C:\\fixture\\nul.exe\n"
      "O4 - HKLM\\..\\Run: [say \"hi\"]C:\\fixture\\quote.exe\n"
      "O4 - HKLM\\..\\Run: [two O4 - HKLM\\..\\Run: [forged]forged.exe]C:\\fixture\\crlf.exe\n"
      "O4 - HKLM\\..\\Run: [\xE2\x80\x8Frtl\xE2\x80\x8E]C:\\fixture\\rtl.exe\n"
      "O4 - HKLM\\..\\Run: [\xE4\xB8\xAD\xE6\x96\x87]C:\\fixture\\cjk.exe\n"
      "O7 - HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System, DisableTaskMgr =1\n"
      "O14 - IERESET.INF: START_PAGE_URL = http://reset.example/\n"
      "O14 - IERESET.INF:HKCU, Start Page = http://home.example/\n"
      "O14 - IERESET.INF:HKLM, Default_Search_URL = http://search.example/\n"
      "O14 - IERESET.INF:HKLM, Search Page = http://search.example/\n"
      "O19 -  User style sheet: C:\\fixture\\style.css\n"
      "\n"
      "---  Additional Obrivo Info  ---\n"
      "Browser: Unable to find default browser.\n"
      "MSIE: <masked>\n"
      "\n"
      "\n"
      "\n"
      "\n"
      "OB32 - Hidden File: " + (*hidden_ / "only.bin") + "\n"
      "\n"
      "\n"
      "Memory currently in use: <masked>\n"
      "Physical Memory Free: <masked>\n"
      "Paging File Free: <masked>\n"
      "Virtual Memory Free: <masked>\n"
      "\n"
      "\n"
      "--\n"
      "End of file\n";
  const std::string actual = Masked(log, longName);
  EXPECT_EQ(actual, expected);
}

TEST_F(HijackLog, DesktopComponentsFromZeroUntilTheFirstMissing) {
  const struct {
    std::vector<std::pair<int, std::string>> components;  // number, FriendlyName
    std::string lines;
  } cases[] = {
      {{{1, "One"}}, ""},
      {{{0, "Zero"}, {1, "One"}, {3, "Three"}},
       "O24 -  Desktop Component 0: Zero - http://0/\r\nO24 -  Desktop Component 1: One - http://1/\r\n"},
      {{{0, "My Current Home Page"}, {1, "One"}}, "O24 -  Desktop Component 1: One - http://1/\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Desktop");
    for (const auto& [number, name] : c.components) {
      SetString(HKEY_CURRENT_USER, kComponents + std::to_string(number), "FriendlyName", name);
      SetString(HKEY_CURRENT_USER, kComponents + std::to_string(number), "Source",
                "http://" + std::to_string(number) + "/");
    }
    std::string o24;
    for (const std::string& line : Lines(Log()))
      if (StartsWith(line, "O24 - ")) o24 += line + "\r\n";
    EXPECT_EQ(o24, c.lines);
  }
}

TEST_F(HijackLog, HundredHiddenFilesLogTheFirstFortyOne) {
  for (int i = 0; i < 100; ++i)
    ASSERT_TRUE(MakeFixtureFile(*hidden_ / ("hidden" + std::to_string(i) + ".bin"), FILE_ATTRIBUTE_HIDDEN));
  int logged = 0;
  for (const std::string& line : Lines(Log()))
    if (StartsWith(line, "OB32 - Hidden File: " + hidden_->path() + "\\hidden")) ++logged;
  EXPECT_EQ(logged, 41);
}

// A copy of the Explorer named for the forums' helpers writes the log to the documents folder and
// ends, telling by its exit code that the file was written.
TEST_F(HijackLog, AnExplorerCopyNamedHijackWritesTheLogAndEnds) {
  const auto path = explorer::HijackLogPath();
  ASSERT_TRUE(path);
  ::DeleteFileW(win32::Wide(*path).c_str());
  const FixtureFolder folder(TempFolderForFixtures() + "\\hijack-copy");
  const std::string copy = folder / "HijackThis_obrivo.exe";
  const std::string explorerFile = win32::Narrow(HostToWine(EnvVar(L"OBRIVO_BIN_DIR"))) + "\\ObrivoEx.exe";
  ASSERT_TRUE(::CopyFileW(win32::Wide(explorerFile).c_str(), win32::Wide(copy).c_str(), FALSE));

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  std::wstring commandLine = L"\"" + win32::Wide(copy) + L"\"";
  ASSERT_TRUE(::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &started));
  const DWORD waited = ::WaitForSingleObject(started.hProcess, 120000);
  DWORD exitCode = 1;
  ::GetExitCodeProcess(started.hProcess, &exitCode);
  if (waited != WAIT_OBJECT_0) ::TerminateProcess(started.hProcess, 1);
  ::CloseHandle(started.hThread);
  ::CloseHandle(started.hProcess);
  ASSERT_EQ(waited, WAIT_OBJECT_0) << "the copy ends by itself";
  EXPECT_EQ(exitCode, 0u);

  const std::string log = win32::ReadWholeFile(*path).value_or(std::string());
  EXPECT_TRUE(StartsWith(log, "Log created by ")) << log.substr(0, 200);
  const std::string_view end = "End of file\r\n";
  EXPECT_TRUE(log.size() >= end.size() && log.compare(log.size() - end.size(), end.size(), end) == 0)
      << log.substr(log.size() > 200 ? log.size() - 200 : 0);
  ::DeleteFileW(win32::Wide(*path).c_str());
}

}  // namespace
}  // namespace obrivo::test
