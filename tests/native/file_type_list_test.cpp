// The watched-extension list: how it reads, what Add accepts and refuses, what Remove leaves,
// the default of a new store, and when two commands of an association differ.
#include "core/file_type_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>


namespace obrivo::core {
namespace {

using Names = std::vector<std::string>;

TEST(FileTypeList, ReadsTheNamesWhateverTheSpelling) {
  const struct {
    const char* list;
    Names names;
  } cases[] = {
      {"AVI;BAT;", {"AVI", "BAT"}},
      {"AVI;BAT", {"AVI", "BAT"}},                  // no final separator
      {".txt; Log ;;", {"txt", "Log"}},             // a dot, spaces and an empty name
      {"TXT;txt;.Txt;", {"TXT"}},                   // one extension, the first spelling
      {"", {}},
      {";;;", {}},
      {"t xt;", {"t xt"}},                          // a space inside is the name's own
      {"\xC3\xA9t\xC3\xA9;", {"\xC3\xA9t\xC3\xA9"}},  // beyond ASCII
  };
  for (const auto& c : cases) EXPECT_EQ(MonitoredExtensions(c.list), c.names) << c.list;
}

TEST(FileTypeList, ALongListReadsWhole) {
  std::string list;
  Names expected;
  for (int i = 0; list.size() < 5000; ++i) {
    expected.push_back("X" + std::to_string(i));
    list += expected.back() + ";";
  }
  EXPECT_EQ(MonitoredExtensions(list), expected);
}

TEST(FileTypeList, ANewStoreWatchesTheScriptTypesToo) {
  const std::string product = "AVI;BAT;JS;VBS;";
  const std::string list = DefaultMonitoredList(product);
  EXPECT_EQ(list, product + "HTA;JSE;PS1;SCT;MSC;") << "the product's own list comes first";
  // A product list that already names one keeps it once, as it spells it.
  EXPECT_EQ(DefaultMonitoredList("hta;"), "hta;JSE;PS1;SCT;MSC;");
}

TEST(FileTypeList, AddAcceptsOrRefusesByTheListAndTheTypedName) {
  std::string list1015(1014, 'A');
  list1015 += ";";  // 1015 characters
  const struct {
    std::string list;
    std::string typed;
    int refusal;
    std::string name;
    std::string stored;
  } cases[] = {
      {"AVI;TXT;", ".zip", 0, "zip", "AVI;TXT;zip;"},
      {"AVI;TXT;", "  Zip  ", 0, "Zip", "AVI;TXT;Zip;"},        // the case typed is kept
      {"AVI;TXT", "zip", 0, "zip", "AVI;TXT;zip;"},              // a list without final ";"
      {"", "txt", 0, "txt", "txt;"},
      {"AVI;TXT;", "txt", IDS_ALREADY_MONITORED, "txt", ""},
      {"AVI;TXT;", " .TxT", IDS_ALREADY_MONITORED, "TxT", ""},
      {"AVI;TXT;", "", IDS_NOT_AN_EXTENSION, "", ""},
      {"AVI;TXT;", " . ", IDS_NOT_AN_EXTENSION, "", ""},
      {"AVI;TXT;", "a;b", IDS_NOT_AN_EXTENSION, "a;b", ""},
      {"AVI;TXT;", "..\\x", IDS_NOT_AN_EXTENSION, "\\x", ""},
      {"AVI;TXT;", "..zip", 0, "zip", "AVI;TXT;zip;"},  // every dot in front goes
      {list1015, "ABCDE", IDS_FILE_TYPE_LIST_FULL, "ABCDE", ""},  // 1020 > 1019
      {list1015, "ABCD", 0, "ABCD", list1015 + "ABCD;"},          // 1019 fits
      {std::string(5000, 'B') + ";", "C", IDS_FILE_TYPE_LIST_FULL, "C", ""},
  };
  for (const auto& c : cases) {
    const AddDecision d = DecideAdd(c.list, c.typed);
    EXPECT_EQ(d.refusal, c.refusal) << c.typed;
    if (c.refusal == 0) {
      EXPECT_EQ(d.name, c.name) << c.typed;
      EXPECT_EQ(d.list, c.stored) << c.typed;
    }
  }
}

TEST(FileTypeList, RemoveLeavesEveryOtherName) {
  EXPECT_EQ(ListWithout("AVI;txt;BAT;TXT;", "TXT"), "AVI;BAT;");
  EXPECT_EQ(ListWithout("AVI;.txt ;BAT", ".txt"), "AVI;BAT;");
  EXPECT_EQ(ListWithout("AVI;BAT;", "zip"), "AVI;BAT;");
  EXPECT_EQ(ListWithout("txt;", "txt"), "");
}

TEST(FileTypeList, CommandsDifferByTheirTextAfterTheLastBackslash) {
  const struct {
    const char* baseline;
    const char* current;
    bool differ;
  } cases[] = {
      {"C:\\Windows\\notepad.exe %1", "D:\\Tools\\NOTEPAD.EXE %1", false},  // moved only
      {"C:\\Windows\\notepad.exe %1", "C:\\Windows\\wordpad.exe %1", true},
      {"C:\\Windows\\notepad.exe %1", "C:\\Windows\\notepad.exe /p %1", true},
      {"\"C:\\Program Files\\Ed\\ed.exe\" \"%1\"", "\"D:\\Ed\\ed.exe\" \"%1\"", false},
      {"notepad.exe %1", "notepad.exe %1", false},  // no backslash: the whole text
      {"notepad.exe %1", "C:\\evil\\notepad.exe %1", false},
      {"C:\\a.exe \"C:\\x\\%1\"", "C:\\a.exe \"C:\\y\\%1\"", false},  // a folder in an argument
  };
  for (const auto& c : cases)
    EXPECT_EQ(CommandTailsDiffer(c.baseline, c.current), c.differ) << c.baseline << " / " << c.current;
}

TEST(FileTypeList, DefaultIconAndCommandKinds) {
  const struct {
    const char* value;
    const char* file;
    int index;
  } icons[] = {
      {"C:\\Windows\\shell32.dll,-152", "C:\\Windows\\shell32.dll", -152},
      {"\"C:\\Program Files\\a,b\\x.exe\",2", "C:\\Program Files\\a,b\\x.exe", 2},
      {"C:\\icons\\doc.ico", "C:\\icons\\doc.ico", 0},
      {"%1", "%1", 0},
  };
  for (const auto& c : icons) {
    const IconLocation icon = ParseDefaultIcon(c.value);
    EXPECT_EQ(icon.file, c.file) << c.value;
    EXPECT_EQ(icon.index, c.index) << c.value;
  }
  EXPECT_EQ(ClassifyCommand(""), CommandKind::Empty);
  for (const char* self : {"%1 %*", "%1 /S", "%1 /s", "\"%1\" %*"})
    EXPECT_EQ(ClassifyCommand(self), CommandKind::SelfExecuting) << self;
  EXPECT_EQ(ClassifyCommand("notepad.exe %1"), CommandKind::Program);
  EXPECT_EQ(DottedExtension("txt"), ".txt");
  EXPECT_EQ(DottedExtension(".txt"), ".txt");
}

}  // namespace
}  // namespace obrivo::core
