// What the file-type tests share: the places associations live, spelt out here rather than taken
// from the code under test, and a sandbox with one watched extension set up in all of them.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/store.h"
#include "common/win32/registry.h"
#include "wine_test_env.h"

namespace obrivo::test {

inline constexpr char kMachineClasses[] = "Software\\Classes\\";
inline constexpr char kFileExts[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";
inline constexpr char kOpen[] = "\\shell\\open\\command";
inline constexpr char kStore[] = "Software\\Tolvane\\Obrivo\\";

class FileTypesTest : public SandboxedTest {
 protected:
  // The extension in the system's classes (kind 1).
  static void SetSystem(const std::string& ext, const std::string& cls, const std::string& command,
                        DWORD type = REG_SZ) {
    Text(HKEY_LOCAL_MACHINE, kMachineClasses + ext, "", cls);
    Text(HKEY_LOCAL_MACHINE, kMachineClasses + cls + kOpen, "", command, type);
  }
  // The shell's per-user choice of an application (kind 2) or a ProgID (kind 3).
  static void SetApplication(const std::string& ext, const std::string& app,
                             const std::string& command) {
    Text(HKEY_CURRENT_USER, kFileExts + ext, "Application", app);
    Text(HKEY_CLASSES_ROOT, "Applications\\" + app + kOpen, "", command);
  }
  static void SetProgId(const std::string& ext, const std::string& progId,
                        const std::string& command) {
    Text(HKEY_CURRENT_USER, kFileExts + ext, "ProgID", progId);
    Text(HKEY_CLASSES_ROOT, progId + kOpen, "", command);
  }
  static void SetList(const std::string& list) { Text(HKEY_CURRENT_USER, std::string(kStore) + "Class", "", list); }

  static void Text(HKEY hive, const std::string& path, const std::string& name,
                   const std::string& text, DWORD type = REG_SZ) {
    auto key = win32::CreateKey(hive, path, KEY_ALL_ACCESS);
    ASSERT_TRUE(key) << path;
    ASSERT_TRUE(win32::SetStringValue(key.get(), name, text, type)) << path;
  }
  // The text and type a value holds; type REG_NONE when it is missing.
  static win32::RegValue Raw(HKEY hive, const std::string& path, const std::string& name) {
    auto key = win32::OpenKey(hive, path, KEY_READ);
    if (!key) return {};
    return win32::QueryValue(key.get(), name).value_or(win32::RegValue{});
  }
  static std::string Read(HKEY hive, const std::string& path, const std::string& name) {
    return win32::StringFromValue(Raw(hive, path, name)).value_or("");
  }
  static std::string Stored(const std::string& key, const std::string& name) {
    return Read(HKEY_CURRENT_USER, kStore + key, name);
  }
  static std::string SystemCommand(const std::string& cls) {
    return Read(HKEY_LOCAL_MACHINE, kMachineClasses + cls + kOpen, "");
  }
};

}  // namespace obrivo::test
