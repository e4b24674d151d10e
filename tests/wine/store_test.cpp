// The store's read and write rules against the registry.
#include "common/store.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "common/trace_log.h"
#include "common/win32/registry.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

using common::ReadStoreString;

constexpr const char* kKey = "Software\\ObrivoStoreTest";

class StoreTest : public SandboxedTest {};

TEST_F(StoreTest, StringReadRules) {
  struct Case {
    const char* name;
    DWORD type;
    std::vector<BYTE> data;
    std::size_t capacity;
    std::string expected;
  };
  const std::wstring w200(200, L'x');
  const std::wstring w1024(1024, L'y');
  const Case cases[] = {
      {"plain", REG_SZ, Utf16Bytes(L"hello", true), 128, "hello"},
      {"empty", REG_SZ, Utf16Bytes(L"", true), 128, ""},
      {"zero bytes", REG_SZ, {}, 128, ""},
      {"too long for capacity", REG_SZ, Utf16Bytes(w200, true), 128, ""},
      {"fits capacity exactly", REG_SZ, Utf16Bytes(std::wstring(127, L'z'), true), 128,
       std::string(127, 'z')},
      {"one over capacity", REG_SZ, Utf16Bytes(std::wstring(128, L'z'), true), 128, ""},
      {"beyond the store limit", REG_SZ, Utf16Bytes(w1024, true), 4096, ""},
      {"unterminated", REG_SZ, Utf16Bytes(L"abc", false), 128, "abc"},
      {"odd byte count", REG_SZ, {'a', 0, 'b', 0, 'c'}, 128, "ab"},
      {"embedded NUL", REG_SZ, Utf16Bytes(std::wstring(L"ab\0cd", 5), true), 128, "ab"},
      {"dword is not text", REG_DWORD, {1, 0, 0, 0}, 128, ""},
      {"binary is not text", REG_BINARY, {'a', 0, 'b', 0}, 128, ""},
      {"none type", REG_NONE, {}, 128, ""},
      {"Cyrillic", REG_SZ, Utf16Bytes(L"\x0417\x0430\x043f\x0443\x0441\x043a", true), 128,
       "\xD0\x97\xD0\xB0\xD0\xBF\xD1\x83\xD1\x81\xD0\xBA"},
  };
  for (const Case& c : cases) {
    SetRaw(HKEY_CURRENT_USER, kKey, c.name, c.type, c.data);
    EXPECT_EQ(ReadStoreString(kKey, HKEY_CURRENT_USER, c.name, c.capacity), c.expected) << c.name;
  }
  EXPECT_EQ(ReadStoreString(kKey, HKEY_CURRENT_USER, "missing", 128), "");
  EXPECT_EQ(ReadStoreString("Software\\NoSuchKey", HKEY_CURRENT_USER, "x", 128), "");
}

TEST_F(StoreTest, ExpandableStringsAreExpanded) {
  ::SetEnvironmentVariableW(L"OBRIVO_TEST_FOLDER", L"C:\\Fixture");
  SetRaw(HKEY_CURRENT_USER, kKey, "expand", REG_EXPAND_SZ,
         Utf16Bytes(L"%OBRIVO_TEST_FOLDER%\\tool.exe", true));
  EXPECT_EQ(ReadStoreString(kKey, HKEY_CURRENT_USER, "expand", 260), "C:\\Fixture\\tool.exe");
}

TEST_F(StoreTest, SmallNumbersReadTwoSignedBytes) {
  common::WriteStoreDword(HKEY_CURRENT_USER, kKey, "all ones", 0xFFFFFFFF);
  common::WriteStoreDword(HKEY_CURRENT_USER, kKey, "five", 5);
  common::WriteStoreDword(HKEY_CURRENT_USER, kKey, "zero", 0);
  EXPECT_EQ(common::ReadStoreSmallNumber(HKEY_CURRENT_USER, kKey, "all ones"), -257);
  EXPECT_EQ(common::ReadStoreSmallNumber(HKEY_CURRENT_USER, kKey, "five"), 5);
  EXPECT_EQ(common::ReadStoreSmallNumber(HKEY_CURRENT_USER, kKey, "zero"), 0);
  EXPECT_EQ(common::ReadStoreSmallNumber(HKEY_CURRENT_USER, kKey, "missing"), -1);
  EXPECT_EQ(common::ReadStoreSmallNumberAt(kKey, "missing", HKEY_CURRENT_USER), 0);
  EXPECT_EQ(common::ReadStoreSmallNumberAt("Software\\NoSuchKey", "x", HKEY_CURRENT_USER), 0);
  EXPECT_EQ(common::ReadStoreSmallNumberAt(kKey, "five", HKEY_CURRENT_USER), 5);
}

TEST_F(StoreTest, WritesCreateKeysAndStoreText) {
  const std::string deep = std::string(kKey) + "\\a\\b";
  ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, deep, "v", "text"));
  EXPECT_EQ(ReadStoreString(deep, HKEY_CURRENT_USER, "v", 128), "text");
  auto key = win32::OpenKey(HKEY_CURRENT_USER, deep, KEY_READ);
  const auto raw = win32::QueryValue(key.get(), "v");
  ASSERT_TRUE(raw);
  EXPECT_EQ(raw->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(raw->data.size(), 5 * sizeof(wchar_t)) << "the terminator is stored";

  EXPECT_TRUE(common::DeleteStoreValue(HKEY_CURRENT_USER, deep, "v"));
  EXPECT_FALSE(common::DeleteStoreValue(HKEY_CURRENT_USER, deep, "v")) << "already gone";
  EXPECT_FALSE(common::DeleteStoreValue(HKEY_CURRENT_USER, "Software\\NoSuchKey", "v"));
}

TEST_F(StoreTest, FailedWritesReachTheDiagnosticHook) {
  std::vector<std::string> reported;
  common::SetDiagnosticHook([&](std::string_view category, std::string_view text) {
    reported.push_back(std::string(category) + ": " + std::string(text));
  });
  const HKEY closed = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x7ff0));
  EXPECT_FALSE(common::WriteStoreString(closed, "Software\\Tolvane\\Obrivo", "Sound", "1"));
  EXPECT_FALSE(common::WriteStoreDword(closed, "Software\\Tolvane\\Obrivo", "Flags", 3));
  EXPECT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, kKey, "fine", "1"));
  common::SetDiagnosticHook(nullptr);
  EXPECT_EQ(reported, (std::vector<std::string>{
                          "REGISTRY: Could not write Software\\Tolvane\\Obrivo\\Sound",
                          "REGISTRY: Could not write Software\\Tolvane\\Obrivo\\Flags"}));
}

TEST_F(StoreTest, DeleteTreeRemovesEveryLevel) {
  const std::string root = std::string(kKey) + "\\Tree";
  for (const char* sub : {"\\a\\b\\c", "\\a\\b2", "\\x"})
    common::WriteStoreString(HKEY_CURRENT_USER, root + sub, "v", "1");
  ASSERT_TRUE(KeyExists(HKEY_CURRENT_USER, root + "\\a\\b\\c"));
  EXPECT_TRUE(common::DeleteStoreTree(HKEY_CURRENT_USER, root));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, root));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kKey)) << "only the tree itself goes";
  EXPECT_TRUE(common::DeleteStoreTree(HKEY_CURRENT_USER, root)) << "a missing key is deleted";
}

TEST_F(StoreTest, OptionsReadDefaultsAndWriteTheUpdateFlag) {
  struct Case {
    const char* text;
    int expected;
  };
  const Case cases[] = {{"", 7}, {"12", 12}, {"-3", -3}, {"4abc", 4}, {"abc", 0}};
  for (const Case& c : cases) {
    common::WriteStoreString(HKEY_CURRENT_USER, common::kOptionsKey, "Probe", c.text);
    EXPECT_EQ(common::ReadOption("Probe", 7), c.expected) << '"' << c.text << '"';
  }
  EXPECT_EQ(common::ReadOption("Missing", 42), 42);

  common::WriteStoreString(HKEY_CURRENT_USER, common::kOptionsKey, "Update", "0");
  common::WriteOption("Start", 45);
  EXPECT_EQ(ReadStoreString(common::kOptionsKey, HKEY_CURRENT_USER, "Start", 128), "45");
  EXPECT_EQ(ReadStoreString(common::kOptionsKey, HKEY_CURRENT_USER, "Update", 128), "1");
}

// A Run value whose name is outside any code page must be found, read and deleted by its
// exact name: the evasion path of a value that ANSI functions turn into '?'.
TEST_F(StoreTest, UnicodeValueNamesRoundTripAndDelete) {
  const char* runKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::string names[] = {
      "\xD0\x97\xD0\xB0\xD0\xBF\xD1\x83\xD1\x81\xD0\xBA",  // Cyrillic
      "agent \xF0\x9F\x98\x80",                            // emoji
      "\xC3\xA9lan",                                       // starts with é
      "lone \xED\xA0\x80 surrogate",                       // an unpaired UTF-16 surrogate
  };
  for (const std::string& name : names) {
    ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, runKey, name, "C:\\x.exe"));
  }
  auto key = win32::OpenKey(HKEY_CURRENT_USER, runKey, KEY_READ);
  const auto listed = win32::EnumValueNames(key.get());
  key.reset();
  for (const std::string& name : names) {
    EXPECT_NE(std::find(listed.begin(), listed.end(), name), listed.end()) << name;
    EXPECT_EQ(ReadStoreString(runKey, HKEY_CURRENT_USER, name, 260), "C:\\x.exe") << name;
    EXPECT_TRUE(common::DeleteStoreValue(HKEY_CURRENT_USER, runKey, name)) << name;
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, runKey, name)) << name;
  }
}

TEST_F(StoreTest, EnumerationListsLongNamesAndGoesOn) {
  const std::string path = std::string(kKey) + "\\Long";
  const std::string names[] = {"a", std::string(256, 'b'), std::string(1000, 'c'),
                               std::string(16383, 'd'), "e"};
  for (const std::string& name : names) common::WriteStoreString(HKEY_CURRENT_USER, path, name, "1");
  auto key = win32::OpenKey(HKEY_CURRENT_USER, path, KEY_READ);
  auto listed = win32::EnumValueNames(key.get());
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, std::vector<std::string>(std::begin(names), std::end(names)));
}

}  // namespace
}  // namespace obrivo::test
