// The delayed-start list against the registry and the file system: each kind of startup entry
// moved into the list and back exactly as it stood, the entries that must stay, one program in
// two hives, the listing, the options, Remove's drop, and starting a listed program.
#include "startup/delayed_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/registry.h"
#include "common/win32/shell_link.h"
#include "common/win32/wide.h"
#include "core/text.h"
#include "file_bytes.h"
#include "startup/startup_locations.h"
#include "startup_actions_env.h"
#include "system/processes.h"
#include "test_process.h"

namespace obrivo::startup {
namespace {

using namespace std::chrono_literals;
using test::kBaselineKey;
using test::kVersionKey;
using test::Value;

const HKEY kLM = HKEY_LOCAL_MACHINE;
const HKEY kCU = HKEY_CURRENT_USER;
const std::string kRun = kVersionKey + "\\Run";
const std::string kDelay = "Software\\Tolvane\\Obrivo\\Delay";

// A value with its type, exactly as stored.
struct Typed {
  std::string text;
  DWORD type = 0;
  bool operator==(const Typed&) const = default;
};

std::optional<Typed> TypedValue(HKEY hive, const std::string& key, const std::string& name) {
  const auto k = win32::OpenKey(hive, key, KEY_READ);
  if (!k) return std::nullopt;
  const auto value = win32::QueryValue(k.get(), name);
  if (!value) return std::nullopt;
  return Typed{win32::StringFromValue(*value).value_or(""), value->type};
}

void WriteTyped(HKEY hive, const std::string& key, const std::string& name, const Typed& value) {
  const auto k = win32::CreateKey(hive, key, KEY_ALL_ACCESS);
  ASSERT_TRUE(k);
  ASSERT_TRUE(win32::SetStringValue(k.get(), name, value.text, value.type));
}

class DelayedList : public test::StartupActionsTest {
 protected:
  void SetUp() override {
    StartupActionsTest::SetUp();
    root_ = common::ProgramFolder() + "\\delayed-list";
    startupFolder_ = root_ + "\\startup";
    for (const std::string& folder : {root_, startupFolder_})
      ASSERT_TRUE(win32::EnsureDirectory(folder)) << folder;
    Write(kCU, kVersionKey + "\\Explorer\\Shell Folders", "Startup", startupFolder_);
  }
  void TearDown() override {
    std::error_code ignored;
    for (const std::string& folder : {root_, common::ProgramFolder() + "\\Delayed"})
      std::filesystem::remove_all(std::filesystem::path(win32::Wide(folder)), ignored);
    StartupActionsTest::TearDown();
  }

  static std::optional<core::Item> Listed(int code, const std::string& name) {
    return test::ListedStartupEntry(code, name);
  }

  static std::optional<std::string> ListValue(HKEY hive, const std::string& sub,
                                              const std::string& name) {
    return Value(hive, sub.empty() ? kDelay : kDelay + "\\" + sub, name);
  }

  static const std::function<bool()> kYes;
  std::string root_, startupFolder_;
};

const std::function<bool()> DelayedList::kYes = [] { return true; };

TEST_F(DelayedList, EachKindOfEntryGoesIntoTheListAndBackExactlyAsItStood) {
  const struct {
    int code;
    HKEY hive;
    std::string key, name;
    Typed stood;
    HKEY listHive;
    std::string program, parameters, applet;
  } cases[] = {
      // Quotes around a path with a space, and a switch.
      {11,
       kCU,
       kRun,
       "Agent",
       {"\"C:\\Program Files\\Agent\\agent.exe\" /tray", REG_SZ},
       kCU,
       "C:\\PROGRAM FILES\\AGENT\\AGENT.EXE",
       "/tray",
       ""},
      // An expandable command stays expandable.
      {11,
       kCU,
       kRun,
       "Pad",
       {"%SystemRoot%\\notepad.exe -x", REG_EXPAND_SZ},
       kCU,
       "C:\\WINDOWS\\NOTEPAD.EXE",
       "-x",
       ""},
      // The machine's entries stay the machine's; a RUNDLL32 entry keeps its host.
      {1,
       kLM,
       kRun,
       "Hook",
       {"RUNDLL32.EXE C:\\Tools\\hook.dll,Start now", REG_SZ},
       kLM,
       "C:\\TOOLS\\HOOK.DLL",
       ",Start now",
       "RunDLL32.exe"},
      {12,
       kCU,
       kVersionKey + "\\RunOnce",
       "Once",
       {"C:\\once.exe", REG_SZ},
       kCU,
       "C:\\ONCE.EXE",
       "",
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteTyped(c.hive, c.key, c.name, c.stood);
    const auto item = Listed(c.code, c.name);
    ASSERT_TRUE(item);
    ASSERT_EQ(MoveToDelayed(*item, kYes), DelayMove::Moved);
    EXPECT_EQ(TypedValue(c.hive, c.key, c.name), std::nullopt) << "gone from its key";
    EXPECT_EQ(ListValue(c.listHive, "", c.program), std::to_string(c.code));
    EXPECT_EQ(ListValue(c.listHive, "Time", c.program), "30");
    EXPECT_EQ(ListValue(c.listHive, "Parameters", c.program),
              c.parameters.empty() ? std::nullopt : std::optional(c.parameters));
    EXPECT_EQ(ListValue(c.listHive, "Applet", c.program),
              c.applet.empty() ? std::nullopt : std::optional(c.applet));
    EXPECT_EQ(Value(kCU, kBaselineKey, core::ValueNameForm(item->path)), "1103");

    const auto entry =
        FindDelayedEntry(c.listHive == kLM ? DelayHive::Machine : DelayHive::User, c.program);
    ASSERT_TRUE(entry);
    ASSERT_TRUE(RestoreFromDelayed(*entry, true));
    EXPECT_EQ(TypedValue(c.hive, c.key, c.name), c.stood) << "back as it stood";
    EXPECT_EQ(ListValue(c.listHive, "", c.program), std::nullopt) << "no longer listed";
    EXPECT_NE(Value(kCU, kBaselineKey, core::ValueNameForm(item->path)), "1103")
        << "accepted where it stands again";
    ::RegDeleteKeyValueW(c.hive, win32::Wide(c.key).c_str(), win32::Wide(c.name).c_str());
  }
}

TEST_F(DelayedList, AStartupFolderShortcutGoesBackWithItsArgumentsAndEverythingElse) {
  const std::string shortcut = startupFolder_ + "\\agent.lnk";
  win32::ShellLinkFields fields;
  fields.target = "C:\\windows\\notepad.exe";
  fields.arguments = "-tray \"two words\"";
  fields.description = "Agent";
  fields.workingDirectory = root_;
  ASSERT_TRUE(win32::CreateShellLink(shortcut, fields));
  const std::string before = test::ReadBytes(shortcut);

  const auto item = Listed(200, "Agent");
  ASSERT_TRUE(item);
  ASSERT_EQ(MoveToDelayed(*item, kYes), DelayMove::Moved);
  EXPECT_FALSE(win32::IsExistingFile(shortcut));
  const std::string program = "C:\\WINDOWS\\NOTEPAD.EXE";
  EXPECT_EQ(ListValue(kCU, "", program), "200");
  EXPECT_EQ(ListValue(kCU, "Parameters", program), "-tray \"two words\"");
  EXPECT_TRUE(core::EqualsNoCase(ListValue(kCU, "Shortcuts", program).value_or(""), shortcut));

  ASSERT_TRUE(RestoreAllDelayed());
  EXPECT_EQ(test::ReadBytes(shortcut), before) << "the very shortcut, not a new one";
  EXPECT_FALSE(FindDelayedEntry(DelayHive::User, program));
}

TEST_F(DelayedList, AWinIniEntryGoesBackIntoItsList) {
  test::SetWinIniList("load", "C:\\first.exe;C:\\agent.exe");
  const auto item = Listed(100, "C:\\agent.exe");
  ASSERT_TRUE(item);
  ASSERT_EQ(MoveToDelayed(*item, kYes), DelayMove::Moved);
  EXPECT_EQ(test::WinIniList("load"), "C:\\first.exe;");
  const auto entry = FindDelayedEntry(DelayHive::User, "C:\\AGENT.EXE");
  ASSERT_TRUE(entry);
  ASSERT_TRUE(RestoreFromDelayed(*entry, true));
  EXPECT_NE(test::WinIniList("load").find("C:\\agent.exe"), std::string::npos);
}

TEST_F(DelayedList, EntriesThatMustStayOrAreDeclinedStayWhereTheyAre) {
  Write(kLM, kRun, "Machine", "C:\\machine.exe");
  Write(kLM, "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run", "View32",
        "C:\\view32.exe");
  Write(kCU, kRun, "Obrivo", common::ProgramFolder() + "\\Obrivo.exe -expressboot");
  auto machine = Listed(1, "Machine");
  ASSERT_TRUE(machine);
  EXPECT_EQ(MoveToDelayed(*machine, [] { return false; }), DelayMove::Declined);
  EXPECT_EQ(Value(kLM, kRun, "Machine"), "C:\\machine.exe");

  core::Item userinit;
  userinit.type = 250;
  userinit.title = "userinit";
  userinit.path = "C:\\windows\\system32\\userinit.exe";
  EXPECT_EQ(MoveToDelayed(userinit, kYes), DelayMove::MustStay);
  if (const auto view32 = Listed(21, "View32")) {
    EXPECT_EQ(MoveToDelayed(*view32, kYes), DelayMove::MustStay);
  }
  const auto self = Listed(11, "Obrivo");
  ASSERT_TRUE(self);
  EXPECT_EQ(MoveToDelayed(*self, kYes), DelayMove::MustStay);
  EXPECT_TRUE(Value(kCU, kRun, "Obrivo").has_value());
  EXPECT_TRUE(ReadDelayedList().empty());
}

TEST_F(DelayedList, OneProgramIsListedOncePerHive) {
  Write(kLM, kRun, "Tool", "C:\\tool.exe -machine");
  Write(kCU, kRun, "Tool", "C:\\tool.exe -user");
  Write(kCU, kVersionKey + "\\RunOnce", "Tool again", "C:\\tool.exe -again");
  ASSERT_EQ(MoveToDelayed(*Listed(1, "Tool"), kYes), DelayMove::Moved);
  ASSERT_EQ(MoveToDelayed(*Listed(11, "Tool"), kYes), DelayMove::Moved);
  // A second entry of the program in one hive would overwrite what brings the first back.
  EXPECT_EQ(MoveToDelayed(*Listed(12, "Tool again"), kYes), DelayMove::AlreadyListed);
  EXPECT_EQ(Value(kCU, kVersionKey + "\\RunOnce", "Tool again"), "C:\\tool.exe -again");

  ASSERT_EQ(EnumDelayed(), 2u);
  EXPECT_EQ(common::ItemFlag(0), 0) << "the machine's first";
  EXPECT_EQ(common::ItemFlag(1), 1);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(common::ItemPath(i), "C:\\TOOL.EXE");
    EXPECT_EQ(common::ItemTitle(i), "Tool") << "the moved entry's title";
  }
  ASSERT_TRUE(RestoreAllDelayed());
  EXPECT_EQ(Value(kLM, kRun, "Tool"), "C:\\tool.exe -machine");
  EXPECT_EQ(Value(kCU, kRun, "Tool"), "C:\\tool.exe -user");
}

TEST_F(DelayedList, AddedProgramsOptionsAndDrop) {
  const std::string missing = "C:\\nowhere\\gone.exe";
  ASSERT_TRUE(AddDelayedProgram(missing, DelayHive::Machine));
  EXPECT_FALSE(AddDelayedProgram(missing, DelayHive::Machine)) << "listed already";
  ASSERT_EQ(EnumDelayed(), 1u) << "a file that is gone stays listed";
  EXPECT_EQ(common::ItemType(0), 1);
  EXPECT_EQ(common::ItemTitle(0), "GONE.EXE") << "the file name of the value's name";

  auto entry = FindDelayedEntry(DelayHive::Machine, "C:\\NOWHERE\\GONE.EXE");
  ASSERT_TRUE(entry);
  auto options = ReadDelayOptions(*entry);
  ASSERT_TRUE(options);
  EXPECT_EQ(options->seconds, 30);
  EXPECT_EQ(options->openAs, 0);
  options->seconds = 95;
  options->openAs = 2;
  options->parameters = "-q \"a b\" \xC3\xA9t\xC3\xA9";
  options->title = "Gone for good";
  ASSERT_TRUE(WriteDelayOptions(*entry, *options));
  entry = FindDelayedEntry(DelayHive::Machine, "C:\\NOWHERE\\GONE.EXE");
  EXPECT_EQ(ReadDelayOptions(*entry)->parameters, options->parameters);
  EXPECT_EQ(DelaySecondsOf(*entry), 95);
  EXPECT_EQ(Value(kCU, kDelay + "\\OpenAs", entry->name), "2") << "the window mode is the user's";
  EnumDelayed();
  EXPECT_EQ(common::ItemTitle(0), "Gone for good");

  // Remove answered No: neither in the list nor anywhere else.
  ASSERT_TRUE(DropDelayedEntry(entry->name, DelayHive::Machine));
  EXPECT_EQ(EnumDelayed(), 0u);
  EXPECT_FALSE(Value(kLM, kRun, "Gone for good").has_value());
}

TEST_F(DelayedList, StoredDelaysThatAreNotPositiveNumbersAreTheShortest) {
  ASSERT_TRUE(AddDelayedProgram("C:\\a.exe", DelayHive::User));
  const struct {
    Typed time;
    int seconds;
  } cases[] = {{{"abc", REG_SZ}, 10}, {{"-5", REG_SZ}, 10},       {{"0", REG_SZ}, 10},
               {{"7", REG_SZ}, 7},    {{"86400", REG_SZ}, 86400}, {{"", REG_SZ}, 10}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.time.text);
    WriteTyped(kCU, kDelay + "\\Time", "C:\\A.EXE", c.time);
    EXPECT_EQ(DelaySecondsOf(*FindDelayedEntry(DelayHive::User, "C:\\A.EXE")), c.seconds);
  }
  const auto k = win32::CreateKey(kCU, kDelay + "\\Time", KEY_ALL_ACCESS);
  ASSERT_TRUE(win32::SetDwordValue(k.get(), "C:\\A.EXE", 60));
  EXPECT_EQ(DelaySecondsOf(*FindDelayedEntry(DelayHive::User, "C:\\A.EXE")), 10)
      << "not text: the shortest delay";
}

TEST_F(DelayedList, StartingAListedProgram) {
  const std::string folder = root_ + "\\programs";
  ASSERT_TRUE(win32::EnsureDirectory(folder));
  const std::string program = folder + "\\recorder.exe";
  ASSERT_TRUE(::CopyFileW(
      (test::HostToWine(test::EnvVar(L"OBRIVO_BIN_DIR")) + L"\\obrivo_test_helper.exe").c_str(),
      win32::Wide(program).c_str(), FALSE));
  const std::string record = folder + "\\args.txt";

  DelayedEntry entry;
  entry.name = core::ToUpper(program);
  entry.parameters = "record " + record + " -q \"a b\" \xC3\xA9t\xC3\xA9";
  EXPECT_EQ(LaunchDelayedEntry(entry), DelayLaunch::Started);
  ASSERT_TRUE(test::WaitUntil([&] { return win32::IsExistingFile(record); }, 10s));
  ASSERT_TRUE(test::WaitUntil([&] { return test::ProcessesIn(win32::Wide(folder)).empty(); }, 10s));
  EXPECT_EQ(test::ReadBytes(record), "-q \"a b\" \xC3\xA9t\xC3\xA9") << "the parameters as written";

  test::Process running(win32::Wide(program), L"wait");
  ASSERT_TRUE(test::WaitUntil([&] { return system::FindProcessByPath(program) != 0; }, 10s));
  entry.parameters = "record " + record + " again";
  EXPECT_EQ(LaunchDelayedEntry(entry), DelayLaunch::AlreadyRunning);
  running.Kill();

  entry.name = "C:\\NOWHERE\\GONE.EXE";
  EXPECT_EQ(LaunchDelayedEntry(entry), DelayLaunch::Missing);
  entry.name = core::ToUpper(program);
  entry.applet = "C:\\nowhere\\host.exe";
  EXPECT_EQ(LaunchDelayedEntry(entry), DelayLaunch::Failed) << "a host that is gone";
}

}  // namespace
}  // namespace obrivo::startup
