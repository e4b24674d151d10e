// Note files: where a program's note lives, and its text read and written whole.
#include "common/notes.h"

#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "core/text.h"
#include "file_bytes.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

class NotesTest : public SandboxedTest {
 protected:
  // The data folder below this program's own folder, through the sandboxed AppData setting.
  void SetUp() override {
    SandboxedTest::SetUp();
    ASSERT_TRUE(win32::EnsureDirectory(appData_));
    common::WriteStoreString(
        HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
        "AppData", appData_);
    dataFolder_ = common::DataFolder();
    ASSERT_EQ(dataFolder_, appData_ + "\\Obrivo");
  }
  void TearDown() override {
    for (const std::string& file : created_) common::DeleteFileForce(file);
    ::RemoveDirectoryW(win32::Wide(dataFolder_ + "\\vault").c_str());
    ::RemoveDirectoryW(win32::Wide(dataFolder_).c_str());
    ::RemoveDirectoryW(win32::Wide(appData_).c_str());
  }
  std::string Created(const std::string& path) {
    created_.push_back(path);
    return path;
  }

  const std::string programFolder_ = common::ProgramFolder();
  const std::string appData_ = programFolder_ + "\\appdata";
  std::string dataFolder_;
  std::vector<std::string> created_;
};

TEST_F(NotesTest, NoteFileOfAProgram) {
  const struct {
    std::string command, noteName;
  } cases[] = {
      {"C:\\Tools\\agent.exe", "note_AGENT.txt"},  // missing files keep the resolved form
      {"\"C:\\Tools\\agent.exe\" /background", "note_AGENT.txt"},
      {"C:\\Tools\\setup.dll,Install", "note_SETUP.txt"},
      {"\"" + programFolder_ + "\\history_writer.exe\" 1 x", "note_history_writer.txt"},
      {"C:\\Tools\\ab", "note_AB.txt"},  // no extension to drop
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    EXPECT_EQ(common::NoteFilePath(c.command), dataFolder_ + "\\" + c.noteName);
  }
  EXPECT_EQ(common::NoteFilePath(""), "");
  EXPECT_FALSE(common::NoteExists(""));

  // A note beside the programs wins over one in the data folder.
  const std::string command = "C:\\Tools\\agent.exe";
  EXPECT_FALSE(common::NoteExists(command));
  ASSERT_TRUE(common::WriteNote(Created(dataFolder_ + "\\note_agent.txt"), "data"));
  EXPECT_TRUE(common::NoteExists(command));
  ASSERT_TRUE(common::WriteNote(Created(programFolder_ + "\\note_agent.txt"), "beside"));
  EXPECT_TRUE(
      core::EqualsNoCase(common::NoteFilePath(command), programFolder_ + "\\note_agent.txt"))
      << common::NoteFilePath(command);
  EXPECT_EQ(common::ReadNote(common::NoteFilePath(command)), "beside");
}

TEST_F(NotesTest, TextReadAndWrittenWhole) {
  const std::string path = Created(dataFolder_ + "\\note_text.txt");
  const std::string text = "\xD0\x90\xD0\xB3\xD0\xB5\xD0\xBD\xD1\x82\r\nC:\\agent.exe\r\n\r\nok";
  ASSERT_TRUE(common::WriteNote(path, text));
  EXPECT_EQ(common::ReadNote(path), text);
  ASSERT_TRUE(common::WriteNote(path, "short"));
  EXPECT_EQ(common::ReadNote(path), "short") << "replaced, not overwritten in place";

  ASSERT_TRUE(WriteBytes(path, "caf\xE9"));
  EXPECT_EQ(common::ReadNote(path), "caf\xC3\xA9") << "an older ANSI note";
  EXPECT_FALSE(common::ReadNote(dataFolder_ + "\\note_missing.txt"));
}

}  // namespace
}  // namespace obrivo::test
