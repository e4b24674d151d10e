// The reports on a fixture machine: Run entries with hostile names, each listed once, escaped
// for its form, in its own column; a folder that cannot take the file is said. The files are left
// in "reports-out" beside this test for the step that reads them with a real HTML and CSV parser.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/wide.h"
#include "core/report_format.h"
#include "core/startup_codes.h"
#include "counted_values.h"
#include "explorer/reports.h"
#include "startup_test_env.h"

namespace obrivo::test {
namespace {

using namespace std::string_literals;

constexpr int kUserRunCode = 11;
const std::wstring kCommand = L"C:\\Fixture\\tool,1.exe";

// Names a hostile machine may hold, each meant to break one of the forms. A quote and a comma
// stand beside other characters: a Run value named by one character alone is no entry.
std::vector<std::wstring> HostileNames() {
  return {L"<b>",
          L"<script>alert(1)</script>",
          L"\"\"",
          L"say \"hi\"",
          L",,",
          L"a,b",
          L"=cmd|' /C calc'!A0",
          L"line\r\nbreak",
          L"nul\0name"s,
          L"\x200Fgpj.exe",
          L"\x8D77\x52D5",
          std::wstring(16383, L'n')};
}

std::size_t Occurrences(std::string_view text, std::string_view part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string_view::npos;
       at = text.find(part, at + part.size()))
    ++count;
  return count;
}

std::string Hex(std::string_view bytes) {
  std::string out;
  char buffer[4];
  for (const char c : bytes) {
    std::snprintf(buffer, sizeof buffer, "%02x", static_cast<unsigned>(static_cast<unsigned char>(c)));
    out += buffer;
  }
  return out;
}

class Reports : public StartupTest {
 protected:
  void SetUp() override {
    StartupTest::SetUp();
    out_ = common::ProgramFolder() + "\\reports-out";
    ::CreateDirectoryW(win32::Wide(out_).c_str(), nullptr);
    for (const std::wstring& name : HostileNames())
      SetCountedValue(HKEY_CURRENT_USER, core::RunKeyPath(kUserRunCode), name, kCommand);
  }

  std::string out_;
};

TEST_F(Reports, EveryFormListsEachHostileNameOnceEscaped) {
  // The names for the parsing step, one hexadecimal UTF-8 line each.
  std::string names;
  for (const std::wstring& name : HostileNames()) names += Hex(win32::Narrow(name)) + "\n";
  ASSERT_TRUE(win32::WriteWholeFileReplacing(out_ + "\\fixture-names.txt", names));

  for (const auto kind : {explorer::ReportKind::HtmlLog, explorer::ReportKind::TextLog,
                          explorer::ReportKind::Spreadsheet}) {
    const explorer::ReportOutcome outcome = explorer::WriteReport(kind, out_);
    ASSERT_TRUE(outcome.written) << outcome.path << " " << outcome.error;
  }

  const auto html = win32::ReadWholeFile(out_ + "\\ObrivoLog.html");
  ASSERT_TRUE(html);
  EXPECT_EQ(Occurrences(*html, "<script"), 0u);
  EXPECT_NE(html->find("<meta charset=\"utf-8\">"), std::string::npos);
  EXPECT_EQ(html->find('\0'), std::string::npos);
  const auto text = win32::ReadWholeFile(out_ + "\\ObrivoLog.txt");
  ASSERT_TRUE(text);
  EXPECT_EQ(text->rfind("\xEF\xBB\xBFTitle\t", 0), 0u);
  for (const std::wstring& wide : HostileNames()) {
    const std::string name = win32::Narrow(wide);
    SCOPED_TRACE(Hex(name.substr(0, 16)));
    if (name.size() > 127) {
      // A long name is cut where titles are cut, and still appears once.
      EXPECT_EQ(Occurrences(*html, "<li><b>" + name.substr(0, 127)), 1u);
      continue;
    }
    EXPECT_EQ(Occurrences(*html, "<li><b>" + core::HtmlEscape(name) + "</b>"), 1u);
    EXPECT_EQ(Occurrences(*text, "\r\n" + core::TabField(name) + "\ttool,1.exe\t"), 1u);
  }
}

TEST_F(Reports, AFolderThatCannotTakeTheFileIsSaid) {
  const explorer::ReportOutcome outcome =
      explorer::WriteReport(explorer::ReportKind::Spreadsheet, out_ + "\\missing\\folder");
  EXPECT_FALSE(outcome.written);
  EXPECT_NE(outcome.error, 0u);
  EXPECT_EQ(outcome.path, out_ + "\\missing\\folder\\ObrivoLog.csv");
}

TEST_F(Reports, TheDocumentsFolderExists) {
  const std::string folder = explorer::DocumentsFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(win32::IsExistingDirectory(folder)) << folder;
}

}  // namespace
}  // namespace obrivo::test
