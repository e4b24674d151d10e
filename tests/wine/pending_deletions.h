// The deletions waiting for the next restart, which Windows keeps in the real machine hive,
// outside the sandbox.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/win32/registry.h"
#include "common/win32/wide.h"
#include "core/text.h"
#include "registry_sandbox.h"

namespace obrivo::test {

// Windows keeps the pending deletions in the real machine hive, outside the sandbox: the test
// reads them there and puts the value back as it found it.
class PendingDeletions {
 public:
  PendingDeletions() {
    WithRealMachineHive([&] {
      auto key = win32::OpenKey(HKEY_LOCAL_MACHINE, kSessionManager, KEY_READ);
      if (key) original_ = win32::QueryValue(key.get(), kValue);
    });
  }
  ~PendingDeletions() {
    WithRealMachineHive([&] {
      auto key = win32::OpenKey(HKEY_LOCAL_MACHINE, kSessionManager, KEY_ALL_ACCESS);
      if (!key) return;
      if (!original_)
        ::RegDeleteValueW(key.get(), L"PendingFileRenameOperations");
      else
        ::RegSetValueExW(key.get(), L"PendingFileRenameOperations", 0, original_->type,
                         original_->data.data(), static_cast<DWORD>(original_->data.size()));
    });
  }
  PendingDeletions(const PendingDeletions&) = delete;
  PendingDeletions& operator=(const PendingDeletions&) = delete;

  // True when `path` is waiting to be deleted (a source without a destination).
  bool Lists(const std::string& path) const {
    std::vector<std::wstring> entries;
    WithRealMachineHive([&] {
      auto key = win32::OpenKey(HKEY_LOCAL_MACHINE, kSessionManager, KEY_READ);
      const auto value = key ? win32::QueryValue(key.get(), kValue) : std::nullopt;
      if (!value) return;
      const auto* p = reinterpret_cast<const wchar_t*>(value->data.data());
      const std::size_t count = value->data.size() / sizeof(wchar_t);
      std::size_t start = 0;
      for (std::size_t i = 0; i < count; ++i) {
        if (p[i] != L'\0') continue;
        entries.emplace_back(p + start, i - start);
        start = i + 1;
      }
    });
    for (std::size_t i = 0; i + 1 < entries.size(); i += 2)
      if (core::EqualsNoCase(win32::Narrow(entries[i]), "\\??\\" + path) && entries[i + 1].empty())
        return true;
    return false;
  }

 private:
  static constexpr const char* kSessionManager =
      "System\\CurrentControlSet\\Control\\Session Manager";
  static constexpr const char* kValue = "PendingFileRenameOperations";

  // Lifts the sandbox's redirection of HKEY_LOCAL_MACHINE for `work` and puts it back.
  static void WithRealMachineHive(const std::function<void()>& work) {
    HKEY sandbox = RegistrySandbox::OpenRedirection(HKEY_LOCAL_MACHINE);
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    work();
    if (sandbox) {
      ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, sandbox);
      ::RegCloseKey(sandbox);
    }
  }

  std::optional<win32::RegValue> original_;
};

}  // namespace obrivo::test
