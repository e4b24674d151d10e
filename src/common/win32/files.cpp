// File-system helpers.
#include "common/win32/files.h"

#include <algorithm>

#include "common/win32/unique.h"
#include "common/win32/wide.h"

namespace obrivo::win32 {

std::wstring ExtendedPath(std::string_view path) { return ExtendedPath(Wide(path)); }

std::wstring ExtendedPath(std::wstring wide) {
  // Room for the 8.3 name Windows may append when it makes a folder: paths from 248 on.
  constexpr std::size_t kPlainLimit = 248;
  if (wide.size() < kPlainLimit || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
  const bool drive = wide.size() > 2 && wide[1] == L':' && wide[2] == L'\\';
  const bool unc = wide.rfind(L"\\\\", 0) == 0;
  if (drive) return L"\\\\?\\" + wide;
  if (unc) return L"\\\\?\\UNC\\" + wide.substr(2);
  return wide;
}

std::optional<DWORD> FileAttributes(std::string_view path) {
  if (path.empty()) return std::nullopt;
  const DWORD attributes = ::GetFileAttributesW(ExtendedPath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return attributes;
}

bool IsExistingFile(std::string_view path) {
  const auto a = FileAttributes(path);
  return a && !(*a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsExistingDirectory(std::string_view path) {
  const auto a = FileAttributes(path);
  return a && (*a & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

template <typename Fn>
std::optional<std::string> ConvertPath(std::string_view path, Fn fn) {
  if (path.empty()) return std::nullopt;
  const std::wstring wide = Wide(path);
  DWORD size = fn(wide.c_str(), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring out(size, L'\0');
  const DWORD length = fn(wide.c_str(), out.data(), size);
  if (length == 0 || length >= size) return std::nullopt;
  out.resize(length);
  return Narrow(out);
}

}  // namespace

std::optional<std::string> LongPath(std::string_view path) {
  return ConvertPath(path, ::GetLongPathNameW);
}

std::optional<std::string> ShortPath(std::string_view path) {
  return ConvertPath(path, ::GetShortPathNameW);
}

std::optional<std::string> StoredFileName(std::string_view path) {
  if (path.empty() || path.find_first_of("*?") != std::string_view::npos) return std::nullopt;
  WIN32_FIND_DATAW data{};
  UniqueFind find(::FindFirstFileW(Wide(path).c_str(), &data));
  if (!find) return std::nullopt;
  return Narrow(data.cFileName);
}

bool EnsureDirectory(std::string_view path) {
  if (::CreateDirectoryW(Wide(path).c_str(), nullptr)) return true;
  return ::GetLastError() == ERROR_ALREADY_EXISTS && IsExistingDirectory(path);
}

namespace {

UniqueHandle OpenForReading(std::string_view path) {
  return UniqueHandle(::CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

std::optional<std::uint64_t> FileSize(std::string_view path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data))
    return std::nullopt;
  return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

std::optional<FILETIME> FileCreationTime(std::string_view path) {
  UniqueHandle file = OpenForReading(path);
  if (!file) return std::nullopt;
  FILETIME created{};
  if (!::GetFileTime(file.get(), &created, nullptr, nullptr)) return std::nullopt;
  return created;
}

std::optional<std::string> ReadWholeFile(std::string_view path) {
  UniqueHandle file = OpenForReading(path);
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > (1LL << 30)) return std::nullopt;
  std::string data(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < data.size()) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1 << 20));
    if (!::ReadFile(file.get(), data.data() + done, want, &got, nullptr) || got == 0) break;
    done += got;
  }
  data.resize(done);
  return data;
}

bool MoveReplacing(std::string_view from, std::string_view to) {
  return ::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool WriteWholeFileReplacing(std::string_view path, std::string_view data) {
  const std::string side = std::string(path) + ".tmp";
  {
    UniqueHandle file(::CreateFileW(Wide(side).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::size_t done = 0;
    bool written = true;
    while (written && done < data.size()) {
      DWORD put = 0;
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1 << 20));
      written = ::WriteFile(file.get(), data.data() + done, want, &put, nullptr) && put == want;
      done += put;
    }
    if (!written || !::FlushFileBuffers(file.get())) {
      file.reset();
      ::DeleteFileW(Wide(side).c_str());
      return false;
    }
  }
  if (MoveReplacing(side, path)) return true;
  ::DeleteFileW(Wide(side).c_str());
  return false;
}

}  // namespace obrivo::win32
