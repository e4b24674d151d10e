// Fixture folders of hidden files: files made with the attributes a test names, at any length of
// path (through the "\\?\" form), and the whole tree removed afterwards whatever it holds.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/win32/files.h"
#include "common/win32/wide.h"

namespace obrivo::test {

inline bool MakeFixtureFile(const std::string& path, DWORD attributes,
                            const std::string& contents = "fixture") {
  const std::wstring wide = win32::ExtendedPath(path);
  ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
  HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = ::WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written,
                              nullptr) != FALSE;
  ::CloseHandle(file);
  return ok && ::SetFileAttributesW(wide.c_str(), attributes) != FALSE;
}

inline bool MakeFixtureFolder(const std::string& path, DWORD attributes = 0) {
  const std::wstring wide = win32::ExtendedPath(path);
  if (!::CreateDirectoryW(wide.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
    return false;
  return attributes == 0 || ::SetFileAttributesW(wide.c_str(), attributes) != FALSE;
}

inline bool FixtureExists(const std::string& path) {
  return ::GetFileAttributesW(win32::ExtendedPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The file's bytes; empty when it cannot be read.
inline std::string FixtureContents(const std::string& path) {
  HANDLE file = ::CreateFileW(win32::ExtendedPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes(1 << 16, '\0');
  DWORD read = 0;
  if (!::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) read = 0;
  ::CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

// The marks a test sets and the product changes (hidden, system, read-only); the archive mark,
// which the file system sets by itself, is left out.
inline DWORD FixtureAttributes(const std::string& path) {
  return ::GetFileAttributesW(win32::ExtendedPath(path).c_str()) &
         (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
}

inline void RemoveFixtureTree(const std::string& path) {
  const std::wstring wide = win32::ExtendedPath(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    ::DeleteFileW(wide.c_str());
    return;
  }
  WIN32_FIND_DATAW entry{};
  HANDLE find = ::FindFirstFileW(win32::ExtendedPath(path + "\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name != L"." && name != L"..") RemoveFixtureTree(path + "\\" + win32::Narrow(name));
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
  }
  ::RemoveDirectoryW(wide.c_str());
}

// A folder of the test's own, emptied before and removed after.
class FixtureFolder {
 public:
  explicit FixtureFolder(std::string path) : path_(std::move(path)) {
    RemoveFixtureTree(path_);
    EXPECT_TRUE(MakeFixtureFolder(path_)) << path_;
  }
  ~FixtureFolder() { RemoveFixtureTree(path_); }
  FixtureFolder(const FixtureFolder&) = delete;
  FixtureFolder& operator=(const FixtureFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& relative) const { return path_ + "\\" + relative; }

 private:
  std::string path_;
};

// The temporary folder as the hidden-files walk finds it (one of its roots, walked one level
// deep), without the trailing backslash.
inline std::string TempFolderForFixtures() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
  std::wstring folder(buffer, length);
  while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
  return win32::Narrow(folder);
}

}  // namespace obrivo::test
