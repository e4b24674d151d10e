// File-system helpers through the W functions.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace obrivo::win32 {

// The path as the W file functions take it at any length: a full path that would not fit
// MAX_PATH gets the "\\?\" form (a UNC path "\\?\UNC\"), in which Windows neither cuts nor
// parses it; a shorter or relative path is left as it is.
std::wstring ExtendedPath(std::string_view path);
std::wstring ExtendedPath(std::wstring wide);

// Attributes of a path; nothing when it does not exist or cannot be reached.
std::optional<DWORD> FileAttributes(std::string_view path);
bool IsExistingFile(std::string_view path);       // exists and is not a folder
bool IsExistingDirectory(std::string_view path);

// GetLongPathNameW / GetShortPathNameW; nothing when the path cannot be converted.
std::optional<std::string> LongPath(std::string_view path);
std::optional<std::string> ShortPath(std::string_view path);

// The file's own name as the file system stores it (its real case), when it exists.
std::optional<std::string> StoredFileName(std::string_view path);

// Creates a folder; an existing one counts as success.
bool EnsureDirectory(std::string_view path);

std::optional<std::uint64_t> FileSize(std::string_view path);
std::optional<FILETIME> FileCreationTime(std::string_view path);

// Whole file contents, or nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(std::string_view path);

// Moves `from` over `to` in one step (MoveFileExW replacing, written through): `to` is then
// either the old file or the whole new one, never a part of either.
bool MoveReplacing(std::string_view from, std::string_view to);
// Makes `path` hold exactly `data`: written and flushed to a side file beside it, which then
// replaces it in one step. A failure leaves `path` as it was.
bool WriteWholeFileReplacing(std::string_view path, std::string_view data);

}  // namespace obrivo::win32
