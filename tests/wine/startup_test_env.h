// Shared set-up of the startup-location tests: a sandboxed registry, win.ini's program lists
// emptied and put back, a scratch folder, and the listed items by location.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "common/app.h"
#include "common/items.h"
#include "common/utilities.h"
#include "common/win32/wide.h"
#include "core/item_list.h"
#include "core/startup_codes.h"
#include "startup/startup_locations.h"
#include "test_process.h"
#include "wine_test_env.h"

namespace obrivo::test {

inline const std::string kDisabledKey = "Software\\Tolvane\\Obrivo\\Disabled";

class StartupTest : public SandboxedTest {
 protected:
  // The hive of a Run-key code's key.
  static HKEY HiveOf(int code) { return code / 10 == 1 ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

  void SetUp() override {
    SandboxedTest::SetUp();
    common::App().ntFamily = true;
    common::App().wow64Keys = true;
    // win.ini lies outside the sandbox: its lists are emptied here and put back afterwards.
    for (const wchar_t* key : {L"run", L"load"}) {
      savedWinIni_.push_back(ReadWinIni(key));
      ::WriteProfileStringW(L"windows", key, nullptr);
    }
    scratch_ = common::ProgramFolder() + "\\startup-scratch";
    ::CreateDirectoryW(win32::Wide(scratch_).c_str(), nullptr);
    bin_ = win32::Narrow(HostToWine(EnvVar(L"OBRIVO_BIN_DIR")));
  }

  void TearDown() override {
    const wchar_t* keys[] = {L"run", L"load"};
    for (std::size_t i = 0; i < savedWinIni_.size(); ++i)
      ::WriteProfileStringW(L"windows", keys[i],
                            savedWinIni_[i].empty() ? nullptr : savedWinIni_[i].c_str());
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
      const std::wstring path = win32::Wide(*it);
      if (!::DeleteFileW(path.c_str())) ::RemoveDirectoryW(path.c_str());
    }
    ::RemoveDirectoryW(win32::Wide(scratch_).c_str());
  }

  static std::wstring ReadWinIni(const wchar_t* key) {
    wchar_t buffer[4096] = {};
    const DWORD n = ::GetProfileStringW(L"windows", key, L"", buffer, 4096);
    return std::wstring(buffer, n);
  }

  static void SetString(HKEY hive, const std::string& path, const std::string& name,
                        const std::string& data, DWORD type = REG_SZ) {
    SetRaw(hive, path, name, type, Utf16Bytes(win32::Wide(data), true));
  }

  // A folder or file made for the test, removed afterwards (files before their folders).
  std::string MakeFolder(const std::string& path) {
    ::CreateDirectoryW(win32::Wide(path).c_str(), nullptr);
    made_.push_back(path);
    return path;
  }
  std::string MakeFile(const std::string& path, const std::string& contents = "x") {
    const HANDLE file = ::CreateFileW(win32::Wide(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      ::WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
      ::CloseHandle(file);
    }
    made_.push_back(path);
    return path;
  }
  std::string CopyOf(const std::string& source, const std::string& path) {
    ::CopyFileW(win32::Wide(source).c_str(), win32::Wide(path).c_str(), FALSE);
    made_.push_back(path);
    return path;
  }
  // Registered for removal only (made by the code under test or a helper).
  void Remember(const std::string& path) { made_.push_back(path); }

  // Fixture programs with version information.
  std::string Described() const { return bin_ + "\\obrivo_waiting_program.exe"; }
  std::string Plain() const { return bin_ + "\\obrivo_test_helper.exe"; }
  std::string OsProduct() const { return bin_ + "\\version_os_product.dll"; }
  std::string NoProduct() const { return bin_ + "\\version_no_product.dll"; }

  static std::vector<core::Item> Listed() {
    std::vector<core::Item> items;
    for (std::size_t i = 0; i < common::ItemCount(); ++i) items.push_back(common::Items().At(i));
    return items;
  }
  static std::vector<core::Item> OfType(int code) {
    std::vector<core::Item> items;
    for (const core::Item& item : Listed())
      if (item.type == code) items.push_back(item);
    return items;
  }
  static std::vector<core::Item> Titled(const std::string& title) {
    std::vector<core::Item> items;
    for (const core::Item& item : Listed())
      if (item.title == title) items.push_back(item);
    return items;
  }

  std::string scratch_;
  std::string bin_;

 private:
  std::vector<std::wstring> savedWinIni_;
  std::vector<std::string> made_;
};

}  // namespace obrivo::test
