// What the cookie tests share: a scratch folder that stands for the user's AppData and cookie
// folders, with the shell's folder values of the sandboxed registry pointing into it.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/wide.h"
#include "file_bytes.h"
#include "wine_test_env.h"

namespace obrivo::test {

inline constexpr char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Deletes a folder with everything in it, whatever the files' attributes.
inline void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAW found{};
  HANDLE find = ::FindFirstFileW(win32::Wide(folder + "\\*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = win32::Narrow(found.cFileName);
      if (name == "." || name == "..") continue;
      const std::string path = folder + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        ::SetFileAttributesW(win32::Wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(win32::Wide(path).c_str());
      }
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
  }
  ::RemoveDirectoryW(win32::Wide(folder).c_str());
}

class CookieTest : public SandboxedTest {
 protected:
  void SetUp() override {
    SandboxedTest::SetUp();
    scratch_ = common::ProgramFolder() + "\\cookie-scratch-" + std::to_string(::GetCurrentProcessId());
    RemoveTree(scratch_);
    ASSERT_TRUE(win32::EnsureDirectory(scratch_));
    appData_ = MakeFolder("AppData");
    ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, kShellFoldersKey, "AppData", appData_));
  }
  void TearDown() override { RemoveTree(scratch_); }

  std::string MakeFolder(const std::string& relative) {
    const std::string path = scratch_ + "\\" + relative;
    EXPECT_TRUE(::SHCreateDirectoryExW(nullptr, win32::Wide(path).c_str(), nullptr) ==
                    ERROR_SUCCESS ||
                win32::IsExistingDirectory(path))
        << path;
    return path;
  }
  static std::string MakeFile(const std::string& path, std::string_view contents = "x") {
    EXPECT_TRUE(WriteBytes(path, contents)) << path;
    return path;
  }
  // An IE cookie folder (with its index.dat) chosen by the user.
  std::string MakeIECookieFolder(const std::string& relative = "IE Cookies") {
    const std::string folder = MakeFolder(relative);
    MakeFile(folder + "\\index.dat");
    EXPECT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, common::kProductKey, "IECookieFolder",
                                         folder));
    return folder + "\\";
  }
  // A Firefox profile under AppData, holding `cookies`.
  std::string MakeMozillaProfile(std::string_view cookies) {
    const std::string profile = MakeFolder("AppData\\Mozilla\\FireFox\\Profiles\\ab12.default");
    MakeFile(profile + "\\cookies.txt", cookies);
    return profile + "\\";
  }
  static std::string Contents(const std::string& path) {
    return win32::ReadWholeFile(path).value_or(std::string("<unreadable>"));
  }

  std::string scratch_, appData_;
};

// An option as the store holds it, "" when missing.
inline std::string StoredOptionText(std::string_view name) {
  return common::ReadStoreString(common::kOptionsKey, HKEY_CURRENT_USER, name, 64);
}

// One cookies.txt line.
inline std::string CookieLine(std::string_view domain, std::string_view name,
                              std::string_view value = "v", std::string_view end = "\n",
                              std::string_view expiry = "2000000000",
                              std::string_view secure = "FALSE") {
  std::string line(domain);
  line.append("\tTRUE\t/\t").append(secure).append("\t").append(expiry).append("\t");
  line.append(name).append("\t").append(value).append(end);
  return line;
}

}  // namespace obrivo::test
