// Folders, files, version information, look-ups and dates on a real (Wine) system.
#include "common/utilities.h"

#include "common/items.h"
#include "common/store.h"
#include "common/win32/files.h"
#include "common/win32/system.h"
#include "core/text.h"
#include "wine_test_env.h"
#include "obrivo_version.h"

namespace obrivo::test {
namespace {

using common::ProgramFolder;

class UtilitiesTest : public SandboxedTest {
 protected:
  // A scratch folder in the system's temp folder, removed afterwards.
  void SetUp() override {
    SandboxedTest::SetUp();
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    scratch_ = win32::Narrow(temp) + "obrivo-utilities-" + std::to_string(::GetCurrentProcessId());
    win32::EnsureDirectory(scratch_);
  }
  void TearDown() override {
    for (const char* name : {"\\a.txt", "\\Long Folder Name\\tool.exe"})
      common::DeleteFileForce(scratch_ + name);
    ::RemoveDirectoryW(win32::Wide(scratch_ + "\\Long Folder Name").c_str());
    ::RemoveDirectoryW(win32::Wide(scratch_).c_str());
  }
  void WriteFile(const std::string& path, const std::string& content) {
    HANDLE f = ::CreateFileW(win32::Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(f, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    ::CloseHandle(f);
  }
  std::string scratch_;
};

TEST_F(UtilitiesTest, VersionInformation) {
  const auto own = common::ReadVersionInfo(win32::ModuleFileName());
  EXPECT_FALSE(own) << "the test program has no version resource";

  const auto obrivo = common::ReadVersionInfo(ProgramFolder() + "\\Obrivo.exe");
  ASSERT_TRUE(obrivo);
  EXPECT_EQ(obrivo->productName, "Obrivo");
  EXPECT_EQ(obrivo->productVersion, OBRIVO_VERSION_TEXT);
  EXPECT_EQ(obrivo->companyName, "Tolvane");

  EXPECT_FALSE(common::ReadVersionInfo(ProgramFolder() + "\\version_no_product.dll"))
      << "the only translation has no product name";

  const auto os = common::ReadVersionInfo(ProgramFolder() + "\\version_os_product.dll");
  ASSERT_TRUE(os);
  EXPECT_EQ(os->productName, "Fixture Shell Component") << "an operating system shows its part";
  EXPECT_EQ(os->companyName, "Fixture Systems") << "the later translation wins";
  EXPECT_EQ(os->legalCopyright, "") << "a field beyond 127 characters reads as empty";

  EXPECT_FALSE(common::ReadVersionInfo(scratch_ + "\\missing.exe"));
}

TEST_F(UtilitiesTest, FileLookupsInTheSystemFolders) {
  std::string bare = "notepad.exe";
  EXPECT_TRUE(common::FileExists(bare)) << "found in the Windows folder";
  EXPECT_EQ(bare, "notepad.exe") << "a hit in the Windows folder keeps the name";

  std::string systemOnly = "kernel32.dll";
  ASSERT_TRUE(common::FileExists(systemOnly));
  EXPECT_TRUE(systemOnly.size() > 12 && systemOnly.find("\\kernel32.dll") != std::string::npos)
      << "a hit in the system folder gives its full path: " << systemOnly;

  std::string missing = "no-such-program.exe";
  EXPECT_FALSE(common::FileExists(missing));
  std::string empty;
  EXPECT_FALSE(common::FileExists(empty));
  std::string folder = scratch_;
  EXPECT_FALSE(common::FileExists(folder)) << "a folder is not a file";

  EXPECT_EQ(common::FolderOfProgram("C:\\Tools\\agent.exe"), "C:\\Tools");
  EXPECT_EQ(common::FolderOfProgram("C:\\agent.exe"), "C:\\");
  EXPECT_EQ(common::FolderOfProgram("notepad.exe"), win32::WindowsDirectory());
  EXPECT_EQ(common::FolderOfProgram("kernel32.dll"), win32::SystemDirectory());
  EXPECT_EQ(common::FolderOfProgram("no-such-program.exe"), "");
}

TEST_F(UtilitiesTest, FilesAreReadAndForceDeleted) {
  const std::string file = scratch_ + "\\a.txt";
  WriteFile(file, "one\ntwo\r\nthree\n");
  EXPECT_EQ(common::ReadTextFile(file, false), "one\ntwo\r\nthree\n");
  EXPECT_EQ(common::ReadTextFile(file, true), "one\r\ntwo\r\nthree\r\n");
  EXPECT_FALSE(common::ReadTextFile(scratch_ + "\\missing.txt", false));

  ::SetFileAttributesW(win32::Wide(file).c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  EXPECT_TRUE(common::DeleteFileForce(file));
  EXPECT_FALSE(win32::IsExistingFile(file));
}

TEST_F(UtilitiesTest, CommandsResolveWithThisSystemsFolders) {
  common::WriteStoreString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                           "ProgramFilesDir", "D:\\Apps");
  EXPECT_EQ(common::CommandToProgramPath("\"%ProgramFiles%\\Tool Kit\\tool.exe\" /run"),
            "D:\\APPS\\TOOL KIT\\TOOL.EXE");
  const std::string windows = win32::WindowsDirectory();
  EXPECT_EQ(common::CommandToProgramPath("%SystemRoot%\\system32\\svc.exe -k"),
            core::ToUpper(windows + "\\system32\\svc.exe"));

  // The long form of a short path, as items and the resolution with arguments use it.
  win32::EnsureDirectory(scratch_ + "\\Long Folder Name");
  const std::string longPath = scratch_ + "\\Long Folder Name\\tool.exe";
  WriteFile(longPath, "x");
  const auto shortPath = win32::ShortPath(longPath);
  ASSERT_TRUE(shortPath);
  EXPECT_EQ(core::ToUpper(common::LongPathName(*shortPath)), core::ToUpper(longPath));
  EXPECT_EQ(common::LongPathName("C:\\no\\such\\file.exe"), "C:\\no\\such\\file.exe");
  const auto withArgs = common::CommandToProgramPathAndArgs(*shortPath + " /x");
  EXPECT_EQ(core::ToUpper(withArgs.path), core::ToUpper(longPath));
  EXPECT_EQ(withArgs.rest, " /x");
}

TEST_F(UtilitiesTest, AddItemUsesLongPathsAndTheCookieQuota) {
  win32::EnsureDirectory(scratch_ + "\\Long Folder Name");
  const std::string longPath = scratch_ + "\\Long Folder Name\\tool.exe";
  WriteFile(longPath, "x");
  const auto shortPath = win32::ShortPath(longPath);
  ASSERT_TRUE(shortPath);
  common::ClearItems();
  ASSERT_TRUE(common::AddItem("", "\"" + *shortPath + "\" -run", "", "text", 1, 0));
  EXPECT_EQ(common::ItemTitle(0), "tool");
  EXPECT_EQ(common::ItemTitle(5), "") << "outside the list";
  EXPECT_EQ(common::ItemType(5), 0);

  common::App().options.Set(core::OptionId::MaxCookie, 2);
  common::ClearItems();
  EXPECT_TRUE(common::AddItem("c1", "x", "", "", 500, 0));
  EXPECT_TRUE(common::AddItem("c2", "x", "", "", 500, 0));
  EXPECT_FALSE(common::AddItem("c3", "x", "", "", 500, 0));
  EXPECT_EQ(common::ItemCount(), 2u);
  EXPECT_TRUE(common::AddItem("Obrivo Helper", "x", "", "", 1, 0));
  EXPECT_EQ(common::ItemTitle(2), "Obrivo") << "the program's own title";
  common::ClearItems();
}

TEST_F(UtilitiesTest, RegistryLookups) {
  const std::string exe = ProgramFolder() + "\\Obrivo.exe";
  common::WriteStoreString(HKEY_LOCAL_MACHINE,
                           "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\obrivo.exe", "",
                           exe);
  common::WriteStoreString(HKEY_LOCAL_MACHINE,
                           "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\obrivo.exe",
                           "Path", ProgramFolder());
  common::WriteStoreString(HKEY_LOCAL_MACHINE,
                           "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\gone.exe", "",
                           "C:\\gone\\gone.exe");
  const auto found = common::AppPathsLookup("obrivo.exe");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->version, OBRIVO_VERSION_TEXT);
  EXPECT_EQ(found->folder, ProgramFolder());
  EXPECT_FALSE(common::AppPathsLookup("gone.exe")) << "the registered file does not exist";
  EXPECT_FALSE(common::AppPathsLookup("unknown.exe"));

  const char* clsid = "{11111111-2222-3333-4444-555555555555}";
  common::WriteStoreString(HKEY_CLASSES_ROOT, std::string("CLSID\\") + clsid, "", "Fixture Class");
  common::WriteStoreString(HKEY_CLASSES_ROOT, std::string("CLSID\\") + clsid + "\\InprocServer32",
                           "", "C:\\fixture.dll");
  for (const char* form : {"{11111111-2222-3333-4444-555555555555}",
                           "11111111-2222-3333-4444-555555555555"}) {
    const auto server = common::ClsidServerLookup(form);
    EXPECT_EQ(server.className, "Fixture Class") << form;
    EXPECT_EQ(server.serverPath, "C:\\fixture.dll") << form;
  }
  EXPECT_EQ(common::ClsidServerLookup("{00000000-0000-0000-0000-00000000beef}").serverPath, "");
}

TEST_F(UtilitiesTest, DatesFollowTheUsersFormats) {
  const SYSTEMTIME t{2026, 12, 4, 10, 0, 5, 9, 0};
  common::WriteStoreString(HKEY_CURRENT_USER, "Control Panel\\International", "sShortDate",
                           "yyyy-MM-dd");
  common::WriteStoreString(HKEY_CURRENT_USER, "Control Panel\\International", "sTimeFormat",
                           "h:mm:ss tt");
  EXPECT_EQ(common::LocalDateTimeText(t), "2026-12-10 12:05 AM");
  common::WriteStoreString(HKEY_CURRENT_USER, "Control Panel\\International", "sTimeFormat",
                           "HH:mm:ss");
  EXPECT_EQ(common::LocalDateTimeText(t), "2026-12-10 00:05");

  const std::string file = scratch_ + "\\a.txt";
  WriteFile(file, "x");
  const std::string created = common::FileCreationTimeText(file);
  EXPECT_EQ(created.size(), 16u) << created;
  EXPECT_EQ(created[4], '/');
  EXPECT_EQ(common::FileCreationTimeText(scratch_ + "\\missing.txt"), "");
}

TEST_F(UtilitiesTest, DataAndHostsFolders) {
  common::WriteStoreString(HKEY_CURRENT_USER,
                           "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                           "AppData", scratch_);
  EXPECT_EQ(common::DataFolder(), scratch_ + "\\Obrivo");
  EXPECT_TRUE(win32::IsExistingDirectory(scratch_ + "\\Obrivo\\vault"));
  ::RemoveDirectoryW(win32::Wide(scratch_ + "\\Obrivo\\vault").c_str());
  ::RemoveDirectoryW(win32::Wide(scratch_ + "\\Obrivo").c_str());

  common::WriteStoreString(HKEY_CURRENT_USER,
                           "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                           "AppData", "Q:\\no\\such\\drive");
  EXPECT_EQ(common::DataFolder(), ProgramFolder()) << "a folder that cannot be made";

  EXPECT_EQ(common::HostsFilePath(), win32::SystemDirectory() + "\\drivers\\etc\\HOSTS");
}

}  // namespace
}  // namespace obrivo::test
