// The online program lookup: what it asks the vendor's site, and how the address is opened.
#include "common/online_lookup.h"

#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "test_process.h"
#include "wine_test_env.h"
#include "obrivo_version.h"

namespace obrivo::test {
namespace {

class OnlineLookupTest : public SandboxedTest {};

TEST_F(OnlineLookupTest, RequestDescribesTheProgramFile) {
  const std::string exe = common::ProgramFolder() + "\\Obrivo.exe";
  const auto r = common::MakeLookupRequest(460, "\"" + exe + "\" /x");
  EXPECT_EQ(r.programName, "Obrivo.exe");
  EXPECT_EQ(r.vendor, "Tolvane");
  EXPECT_EQ(r.version, OBRIVO_VERSION_TEXT);
  EXPECT_EQ(r.build, OBRIVO_VERSION_TEXT);
  EXPECT_EQ(r.type, 460);
  EXPECT_EQ(r.extension, "exe");
  EXPECT_EQ(r.language, "en");
  EXPECT_FALSE(r.detailed);

  common::App().options.Set(core::OptionId::PlusFormat, 1);
  const auto detailed = common::MakeLookupRequest(1400, exe);
  EXPECT_TRUE(detailed.detailed);
  EXPECT_EQ(detailed.language, "us") << "the detailed form sends the interface's own code";
  EXPECT_EQ(detailed.fileSize, std::to_string(*win32::FileSize(exe)));
  EXPECT_EQ(detailed.path, exe);
  EXPECT_EQ(detailed.created.size(), 16u);

  const auto noFile = common::MakeLookupRequest(450, "", "Some Title");
  EXPECT_EQ(noFile.programName, "Some Title");
}

TEST_F(OnlineLookupTest, OnlyWebAddressesReachTheShell) {
  // The https handler of this (sandboxed) process records what it is given.
  const std::string record = common::ProgramFolder() + "\\lookup-record-" +
                             std::to_string(::GetCurrentProcessId()) + ".txt";
  const std::string helper = common::ProgramFolder() + "\\obrivo_test_helper.exe";
  for (const char* scheme : {"https", "http"}) {
    common::WriteStoreString(HKEY_CLASSES_ROOT, scheme, "URL Protocol", "");
    common::WriteStoreString(HKEY_CLASSES_ROOT, std::string(scheme) + "\\shell\\open\\command", "",
                             "\"" + helper + "\" record " + record + " %1");
  }
  common::DeleteFileForce(record);

  EXPECT_FALSE(common::OpenWebAddress(nullptr, "file:///C:/windows/notepad.exe"));
  EXPECT_FALSE(common::OpenWebAddress(nullptr, "C:\\windows\\notepad.exe"));
  EXPECT_FALSE(common::OpenWebAddress(nullptr, "https://x.example/a b\" --evil"));

  const std::string exe = common::ProgramFolder() + "\\Obrivo.exe";
  ASSERT_TRUE(common::LookUpProgramOnline(nullptr, 460, exe));
  ASSERT_TRUE(WaitUntil([&] { return win32::IsExistingFile(record); }));
  const std::string url = common::ReadTextFile(record, false).value_or("");
  common::DeleteFileForce(record);
  EXPECT_EQ(url.rfind("https://www.tolvane.com/cgi-bin/plusinfo.pl?program=Obrivo.exe&vendor=Tolvane",
                      0),
            0u)
      << url;
  EXPECT_NE(url.find("&Type=460&Loc=en&ext=exe"), std::string::npos) << url;
}

}  // namespace
}  // namespace obrivo::test
