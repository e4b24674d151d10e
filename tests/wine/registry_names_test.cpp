// Value names are counted strings: a value is queried, written and deleted by its exact name,
// whatever NUL, length or characters it holds, and never through a namesake that shares the
// part before a NUL. Listings read each value whole, retry an entry that outgrew its buffer and
// end at once when the key goes away beneath them.
#include <windows.h>

#include <string>
#include <vector>

#include "common/store.h"
#include "common/win32/registry.h"
#include "common/win32/wide.h"
#include "counted_values.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

using namespace std::string_literals;

constexpr char kKey[] = "Software\\ObrivoRegistryTest";

class RegistryNames : public SandboxedTest {};

std::optional<std::string> TextOf(HKEY key, const std::wstring& name, LONG* error = nullptr) {
  const auto value = win32::QueryValue(key, win32::Narrow(name), error);
  if (!value) return std::nullopt;
  return win32::StringFromValue(*value);
}

TEST_F(RegistryNames, AValueIsReachedByItsExactNameAndItsNamesakeIsLeftAlone) {
  const std::wstring prefix(8000, L'a');
  const std::wstring longest = prefix + L'\0' + std::wstring(8382, L'b');  // 16383 characters
  const struct {
    const char* label;
    std::wstring name, namesake;
  } cases[] = {
      {"hidden beside plain", L"Updater\0hidden"s, L"Updater"},
      {"plain beside hidden", L"Updater", L"Updater\0hidden"s},
      {"only a NUL beside the default value", L"\0"s, L""},
      {"the default value beside only a NUL", L"", L"\0"s},
      {"the longest name beside its prefix", longest, prefix},
      {"a prefix beside the longest name", prefix, longest},
      {"Cyrillic with a NUL", L"\x0417\x0430\x043f\x0443\x0441\x043a\0x"s,
       L"\x0417\x0430\x043f\x0443\x0441\x043a"},
      {"emoji beside its NUL namesake", L"agent \xD83D\xDE00", L"agent \xD83D\xDE00\0x"s},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const std::string path = std::string(kKey) + "\\" + std::to_string(++n);
    SetCountedValue(HKEY_CURRENT_USER, path, c.name, L"target");
    SetCountedValue(HKEY_CURRENT_USER, path, c.namesake, L"namesake");
    const auto key = win32::OpenKey(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS);
    ASSERT_TRUE(key);

    EXPECT_EQ(TextOf(key.get(), c.name), "target");
    EXPECT_EQ(TextOf(key.get(), c.namesake), "namesake");
    const std::vector<win32::NamedValue> listed = win32::EnumValues(key.get());
    ASSERT_EQ(listed.size(), 2u);
    for (const win32::NamedValue& value : listed) {
      const bool isTarget = value.name == win32::Narrow(c.name);
      EXPECT_TRUE(isTarget || value.name == win32::Narrow(c.namesake));
      EXPECT_EQ(win32::StringFromValue(value.value), isTarget ? "target" : "namesake");
    }

    EXPECT_TRUE(win32::SetStringValue(key.get(), win32::Narrow(c.name), "changed"));
    EXPECT_EQ(
        CountedValues(HKEY_CURRENT_USER, path),
        (std::map<std::wstring, std::wstring>{{c.name, L"changed"}, {c.namesake, L"namesake"}}));

    EXPECT_EQ(win32::DeleteValue(key.get(), win32::Narrow(c.name)), ERROR_SUCCESS);
    EXPECT_EQ(CountedValues(HKEY_CURRENT_USER, path),
              (std::map<std::wstring, std::wstring>{{c.namesake, L"namesake"}}));
    LONG error = ERROR_SUCCESS;
    EXPECT_EQ(TextOf(key.get(), c.name, &error), std::nullopt);
    EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(win32::DeleteValue(key.get(), win32::Narrow(c.name)), ERROR_FILE_NOT_FOUND);
  }
}

TEST_F(RegistryNames, TheStoreWritesReadsAndDeletesByTheExactName) {
  const std::string hidden = "Updater\0hidden"s;
  ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, kKey, "Updater", "plain"));
  ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, kKey, hidden, "hidden"));
  EXPECT_EQ(common::ReadStoreString(kKey, HKEY_CURRENT_USER, hidden, 64), "hidden");
  EXPECT_EQ(common::ReadStoreString(kKey, HKEY_CURRENT_USER, "Updater", 64), "plain");
  EXPECT_TRUE(common::DeleteStoreValue(HKEY_CURRENT_USER, kKey, hidden));
  EXPECT_EQ(CountedValues(HKEY_CURRENT_USER, kKey),
            (std::map<std::wstring, std::wstring>{{L"Updater", L"plain"}}));
}

// The real enumeration calls, seen and steered by the test.
LONG RealEnumValue(HKEY key, DWORD index, wchar_t* name, DWORD* nameChars, DWORD* type, BYTE* data,
                   DWORD* dataBytes) {
  return ::RegEnumValueW(key, index, name, nameChars, nullptr, type, data, dataBytes);
}
LONG RealEnumKey(HKEY key, DWORD index, wchar_t* name, DWORD* nameChars) {
  return ::RegEnumKeyExW(key, index, name, nameChars, nullptr, nullptr, nullptr, nullptr);
}

TEST_F(RegistryNames, ListingsEndAtOnceWhenTheKeyIsDeletedBeneathThem) {
  const std::string path = std::string(kKey) + "\\Doomed";
  const auto deleteKey = [&] {
    ASSERT_EQ(::RegDeleteTreeW(HKEY_CURRENT_USER, win32::Wide(path).c_str()), ERROR_SUCCESS);
  };
  {
    for (const char* name : {"v0", "v1", "v2", "v3"})
      ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, path, name, "x"));
    const auto key = win32::OpenKey(HKEY_CURRENT_USER, path, KEY_READ);
    ASSERT_TRUE(key);
    int calls = 0;
    const auto values =
        win32::EnumValuesThrough(key.get(), [&](HKEY k, DWORD index, wchar_t* name, DWORD* chars,
                                                DWORD* type, BYTE* data, DWORD* bytes) {
          ++calls;
          if (index == 2) deleteKey();
          return RealEnumValue(k, index, name, chars, type, data, bytes);
        });
    EXPECT_EQ(values.size(), 2u) << "what was read before the key went";
    EXPECT_EQ(calls, 3) << "not one call after the key was found deleted";
  }
  {
    for (const char* name : {"k0", "k1", "k2", "k3"})
      ASSERT_TRUE(win32::CreateKey(HKEY_CURRENT_USER, path + "\\" + name, KEY_READ));
    const auto key = win32::OpenKey(HKEY_CURRENT_USER, path, KEY_READ);
    ASSERT_TRUE(key);
    int calls = 0;
    const auto names = win32::EnumSubkeyNamesThrough(
        key.get(), [&](HKEY k, DWORD index, wchar_t* name, DWORD* chars) {
          ++calls;
          if (index == 2) deleteKey();
          return RealEnumKey(k, index, name, chars);
        });
    EXPECT_EQ(names, (std::vector<std::string>{"k0", "k1"}));
    EXPECT_EQ(calls, 3);
  }
}

TEST_F(RegistryNames, AnEntryFoundTooLargeIsReadAgainAtTheSameIndex) {
  const std::string path = std::string(kKey) + "\\Growing";
  const char* const names[] = {"v0", "v1", "v2", "v3"};
  for (const char* name : names)
    ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, path, name, "small"));
  const std::string large(100000, 'L');
  {
    const auto key = win32::OpenKey(HKEY_CURRENT_USER, path, KEY_READ);
    std::vector<DWORD> indexes;
    // The values grow between the sizing of the buffers and the reading of the second one.
    const auto values =
        win32::EnumValuesThrough(key.get(), [&](HKEY k, DWORD index, wchar_t* name, DWORD* chars,
                                                DWORD* type, BYTE* data, DWORD* bytes) {
          if (index == 1 && indexes.back() == 0)
            for (const char* grown : names)
              if (grown != names[0])
                common::WriteStoreString(HKEY_CURRENT_USER, path, grown, large);
          indexes.push_back(index);
          return RealEnumValue(k, index, name, chars, type, data, bytes);
        });
    EXPECT_EQ(indexes, (std::vector<DWORD>{0, 1, 1, 2, 3, 4}));
    ASSERT_EQ(values.size(), 4u);
    for (const win32::NamedValue& value : values)
      EXPECT_EQ(win32::StringFromValue(value.value), value.name == "v0" ? "small" : large)
          << value.name;
  }
  {
    for (const char* name : {"k0", "k1", "k2"})
      ASSERT_TRUE(win32::CreateKey(HKEY_CURRENT_USER, path + "\\" + name, KEY_READ));
    const auto key = win32::OpenKey(HKEY_CURRENT_USER, path, KEY_READ);
    std::vector<DWORD> indexes;
    const auto listed = win32::EnumSubkeyNamesThrough(
        key.get(), [&](HKEY k, DWORD index, wchar_t* name, DWORD* chars) {
          indexes.push_back(index);
          // A buffer found short once, as for a name longer than a key name should be.
          if (index == 1 && indexes.size() == 2) return static_cast<LONG>(ERROR_MORE_DATA);
          return RealEnumKey(k, index, name, chars);
        });
    EXPECT_EQ(indexes, (std::vector<DWORD>{0, 1, 1, 2, 3}));
    EXPECT_EQ(listed, (std::vector<std::string>{"k0", "k1", "k2"}));
  }
}

}  // namespace
}  // namespace obrivo::test
