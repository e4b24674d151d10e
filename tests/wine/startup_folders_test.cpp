// The Startup folders (shortcuts resolved through the shell link object, program files by their
// description, other files by name) and the fields of the advanced locations: the shell's
// delay-loaded objects and hooks, AppInit_DLLs and Winlogon Notify.
#include <iterator>

#include "common/store.h"
#include "common/win32/shell_link.h"
#include "core/text.h"
#include "startup_test_env.h"

namespace obrivo::test {
namespace {

class StartupFoldersTest : public StartupTest {
 protected:
  std::string Shortcut(const std::string& path, const std::string& target,
                       const std::string& description) {
    win32::ShellLinkFields fields;
    fields.target = target;
    fields.description = description;
    fields.workingDirectory = common::FolderOfProgram(target);
    fields.iconPath = target;
    EXPECT_TRUE(win32::CreateShellLink(path, fields)) << path;
    Remember(path);
    return path;
  }
  static std::vector<core::Item> Keyed(const std::string& key) {
    std::vector<core::Item> items;
    for (const core::Item& item : Listed())
      if (core::EqualsNoCase(item.key, key)) items.push_back(item);
    return items;
  }
  static std::vector<core::Item> AtPath(const std::string& path) {
    std::vector<core::Item> items;
    for (const core::Item& item : Listed())
      if (core::EqualsNoCase(item.path, path)) items.push_back(item);
    return items;
  }
};

TEST_F(StartupFoldersTest, ShortcutsAreCreatedAndResolvedBackToTheirTarget) {
  const std::string target = CopyOf(Plain(), scratch_ + "\\target program.exe");
  const std::string link = scratch_ + "\\link.lnk";
  win32::ShellLinkFields fields{target, "-tray \"x y\"", "Described shortcut", scratch_, target, 0};
  ASSERT_TRUE(win32::CreateShellLink(link, fields));
  Remember(link);
  const auto resolved = win32::ResolveShellLink(link);
  ASSERT_TRUE(resolved);
  EXPECT_TRUE(core::EqualsNoCase(resolved->path, target)) << resolved->path;
  EXPECT_EQ(resolved->arguments, "-tray \"x y\"");
  EXPECT_EQ(resolved->description, "Described shortcut");
  EXPECT_TRUE(
      core::EqualsNoCase(core::RemoveTrailingBackslash(resolved->workingDirectory), scratch_));

  // Gone targets, files that are not shortcuts and missing files resolve to nothing.
  const std::string doomed = MakeFile(scratch_ + "\\doomed.exe");
  const std::string toDoomed = scratch_ + "\\to-doomed.lnk";
  ASSERT_TRUE(win32::CreateShellLink(toDoomed, {doomed, "", "", "", "", 0}));
  Remember(toDoomed);
  ::DeleteFileW(win32::Wide(doomed).c_str());
  EXPECT_FALSE(win32::ResolveShellLink(toDoomed));
  EXPECT_FALSE(win32::ResolveShellLink(MakeFile(scratch_ + "\\text.lnk", "not a shortcut")));
  EXPECT_FALSE(win32::ResolveShellLink(scratch_ + "\\absent.lnk"));
  EXPECT_FALSE(win32::CreateShellLink(scratch_ + "\\no folder\\x.lnk", fields));
}

TEST_F(StartupFoldersTest, FolderEntriesByKind) {
  const std::string user = MakeFolder(scratch_ + "\\Startup");
  const std::string machine = MakeFolder(scratch_ + "\\Common Startup");
  SetString(HKEY_CURRENT_USER, std::string(core::kShellFoldersKey), "Startup", user);
  SetString(HKEY_LOCAL_MACHINE, std::string(core::kShellFoldersKey), "Common Startup",
            machine + "\\");
  // The same folder named again is not listed twice; an empty name lists nothing.
  SetString(HKEY_CURRENT_USER, std::string(core::kShellFoldersKey), "Common Startup", user + "\\");
  SetString(HKEY_LOCAL_MACHINE, std::string(core::kShellFoldersKey), "Startup", "");

  const std::string described = CopyOf(Described(), scratch_ + "\\described.exe");
  const std::string plain = CopyOf(Plain(), scratch_ + "\\plain.exe");
  const std::string withText = Shortcut(user + "\\with text.lnk", plain, "My own words");
  const std::string byVersion = Shortcut(user + "\\by version.lnk", described, "");
  const std::string unnamed = Shortcut(user + "\\unnamed.LNK", plain, "");
  const std::string goneTarget = MakeFile(scratch_ + "\\gone.exe");
  Shortcut(user + "\\to gone.lnk", goneTarget, "Gone");
  ::DeleteFileW(win32::Wide(goneTarget).c_str());
  MakeFile(user + "\\broken.lnk", "not a shortcut");
  const std::string program = CopyOf(Described(), user + "\\program.EXE");
  const std::string bare = CopyOf(Plain(), user + "\\bare.exe");
  const std::string notes = MakeFile(user + "\\Read me.txt");
  const std::string pif = MakeFile(user + "\\old.pif");
  MakeFile(user + "\\desktop.ini");
  MakeFolder(user + "\\sub.exe");
  const std::string machineFile = MakeFile(machine + "\\machine.cmd");
  const std::string nonAscii = MakeFile(user + "\\Запуск.bat");

  startup::EnumStartup(false);
  const struct {
    std::string key;  // the shortcut or program file; empty for other files
    std::string path;
    std::string title;
  } cases[] = {
      {withText, plain, "My own words"},
      {byVersion, described, "Waiting Fixture Program"},  // the target's description
      {unnamed, plain, "plain"},                          // nothing: the target's name
      {program, program, "Waiting Fixture Program"},
      {bare, bare, "bare"},
      {"", notes, "Read me"},
      {"", pif, "old"},
      {"", machineFile, "machine"},
      {"", nonAscii, "Запуск"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path + " " + c.key);
    std::vector<core::Item> items;
    for (const core::Item& item : AtPath(c.path))
      if (core::EqualsNoCase(item.key, c.key)) items.push_back(item);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].type, core::kStartupFolder);
    EXPECT_EQ(items[0].title, c.title);
    EXPECT_TRUE(items[0].text.empty());
    EXPECT_EQ(items[0].flag, 0);
  }
  EXPECT_EQ(OfType(core::kStartupFolder).size(), std::size(cases))
      << "no gone target, broken shortcut, desktop.ini or subfolder, and no folder twice";
  EXPECT_TRUE(Titled("Gone").empty());
  EXPECT_TRUE(core::EqualsNoCase(Listed().front().path, machineFile)) << "machine folder first";
}

TEST_F(StartupFoldersTest, AShortcutIsKnownByItsTargetAndItsArguments) {
  const std::string user = MakeFolder(scratch_ + "\\Startup");
  SetString(HKEY_CURRENT_USER, std::string(core::kShellFoldersKey), "Startup", user);
  const std::string shell = CopyOf(Plain(), scratch_ + "\\cmd.exe");
  const std::string spaced = CopyOf(Plain(), scratch_ + "\\target program.exe");
  const struct {
    const char* link;
    std::string target, arguments;
    std::string path;  // as listed: the list keeps no quotes
  } cases[] = {
      {"first.lnk", shell, "/c first.bat", shell + " /c first.bat"},
      {"second.lnk", shell, "/c second.bat", shell + " /c second.bat"},
      {"plain.lnk", shell, "", shell},  // as before arguments counted
      {"spaced.lnk", spaced, "-tray -x", spaced + " -tray -x"},
      {"spaced plain.lnk", spaced, "", spaced},
  };
  for (const auto& c : cases) {
    win32::ShellLinkFields fields{c.target, c.arguments, "", "", "", 0};
    ASSERT_TRUE(win32::CreateShellLink(user + "\\" + c.link, fields));
    Remember(user + "\\" + c.link);
  }
  startup::EnumStartup(false);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.link);
    const auto items = Keyed(user + "\\" + c.link);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_TRUE(core::EqualsNoCase(items[0].path, c.path)) << items[0].path;
    EXPECT_EQ(items[0].title, core::TitleFromPath(c.target)) << "named by the target's file";
    // What a restored shortcut is made of: the same target and arguments.
    const core::CommandParts parts = win32::SplitShellLinkCommandLine(items[0].path);
    EXPECT_TRUE(core::EqualsNoCase(parts.program, c.target)) << parts.program;
    EXPECT_EQ(parts.arguments, c.arguments);
  }
  EXPECT_EQ(OfType(core::kStartupFolder).size(), std::size(cases)) << "one entry per shortcut";
}

TEST_F(StartupFoldersTest, TheProgramsDisabledFolderIsListedAfterTheDisabledEntries) {
  const std::string folder = common::ProgramFolder() + "\\Disabled";
  if (::CreateDirectoryW(win32::Wide(folder).c_str(), nullptr)) Remember(folder);
  const std::string moved = CopyOf(Described(), folder + "\\moved.exe");
  const std::string link = Shortcut(folder + "\\moved link.lnk", moved, "Moved shortcut");
  common::WriteStoreString(HKEY_LOCAL_MACHINE, "Software\\Tolvane\\Obrivo\\Disabled\\Run", "Off",
                           "C:\\Fixture\\off.exe");
  common::WriteStoreString(HKEY_LOCAL_MACHINE, "Software\\Tolvane\\Obrivo\\Disabled", "Off", "1");
  startup::EnumStartup(false);
  const auto items = Listed();
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].title, "Off");
  const auto program = Keyed(moved);
  ASSERT_EQ(program.size(), 1u);
  EXPECT_EQ(program[0].title, "Waiting Fixture Program");
  const auto shortcut = Keyed(link);
  ASSERT_EQ(shortcut.size(), 1u);
  EXPECT_EQ(shortcut[0].title, "Moved shortcut");
  EXPECT_TRUE(core::EqualsNoCase(shortcut[0].path, moved));
}

TEST_F(StartupFoldersTest, AdvancedLocationsCarryServerVersionAndCompany) {
  const std::string delayClsid = "{0B0B0B0B-0000-0000-0000-000000000001}";
  const std::string taskClsid = "{0B0B0B0B-0000-0000-0000-000000000002}";
  const std::string hookClsid = "{0B0B0B0B-0000-0000-0000-000000000003}";
  SetString(HKEY_LOCAL_MACHINE, std::string(core::kDelayLoadKey), "Fixture delay", delayClsid);
  SetString(HKEY_CLASSES_ROOT, "CLSID\\" + delayClsid + "\\InprocServer32", "", Described());
  SetString(HKEY_LOCAL_MACHINE, std::string(core::kSharedTaskSchedulerKey), taskClsid, "");
  SetString(HKEY_CLASSES_ROOT, "CLSID\\" + taskClsid, "", "Fixture scheduler class");
  SetString(HKEY_CLASSES_ROOT, "CLSID\\" + taskClsid + "\\InprocServer32", "", OsProduct());
  SetString(HKEY_LOCAL_MACHINE, std::string(core::kShellExecuteHooksKey), hookClsid,
            "Fixture hook");
  SetString(HKEY_LOCAL_MACHINE, std::string(core::kWindowsNtWindowsKey), "AppInit_DLLs",
            OsProduct() + ", " + NoProduct() + ",," + Described());
  const std::string notify = std::string(core::kWinlogonNotifyKey);
  SetString(HKEY_LOCAL_MACHINE, notify + "\\Fixture package", "DllName", Described());
  SetString(HKEY_LOCAL_MACHINE, notify + "\\Emptied package", "DllName", "");
  SetString(HKEY_LOCAL_MACHINE, notify + "\\Emptied package", "OldName", Described());
  win32::CreateKey(HKEY_LOCAL_MACHINE, notify + "\\No dll", KEY_WRITE);

  startup::EnumStartup(false);
  const struct {
    int code;
    std::string title, path, key, text;
  } cases[] = {
      {core::kDelayLoad, "Fixture delay", Described(), delayClsid, "2.5"},
      {core::kSharedTaskScheduler, "Fixture scheduler class", OsProduct(), taskClsid, "6.1.7601"},
      {core::kShellExecuteHooks, "Fixture hook", "", hookClsid, ""},  // no such class
      {core::kAppInitDlls, "Fixture Shell Component", OsProduct(), "Fixture Systems", "6.1.7601"},
      {core::kAppInitDlls, "version_no_product", NoProduct(), "", ""},
      {core::kAppInitDlls, "Fixture Waiter", Described(), "Fixture Works", "2.5"},
      {core::kWinlogonNotify, "Fixture package", Described(), "Waiting Fixture Program", "2.5"},
  };
  std::vector<core::Item> advanced;
  for (const core::Item& item : Listed())
    if (item.type >= core::kDelayLoad) advanced.push_back(item);
  ASSERT_EQ(advanced.size(), std::size(cases));
  for (std::size_t i = 0; i < advanced.size(); ++i) {
    SCOPED_TRACE(cases[i].title);
    EXPECT_EQ(advanced[i].type, cases[i].code);
    EXPECT_EQ(advanced[i].title, cases[i].title);
    EXPECT_TRUE(core::EqualsNoCase(advanced[i].path, cases[i].path)) << advanced[i].path;
    EXPECT_EQ(advanced[i].key, cases[i].key);
    EXPECT_EQ(advanced[i].text, cases[i].text);
    EXPECT_EQ(advanced[i].flag, 0);
  }
}

}  // namespace
}  // namespace obrivo::test
