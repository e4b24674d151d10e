// The help pages the programs open: the build puts them beside the programs (and beside this
// test), so Help opens a page of the program folder for every page of the sheet and for the
// Monitor's general help, never the web site.
#include "common/help_page.h"

#include <string>
#include <vector>

#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "core/explorer_pages.h"
#include "test_process.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

using namespace std::chrono_literals;

class HelpPagesTest : public SandboxedTest {
 protected:
  // Every page of the sheet, then the general help the Monitor's alerts open.
  static std::vector<int> HelpCodes() {
    std::vector<int> codes;
    for (const core::PageInfo& page : core::AllSheetPages()) codes.push_back(page.code);
    codes.push_back(common::kGeneralHelpPage);
    return codes;
  }
};

TEST_F(HelpPagesTest, EveryPageAndTheGeneralHelpHaveALocalPage) {
  for (int code : HelpCodes()) {
    SCOPED_TRACE(code);
    const common::HelpTarget target = common::HelpPageTarget(code);
    const std::string expected =
        common::ProgramFolder() + "\\" + core::HelpPageFileName(code, "us");
    EXPECT_TRUE(target.local) << target.location;
    EXPECT_EQ(target.location, expected);
    if (!target.local) continue;
    EXPECT_TRUE(win32::IsExistingFile(target.location)) << target.location;
    // A page of the help set, not an empty placeholder: it links back to the overview.
    const std::string text = common::ReadTextFile(target.location, false).value_or("");
    EXPECT_NE(text.find("href=\"features.html\""), std::string::npos) << target.location;
  }
}

// The whole way of a Help click: the shell is given the local file. The sandboxed class of .html
// files records what it is asked to open instead of starting a browser.
TEST_F(HelpPagesTest, HelpHandsTheLocalFileToTheShell) {
  const std::string record =
      common::ProgramFolder() + "\\help-record-" + std::to_string(::GetCurrentProcessId()) + ".txt";
  const std::string helper = common::ProgramFolder() + "\\obrivo_test_helper.exe";
  common::WriteStoreString(HKEY_CLASSES_ROOT, ".html", "", "ObrivoHelpTestPage");
  common::WriteStoreString(HKEY_CLASSES_ROOT, "ObrivoHelpTestPage\\shell\\open\\command", "",
                           "\"" + helper + "\" record " + record + " \"%1\"");
  const struct {
    int code;
    const char* file;
  } cases[] = {
      {6039, "scheduler.html"},                   // a page with its own help
      {6060, "features.html"},                    // Recent: the overview stands in
      {common::kGeneralHelpPage, "helpme.html"},  // the Monitor's general help
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    common::DeleteFileForce(record);
    ASSERT_TRUE(common::OpenHelpPage(nullptr, c.code));
    ASSERT_TRUE(WaitUntil([&] { return win32::IsExistingFile(record); }, 10s));
    const std::string opened = common::ReadTextFile(record, false).value_or("");
    EXPECT_NE(opened.find(common::ProgramFolder() + "\\" + c.file), std::string::npos) << opened;
    EXPECT_EQ(opened.find("http"), std::string::npos) << "not the web site: " << opened;
  }
  common::DeleteFileForce(record);
}

}  // namespace
}  // namespace obrivo::test
