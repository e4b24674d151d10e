// The watched system files: HOSTS, C:\autoexec.bat and C:\Config.sys. Each has a record under
// HKEY_LOCAL_MACHINE (Sysfiles\<name>: Date, Size, Type, Comment, Location) and a backup copy in
// the user's data folder, with the user's digest of that copy beside the record. The check
// compares a file with its record; Accept refreshes the copy, Reject writes it back.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace obrivo::files {

// The records' key below the product key, and one record's.
inline constexpr std::string_view kSysFilesKey = "Software\\Tolvane\\Obrivo\\Sysfiles";
std::string SysFileRecordKey(std::string_view name);

struct WatchedFile {
  std::string name;  // the record's name, also the backup's file name
  std::string path;
  std::string comment;
};
// The three, in the order their records are written.
std::vector<WatchedFile> WatchedSystemFiles();

// <data folder>\<record name>.
std::string SysFileBackupPath(std::string_view name);

// What a file looks like to its record: the last-write time as local date text and the size in
// bytes (low 32 bits), both empty when the file cannot be opened.
struct FileStamp {
  std::string date, size;
};
FileStamp StampOf(std::string_view path);

// Writes the file's record and its backup (with the user's digest of it). False when the file
// does not exist (the record key is still created, empty, so the file is not examined) or the
// backup could not be written; `error` then holds the system's error number when there is one.
bool SnapshotSysFile(std::string_view path, std::string_view name, std::string_view description,
                     DWORD* error = nullptr);

// The three records, in order; the names of the existing files whose backup failed.
std::vector<std::string> RecordSysFiles();

// How the check raises and answers a change; the Monitor gives the tray icon and the alert.
struct SysFileCheckHooks {
  std::function<void()> showAlertIcon;
  // The change is pending: the hide options may answer it, else the alert asks. 1 when it was
  // answered (accepted or rejected), else 0.
  std::function<int(const std::string& name, const std::string& path)> ask;
};

// One file against its record; 1 when a change was found and answered, else 0. With the
// comparison mode 0 a change needs a new date and a new size, or, when only the date moved, other
// contents than the backup's (or a backup that cannot vouch for them: missing, unreadable or no
// longer matching its digest). A new date over the same contents is taken into the record.
int CheckSysFile(std::string_view name, std::string_view path, const SysFileCheckHooks& hooks);

// Every record with a Location. A watched file that did not exist when its record was made (an
// empty record) is recorded, with its backup, once it appears, and watched from then on.
void VerifySysFiles(const SysFileCheckHooks& hooks);

// What Accept or Reject did.
struct SysFileAction {
  bool done = false;
  DWORD error = 0;            // the system's error number of the step that failed
  bool backupChanged = false; // Reject refused: the backup no longer matches its digest
};

// Accept: with `stopWatching` the record goes first (Date and Size are written back without a
// Location, so the file is no longer examined); the record takes the file's date and size and
// the backup (and its digest) the file's contents. Read-only attributes are kept.
SysFileAction AcceptSysFileChange(std::string_view name, std::string_view path,
                                  bool stopWatching);

// Reject: the backup is written back over the file with the backup's last-write time, so that
// the record's date meets it again; a backup that does not match the user's digest is refused
// and nothing changes. With `stopWatching` the record goes (after the backup was found good).
// A read-only file stays read-only.
SysFileAction RejectSysFileChange(std::string_view name, std::string_view path,
                                  bool stopWatching);

// Opens `path` in Notepad, shown normally, working in `folder` when given. 0, or the system's
// error number (ERROR_FILE_NOT_FOUND when the file is missing).
DWORD OpenInNotepad(HWND owner, std::string_view path, std::string_view folder = {});

}  // namespace obrivo::files
