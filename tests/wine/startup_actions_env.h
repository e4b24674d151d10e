// Shared set-up of the startup-operation tests: the sandboxed registry, win.ini's program lists
// put back as they were (win.ini is outside the sandbox), an empty history file beside the test
// program, and readers for the places the operations change.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "common/history.h"
#include "common/items.h"
#include "common/store.h"
#include "common/win32/registry.h"
#include "common/win32/wide.h"
#include "core/item_list.h"
#include "startup/startup_locations.h"
#include "wine_test_env.h"

namespace obrivo::test {

inline const std::string kDisabledKey = "Software\\Tolvane\\Obrivo\\Disabled";
inline const std::string kBaselineKey = "Software\\Tolvane\\Obrivo\\Run";
inline const std::string kVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";

// A string value exactly as stored; nothing when missing.
inline std::optional<std::string> Value(HKEY hive, const std::string& key,
                                        const std::string& name) {
  auto k = win32::OpenKey(hive, key, KEY_READ);
  if (!k) return std::nullopt;
  const auto value = win32::QueryValue(k.get(), name);
  if (!value) return std::nullopt;
  return win32::StringFromValue(*value);
}

// The Disabled store's record of the entry of location `code` named `name`.
inline std::optional<std::string> Record(int code, const std::string& name) {
  return Value(HKEY_LOCAL_MACHINE, kDisabledKey + "\\" + std::to_string(code), name);
}

inline std::string WinIniList(const char* keyName) {
  wchar_t buffer[4096] = {};
  const DWORD n = ::GetProfileStringW(L"windows", win32::Wide(keyName).c_str(), L"", buffer, 4096);
  return win32::Narrow(std::wstring(buffer, n));
}

inline void SetWinIniList(const char* keyName, const std::string& list) {
  ::WriteProfileStringW(L"windows", win32::Wide(keyName).c_str(),
                        list.empty() ? nullptr : win32::Wide(list).c_str());
}

// The startup entry of location `code` named `name`, as the full listing gives it.
inline std::optional<core::Item> ListedStartupEntry(int code, const std::string& name) {
  startup::EnumStartup(true);
  for (std::size_t i = 0; i < common::Items().Count(); ++i) {
    const core::Item& item = common::Items().At(i);
    if (item.type == code && core::EntryName(item) == name) return item;
  }
  return std::nullopt;
}

// Every record of the history file, oldest first.
inline std::vector<core::Item> HistoryRecords() {
  common::LoadHistory();
  std::vector<core::Item> records;
  for (std::size_t i = 0; i < common::Items().Count(); ++i)
    records.push_back(common::Items().At(i));
  return records;
}

class StartupActionsTest : public SandboxedTest {
 protected:
  void SetUp() override {
    SandboxedTest::SetUp();
    load_ = WinIniList("load");
    run_ = WinIniList("run");
    ASSERT_TRUE(common::ClearHistoryFile());
  }
  void TearDown() override {
    SetWinIniList("load", load_);
    SetWinIniList("run", run_);
    common::ClearHistoryFile();
  }

  static void Write(HKEY hive, const std::string& key, const std::string& name,
                    const std::string& data) {
    ASSERT_TRUE(common::WriteStoreString(hive, key, name, data)) << key << "\\" << name;
  }

  std::string load_, run_;
};

}  // namespace obrivo::test
