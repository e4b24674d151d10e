// The watched system files: records, backups, the check and the answers to a change.
#include "files/sys_files.h"

#include <shellapi.h>

#include <algorithm>

#include "common/file_digest.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/registry.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"
#include "core/capacity.h"
#include "core/text.h"

namespace obrivo::files {
namespace {

// The name of the value beside a record that holds the current user's digest of the backup.
constexpr std::string_view kDigestPrefix = "Digest";

std::string ReadRecord(std::string_view name, std::string_view value) {
  return common::ReadStoreString(SysFileRecordKey(name), HKEY_LOCAL_MACHINE, value,
                                 core::kTextCapacity);
}

void WriteRecord(std::string_view name, std::string_view value, std::string_view text) {
  common::WriteStoreString(HKEY_LOCAL_MACHINE, SysFileRecordKey(name), value, text);
}

// The leading decimal number of a record value; 0 when there is none.
unsigned long RecordNumber(std::string_view text) {
  unsigned long n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    n = n * 10 + static_cast<unsigned long>(c - '0');
  }
  return n;
}

win32::UniqueHandle OpenShared(std::string_view path) {
  return win32::UniqueHandle(::CreateFileW(
      win32::Wide(path).c_str(), GENERIC_READ,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
      FILE_ATTRIBUTE_NORMAL, nullptr));
}

// A file's contents with its last-write time, read through one handle.
struct FileCopy {
  std::string bytes;
  FILETIME lastWrite{};
};

std::optional<FileCopy> ReadCopy(std::string_view path, DWORD& error) {
  win32::UniqueHandle file = OpenShared(path);
  if (!file) {
    error = ::GetLastError();
    return std::nullopt;
  }
  FileCopy copy;
  LARGE_INTEGER size{};
  if (!::GetFileTime(file.get(), nullptr, nullptr, &copy.lastWrite) ||
      !::GetFileSizeEx(file.get(), &size) || size.QuadPart > (1LL << 30)) {
    error = ::GetLastError();
    if (error == 0) error = ERROR_FILE_TOO_LARGE;
    return std::nullopt;
  }
  copy.bytes.resize(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < copy.bytes.size()) {
    DWORD got = 0;
    const DWORD want =
        static_cast<DWORD>(std::min<std::size_t>(copy.bytes.size() - done, std::size_t{1} << 20));
    if (!::ReadFile(file.get(), copy.bytes.data() + done, want, &got, nullptr)) {
      error = ::GetLastError();
      return std::nullopt;
    }
    if (got == 0) break;
    done += got;
  }
  copy.bytes.resize(done);
  return copy;
}

// Writes `copy` over `path` (or creates it) and gives it the copy's last-write time. A read-only
// target is made writable for the write and read-only again afterwards, whether the write
// succeeded or not; its other attributes stay too. 0, or the system's error number.
DWORD WriteCopy(std::string_view path, const FileCopy& copy) {
  const std::wstring wide = win32::Wide(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  const bool existed = attributes != INVALID_FILE_ATTRIBUTES;
  if (existed && (attributes & FILE_ATTRIBUTE_READONLY))
    ::SetFileAttributesW(wide.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
  DWORD error = 0;
  {
    // Opened, not created anew: creating over a hidden or system file fails, and the file keeps
    // its own security settings.
    win32::UniqueHandle file(::CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      error = ::GetLastError();
    } else {
      std::size_t done = 0;
      while (done < copy.bytes.size() && error == 0) {
        DWORD wrote = 0;
        const DWORD want = static_cast<DWORD>(
            std::min<std::size_t>(copy.bytes.size() - done, std::size_t{1} << 20));
        if (!::WriteFile(file.get(), copy.bytes.data() + done, want, &wrote, nullptr) ||
            wrote == 0)
          error = ::GetLastError() ? ::GetLastError() : ERROR_WRITE_FAULT;
        done += wrote;
      }
      if (error == 0 && !::SetEndOfFile(file.get())) error = ::GetLastError();
      if (error == 0 && !::SetFileTime(file.get(), nullptr, nullptr, &copy.lastWrite))
        error = ::GetLastError();
    }
  }
  if (existed && (attributes & FILE_ATTRIBUTE_READONLY))
    ::SetFileAttributesW(wide.c_str(), attributes);
  return error;
}

std::string StoredDigest(std::string_view name) {
  return ReadRecord(name, common::DigestValueName(kDigestPrefix));
}

// Writes the backup of `name` and the user's digest of it beside the record.
DWORD WriteBackup(std::string_view name, const FileCopy& copy) {
  if (const DWORD error = WriteCopy(SysFileBackupPath(name), copy)) return error;
  const std::optional<std::string> digest = common::DigestOfBytes(copy.bytes);
  if (!digest) return ERROR_INVALID_FUNCTION;
  WriteRecord(name, common::DigestValueName(kDigestPrefix), *digest);
  return 0;
}

// True when the backup is the one the user's digest describes and holds exactly the file's
// contents: only then may a new date over the same size count as a touch.
bool BackupVouchesFor(std::string_view name, std::string_view path) {
  DWORD error = 0;
  const auto backup = ReadCopy(SysFileBackupPath(name), error);
  if (!backup || !common::DigestsMatch(StoredDigest(name), common::DigestOfBytes(backup->bytes)))
    return false;
  const auto current = ReadCopy(path, error);
  return current && current->bytes == backup->bytes;
}

bool RecordIsEmpty(std::string_view name) {
  auto key = win32::OpenKey(HKEY_LOCAL_MACHINE, SysFileRecordKey(name), KEY_READ);
  return key && win32::EnumValueNames(key.get()).empty();
}

}  // namespace

std::string SysFileRecordKey(std::string_view name) {
  return std::string(kSysFilesKey) + "\\" + std::string(name);
}

std::vector<WatchedFile> WatchedSystemFiles() {
  return {
      {"HOSTS", common::HostsFilePath(),
       "HOST file can be used to protect or redirect domain access."},
      {"Autoexec.bat", "C:\\autoexec.bat", "Runs at system boot time at command level."},
      {"Config.sys", "C:\\Config.sys", "Used at system boot time at command level."},
  };
}

std::string SysFileBackupPath(std::string_view name) {
  return common::DataFolder() + "\\" + std::string(name);
}

FileStamp StampOf(std::string_view path) {
  FileStamp stamp;
  win32::UniqueHandle file = OpenShared(path);
  if (!file) return stamp;
  FILETIME lastWrite{};
  if (::GetFileTime(file.get(), nullptr, nullptr, &lastWrite))
    stamp.date = common::LocalDateTimeText(common::FileTimeToLocal(lastWrite));
  const DWORD size = ::GetFileSize(file.get(), nullptr);
  if (size != INVALID_FILE_SIZE || ::GetLastError() == NO_ERROR) stamp.size = std::to_string(size);
  return stamp;
}

bool SnapshotSysFile(std::string_view path, std::string_view name, std::string_view description,
                     DWORD* error) {
  win32::CreateKey(HKEY_LOCAL_MACHINE, SysFileRecordKey(name), KEY_WRITE);
  if (!win32::IsExistingFile(path)) return false;
  const FileStamp stamp = StampOf(path);
  WriteRecord(name, "Date", stamp.date);
  WriteRecord(name, "Size", stamp.size);
  WriteRecord(name, "Type", "0");
  if (!description.empty()) WriteRecord(name, "Comment", description);
  WriteRecord(name, "Location", path);
  DWORD failure = 0;
  if (const auto copy = ReadCopy(path, failure)) failure = WriteBackup(name, *copy);
  if (error) *error = failure;
  return failure == 0;
}

std::vector<std::string> RecordSysFiles() {
  std::vector<std::string> failed;
  for (const WatchedFile& file : WatchedSystemFiles())
    if (!SnapshotSysFile(file.path, file.name, file.comment) && win32::IsExistingFile(file.path))
      failed.push_back(file.name);
  return failed;
}

int CheckSysFile(std::string_view name, std::string_view path, const SysFileCheckHooks& hooks) {
  if (!win32::IsExistingFile(path)) return 0;
  const unsigned long type = RecordNumber(ReadRecord(name, "Type"));
  const FileStamp now = StampOf(path);
  if (now.date.empty()) return 0;  // not readable now: nothing can be compared
  const std::string storedSize = ReadRecord(name, "Size");
  if (RecordNumber(storedSize) == 0) WriteRecord(name, "Size", now.size);
  const std::string storedDate = ReadRecord(name, "Date");
  if (storedDate.empty()) {
    WriteRecord(name, "Date", now.date);
    return 0;
  }
  if (storedDate == now.date) return 0;
  if (type == 0 && storedSize == now.size && BackupVouchesFor(name, path)) {
    // Touched, not changed: the new date is taken so that the contents are not read again.
    WriteRecord(name, "Date", now.date);
    return 0;
  }
  if (hooks.showAlertIcon) hooks.showAlertIcon();
  return hooks.ask ? hooks.ask(std::string(name), std::string(path)) : 0;
}

void VerifySysFiles(const SysFileCheckHooks& hooks) {
  std::vector<std::string> names;
  {
    auto key = win32::OpenKey(HKEY_LOCAL_MACHINE, kSysFilesKey, KEY_READ);
    if (!key) return;
    names = win32::EnumSubkeyNames(key.get());
  }
  for (const std::string& name : names) {
    if (name.empty()) continue;
    const std::string location = ReadRecord(name, "Location");
    if (!location.empty()) {
      CheckSysFile(name, location, hooks);
      continue;
    }
    // A key with no values at all is a watched file that was missing when the records were
    // made (a key whose monitoring was stopped keeps its Date and Size).
    if (!RecordIsEmpty(name)) continue;
    for (const WatchedFile& file : WatchedSystemFiles())
      if (file.name == name && win32::IsExistingFile(file.path))
        SnapshotSysFile(file.path, file.name, file.comment);
  }
}

SysFileAction AcceptSysFileChange(std::string_view name, std::string_view path,
                                  bool stopWatching) {
  SysFileAction action;
  if (stopWatching) common::DeleteStoreTree(HKEY_LOCAL_MACHINE, SysFileRecordKey(name));
  if (!win32::IsExistingFile(path)) {
    action.error = ERROR_FILE_NOT_FOUND;
    return action;
  }
  const FileStamp now = StampOf(path);
  WriteRecord(name, "Date", now.date);
  WriteRecord(name, "Size", now.size);
  const auto copy = ReadCopy(path, action.error);
  if (!copy) return action;
  action.error = WriteBackup(name, *copy);
  action.done = action.error == 0;
  return action;
}

SysFileAction RejectSysFileChange(std::string_view name, std::string_view path,
                                  bool stopWatching) {
  SysFileAction action;
  const auto backup = ReadCopy(SysFileBackupPath(name), action.error);
  if (!backup) return action;
  if (!common::DigestsMatch(StoredDigest(name), common::DigestOfBytes(backup->bytes))) {
    action.backupChanged = true;
    return action;
  }
  if (stopWatching) common::DeleteStoreTree(HKEY_LOCAL_MACHINE, SysFileRecordKey(name));
  action.error = WriteCopy(path, *backup);
  action.done = action.error == 0;
  return action;
}

DWORD OpenInNotepad(HWND owner, std::string_view path, std::string_view folder) {
  if (!win32::IsExistingFile(path)) return ERROR_FILE_NOT_FOUND;
  const std::wstring parameter = L"\"" + win32::Wide(path) + L"\"";
  const std::wstring directory = win32::Wide(folder);
  ::SetLastError(0);
  const auto result = reinterpret_cast<INT_PTR>(
      ::ShellExecuteW(owner, L"open", L"notepad.exe", parameter.c_str(),
                      directory.empty() ? nullptr : directory.c_str(), SW_SHOWNORMAL));
  if (result > 32) return 0;
  const DWORD error = ::GetLastError();
  return error ? error : static_cast<DWORD>(result ? result : ERROR_FILE_NOT_FOUND);
}

}  // namespace obrivo::files
