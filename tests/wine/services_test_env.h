// Service keys written into the sandboxed machine hive, for the enumerator and the check.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/items.h"
#include "system/services.h"
#include "wine_test_env.h"

namespace obrivo::test {

// A copy of a file put where a test needs it (its folder made), deleted with the folder after.
class PlacedCopy {
 public:
  PlacedCopy(const std::string& from, std::string to) : path_(std::move(to)) {
    ::CreateDirectoryW(win32::Wide(Folder()).c_str(), nullptr);
    copied_ = ::CopyFileW(win32::Wide(from).c_str(), win32::Wide(path_).c_str(), FALSE) != 0;
  }
  ~PlacedCopy() {
    ::DeleteFileW(win32::Wide(path_).c_str());
    ::RemoveDirectoryW(win32::Wide(Folder()).c_str());
  }
  PlacedCopy(const PlacedCopy&) = delete;
  PlacedCopy& operator=(const PlacedCopy&) = delete;
  const std::string& path() const { return path_; }
  bool copied() const { return copied_; }

 private:
  std::string Folder() const { return path_.substr(0, path_.rfind('\\')); }
  std::string path_;
  bool copied_ = false;
};

struct ServiceValue {
  std::string name;
  DWORD type;
  std::string text;  // string types; REG_DWORD: the decimal number
};

struct ServiceFixture {
  ServiceFixture(std::string key, std::vector<ServiceValue> keyValues,
                 std::vector<ServiceValue> parameterValues = {})
      : keyName(std::move(key)),
        values(std::move(keyValues)),
        parameters(std::move(parameterValues)) {}
  std::string keyName;
  std::vector<ServiceValue> values;
  std::vector<ServiceValue> parameters;  // values of the Parameters subkey
};

// Refuses every access to a key of the machine hive (its DACL empty), and allows it again when
// the object goes, so that it can be deleted.
class RefusedKey {
 public:
  explicit RefusedKey(const std::string& path) : path_(path) { refused_ = SetDacl(true); }
  ~RefusedKey() { SetDacl(false); }
  RefusedKey(const RefusedKey&) = delete;
  RefusedKey& operator=(const RefusedKey&) = delete;
  bool refused() const { return refused_; }

 private:
  bool SetDacl(bool empty) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, win32::Wide(path_).c_str(), 0, WRITE_DAC, &key) !=
        ERROR_SUCCESS)
      return false;
    SECURITY_DESCRIPTOR sd{};
    ACL acl{};
    ::InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    ::InitializeAcl(&acl, sizeof acl, ACL_REVISION);
    // An empty DACL refuses everyone; no DACL at all allows everyone.
    ::SetSecurityDescriptorDacl(&sd, TRUE, empty ? &acl : nullptr, FALSE);
    const bool set = ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return set;
  }
  std::string path_;
  bool refused_ = false;
};

class ServiceKeysTest : public SandboxedTest {
 protected:
  static std::string KeyPath(const std::string& keyName) {
    return std::string(system::kServicesKey) + "\\" + keyName;
  }

  static void Put(const std::string& path, const ServiceValue& v) {
    if (v.type == REG_DWORD) {
      const DWORD number = static_cast<DWORD>(std::stoul(v.text));
      const auto* p = reinterpret_cast<const BYTE*>(&number);
      SetRaw(HKEY_LOCAL_MACHINE, path, v.name, REG_DWORD, std::vector<BYTE>(p, p + 4));
    } else {
      SetRaw(HKEY_LOCAL_MACHINE, path, v.name, v.type, Utf16Bytes(win32::Wide(v.text), true));
    }
  }

  static void Write(const ServiceFixture& f) {
    ASSERT_TRUE(win32::CreateKey(HKEY_LOCAL_MACHINE, KeyPath(f.keyName), KEY_ALL_ACCESS));
    for (const ServiceValue& v : f.values) Put(KeyPath(f.keyName), v);
    for (const ServiceValue& v : f.parameters) Put(KeyPath(f.keyName) + "\\Parameters", v);
  }

  static std::string StringOf(const std::string& keyName, const std::string& value,
                              const std::string& sub = {}) {
    auto key = win32::OpenKey(HKEY_LOCAL_MACHINE,
                              KeyPath(keyName) + (sub.empty() ? "" : "\\" + sub), KEY_READ);
    const auto v = key ? win32::QueryValue(key.get(), value) : std::nullopt;
    return v ? win32::StringFromValue(*v).value_or("") : "";
  }

  static std::optional<DWORD> StartOf(const std::string& keyName) {
    auto key = win32::OpenKey(HKEY_LOCAL_MACHINE, KeyPath(keyName), KEY_READ);
    const auto v = key ? win32::QueryValue(key.get(), "Start") : std::nullopt;
    if (!v || v->type != REG_DWORD) return std::nullopt;
    return static_cast<DWORD>(v->data[0]);
  }

  static std::optional<core::Item> Listed(std::string_view keyName) {
    const core::ItemList& items = common::Items();
    for (std::size_t i = 0; i < items.Count(); ++i)
      if (items.At(i).name == keyName) return items.At(i);
    return std::nullopt;
  }
};

}  // namespace obrivo::test
