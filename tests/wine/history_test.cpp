// The history file: the History option, records read back as rows, older ANSI lines, and two
// programs appending at the same time.
#include "common/history.h"

#include <filesystem>
#include <set>
#include <thread>

#include "common/data_folder.h"
#include "common/items.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/unique.h"
#include "core/history_record.h"
#include "core/text.h"
#include "file_bytes.h"
#include "test_process.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

using common::HistoryFilePath;
using common::WriteHistory;

const std::string kCyrillicTitle = "\xD0\x90\xD0\xB3\xD0\xB5\xD0\xBD\xD1\x82";  // "Agent"

class HistoryTest : public SandboxedTest {
 protected:
  // This program runs from a folder of its own (see CMakeLists.txt), so the file is ours.
  void SetUp() override {
    SandboxedTest::SetUp();
    ASSERT_TRUE(common::ClearHistoryFile());
  }
  void TearDown() override { common::ClearHistoryFile(); }

  static std::string Contents() {
    return win32::ReadWholeFile(HistoryFilePath()).value_or("<missing>");
  }
};

TEST_F(HistoryTest, WithoutAKnownAppDataFolderTheFileLiesBesideTheProgram) {
  EXPECT_EQ(HistoryFilePath(), common::ProgramFolder() + "\\history.txt");
}

TEST_F(HistoryTest, HistoryOptionSwitchesWriting) {
  const struct {
    const char* value;  // nullptr: no value at all
    bool written;
  } cases[] = {{nullptr, true}, {"1", true}, {"2", true}, {"0", false}, {"-1", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value ? c.value : "(missing)");
    ASSERT_TRUE(common::ClearHistoryFile());
    if (c.value)
      common::WriteStoreString(HKEY_CURRENT_USER, common::kOptionsKey, "History", c.value);
    else
      common::DeleteStoreValue(HKEY_CURRENT_USER, common::kOptionsKey, "History");
    EXPECT_EQ(WriteHistory(6, 11, "Agent", "C:\\agent.exe", ""), c.written);
    EXPECT_EQ(win32::IsExistingFile(HistoryFilePath()), c.written);
  }
}

TEST_F(HistoryTest, RecordsLoadBackAsRows) {
  // Fields the item list's own rules would change: a title naming the program, a quoted command
  // with arguments, a short path form.
  ASSERT_TRUE(WriteHistory(29, 370, kCyrillicTitle, "C:\\Data\\hidden.dat", "Vault copy"));
  ASSERT_TRUE(WriteHistory(0, 11, "Obrivo helper", "\"C:\\PROGRA~1\\Agent\\agent.exe\" -run",
                           "Agent Tool"));
  ASSERT_TRUE(WriteHistory(99, 4242, "Unknown", "", ""));

  const std::string contents = Contents();
  EXPECT_NE(contents.find("\t*HIDDEN_DeleteFile\tTYPE_HIDDEN\t" + kCyrillicTitle + "\t"),
            std::string::npos)
      << "stored as UTF-8";

  ASSERT_EQ(common::LoadHistory(), 3u);
  ASSERT_EQ(common::ItemCount(), 3u);
  EXPECT_EQ(common::ItemTitle(0), kCyrillicTitle);
  EXPECT_EQ(common::ItemPath(0), "C:\\Data\\hidden.dat");
  EXPECT_EQ(common::ItemKey(0), "Vault copy");
  EXPECT_EQ(common::ItemType(0), 370);
  EXPECT_EQ(common::ItemFlag(0), 29);
  const std::string date = common::ItemText(0);
  EXPECT_TRUE(date.size() >= 19 && date[2] == '/' && date[5] == '/' && date.substr(10, 2) == "  ")
      << date;
  EXPECT_TRUE(date.ends_with(" AM") || date.ends_with(" PM")) << date;

  EXPECT_EQ(common::ItemTitle(1), "Obrivo helper");
  EXPECT_EQ(common::ItemPath(1), "\"C:\\PROGRA~1\\Agent\\agent.exe\" -run");
  EXPECT_EQ(common::ItemFlag(1), 0);
  EXPECT_EQ(common::ItemType(1), 11);

  EXPECT_EQ(common::ItemFlag(2), core::history_event::kUnknown);
  EXPECT_EQ(common::ItemType(2), core::item_type::kUnknown);
}

TEST_F(HistoryTest, AnsiLinesLoad) {
  // A line written by an older version in the ANSI code page, then one of ours.
  ASSERT_TRUE(
      WriteBytes(HistoryFilePath(),
                 "01/02/2024  1:00 PM\tTASK_Kill\tINFO_TASK\tcaf\xE9 \x80\tC:\\x.exe\t\r\n"));
  ASSERT_TRUE(WriteHistory(5, 600, kCyrillicTitle, "C:\\y.exe", ""));
  ASSERT_EQ(common::LoadHistory(), 2u);
  EXPECT_EQ(common::ItemTitle(0), "caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(common::ItemText(0), "01/02/2024  1:00 PM");
  EXPECT_EQ(common::ItemFlag(0), 5);
  EXPECT_EQ(common::ItemTitle(1), kCyrillicTitle);
}

TEST_F(HistoryTest, ALongFileShowsItsNewestRecords) {
  std::string lines;
  for (int i = 0; i < 4100; ++i)
    lines += "01/02/2024  1:00 PM\tTASK_Kill\tINFO_TASK\tentry " + std::to_string(i) +
             "\tC:\\x.exe\t\r\n";
  ASSERT_TRUE(WriteBytes(HistoryFilePath(), lines));
  ASSERT_EQ(common::LoadHistory(), 4096u);
  EXPECT_EQ(common::ItemTitle(0), "entry 4");
  EXPECT_EQ(common::ItemTitle(4095), "entry 4099");
}

TEST_F(HistoryTest, MissingOrClearedFileLoadsNoRows) {
  common::AddItem("left over", "C:\\x.exe", "", "", 600, 0);
  EXPECT_EQ(common::LoadHistory(), 0u);
  EXPECT_EQ(common::ItemCount(), 0u) << "the list is emptied";

  ASSERT_TRUE(WriteHistory(6, 11, "Agent", "C:\\agent.exe", ""));
  ASSERT_EQ(common::LoadHistory(), 1u);
  EXPECT_TRUE(common::ClearHistoryFile());
  EXPECT_FALSE(win32::IsExistingFile(HistoryFilePath()));
  EXPECT_EQ(common::LoadHistory(), 0u);
  EXPECT_TRUE(common::ClearHistoryFile()) << "a missing file counts as cleared";
}

TEST_F(HistoryTest, WriterWaitsForAnOpenerThatDoesNotShare) {
  win32::UniqueHandle holder(::CreateFileW(win32::Wide(HistoryFilePath()).c_str(), GENERIC_WRITE, 0,
                                           nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(holder);
  std::thread release([&] {
    ::Sleep(150);
    holder.reset();
  });
  const bool written = WriteHistory(7, 800, "Task", "C:\\task.exe", "");
  release.join();
  EXPECT_TRUE(written);
  EXPECT_NE(Contents().find("\tTASK_Alert\tTASK_SCHEDULED\tTask\t"), std::string::npos);

  // Held for good: the record is given up rather than waited for without end.
  holder.reset(::CreateFileW(win32::Wide(HistoryFilePath()).c_str(), GENERIC_READ, 0, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(holder);
  EXPECT_FALSE(WriteHistory(7, 800, "Task 2", "C:\\task.exe", ""));
  holder.reset();
  EXPECT_EQ(Contents().find("Task 2"), std::string::npos);
}

TEST_F(HistoryTest, TwoProgramsAppendingAtOnceLoseNothing) {
  constexpr int kEach = 1000;
  const std::wstring writer = win32::Wide(common::ProgramFolder() + "\\history_writer.exe");
  const std::string tags[] = {"Monitor", kCyrillicTitle};
  Process first(writer, std::to_wstring(kEach) + L" Monitor");
  Process second(writer, std::to_wstring(kEach) + L" " + win32::Wide(kCyrillicTitle));
  ASSERT_TRUE(first.started());
  ASSERT_TRUE(second.started());
  EXPECT_EQ(first.WaitForExit(std::chrono::seconds(120)), 0u) << "records not written";
  EXPECT_EQ(second.WaitForExit(std::chrono::seconds(120)), 0u) << "records not written";

  const std::string contents = Contents();
  ASSERT_TRUE(contents.ends_with("\r\n"));
  std::set<std::string> seen;
  std::size_t lines = 0, start = 0;
  while (start < contents.size()) {
    const std::size_t end = contents.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    const std::string line = contents.substr(start, end - start);
    start = end + 2;
    ++lines;
    SCOPED_TRACE(line);
    ASSERT_EQ(std::count(line.begin(), line.end(), '\t'), 5) << "six fields";
    const core::HistoryRow row = core::ParseHistoryLine(line);
    const std::size_t space = row.title.rfind(' ');
    ASSERT_NE(space, std::string::npos);
    const std::string tag = row.title.substr(0, space);
    const int n = std::stoi(row.title.substr(space + 1));
    ASSERT_TRUE(tag == tags[0] || tag == tags[1]);
    EXPECT_EQ(row.event, core::HistoryEventCode(core::HistoryEventName(n % 32)));
    EXPECT_EQ(row.type, 600);
    EXPECT_EQ(row.file, "C:\\Writers\\" + tag + ".exe");
    EXPECT_EQ(row.description, "record " + std::to_string(n));
    EXPECT_TRUE(seen.insert(row.title).second) << "written once";
  }
  EXPECT_EQ(lines, 2u * kEach);
  EXPECT_EQ(seen.size(), 2u * kEach);
  EXPECT_EQ(common::LoadHistory(), 2u * kEach);
}

// The user's data folder under an AppData folder of this test's own: an installed program folder
// is read-only for a normal user, so what the programs write lives there, and what an earlier
// build wrote beside the programs moves over.
class DataFolderTest : public HistoryTest {
 protected:
  void SetUp() override {
    HistoryTest::SetUp();
    ASSERT_TRUE(win32::EnsureDirectory(appData_));
    ASSERT_TRUE(common::WriteStoreString(
        HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
        "AppData", appData_));
    data_ = appData_ + "\\Obrivo";
  }
  void TearDown() override {
    HistoryTest::TearDown();
    std::error_code ignored;
    std::filesystem::remove_all(win32::Wide(appData_), ignored);
    for (const char* folder : {"Disabled", "Removed", "Delayed"})
      std::filesystem::remove_all(win32::Wide(program_ + "\\" + folder), ignored);
    ::DeleteFileW(win32::Wide(program_ + "\\history.txt").c_str());
  }

  const std::string program_ = common::ProgramFolder();
  const std::string appData_ = program_ + "\\appdata";
  std::string data_;
};

TEST_F(DataFolderTest, WhatTheProgramsWriteLivesInTheUsersDataFolder) {
  EXPECT_EQ(common::DataFolder(), data_);
  EXPECT_EQ(HistoryFilePath(), data_ + "\\history.txt");
  ASSERT_TRUE(WriteHistory(6, 11, "Agent", "C:\\agent.exe", ""));
  EXPECT_TRUE(win32::IsExistingFile(data_ + "\\history.txt"));
  EXPECT_FALSE(win32::IsExistingFile(program_ + "\\history.txt"));
  EXPECT_EQ(common::DataPath(common::kRemovedFolderName), data_ + "\\Removed");
}

TEST_F(DataFolderTest, AnEarlierBuildsFilesMoveOverOnceAndKeepTheirOrder) {
  ASSERT_TRUE(win32::EnsureDirectory(data_));
  ASSERT_TRUE(WriteBytes(program_ + "\\history.txt", "older record\r\n"));
  ASSERT_TRUE(WriteBytes(data_ + "\\history.txt", "newer record\r\n"));
  // Kept files of every folder, one in a subfolder (a removed task's copy), a name beyond ASCII,
  // and one whose name the data folder already holds.
  const std::string taskCopy = "Removed\\Tasks\\133\\task.xml";
  const std::string kept[] = {"Disabled\\" + kCyrillicTitle + ".lnk", taskCopy,
                              "Delayed\\agent.lnk", "Disabled\\taken.lnk"};
  for (const std::string& file : kept) {
    const std::string path = program_ + "\\" + file;
    ASSERT_TRUE(std::filesystem::create_directories(
                    std::filesystem::path(win32::Wide(path)).parent_path()) ||
                win32::IsExistingDirectory(path.substr(0, path.rfind('\\'))));
    ASSERT_TRUE(WriteBytes(path, "old " + file));
  }
  ASSERT_TRUE(win32::EnsureDirectory(data_ + "\\Disabled"));
  ASSERT_TRUE(WriteBytes(data_ + "\\Disabled\\taken.lnk", "the data folder's own"));

  for (int round = 1; round <= 2; ++round) {
    SCOPED_TRACE(round);  // the second start finds nothing more to move
    common::MoveDataFromProgramFolder();
    EXPECT_EQ(Contents(), "older record\r\nnewer record\r\n");
    EXPECT_FALSE(win32::IsExistingFile(program_ + "\\history.txt"));
    for (const std::string& file : {kept[0], kept[1], kept[2]}) {
      EXPECT_EQ(ReadBytes(data_ + "\\" + file), "old " + file) << file;
      EXPECT_FALSE(win32::FileAttributes(program_ + "\\" + file)) << file;
    }
    EXPECT_EQ(ReadBytes(data_ + "\\Disabled\\taken.lnk"), "the data folder's own");
    EXPECT_EQ(ReadBytes(program_ + "\\Disabled\\taken.lnk"), "old Disabled\\taken.lnk")
        << "never moved over another file";
  }

  // A record written by the earlier build still finds its kept file; a file that stayed behind,
  // and any other path, are left as they are.
  const struct {
    std::string recorded, found;
  } paths[] = {
      {program_ + "\\" + taskCopy, data_ + "\\" + taskCopy},
      {program_ + "\\REMOVED\\Tasks\\133\\task.xml", data_ + "\\Removed\\Tasks\\133\\task.xml"},
      {program_ + "\\Disabled\\taken.lnk", program_ + "\\Disabled\\taken.lnk"},
      {program_ + "\\Removedx\\a.txt", program_ + "\\Removedx\\a.txt"},
      {program_ + "\\Removed", program_ + "\\Removed"},
      {"C:\\Windows\\notepad.exe", "C:\\Windows\\notepad.exe"},
  };
  for (const auto& p : paths) {
    std::string found = common::MovedDataPath(p.recorded);
    if (p.recorded.find("REMOVED") != std::string::npos) {
      EXPECT_TRUE(core::EqualsNoCase(found, p.found)) << p.recorded << " -> " << found;
    } else {
      EXPECT_EQ(found, p.found) << p.recorded;
    }
  }
}

TEST_F(DataFolderTest, AHistoryThatCannotMoveStaysWhereItIs) {
  ASSERT_TRUE(win32::EnsureDirectory(data_));
  ASSERT_TRUE(WriteBytes(program_ + "\\history.txt", "older record\r\n"));
  ASSERT_TRUE(WriteBytes(data_ + "\\history.txt", "newer record\r\n"));
  {
    // Held open without sharing, as a program that locked it would: nothing is joined and
    // neither file loses a record.
    win32::UniqueHandle held(::CreateFileW(win32::Wide(program_ + "\\history.txt").c_str(),
                                           GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    common::MoveDataFromProgramFolder();
    EXPECT_EQ(Contents(), "newer record\r\n");
  }
  EXPECT_EQ(ReadBytes(program_ + "\\history.txt"), "older record\r\n");
  common::MoveDataFromProgramFolder();
  EXPECT_EQ(Contents(), "older record\r\nnewer record\r\n") << "at the next start";
}

}  // namespace
}  // namespace obrivo::test
