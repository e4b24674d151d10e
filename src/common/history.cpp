// The history file.
#include "common/history.h"

#include <windows.h>

#include "common/data_folder.h"
#include "common/items.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"
#include "core/history_record.h"

namespace obrivo::common {
namespace {

// How long a writer waits for the other program's write, or for an opener that does not share
// the file (an editor, an older version): about a second in all, then the record is given up.
constexpr int kAttempts = 50;
constexpr DWORD kRetryPauseMs = 20;

// Writers lock one byte far beyond any real end of the file: the lock orders the writers of
// both programs but never covers data, so a reader is never refused.
constexpr DWORD kWriterLockOffsetHigh = 0x40000000;

bool IsTransient(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// One attempt: ERROR_SUCCESS when the whole record went into the file.
DWORD TryAppend(const std::wstring& path, std::string_view record) {
  // Append access puts every write at the end of the file. Windows keeps such appends whole;
  // Wine has been seen to split one record with another, so the writers also take the lock.
  // With it the Monitor's and the Explorer's records never overwrite or split each other.
  // Reading and writing are shared, so neither program (nor the viewer) locks the other out.
  win32::UniqueHandle file(::CreateFileW(
      path.c_str(), FILE_APPEND_DATA | FILE_READ_DATA | SYNCHRONIZE,
      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return ::GetLastError();
  OVERLAPPED lockAt{};
  lockAt.OffsetHigh = kWriterLockOffsetHigh;
  if (!::LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                    &lockAt))
    return ::GetLastError();
  ::SetFilePointerEx(file.get(), LARGE_INTEGER{}, nullptr, FILE_END);
  DWORD written = 0;
  const BOOL ok =
      ::WriteFile(file.get(), record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
  const DWORD error = ok ? ERROR_SUCCESS : ::GetLastError();
  ::UnlockFileEx(file.get(), 0, 1, 0, &lockAt);
  if (ok && written != record.size()) return ERROR_WRITE_FAULT;  // a full disk; not retried
  return error;
}

// Appends `record` with one write, waiting briefly while the file is busy.
bool AppendRecord(const std::string& path, std::string_view record) {
  const std::wstring widePath = win32::Wide(path);
  for (int attempt = 1;; ++attempt) {
    const DWORD error = TryAppend(widePath, record);
    if (error == ERROR_SUCCESS) return true;
    if (!IsTransient(error) || attempt >= kAttempts) return false;
    ::Sleep(kRetryPauseMs);
  }
}

core::DateTime LocalNow() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

}  // namespace

std::string HistoryFilePath() { return DataPath("history.txt"); }

bool WriteHistory(int event, int type, std::string_view title, std::string_view file,
                  std::string_view description) {
  if (ReadOption("History", 1) <= 0) return false;
  return AppendRecord(HistoryFilePath(),
                      core::FormatHistoryRecord(LocalNow(), event, type, title, file, description));
}

std::size_t LoadHistory() {
  ClearItems();
  // Read with every kind of sharing, so a writer is never turned away while the viewer reads.
  const auto contents = win32::ReadWholeFile(HistoryFilePath());
  if (!contents) return 0;
  std::vector<core::HistoryRow> rows = core::ParseHistoryFile(*contents);
  // The list holds 4096 rows: a long file shows its newest records, the ones that matter.
  const std::size_t first = rows.size() > core::kMaxItems ? rows.size() - core::kMaxItems : 0;
  for (std::size_t i = first; i < rows.size(); ++i) {
    core::HistoryRow& row = rows[i];
    core::Item item;
    item.title = std::move(row.title);
    item.path = std::move(row.file);
    item.key = std::move(row.description);
    item.text = std::move(row.date);
    item.type = row.type;
    item.flag = row.event;
    // The list's own rules (long path form, the program's own title) would change what the
    // record says, so rows go in as read.
    if (!Items().AddRaw(std::move(item))) break;
  }
  return ItemCount();
}

bool ClearHistoryFile() {
  const std::string path = HistoryFilePath();
  return DeleteFileForce(path) || !win32::FileAttributes(path);
}

}  // namespace obrivo::common
