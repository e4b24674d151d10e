// The watched system files: records and backups as they are written, the check's decisions (the
// same-size edit among them), Accept and Reject with their safeguards, and the digest helper.
// Every file lies in a folder of the test's own; the records go to the sandboxed registry and
// the backups to a data folder the sandbox's AppData names.
#include "files/sys_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/file_digest.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/registry.h"
#include "common/win32/wide.h"
#include "file_bytes.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

const std::string kTenMegabytes = [] {
  std::string text;
  while (text.size() < 10 * 1024 * 1024) text += "127.0.0.1 tracker-" + std::to_string(text.size()) + ".example\r\n";
  return text;
}();

// Contents the files are seeded with: the ordinary case and the bad inputs.
struct Contents {
  const char* label;
  std::string bytes;
};
const std::vector<Contents>& Fixtures() {
  static const std::vector<Contents> fixtures = {
      {"ordinary", "127.0.0.1 localhost\r\n127.0.0.1 example.com\r\n"},
      {"empty", ""},
      {"NUL bytes", std::string("127.0.0.1 a\0b.example\r\n\0\0", 26)},
      {"CR-only line ends", "127.0.0.1 localhost\r127.0.0.1 example.com\r"},
      {"10 MB", kTenMegabytes},
  };
  return fixtures;
}

class SysFiles : public SandboxedTest {
 protected:
  void SetUp() override {
    SandboxedTest::SetUp();
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = win32::Narrow(temp) + "obrivo-sysfiles-" + info->name();
    std::filesystem::remove_all(std::filesystem::path(win32::Wide(folder_)));
    ASSERT_TRUE(win32::EnsureDirectory(folder_));
    ASSERT_TRUE(win32::EnsureDirectory(folder_ + "\\AppData"));
    ASSERT_TRUE(common::WriteStoreString(
        HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
        "AppData", folder_ + "\\AppData"));
    hosts_ = folder_ + "\\HOSTS";
  }
  void TearDown() override {
    if (!createdOutside_.empty()) ::DeleteFileW(win32::Wide(createdOutside_).c_str());
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(std::filesystem::path(win32::Wide(folder_))))
      ::SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(std::filesystem::path(win32::Wide(folder_)));
  }

  // A file's contents with a last-write time of our choosing (minutes apart, so that every date
  // text differs whatever the user's time format shows).
  static void Put(const std::string& path, std::string_view bytes, int minute) {
    ASSERT_TRUE(WriteBytes(path, bytes)) << path;
    SetMinute(path, minute);
  }
  static void SetMinute(const std::string& path, int minute) {
    SYSTEMTIME t{2024, 3, 0, 14, 10, static_cast<WORD>(minute), 0, 0};
    FILETIME local{}, utc{};
    ::SystemTimeToFileTime(&t, &local);
    ::LocalFileTimeToFileTime(&local, &utc);
    HANDLE file = ::CreateFileW(win32::Wide(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ::SetFileTime(file, nullptr, nullptr, &utc);
    ::CloseHandle(file);
  }
  static std::string Bytes(const std::string& path) {
    return win32::ReadWholeFile(path).value_or("<missing>");
  }
  static std::string Record(const std::string& name, const std::string& value) {
    return common::ReadStoreString(files::SysFileRecordKey(name), HKEY_LOCAL_MACHINE, value, 1024);
  }
  static std::string DigestName() { return common::DigestValueName("Digest"); }

  // A check whose alert counts the times it was asked and answers `answer`.
  files::SysFileCheckHooks Counting(int answer = 1) {
    files::SysFileCheckHooks hooks;
    hooks.showAlertIcon = [this] { ++icons_; };
    hooks.ask = [this, answer](const std::string& name, const std::string& path) {
      asked_.push_back(name + "|" + path);
      return answer;
    };
    return hooks;
  }

  std::string folder_, hosts_;
  std::string createdOutside_;  // a file made outside the test's folder, removed afterwards
  int icons_ = 0;
  std::vector<std::string> asked_;
};

TEST_F(SysFiles, SnapshotWritesTheRecordTheBackupAndItsDigestWhateverTheContents) {
  for (const Contents& c : Fixtures()) {
    SCOPED_TRACE(c.label);
    Put(hosts_, c.bytes, 1);
    DWORD error = 1;
    ASSERT_TRUE(files::SnapshotSysFile(hosts_, "HOSTS", "the description", &error));
    EXPECT_EQ(error, 0u);
    EXPECT_EQ(Record("HOSTS", "Size"), std::to_string(c.bytes.size()));
    EXPECT_EQ(Record("HOSTS", "Date"), files::StampOf(hosts_).date);
    EXPECT_FALSE(Record("HOSTS", "Date").empty());
    EXPECT_EQ(Record("HOSTS", "Type"), "0");
    EXPECT_EQ(Record("HOSTS", "Comment"), "the description");
    EXPECT_EQ(Record("HOSTS", "Location"), hosts_);
    const std::string backup = files::SysFileBackupPath("HOSTS");
    EXPECT_EQ(backup, folder_ + "\\AppData\\Obrivo\\HOSTS");
    EXPECT_TRUE(Bytes(backup) == c.bytes) << "the backup holds the file byte for byte";
    EXPECT_EQ(Record("HOSTS", DigestName()), common::DigestOfBytes(c.bytes).value_or("?"));
  }
}

TEST_F(SysFiles, AMissingFileGetsAnEmptyRecordAndNoBackup) {
  EXPECT_FALSE(files::SnapshotSysFile(folder_ + "\\Config.sys", "Config.sys", "boot"));
  auto key = win32::OpenKey(HKEY_LOCAL_MACHINE, files::SysFileRecordKey("Config.sys"), KEY_READ);
  ASSERT_TRUE(key) << "the key is made, so that the record is known to be taken";
  EXPECT_TRUE(win32::EnumValueNames(key.get()).empty());
  EXPECT_FALSE(win32::IsExistingFile(files::SysFileBackupPath("Config.sys")));
}

// What the check makes of a file that differs from its record. Dates are minutes; -1 keeps the
// recorded one.
struct CheckCase {
  const char* label;
  std::string before, after;
  int newMinute;
  const char* type;
  bool asked;
};

TEST_F(SysFiles, TheCheckAsksAboutAChangeAndNotAboutATouch) {
  const std::string hosts = "127.0.0.1 example.com\r\n";
  const std::string sameSize = "10.0.0.99 example.com\r\n";
  ASSERT_EQ(hosts.size(), sameSize.size());
  const std::string nul(std::string("a\0b\r\n", 5)), nulEdit(std::string("a\0c\r\n", 5));
  const CheckCase cases[] = {
      {"new size and date", hosts, hosts + "10.0.0.1 bank.example\r\n", 5, "0", true},
      {"same size, other contents", hosts, sameSize, 5, "0", true},
      {"touched: same contents, new date", hosts, hosts, 5, "0", false},
      {"unchanged", hosts, hosts, -1, "0", false},
      {"a new date alone counts with another mode", hosts, hosts, 5, "1", true},
      {"same-size edit of NUL bytes", nul, nulEdit, 5, "0", true},
      {"CR-only line ends touched", "a\rb\r", "a\rb\r", 5, "0", false},
      {"emptied, then touched", "", "", 5, "0", false},
      {"10 MB, one byte changed", kTenMegabytes,
       std::string(kTenMegabytes).replace(5 * 1024 * 1024, 1, "X"), 5, "0", true},
      {"10 MB touched", kTenMegabytes, kTenMegabytes, 5, "0", false},
  };
  for (const CheckCase& c : cases) {
    SCOPED_TRACE(c.label);
    asked_.clear();
    icons_ = 0;
    Put(hosts_, c.before, 1);
    ASSERT_TRUE(files::SnapshotSysFile(hosts_, "HOSTS", ""));
    ASSERT_TRUE(common::WriteStoreString(HKEY_LOCAL_MACHINE, files::SysFileRecordKey("HOSTS"),
                                         "Type", c.type));
    const std::string recordedDate = Record("HOSTS", "Date");
    Put(hosts_, c.after, c.newMinute < 0 ? 1 : c.newMinute);
    EXPECT_EQ(files::CheckSysFile("HOSTS", hosts_, Counting()), c.asked ? 1 : 0);
    EXPECT_EQ(asked_.size(), c.asked ? 1u : 0u);
    EXPECT_EQ(icons_, c.asked ? 1 : 0) << "the alert icon shows with the alert only";
    if (c.asked) {
      EXPECT_EQ(asked_[0], "HOSTS|" + hosts_);
      EXPECT_EQ(Record("HOSTS", "Date"), recordedDate) << "a change leaves the record to the answer";
    } else {
      EXPECT_EQ(Record("HOSTS", "Date"), files::StampOf(hosts_).date)
          << "a touch is taken, so the contents are not read again";
    }
  }
}

// A backup that cannot vouch for the contents makes a new date over the same size a change.
TEST_F(SysFiles, ATouchCountsAsAChangeWhenTheBackupCannotVouchForIt) {
  const std::string hosts = "127.0.0.1 example.com\r\n";
  const std::string planted = "10.0.0.99 example.com\r\n";
  struct Case {
    const char* label;
    void (*spoil)(const std::string& backup, const std::string& planted);
    bool plantedInFile;  // HOSTS gets the planted contents too, else it is only touched
  } cases[] = {
      {"the backup is gone",
       [](const std::string& b, const std::string&) { ::DeleteFileW(win32::Wide(b).c_str()); },
       false},
      {"the backup was swapped for the new contents",
       [](const std::string& b, const std::string& p) { WriteBytes(b, p); }, true},
      {"the user's digest is gone",
       [](const std::string&, const std::string&) {
         common::DeleteStoreValue(HKEY_LOCAL_MACHINE, files::SysFileRecordKey("HOSTS"),
                                  common::DigestValueName("Digest"));
       },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    asked_.clear();
    Put(hosts_, hosts, 1);
    ASSERT_TRUE(files::SnapshotSysFile(hosts_, "HOSTS", ""));
    c.spoil(files::SysFileBackupPath("HOSTS"), planted);
    Put(hosts_, c.plantedInFile ? planted : hosts, 7);
    EXPECT_EQ(files::CheckSysFile("HOSTS", hosts_, Counting()), 1);
    EXPECT_EQ(asked_.size(), 1u);
  }
}

TEST_F(SysFiles, AMissingSizeIsRefreshedAndAMissingDateAdoptedSilently) {
  Put(hosts_, "127.0.0.1 localhost\r\n", 1);
  ASSERT_TRUE(files::SnapshotSysFile(hosts_, "HOSTS", ""));
  const std::string key = files::SysFileRecordKey("HOSTS");
  ASSERT_TRUE(common::WriteStoreString(HKEY_LOCAL_MACHINE, key, "Size", "0"));
  ASSERT_TRUE(common::DeleteStoreValue(HKEY_LOCAL_MACHINE, key, "Date"));
  Put(hosts_, "127.0.0.1 localhost\r\n10.0.0.1 x\r\n", 3);
  EXPECT_EQ(files::CheckSysFile("HOSTS", hosts_, Counting()), 0);
  EXPECT_TRUE(asked_.empty()) << "the first sighting of a date is taken as it is";
  EXPECT_EQ(Record("HOSTS", "Size"), std::to_string(Bytes(hosts_).size()));
  EXPECT_EQ(Record("HOSTS", "Date"), files::StampOf(hosts_).date);

  // A stored size of 0 is refreshed, and the comparison still sees the change of date and size.
  ASSERT_TRUE(common::WriteStoreString(HKEY_LOCAL_MACHINE, key, "Size", "0"));
  Put(hosts_, "127.0.0.1 localhost\r\n", 4);
  EXPECT_EQ(files::CheckSysFile("HOSTS", hosts_, Counting()), 1);
  EXPECT_EQ(Record("HOSTS", "Size"), std::to_string(Bytes(hosts_).size()));
}

TEST_F(SysFiles, RejectWritesTheBackupBackAndTheNextCheckFindsNothing) {
  for (bool readOnly : {false, true}) {
    for (const Contents& c : Fixtures()) {
      SCOPED_TRACE(std::string(c.label) + (readOnly ? ", read-only" : ""));
      asked_.clear();
      ::SetFileAttributesW(win32::Wide(hosts_).c_str(), FILE_ATTRIBUTE_NORMAL);
      Put(hosts_, c.bytes, 1);
      ASSERT_TRUE(files::SnapshotSysFile(hosts_, "HOSTS", ""));
      Put(hosts_, c.bytes + "10.0.0.66 bank.example\r\n", 9);
      if (readOnly)
        ::SetFileAttributesW(win32::Wide(hosts_).c_str(), FILE_ATTRIBUTE_READONLY);
      const files::SysFileAction action = files::RejectSysFileChange("HOSTS", hosts_, false);
      ASSERT_TRUE(action.done) << action.error;
      EXPECT_TRUE(Bytes(hosts_) == c.bytes) << "the previous contents are back";
      EXPECT_EQ(win32::FileAttributes(hosts_).value_or(0) & FILE_ATTRIBUTE_READONLY,
                readOnly ? DWORD{FILE_ATTRIBUTE_READONLY} : 0u);
      EXPECT_EQ(files::CheckSysFile("HOSTS", hosts_, Counting()), 0);
      EXPECT_TRUE(asked_.empty()) << "the restored file carries the recorded date";
      EXPECT_EQ(Record("HOSTS", "Location"), hosts_) << "the record stays";
    }
  }
}

TEST_F(SysFiles, RejectRefusesABackupThatNoLongerMatchesTheUsersDigest) {
  const std::string original = "127.0.0.1 localhost\r\n";
  const std::string planted = "10.0.0.99 bank.example\r\n";
  struct Case {
    const char* label;
    bool swapBackup;
    bool digestOfAnotherUserOnly;
  } cases[] = {
      {"the backup was swapped", true, false},
      {"only another user's digest is kept", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Put(hosts_, original, 1);
    ASSERT_TRUE(files::SnapshotSysFile(hosts_, "HOSTS", ""));
    const std::string key = files::SysFileRecordKey("HOSTS");
    if (c.swapBackup) {
      ASSERT_TRUE(WriteBytes(files::SysFileBackupPath("HOSTS"), planted));
    }
    if (c.digestOfAnotherUserOnly) {
      const std::string digest = Record("HOSTS", DigestName());
      ASSERT_TRUE(common::DeleteStoreValue(HKEY_LOCAL_MACHINE, key, DigestName()));
      ASSERT_TRUE(common::WriteStoreString(HKEY_LOCAL_MACHINE, key, "Digest S-1-5-21-1-2-3-1001",
                                           digest));
    }
    const std::string edited = "127.0.0.1 localhost\r\n10.0.0.1 x\r\n";
    Put(hosts_, edited, 4);
    const files::SysFileAction action = files::RejectSysFileChange("HOSTS", hosts_, true);
    EXPECT_FALSE(action.done);
    EXPECT_TRUE(action.backupChanged);
    EXPECT_EQ(Bytes(hosts_), edited) << "nothing is written over the file";
    EXPECT_EQ(Record("HOSTS", "Location"), hosts_) << "nor is its monitoring stopped";
  }
}

TEST_F(SysFiles, RejectReportsAFailedRestore) {
  Put(hosts_, "127.0.0.1 localhost\r\n", 1);
  ASSERT_TRUE(files::SnapshotSysFile(hosts_, "HOSTS", ""));
  Put(hosts_, "edited", 2);
  // The file is held open without sharing, as an editor or a virus scanner may hold it.
  HANDLE held = ::CreateFileW(win32::Wide(hosts_).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const files::SysFileAction action = files::RejectSysFileChange("HOSTS", hosts_, false);
  ::CloseHandle(held);
  EXPECT_FALSE(action.done);
  EXPECT_NE(action.error, 0u) << "the system's reason goes to the user";
  EXPECT_EQ(Bytes(hosts_), "edited");

  ASSERT_TRUE(::DeleteFileW(win32::Wide(files::SysFileBackupPath("HOSTS")).c_str()));
  const files::SysFileAction noBackup = files::RejectSysFileChange("HOSTS", hosts_, false);
  EXPECT_FALSE(noBackup.done);
  EXPECT_EQ(noBackup.error, DWORD{ERROR_FILE_NOT_FOUND});
}

TEST_F(SysFiles, AcceptRefreshesTheRecordAndTheBackupAndCanStopTheWatch) {
  Put(hosts_, "127.0.0.1 localhost\r\n", 1);
  ASSERT_TRUE(files::SnapshotSysFile(hosts_, "HOSTS", "kept"));
  const std::string edited = "10.0.0.99 localhost\r\n";
  Put(hosts_, edited, 6);
  ::SetFileAttributesW(win32::Wide(hosts_).c_str(), FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(files::AcceptSysFileChange("HOSTS", hosts_, false).done);
  EXPECT_EQ(Bytes(files::SysFileBackupPath("HOSTS")), edited);
  EXPECT_EQ(Record("HOSTS", DigestName()), common::DigestOfBytes(edited).value_or("?"));
  EXPECT_EQ(Record("HOSTS", "Date"), files::StampOf(hosts_).date);
  EXPECT_NE(win32::FileAttributes(hosts_).value_or(0) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(files::CheckSysFile("HOSTS", hosts_, Counting()), 0);
  EXPECT_TRUE(asked_.empty());

  // Accepted with "Disable Future Monitoring": Date and Size stay, without a Location.
  ::SetFileAttributesW(win32::Wide(hosts_).c_str(), FILE_ATTRIBUTE_NORMAL);
  Put(hosts_, "changed again\r\n", 8);
  ASSERT_TRUE(files::AcceptSysFileChange("HOSTS", hosts_, true).done);
  EXPECT_FALSE(Record("HOSTS", "Date").empty());
  EXPECT_FALSE(Record("HOSTS", "Size").empty());
  EXPECT_TRUE(Record("HOSTS", "Location").empty());
  Put(hosts_, "and again, much longer than before\r\n", 9);
  files::VerifySysFiles(Counting());
  EXPECT_TRUE(asked_.empty()) << "a file no longer watched is never examined";
}

TEST_F(SysFiles, AcceptOfAFileThatIsGoneFails) {
  Put(hosts_, "127.0.0.1 localhost\r\n", 1);
  ASSERT_TRUE(files::SnapshotSysFile(hosts_, "HOSTS", ""));
  ASSERT_TRUE(::DeleteFileW(win32::Wide(hosts_).c_str()));
  const files::SysFileAction action = files::AcceptSysFileChange("HOSTS", hosts_, false);
  EXPECT_FALSE(action.done);
  EXPECT_EQ(action.error, DWORD{ERROR_FILE_NOT_FOUND});
  EXPECT_EQ(files::CheckSysFile("HOSTS", hosts_, Counting()), 0) << "a missing file is skipped";
}

// The watched files are the system's own; C:\Config.sys stands for them all, as it is missing
// from a fresh prefix (the rule is the same for HOSTS).
TEST_F(SysFiles, AWatchedFileMissingAtFirstIsRecordedWhenItAppearsAndWatchedFromThen) {
  const std::string config = "C:\\Config.sys";
  ASSERT_FALSE(win32::IsExistingFile(config)) << "the prefix has a Config.sys of its own";
  files::RecordSysFiles();
  auto key = win32::OpenKey(HKEY_LOCAL_MACHINE, files::SysFileRecordKey("Config.sys"), KEY_READ);
  ASSERT_TRUE(key);
  EXPECT_TRUE(win32::EnumValueNames(key.get()).empty());
  EXPECT_FALSE(Record("HOSTS", "Location").empty()) << "the prefix's HOSTS is recorded first";

  createdOutside_ = config;
  Put(config, "DEVICE=C:\\planted.sys\r\n", 2);
  files::VerifySysFiles(Counting());
  EXPECT_EQ(Record("Config.sys", "Location"), config);
  EXPECT_EQ(Record("Config.sys", "Comment"), "Used at system boot time at command level.");
  EXPECT_EQ(Bytes(files::SysFileBackupPath("Config.sys")), "DEVICE=C:\\planted.sys\r\n");

  Put(config, "DEVICE=C:\\planted2.sys\r\n", 3);
  asked_.clear();
  files::VerifySysFiles(Counting());
  ASSERT_EQ(asked_.size(), 1u);
  EXPECT_EQ(asked_[0], "Config.sys|" + config);
}

TEST(FileDigest, KnownDigestsAndWhatVouchesForNothing) {
  EXPECT_EQ(common::DigestOfBytes("").value_or(""),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(common::DigestOfBytes("abc").value_or(""),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const std::string path = win32::Narrow(temp) + "obrivo-digest-test.bin";
  ASSERT_TRUE(WriteBytes(path, kTenMegabytes));
  EXPECT_EQ(common::FileDigest(path), common::DigestOfBytes(kTenMegabytes))
      << "read in pieces, the same digest";
  ::DeleteFileW(win32::Wide(path).c_str());
  EXPECT_FALSE(common::FileDigest(path));
  EXPECT_TRUE(common::DigestsMatch("BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD",
                                   common::DigestOfBytes("abc")));
  EXPECT_FALSE(common::DigestsMatch("", std::string()));
  EXPECT_FALSE(common::DigestsMatch("ba78", std::nullopt));
  EXPECT_EQ(common::CurrentUserId().rfind("S-1-", 0), 0u) << common::CurrentUserId();
}

}  // namespace
}  // namespace obrivo::test
