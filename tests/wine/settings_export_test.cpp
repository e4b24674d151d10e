// Export Settings through the registry editor: the script of both product trees, imported with
// `regedit /s` after the trees are deleted, brings back every key, value name, type and byte;
// only a value whose name holds a NUL (which a script cannot spell) is left out and named.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "common/settings_export.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/registry.h"
#include "common/win32/system.h"
#include "common/win32/wide.h"
#include "test_process.h"
#include "common/app.h"

namespace obrivo::test {
namespace {

constexpr char kUserTree[] = "Software\\Tolvane";
constexpr char kMachineTree[] = "SOFTWARE\\Tolvane";

using Snapshot = std::map<std::tuple<std::string, std::string>,
                          std::pair<DWORD, std::vector<BYTE>>>;

void Take(HKEY hive, const std::string& path, Snapshot& into) {
  win32::UniqueKey key = win32::OpenKey(hive, path, KEY_READ);
  if (!key) return;
  into[{path, "<key>"}] = {};
  for (const win32::NamedValue& v : win32::EnumValues(key.get()))
    into[{path, v.name}] = {v.value.type, v.value.data};
  for (const std::string& subkey : win32::EnumSubkeyNames(key.get()))
    Take(hive, path + "\\" + subkey, into);
}

Snapshot Both() {
  Snapshot all;
  Take(HKEY_CURRENT_USER, kUserTree, all);
  Take(HKEY_LOCAL_MACHINE, kMachineTree, all);
  return all;
}

std::vector<BYTE> Utf16(std::wstring_view text, int nul = 1) {
  std::vector<BYTE> out;
  for (wchar_t c : text) {
    out.push_back(static_cast<BYTE>(c & 0xFF));
    out.push_back(static_cast<BYTE>(c >> 8));
  }
  for (int i = 0; i < nul; ++i) out.insert(out.end(), {0, 0});
  return out;
}

void Put(HKEY hive, const std::string& path, const std::string& name, DWORD type,
         std::vector<BYTE> data) {
  win32::UniqueKey key = win32::CreateKey(hive, path, KEY_ALL_ACCESS);
  ASSERT_TRUE(key) << path;
  ASSERT_EQ(win32::SetRawValue(key.get(), name, {type, std::move(data)}), ERROR_SUCCESS)
      << path << "\\" << name;
}

// The registry editor runs in a process of its own, which no in-process registry sandbox reaches:
// this test works on the prefix's real product trees. The import puts back whatever they held
// before, and the test's own keys go at the end.
class SettingsExport : public ::testing::Test {
 protected:
  void SetUp() override {
    common::InitApp(core::Program::Explorer, ::GetModuleHandleW(nullptr));
  }
  void TearDown() override {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tolvane\\Obrivo\\Round Trip");
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Tolvane\\Round Trip");
    if (!file_.empty()) ::DeleteFileW(win32::Wide(file_).c_str());
  }
  std::string file_;
};

TEST_F(SettingsExport, ImportingTheScriptBringsBackEveryKeyValueTypeAndByte) {
  const std::string user = std::string(kUserTree) + "\\Obrivo\\Round Trip";
  const std::string deep = user + "\\Disabled\\Run";  // deeper than one level below the root
  std::vector<BYTE> blob;
  for (int i = 0; i < 700; ++i) blob.push_back(static_cast<BYTE>(i * 7));
  Put(HKEY_CURRENT_USER, user, "", REG_SZ, Utf16(L"default"));
  Put(HKEY_CURRENT_USER, user, "quote\" and \\back", REG_SZ, Utf16(L"C:\\a \"b\""));
  Put(HKEY_CURRENT_USER, user, "\xE5\x86\x99\xE7\x9C\x9F \xE2\x80\x8F<b>", REG_SZ,
      Utf16(L"\x05d0\x200f =cmd|' /C calc'!A0"));
  Put(HKEY_CURRENT_USER, user, "crlf data", REG_SZ, Utf16(L"one\r\ntwo"));
  Put(HKEY_CURRENT_USER, user, "unterminated", REG_SZ, Utf16(L"abc", 0));
  Put(HKEY_CURRENT_USER, user, "long", REG_SZ, Utf16(std::wstring(2000, L'x')));
  Put(HKEY_CURRENT_USER, user, std::string(16383, 'n'), REG_DWORD, {1, 2, 3, 4});
  Put(HKEY_CURRENT_USER, deep, "Patrol", REG_DWORD, {0x2a, 0, 0, 0x80});
  Put(HKEY_CURRENT_USER, deep, "blob", REG_BINARY, blob);
  Put(HKEY_CURRENT_USER, deep, "expand", REG_EXPAND_SZ, Utf16(L"%WINDIR%\\x"));
  Put(HKEY_CURRENT_USER, deep, "multi", REG_MULTI_SZ, Utf16(std::wstring_view(L"a\0b", 3), 2));
  Put(HKEY_CURRENT_USER, deep, "qword", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 9});
  Put(HKEY_CURRENT_USER, deep, "none", REG_NONE, {});
  Put(HKEY_CURRENT_USER, deep, std::string("Updater\0hidden", 14), REG_SZ, Utf16(L"x"));
  Put(HKEY_LOCAL_MACHINE, std::string(kMachineTree) + "\\Round Trip\\Sysfiles\\HOSTS", "Size",
      REG_SZ, Utf16(L"734"));

  Snapshot before = Both();
  const std::string folder = common::ProgramFolder();
  const common::SettingsExport result = common::ExportSettings(folder);
  file_ = result.path;
  ASSERT_TRUE(result.written) << result.path << ": " << win32::SystemErrorText(result.error);
  ASSERT_EQ(result.leftOut.size(), 1u);
  EXPECT_NE(result.leftOut[0].find("Disabled\\Run\\Updater"), std::string::npos);
  const auto bytes = win32::ReadWholeFile(result.path);
  ASSERT_TRUE(bytes && bytes->substr(0, 2) == "\xFF\xFE");

  ASSERT_EQ(::RegDeleteTreeW(HKEY_CURRENT_USER, win32::Wide(kUserTree).c_str()), ERROR_SUCCESS);
  ASSERT_EQ(::RegDeleteTreeW(HKEY_LOCAL_MACHINE, win32::Wide(kMachineTree).c_str()),
            ERROR_SUCCESS);
  ASSERT_TRUE(Both().empty());

  Process regedit(L"C:\\windows\\regedit.exe", L"/s \"" + win32::Wide(result.path) + L"\"");
  ASSERT_TRUE(regedit.started());
  EXPECT_EQ(regedit.WaitForExit(), 0u);

  before.erase({deep, std::string("Updater\0hidden", 14)});
  const Snapshot after = Both();
  for (const auto& [where, value] : before) {
    const auto found = after.find(where);
    SCOPED_TRACE(std::get<0>(where) + " : " + std::get<1>(where).substr(0, 40));
    ASSERT_NE(found, after.end()) << "missing after the import";
    EXPECT_EQ(found->second.first, value.first) << "type";
    EXPECT_EQ(found->second.second, value.second) << "data";
  }
  EXPECT_EQ(after.size(), before.size());
}

}  // namespace
}  // namespace obrivo::test
