// Hidden files: which files the walk finds at which depth, the roots it walks, the check's
// answers and what each leaves behind, and deleting through the vault and putting back, with
// names beyond ASCII, paths longer than MAX_PATH, files held open and files that vanished.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/first_detected.h"
#include "common/history.h"
#include "common/items.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/vault_digest.h"
#include "common/win32/system.h"
#include "common/win32/wide.h"
#include "core/alert_rules.h"
#include "core/history_codes.h"
#include "file_bytes.h"
#include "files/hidden_check.h"
#include "files/hidden_files.h"
#include "files/hidden_vault.h"
#include "hidden_fixtures.h"
#include "test_process.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

constexpr DWORD kHidden = FILE_ATTRIBUTE_HIDDEN;
constexpr DWORD kHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// A folder name and a file name that together with any root pass MAX_PATH.
const std::string kLongFolder(200, 'L');
const std::string kLongFile = std::string(90, 'F') + ".txt";
const std::string kWideName = "\xC3\x9Cn\xC3\xAF\x63\xC3\xB8\x64\xC3\xA9 \xE6\x96\x87\xE4\xBB\xB6.txt";

class HiddenFiles : public SandboxedTest {
 protected:
  void SetUp() override {
    SandboxedTest::SetUp();
    ASSERT_TRUE(common::ClearHistoryFile());
  }
  void TearDown() override {
    common::ClearHistoryFile();
    RemoveFixtureTree(files::VaultFolder());
  }

  // The listed items by path.
  static std::map<std::string, core::Item> Listed() {
    std::map<std::string, core::Item> listed;
    for (std::size_t i = 0; i < common::ItemCount(); ++i)
      listed[common::Items().At(i).path] = common::Items().At(i);
    return listed;
  }
  static std::string BaselineValue(const std::string& path) {
    return common::ReadStoreString(files::HiddenBaselineKey(), HKEY_CURRENT_USER, path, 64);
  }
};

TEST_F(HiddenFiles, TheWalkListsHiddenFilesDownToItsDepth) {
  FixtureFolder root(common::ProgramFolder() + "\\walk");
  const std::string product =
      win32::Narrow(HostToWine(EnvVar(L"OBRIVO_BIN_DIR"))) + "\\version_os_product.dll";
  ASSERT_TRUE(MakeFixtureFolder(root / "sub"));
  ASSERT_TRUE(MakeFixtureFolder(root / "sub\\deeper"));
  ASSERT_TRUE(MakeFixtureFolder(root / ".dotted"));
  ASSERT_TRUE(MakeFixtureFolder(root / "Hidden Folder", kHidden));
  ASSERT_TRUE(MakeFixtureFolder(root / kLongFolder));
  ASSERT_TRUE(::CopyFileW(win32::Wide(product).c_str(), win32::Wide(root / "shell.dll").c_str(),
                          FALSE));
  ASSERT_TRUE(::SetFileAttributesW(win32::Wide(root / "shell.dll").c_str(), kHidden));

  const struct {
    std::string relative;
    DWORD attributes;  // 0: no file made (it is there already)
    bool atDepth0, atDepth1;
    int flag;
    std::string title;
  } cases[] = {
      {"plain.txt", FILE_ATTRIBUTE_NORMAL, false, false, 0, ""},
      {"hidden.txt", kHidden, true, true, 1, "hidden.txt"},
      {"system.bin", kHiddenSystem, true, true, 0, "system.bin"},
      {"readonly.txt", kHidden | FILE_ATTRIBUTE_READONLY, true, true, 1, "readonly.txt"},
      {kWideName, kHidden, true, true, 1, kWideName},
      {"shell.dll", 0, true, true, 1, "Fixture Shell Component"},  // its product name
      {"sub\\one.txt", kHidden, false, true, 1, "one.txt"},
      {"Hidden Folder\\inner.txt", kHidden, false, true, 1, "inner.txt"},
      {"sub\\deeper\\two.txt", kHidden, false, false, 0, ""},  // two levels down
      {".dotted\\three.txt", kHidden, false, false, 0, ""},    // a dot folder is not entered
      {kLongFolder + "\\" + kLongFile, kHidden, false, true, 1, kLongFile},
  };
  for (const auto& c : cases)
    if (c.attributes) {
      ASSERT_TRUE(MakeFixtureFile(root / c.relative, c.attributes)) << c.relative;
    }
  ASSERT_GT((root / kLongFolder + "\\" + kLongFile).size(), static_cast<std::size_t>(MAX_PATH));

  for (int depth : {0, 1}) {
    files::EnumHiddenFiles({{root.path(), depth}});
    const auto listed = Listed();
    for (const auto& c : cases) {
      SCOPED_TRACE(c.relative + " at depth " + std::to_string(depth));
      const auto found = listed.find(root / c.relative);
      ASSERT_EQ(found != listed.end(), depth == 0 ? c.atDepth0 : c.atDepth1);
      if (found == listed.end()) continue;
      EXPECT_EQ(found->second.type, core::item_type::kHiddenFile);
      EXPECT_EQ(found->second.key, root / c.relative);
      EXPECT_EQ(found->second.flag, c.flag);
      EXPECT_EQ(found->second.title, c.title);
    }
    EXPECT_EQ(listed.count(root / "Hidden Folder"), 0u) << "a hidden folder is never listed";
  }
  // A root given with its trailing backslash walks the same.
  files::EnumHiddenFiles({{root.path() + "\\", 0}});
  EXPECT_EQ(Listed().count(root / "hidden.txt"), 1u);
}

TEST_F(HiddenFiles, TheRootsInTheirOrderAndDepths) {
  const std::string windows = win32::WindowsDirectory(), system = win32::SystemDirectory();
  const std::string temp = TempFolderForFixtures();
  using Roots = std::vector<std::pair<std::string, int>>;
  const auto rootsNow = [] {
    Roots roots;
    for (const files::ScanRoot& r : files::HiddenScanRoots()) roots.emplace_back(r.folder, r.depth);
    return roots;
  };
  // The sandbox's machine hive names no common files folder: that root is left out.
  EXPECT_EQ(rootsNow(), (Roots{{"C:\\", 0}, {windows, 0}, {system, 1}, {temp, 1}}));
  ASSERT_TRUE(common::WriteStoreString(HKEY_LOCAL_MACHINE,
                                       "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                       "CommonFilesDir", "C:\\Program Files\\Common Files\\"));
  EXPECT_EQ(rootsNow(), (Roots{{"C:\\", 0},
                               {windows, 0},
                               {system, 1},
                               {"C:\\Program Files\\Common Files", 1},
                               {temp, 1}}));
}

// The check over the real roots: the fixture lies one level below the temporary folder. Every
// other hidden file of the prefix is accepted, so that only the fixture is asked about.
class HiddenCheck : public HiddenFiles {
 protected:
  void SetUp() override {
    HiddenFiles::SetUp();
    folder_ = std::make_unique<FixtureFolder>(TempFolderForFixtures() + "\\obrivo hidden check");
    file_ = *folder_ / "new.dat";
    ASSERT_TRUE(MakeFixtureFile(file_, kHidden, "new hidden contents"));
  }
  void TearDown() override {
    folder_.reset();
    HiddenFiles::TearDown();
  }

  files::HiddenCheckHooks Answering(int answer) {
    files::HiddenCheckHooks hooks;
    hooks.ask = [this, answer](const core::Item& item) {
      if (item.path != file_) return core::kAlertYes;
      ++asked_;
      return answer;
    };
    hooks.showAlertIcon = [this] { ++alertIcons_; };
    hooks.deletionFailed = [this](const core::Item& item, const files::HiddenDeletionResult& r) {
      if (item.path == file_) failures_.push_back(r.outcome);
    };
    return hooks;
  }

  std::unique_ptr<FixtureFolder> folder_;
  std::string file_;
  int asked_ = 0, alertIcons_ = 0;
  std::vector<files::HiddenDeletion> failures_;
};

TEST_F(HiddenCheck, EachAnswerAndWhatItLeaves) {
  const struct {
    int answer;
    bool accepted, fileStays;
    std::size_t deletions;  // history records 29
    bool askedAgain;
  } cases[] = {
      {core::kAlertYes, true, true, 0, false},
      {core::kAlertNo, false, false, 1, false},  // gone, so nothing to ask about
      {0, false, true, 0, true},                 // no alert could be shown: nothing decided
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    ASSERT_TRUE(common::DeleteStoreTree(HKEY_CURRENT_USER, files::HiddenBaselineKey()));
    ASSERT_TRUE(common::ClearHistoryFile());
    ASSERT_TRUE(MakeFixtureFile(file_, kHidden, "new hidden contents"));
    asked_ = alertIcons_ = 0;

    files::VerifyHiddenFiles(Answering(c.answer));
    EXPECT_EQ(asked_, 1);
    EXPECT_GE(alertIcons_, 1);
    EXPECT_EQ(!BaselineValue(file_).empty(), c.accepted);
    EXPECT_EQ(FixtureExists(file_), c.fileStays);
    EXPECT_FALSE(common::LookupFirstDetected(core::item_type::kHiddenFile, file_).empty());
    std::size_t deletions = 0;
    common::LoadHistory();
    for (std::size_t i = 0; i < common::ItemCount(); ++i) {
      const core::Item& r = common::Items().At(i);
      if (r.flag != core::history_event::kHiddenDeleteFile) continue;
      ++deletions;
      EXPECT_EQ(r.path, file_);
      EXPECT_EQ(FixtureContents(files::VaultFolder() + "\\" + r.key), "new hidden contents")
          << "the record names the copy kept";
    }
    EXPECT_EQ(deletions, c.deletions);
    EXPECT_TRUE(failures_.empty());

    asked_ = 0;
    files::VerifyHiddenFiles(Answering(core::kAlertYes));
    EXPECT_EQ(asked_, c.askedAgain ? 1 : 0);
  }
}

// An accepted file unhidden drops out of the list; hidden again, its baseline value still
// stands and nothing is asked.
TEST_F(HiddenCheck, UnhidingAndHidingAgainAsksNothing) {
  files::VerifyHiddenFiles(Answering(core::kAlertYes));
  ASSERT_EQ(asked_, 1);
  ASSERT_TRUE(files::UnhideFile(file_));
  EXPECT_EQ(FixtureAttributes(file_) & (kHiddenSystem | FILE_ATTRIBUTE_READONLY), 0u);
  files::EnumHiddenFiles();
  EXPECT_EQ(Listed().count(file_), 0u);
  EXPECT_FALSE(BaselineValue(file_).empty()) << "Unhide leaves the baseline alone";
  ASSERT_TRUE(::SetFileAttributesW(win32::Wide(file_).c_str(), kHidden));
  asked_ = 0;
  files::VerifyHiddenFiles(Answering(core::kAlertNo));
  EXPECT_EQ(asked_, 0);
  EXPECT_TRUE(FixtureExists(file_));
}

// A Delete that cannot keep a copy deletes nothing, and the check says so.
TEST_F(HiddenCheck, ADeleteWithoutACopyIsSaidAndAskedAgain) {
  HANDLE held = ::CreateFileW(win32::Wide(file_).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  files::VerifyHiddenFiles(Answering(core::kAlertNo));
  ::CloseHandle(held);
  ASSERT_EQ(failures_.size(), 1u);
  EXPECT_EQ(failures_[0], files::HiddenDeletion::NotKept);
  EXPECT_TRUE(FixtureExists(file_));
  asked_ = 0;
  files::VerifyHiddenFiles(Answering(core::kAlertYes));
  EXPECT_EQ(asked_, 1);
}

// Deleting keeps a copy vouched for by its digest; putting back restores the contents, hidden,
// and accepts the file. Whatever the name, and for two files of one name.
TEST_F(HiddenFiles, DeleteKeepsACopyThatTheUndoPutsBackHidden) {
  FixtureFolder root(common::ProgramFolder() + "\\vaulted");
  ASSERT_TRUE(MakeFixtureFolder(root / "other"));
  ASSERT_TRUE(MakeFixtureFolder(root / kLongFolder));
  const std::string cases[] = {
      root / "desktop.ini",
      root / "other\\desktop.ini",  // the same name from another folder
      root / kWideName,
      root / kLongFolder + "\\" + kLongFile,
  };
  std::vector<std::string> vaultNames;
  for (const std::string& path : cases) {
    SCOPED_TRACE(path);
    ASSERT_TRUE(MakeFixtureFile(path, kHiddenSystem | FILE_ATTRIBUTE_READONLY, "was " + path));
    ASSERT_TRUE(files::AcceptHiddenFile(path));
    const files::HiddenDeletionResult result = files::DeleteHiddenFile(path, "Title");
    ASSERT_EQ(result.outcome, files::HiddenDeletion::Deleted) << result.error;
    EXPECT_FALSE(FixtureExists(path));
    EXPECT_TRUE(BaselineValue(path).empty()) << "the baseline forgets a deleted file";
    EXPECT_TRUE(files::HiddenVaultCopyKept(path, result.vaultName));
    EXPECT_EQ(std::count(vaultNames.begin(), vaultNames.end(), result.vaultName), 0)
        << "each copy has a name of its own";
    vaultNames.push_back(result.vaultName);
  }
  ASSERT_EQ(common::LoadHistory(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const core::Item record = common::Items().At(i);
    EXPECT_EQ(record.flag, core::history_event::kHiddenDeleteFile);
    EXPECT_EQ(record.type, core::item_type::kHiddenFile);
    // A path past the record's field is kept in part there, and whole with the copy.
    EXPECT_EQ(record.path, cases[i].substr(0, std::min<std::size_t>(cases[i].size(), MAX_PATH - 1)));
    EXPECT_EQ(record.key, vaultNames[i]);
  }
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const std::string& path = cases[i];
    SCOPED_TRACE(path);
    const std::string recorded = common::Items().At(i).path;
    EXPECT_TRUE(files::HiddenVaultCopyKept(recorded, vaultNames[i]));
    EXPECT_EQ(files::RestoreHiddenFileFromVault(recorded, vaultNames[i]),
              files::HiddenRestore::Restored);
    EXPECT_EQ(FixtureAttributes(path), kHidden);
    EXPECT_EQ(FixtureContents(path), "was " + path);
    EXPECT_FALSE(BaselineValue(path).empty()) << "restored, it is accepted";
    EXPECT_FALSE(FixtureExists(files::VaultFolder() + "\\" + vaultNames[i]))
        << "the copy goes once used";
    EXPECT_FALSE(files::HiddenVaultCopyKept(path, vaultNames[i]));
  }
}

// A deletion that cannot be backed by a copy, or whose file is no longer there, deletes
// nothing and writes no record; the file keeps its attributes.
TEST_F(HiddenFiles, NoCopyNoDeletion) {
  FixtureFolder root(common::ProgramFolder() + "\\refused");
  const std::string file = root / "held.sys";
  enum class Setup { HeldOpen, Vanished, VaultIsAFile };
  const struct {
    Setup setup;
    files::HiddenDeletion outcome;
  } cases[] = {
      {Setup::HeldOpen, files::HiddenDeletion::NotKept},
      {Setup::Vanished, files::HiddenDeletion::Gone},
      {Setup::VaultIsAFile, files::HiddenDeletion::NotKept},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.setup));
    ASSERT_TRUE(MakeFixtureFile(file, kHiddenSystem, "kept"));
    files::AcceptHiddenFile(file);
    HANDLE held = INVALID_HANDLE_VALUE;
    if (c.setup == Setup::HeldOpen)
      held = ::CreateFileW(win32::Wide(file).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (c.setup == Setup::Vanished) RemoveFixtureTree(file);
    if (c.setup == Setup::VaultIsAFile) {
      RemoveFixtureTree(files::VaultFolder());
      ASSERT_TRUE(WriteBytes(files::VaultFolder(), "not a folder"));
    }
    const files::HiddenDeletionResult result = files::DeleteHiddenFile(file, "held.sys");
    if (held != INVALID_HANDLE_VALUE) ::CloseHandle(held);
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_NE(result.error, 0u);
    if (c.setup != Setup::Vanished) {
      EXPECT_EQ(FixtureAttributes(file), kHiddenSystem);
      EXPECT_EQ(FixtureContents(file), "kept");
    }
    EXPECT_TRUE(BaselineValue(file).empty()) << "asked about again at the next patrol";
    EXPECT_EQ(common::LoadHistory(), 0u) << "no undo is promised";
    RemoveFixtureTree(files::VaultFolder());
  }
}

// The undo puts back only the copy it kept, never over a file that is there again.
TEST_F(HiddenFiles, TheUndoRefusesWhatItCannotVouchFor) {
  FixtureFolder root(common::ProgramFolder() + "\\undo");
  const std::string file = root / "payload.bin";
  enum class Change { CopyReplaced, DigestGone, CopyGone, PathTaken, OlderRecord, OtherRecord };
  const struct {
    Change change;
    files::HiddenRestore result;
  } cases[] = {
      {Change::CopyReplaced, files::HiddenRestore::CopyAltered},
      {Change::DigestGone, files::HiddenRestore::CopyAltered},
      {Change::CopyGone, files::HiddenRestore::NoCopy},
      {Change::PathTaken, files::HiddenRestore::PathTaken},
      // A record of an earlier version names no copy: the file's own name is looked for.
      {Change::OlderRecord, files::HiddenRestore::NoCopy},
      // A record naming another file than the copy came from.
      {Change::OtherRecord, files::HiddenRestore::CopyAltered},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.change));
    RemoveFixtureTree(files::VaultFolder());
    ASSERT_TRUE(MakeFixtureFile(file, kHidden, "original"));
    const files::HiddenDeletionResult deleted = files::DeleteHiddenFile(file, "payload");
    ASSERT_EQ(deleted.outcome, files::HiddenDeletion::Deleted);
    const std::string copy = files::VaultFolder() + "\\" + deleted.vaultName;
    std::string vaultName = deleted.vaultName;
    std::string recorded = file;
    if (c.change == Change::CopyReplaced) {
      ASSERT_TRUE(WriteBytes(copy, "planted"));
    }
    if (c.change == Change::DigestGone) common::ForgetVaultDigest(deleted.vaultName);
    if (c.change == Change::OtherRecord) recorded = root / "other.bin";
    if (c.change == Change::CopyGone) {
      ASSERT_TRUE(::DeleteFileW(win32::Wide(copy).c_str()));
    }
    if (c.change == Change::PathTaken) {
      ASSERT_TRUE(WriteBytes(file, "newer"));
    }
    if (c.change == Change::OlderRecord) {
      ASSERT_TRUE(::MoveFileW(win32::Wide(copy).c_str(),
                              win32::Wide(files::VaultFolder() + "\\elsewhere").c_str()));
      vaultName.clear();
    }
    EXPECT_EQ(files::HiddenVaultCopyKept(recorded, vaultName), c.change == Change::PathTaken);
    EXPECT_EQ(files::RestoreHiddenFileFromVault(recorded, vaultName), c.result);
    EXPECT_EQ(FixtureContents(file), c.change == Change::PathTaken ? "newer" : "")
        << "nothing planted is written back";
    EXPECT_FALSE(FixtureExists(root / "other.bin"));
    EXPECT_TRUE(BaselineValue(file).empty());
    RemoveFixtureTree(file);
  }
}

}  // namespace
}  // namespace obrivo::test
