// File-type associations: what a look-up accepts, the rows the list gives, the baseline of a new
// and of an older store, Add and Remove of watched extensions, and the check with each answer.
#include "file_types/associations.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/items.h"
#include "core/alert_rules.h"
#include "core/history_codes.h"
#include "file_types/file_type_check.h"
#include "browser_test_env.h"
#include "file_types_env.h"
#include "string_ids.h"

namespace obrivo::test {
namespace {

using file_types::Association;
using file_types::FileTypeChange;

constexpr char kNotepad[] = "C:\\windows\\system32\\notepad.exe %1";

TEST_F(FileTypesTest, ALookUpNeedsALinkAndACommandThatAreStrings) {
  const std::string long2000 = "C:\\Tools\\" + std::string(1980, 'x') + ".exe %1";
  const std::string cyrillic = "C:\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\\\xD1\x80\xD0\xB5\xD0\xB4.exe \"%1\"";
  const struct {
    const char* what;
    DWORD type;
    std::vector<BYTE> data;  // empty: the value is written as text below
    std::string text;
    std::optional<std::string> command;  // expected (expanded); nothing: the look-up fails
  } cases[] = {
      {"plain", REG_SZ, {}, kNotepad, kNotepad},
      {"empty", REG_SZ, {}, "", std::nullopt},
      {"a number", REG_DWORD, {1, 0, 0, 0}, "", std::nullopt},
      {"bytes", REG_BINARY, {'a', 0, 'b', 0}, "", std::nullopt},
      {"unquoted with spaces", REG_SZ, {}, "C:\\Program Files\\Ed It\\ed.exe %1",
       "C:\\Program Files\\Ed It\\ed.exe %1"},
      {"2,000 characters", REG_SZ, {}, long2000, long2000},
      {"beyond ASCII", REG_SZ, {}, cyrillic, cyrillic},
      {"expandable", REG_EXPAND_SZ, {}, "%OBRIVO_FT_DIR%\\ed.exe %1", "C:\\ft\\ed.exe %1"},
  };
  ::SetEnvironmentVariableW(L"OBRIVO_FT_DIR", L"C:\\ft");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Text(HKEY_LOCAL_MACHINE, std::string(kMachineClasses) + ".tst", "", "tstfile");
    const std::string commandKey = std::string(kMachineClasses) + "tstfile" + kOpen;
    if (c.data.empty())
      Text(HKEY_LOCAL_MACHINE, commandKey, "", c.text, c.type);
    else
      SetRaw(HKEY_LOCAL_MACHINE, commandKey, "", c.type, c.data);
    for (const char* extension : {"tst", ".tst", "TST"}) {
      const auto found = file_types::LookUpAssociation(extension, 1);
      ASSERT_EQ(found.has_value(), c.command.has_value()) << extension;
      if (found) {
        EXPECT_EQ(found->link, "tstfile");
        EXPECT_EQ(found->command.Expanded(), *c.command);
      }
    }
  }
}

TEST_F(FileTypesTest, AClassWithoutCommandOrAMissingLinkGivesNoRow) {
  Text(HKEY_LOCAL_MACHINE, std::string(kMachineClasses) + ".abc", "", "abcfile");
  ASSERT_TRUE(win32::CreateKey(HKEY_LOCAL_MACHINE, std::string(kMachineClasses) + "abcfile",
                               KEY_WRITE));
  SetRaw(HKEY_CURRENT_USER, std::string(kFileExts) + ".abc", "ProgID", REG_DWORD, {1, 0, 0, 0});
  for (int kind = 1; kind <= 4; ++kind)
    EXPECT_FALSE(file_types::LookUpAssociation("abc", kind).has_value()) << kind;
  EXPECT_FALSE(file_types::LookUpAssociation("", 1).has_value());
  EXPECT_FALSE(file_types::LookUpAssociation("abc", 0).has_value());
}

TEST_F(FileTypesTest, EveryKindThatResolvesIsOneRowFoundByTheListedSpelling) {
  SetSystem(".txt", "txtfile", kNotepad);
  SetApplication(".txt", "ed.exe", "C:\\Ed\\ed.exe \"%1\"");
  SetProgId(".txt", "Ed.Text", "C:\\Ed\\ed.exe /t \"%1\"");
  SetSystem(".log", "logfile", "C:\\Log View\\lv.exe %1");  // unquoted with a space
  // A dot, mixed case, spaces around, an empty name and a name listed twice.
  SetList(" .TxT ;;log;LOG;");
  ASSERT_EQ(file_types::EnumFileTypes(), 4u);
  const struct {
    const char* text;
    int kind;
    const char* key;
    const char* command;
  } rows[] = {
      {".TxT", 1, "txtfile", kNotepad},
      {".TxT", 2, "ed.exe", "C:\\Ed\\ed.exe \"%1\""},
      {".TxT", 3, "Ed.Text", "C:\\Ed\\ed.exe /t \"%1\""},
      {".log", 1, "logfile", "C:\\Log View\\lv.exe %1"},
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const core::Item& item = common::Items().At(i);
    EXPECT_EQ(item.text, rows[i].text) << i;
    EXPECT_EQ(item.flag, rows[i].kind) << i;
    EXPECT_EQ(item.key, rows[i].key) << i;
    EXPECT_EQ(item.command, rows[i].command) << i;
    EXPECT_EQ(item.type, core::item_type::kFileType);
  }
  EXPECT_EQ(common::Items().At(0).title, "notepad")
      << "no description, no version information: the program's name";
  Text(HKEY_LOCAL_MACHINE, std::string(kMachineClasses) + "txtfile", "", "Text Document");
  file_types::EnumFileTypes();
  EXPECT_EQ(common::Items().At(0).title, "Text Document");
}

TEST_F(FileTypesTest, ANewStoreWatchesTheDefaultListAndAcceptsWhatIsThere) {
  SetSystem(".txt", "txtfile", kNotepad);
  SetSystem(".hta", "htafile", "C:\\windows\\system32\\mshta.exe \"%1\"");
  file_types::InitFileTypeBaseline();
  const std::string list = Stored("Class", "");
  EXPECT_EQ(list.rfind("AVI;BAT;", 0), 0u) << list;
  EXPECT_NE(list.find(";XLS;HTA;JSE;PS1;SCT;MSC;"), std::string::npos) << list;
  EXPECT_EQ(Stored("Ext", ""), "Do not edit.");
  EXPECT_EQ(Stored("Ext", ".TXT"), "txtfile");
  EXPECT_EQ(Stored("Class", "txtfile"), kNotepad);
  EXPECT_EQ(Stored("Ext", ".HTA"), "htafile");
}

TEST_F(FileTypesTest, AnExistingListStaysAndAMarkedBaselineIsNotTakenAgain) {
  SetSystem(".txt", "txtfile", kNotepad);
  SetList("txt;zzz;");
  file_types::InitFileTypeBaseline();
  EXPECT_EQ(Stored("Class", ""), "txt;zzz;") << "the user's list, no script types added";
  EXPECT_EQ(Stored("Class", "txtfile"), kNotepad);

  // Marked: a later start changes nothing, so a change is left for the check to find.
  SetSystem(".txt", "txtfile", "C:\\evil\\evil.exe %1");
  file_types::InitFileTypeBaseline();
  EXPECT_EQ(Stored("Class", "txtfile"), kNotepad);

  // A mark of 11 characters was an earlier version's unfinished one: taken again.
  Text(HKEY_CURRENT_USER, std::string(kStore) + "Ext", "", "Do not edit");
  file_types::InitFileTypeBaseline();
  EXPECT_EQ(Stored("Class", "txtfile"), "C:\\evil\\evil.exe %1");
  EXPECT_EQ(Stored("Ext", ""), "Do not edit.");
}

TEST_F(FileTypesTest, AddAcceptsTheTypedExtensionOrRefusesWithoutWriting) {
  SetSystem(".zip", "zipfile", "C:\\Zip\\zip.exe \"%1\"");
  SetList("TXT;");
  EXPECT_EQ(file_types::AddMonitoredFileType(" .Zip "), 0);
  EXPECT_EQ(Stored("Class", ""), "TXT;Zip;");
  EXPECT_EQ(Stored("Ext", ".Zip"), "zipfile");
  EXPECT_EQ(Stored("Class", "zipfile"), "C:\\Zip\\zip.exe \"%1\"") << "quotes kept";
  EXPECT_EQ(file_types::AddMonitoredFileType("nothing"), 0) << "no association: listed anyway";
  EXPECT_EQ(Stored("Class", ""), "TXT;Zip;nothing;");

  std::string list1015(1014, 'Q');
  list1015 += ";";
  const struct {
    std::string list;
    const char* typed;
    int refusal;
  } refusals[] = {
      {"TXT;", "txt", IDS_ALREADY_MONITORED},
      {"TXT;", ".tXt", IDS_ALREADY_MONITORED},
      {"TXT;", "  ", IDS_NOT_AN_EXTENSION},
      {"TXT;", "a;b", IDS_NOT_AN_EXTENSION},
      {list1015, "zip12", IDS_FILE_TYPE_LIST_FULL},
      {std::string(5000, 'W') + ";", "zip", IDS_FILE_TYPE_LIST_FULL},
  };
  for (const auto& r : refusals) {
    SCOPED_TRACE(r.typed);
    SetList(r.list);
    win32::UniqueKey ext = win32::OpenKey(HKEY_CURRENT_USER, std::string(kStore) + "Ext", KEY_READ);
    const std::size_t valuesBefore = ext ? win32::EnumValueNames(ext.get()).size() : 0;
    EXPECT_EQ(file_types::AddMonitoredFileType(r.typed), r.refusal);
    EXPECT_EQ(Stored("Class", ""), r.list);
    ext = win32::OpenKey(HKEY_CURRENT_USER, std::string(kStore) + "Ext", KEY_READ);
    EXPECT_EQ(ext ? win32::EnumValueNames(ext.get()).size() : 0, valuesBefore);
  }
  SetList(list1015);
  EXPECT_EQ(file_types::AddMonitoredFileType("zip1"), 0) << "1015 + 4 fits";
}

TEST_F(FileTypesTest, RemoveForgetsTheExtensionAndACommandNoOtherExtensionNames) {
  SetSystem(".txt", "txtfile", kNotepad);
  SetSystem(".log", "txtfile", kNotepad);
  SetSystem(".ini", "inifile", kNotepad);
  SetProgId(".txt", "Ed.Text", "C:\\Ed\\ed.exe \"%1\"");
  SetList("txt;log;ini;");
  file_types::InitFileTypeBaseline();
  ASSERT_EQ(Stored("ExtProgID", ".txt"), "Ed.Text");

  file_types::RemoveMonitoredFileType(".TXT");
  EXPECT_EQ(Stored("Class", ""), "log;ini;");
  for (const char* key : {"Ext", "ExtApp", "ExtProgID"}) EXPECT_EQ(Stored(key, ".txt"), "") << key;
  EXPECT_EQ(Stored("Class", "txtfile"), kNotepad) << ".log still names it";
  EXPECT_EQ(Stored("Class", "Ed.Text"), "") << "nothing else names it";

  file_types::RemoveMonitoredFileType("ini");
  EXPECT_EQ(Stored("Class", ""), "log;");
  EXPECT_EQ(Stored("Class", "inifile"), "");
  EXPECT_EQ(SystemCommand("inifile"), kNotepad) << "the association itself stays";
}

// The check's answers, each from a baseline of notepad for .txt.
class FileTypeCheck : public FileTypesTest {
 protected:
  void SetUp() override {
    FileTypesTest::SetUp();
    SetSystem(".txt", "txtfile", "%SystemRoot%\\system32\\notepad.exe \"%1\"", REG_EXPAND_SZ);
    SetList("txt;");
    file_types::InitFileTypeBaseline();
  }

  std::size_t Verify(int answer, bool locked = false) {
    file_types::FileTypeCheckHooks hooks;
    hooks.locked = locked;
    hooks.ask = [this, answer](const FileTypeChange& change) {
      asked.push_back(change);
      return answer;
    };
    hooks.restoreFailed = [this](const FileTypeChange& change) { failed.push_back(change); };
    return file_types::VerifyFileTypes(hooks);
  }

  std::vector<FileTypeChange> asked, failed;
};

TEST_F(FileTypeCheck, OnlyAnotherProgramOrOtherArgumentsAreAChange) {
  const struct {
    const char* command;
    bool change;
  } cases[] = {
      {"%SystemRoot%\\system32\\notepad.exe \"%1\"", false},
      {"D:\\Moved\\NOTEPAD.EXE \"%1\"", false},                 // another folder only
      {"C:\\windows\\system32\\wordpad.exe \"%1\"", true},      // another program
      {"%SystemRoot%\\system32\\notepad.exe /p \"%1\"", true},  // other arguments
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    SetSystem(".txt", "txtfile", c.command);
    asked.clear();
    EXPECT_EQ(Verify(0), 1u);
    EXPECT_EQ(asked.size(), c.change ? 1u : 0u);
  }
}

TEST_F(FileTypeCheck, YesAcceptsNoPutsTheExactCommandBackAndNoAnswerDecidesNothing) {
  const std::string accepted = "%SystemRoot%\\system32\\notepad.exe \"%1\"";
  const std::string changed = "C:\\Program Files\\Evil Editor\\evil.exe %1";
  SetSystem(".txt", "txtfile", changed);

  Verify(0);  // no alert could be shown
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].extension, ".txt");
  EXPECT_EQ(asked[0].newCommand, changed);
  EXPECT_EQ(asked[0].previousCommand, win32::ExpandEnvironment(accepted)) << "shown expanded";
  EXPECT_EQ(SystemCommand("txtfile"), changed);
  Verify(0);
  EXPECT_EQ(asked.size(), 2u) << "asked again";

  Verify(core::kAlertNo);
  const win32::RegValue back =
      Raw(HKEY_LOCAL_MACHINE, std::string(kMachineClasses) + "txtfile" + kOpen, "");
  EXPECT_EQ(back.type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(win32::StringFromValue(back), accepted) << "quotes, variables and type as they were";
  asked.clear();
  Verify(core::kAlertNo);
  EXPECT_TRUE(asked.empty());

  SetSystem(".txt", "txtfile", changed);
  Verify(core::kAlertYes);
  EXPECT_EQ(Stored("Class", "txtfile"), changed);
  asked.clear();
  Verify(core::kAlertNo);
  EXPECT_TRUE(asked.empty()) << "accepted: no longer a change";
  EXPECT_TRUE(failed.empty());
}

TEST_F(FileTypeCheck, ALinkPointedElsewhereIsPutBackToo) {
  SetApplication(".txt", "ed.exe", "C:\\Ed\\ed.exe %1");
  Verify(0);
  EXPECT_TRUE(asked.empty()) << "a kind without baseline is accepted silently";
  EXPECT_EQ(Stored("ExtApp", ".txt"), "ed.exe");

  SetApplication(".txt", "evil.exe", "C:\\Evil\\evil.exe %1");
  Verify(core::kAlertNo);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].kind, 2);
  EXPECT_EQ(Read(HKEY_CURRENT_USER, std::string(kFileExts) + ".txt", "Application"), "ed.exe");
  EXPECT_EQ(Read(HKEY_CLASSES_ROOT, std::string("Applications\\ed.exe") + kOpen, ""),
            "C:\\Ed\\ed.exe %1");
}

TEST_F(FileTypeCheck, LockedPutsBackWithoutAskingAndAFailedWriteIsSaid) {
  SetSystem(".txt", "txtfile", "C:\\Evil\\evil.exe %1");
  Verify(core::kAlertYes, true);
  EXPECT_TRUE(asked.empty());
  EXPECT_NE(SystemCommand("txtfile").find("notepad.exe"), std::string::npos);

  SetSystem(".txt", "txtfile", "C:\\Evil\\evil.exe %1");
  win32::UniqueKey key = win32::OpenKey(
      HKEY_LOCAL_MACHINE, std::string(kMachineClasses) + "txtfile" + kOpen, KEY_ALL_ACCESS | WRITE_DAC);
  ASSERT_TRUE(key);
  SetKeyDacl(key.get(), L"D:(A;;KR;;;WD)");  // readable, so the change is seen; not writable
  Verify(core::kAlertNo);
  SetKeyDacl(key.get(), L"D:(A;;KA;;;WD)");
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_EQ(failed[0].extension, ".txt");
  EXPECT_EQ(SystemCommand("txtfile"), "C:\\Evil\\evil.exe %1");
}

}  // namespace
}  // namespace obrivo::test
