// The services database as the enumerator reads it, from service keys written into the sandboxed
// machine hive: what is listed, under which name, with which path, type and start-type text.
#include "system/services.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/items.h"
#include "common/win32/system.h"
#include "core/text.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

struct Value {
  std::string name;
  DWORD type;
  std::string text;  // string types; REG_DWORD: the decimal number
};

struct ServiceFixture {
  ServiceFixture(std::string key, std::vector<Value> keyValues, std::vector<Value> parameterValues = {})
      : keyName(std::move(key)), values(std::move(keyValues)), parameters(std::move(parameterValues)) {}
  std::string keyName;
  std::vector<Value> values;
  std::vector<Value> parameters;  // values of the Parameters subkey
};

class Services : public SandboxedTest {
 protected:
  void Write(const ServiceFixture& f) {
    const std::string key = std::string(system::kServicesKey) + "\\" + f.keyName;
    auto put = [this](const std::string& path, const Value& v) {
      if (v.type == REG_DWORD) {
        const DWORD number = static_cast<DWORD>(std::stoul(v.text));
        const auto* p = reinterpret_cast<const BYTE*>(&number);
        SetRaw(HKEY_LOCAL_MACHINE, path, v.name, REG_DWORD, std::vector<BYTE>(p, p + 4));
      } else {
        SetRaw(HKEY_LOCAL_MACHINE, path, v.name, v.type, Utf16Bytes(win32::Wide(v.text), true));
      }
    };
    ASSERT_TRUE(win32::CreateKey(HKEY_LOCAL_MACHINE, key, KEY_ALL_ACCESS));
    for (const Value& v : f.values) put(key, v);
    for (const Value& v : f.parameters) put(key + "\\Parameters", v);
  }

  static std::optional<core::Item> Listed(std::string_view keyName) {
    const core::ItemList& items = common::Items();
    for (std::size_t i = 0; i < items.Count(); ++i)
      if (items.At(i).name == keyName) return items.At(i);
    return std::nullopt;
  }
};

TEST_F(Services, ListsProgramsAndHostedDllsByKeyName) {
  const std::string windows = win32::WindowsDirectory();
  const std::string longImage = "C:\\" + std::string(600, 'L') + "\\service.exe";
  const std::string longDisplay(300, 'D');
  const struct {
    ServiceFixture fixture;
    bool listed;
    std::string title, path, command, startText;
    int type;
  } cases[] = {
      // An unquoted command with spaces is kept as it stands.
      {{"FixPlain",
        {{"ImagePath", REG_SZ, "C:\\Program Files\\Fix Vendor\\svc.exe -run"},
         {"DisplayName", REG_SZ, "Fix Plain"},
         {"Description", REG_SZ, "Plain service"},
         {"Start", REG_DWORD, "2"}}},
       true, "Fix Plain", "C:\\Program Files\\Fix Vendor\\svc.exe -run",
       "C:\\Program Files\\Fix Vendor\\svc.exe -run", "Automatic", 700},
      {{"FixExpand",
        {{"ImagePath", REG_EXPAND_SZ, "%SystemRoot%\\fixsvc.exe"},
         {"DisplayName", REG_SZ, "Fix Expand"},
         {"Start", REG_DWORD, "3"}}},
       true, "Fix Expand", windows + "\\fixsvc.exe", "%SystemRoot%\\fixsvc.exe", "Manual", 700},
      {{"FixWrongType", {{"ImagePath", REG_DWORD, "5"}, {"Start", REG_DWORD, "2"}}},
       false, "", "", "", "", 0},
      {{"FixBinary", {{"ImagePath", REG_BINARY, "C:\\x.exe"}, {"Start", REG_DWORD, "2"}}},
       false, "", "", "", "", 0},
      {{"FixMissing", {{"DisplayName", REG_SZ, "Fix Missing"}, {"Start", REG_DWORD, "2"}}},
       false, "", "", "", "", 0},
      {{"FixDriver",
        {{"ImagePath", REG_SZ, "system32\\drivers\\fix.sys"}, {"Start", REG_DWORD, "1"}}},
       false, "", "", "", "", 0},
      // Read whole: no fixed buffer cuts it.
      {{"FixLong", {{"ImagePath", REG_SZ, longImage}, {"Start", REG_DWORD, "4"}}},
       true, "FixLong", longImage, longImage, "Disabled", 700},
      // No DisplayName: the key name stands in; boot and system starts show "0".
      {{"FixNoName", {{"ImagePath", REG_SZ, "C:\\fix\\noname.exe"}, {"Start", REG_DWORD, "0"}}},
       true, "FixNoName", "C:\\fix\\noname.exe", "C:\\fix\\noname.exe", "0", 700},
      {{"FixSystemStart",
        {{"ImagePath", REG_SZ, "C:\\fix\\system.exe"}, {"Start", REG_DWORD, "1"}}},
       true, "FixSystemStart", "C:\\fix\\system.exe", "C:\\fix\\system.exe", "0", 700},
      {{"FixNoStart", {{"ImagePath", REG_SZ, "C:\\fix\\nostart.exe"}}},
       true, "FixNoStart", "C:\\fix\\nostart.exe", "C:\\fix\\nostart.exe", "0", 700},
      {{"FixLongTitle",
        {{"ImagePath", REG_SZ, "C:\\fix\\title.exe"}, {"DisplayName", REG_SZ, longDisplay}}},
       true, std::string(127, 'D'), "C:\\fix\\title.exe", "C:\\fix\\title.exe", "0", 700},
      // Hosted by svchost: the DLL is the path; without one the host's command stays.
      {{"FixHosted",
        {{"ImagePath", REG_EXPAND_SZ, "%SystemRoot%\\system32\\svchost.exe -k fixgroup"},
         {"Start", REG_DWORD, "3"}},
        {{"ServiceDll", REG_EXPAND_SZ, "%SystemRoot%\\system32\\fixhosted.dll"}}},
       true, "FixHosted", windows + "\\system32\\fixhosted.dll",
       "%SystemRoot%\\system32\\svchost.exe -k fixgroup", "Manual", 701},
      {{"FixHostedNoDll",
        {{"ImagePath", REG_SZ, "C:\\windows\\system32\\svchost.exe -k fixgroup"},
         {"Start", REG_DWORD, "2"}}},
       true, "FixHostedNoDll", "C:\\windows\\system32\\svchost.exe -k fixgroup",
       "C:\\windows\\system32\\svchost.exe -k fixgroup", "Automatic", 701},
      {{"FixHostedEmptyDll",
        {{"ImagePath", REG_SZ, "C:\\windows\\system32\\svchost.exe -k fixgroup"},
         {"Start", REG_DWORD, "2"}},
        {{"ServiceDll", REG_SZ, ""}}},
       true, "FixHostedEmptyDll", "C:\\windows\\system32\\svchost.exe -k fixgroup",
       "C:\\windows\\system32\\svchost.exe -k fixgroup", "Automatic", 701},
  };
  for (const auto& c : cases) Write(c.fixture);
  system::EnumServices(false);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fixture.keyName);
    const auto item = Listed(c.fixture.keyName);
    ASSERT_EQ(item.has_value(), c.listed);
    if (!item) continue;
    EXPECT_EQ(item->title, c.title);
    EXPECT_TRUE(core::EqualsNoCase(item->path, c.path)) << item->path;
    EXPECT_EQ(item->command, c.command);
    EXPECT_EQ(item->key, c.startText);
    EXPECT_EQ(item->type, c.type);
  }
  EXPECT_EQ(Listed("FixPlain")->text, "Plain service");
}

TEST_F(Services, ReadsOneServiceByKeyName) {
  Write({"FixOne",
         {{"ImagePath", REG_SZ, "C:\\fix\\one.exe"}, {"Start", REG_DWORD, "4"}},
         {}});
  const auto record = system::ReadService("FixOne", false);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->imagePath, "C:\\fix\\one.exe");
  EXPECT_EQ(record->start, std::optional<DWORD>(4));
  EXPECT_TRUE(record->displayName.empty()) << "the quick reading asks nothing more";
  EXPECT_FALSE(system::ReadService("FixAbsent", false));
}

TEST_F(Services, NoServicesKeyListsNothing) {
  EXPECT_EQ(system::EnumServices(false), 0u);
  EXPECT_TRUE(system::ReadServices(false).empty());
}

}  // namespace
}  // namespace obrivo::test
