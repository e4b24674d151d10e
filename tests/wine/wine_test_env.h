// Shared set-up of the Wine-tier tests: a sandboxed registry and the program context.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/app.h"
#include "common/win32/registry.h"
#include "common/win32/wide.h"
#include "registry_sandbox.h"

namespace obrivo::test {

class SandboxedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    common::InitApp(core::Program::Explorer, ::GetModuleHandleW(nullptr));
    common::App().languageId = 9;
  }

  // Writes raw value data, whatever its type and length.
  static void SetRaw(HKEY hive, const std::string& path, const std::string& name, DWORD type,
                     const std::vector<BYTE>& data) {
    auto key = win32::CreateKey(hive, path, KEY_ALL_ACCESS);
    ASSERT_TRUE(key);
    ASSERT_EQ(::RegSetValueExW(key.get(), win32::Wide(name).c_str(), 0, type,
                               data.empty() ? nullptr : data.data(),
                               static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
  }

  static std::vector<BYTE> Utf16Bytes(const std::wstring& text, bool terminator) {
    const auto* p = reinterpret_cast<const BYTE*>(text.c_str());
    return std::vector<BYTE>(p, p + (text.size() + (terminator ? 1 : 0)) * sizeof(wchar_t));
  }

  static bool ValueExists(HKEY hive, const std::string& path, const std::string& name) {
    auto key = win32::OpenKey(hive, path, KEY_READ);
    return key && win32::QueryValue(key.get(), name).has_value();
  }

  static bool KeyExists(HKEY hive, const std::string& path) {
    return static_cast<bool>(win32::OpenKey(hive, path, KEY_READ));
  }

  RegistrySandbox sandbox_;
};

}  // namespace obrivo::test
