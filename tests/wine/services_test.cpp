// The services database as the enumerator reads it, from service keys written into the sandboxed
// machine hive: what is listed, under which name, with which path, type and start-type text.
#include "system/services.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/items.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/system.h"
#include "core/text.h"
#include "test_process.h"
#include "services_test_env.h"

namespace obrivo::test {
namespace {

using Value = ServiceValue;

class Services : public ServiceKeysTest {};

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

// A key the reader may not open is left out and counted; a database it may not open lists
// nothing and says so. Nothing is read as something else.
TEST_F(Services, RefusedKeysLeaveTheListPartialAndSaySo) {
  Write({"FixOpen", {{"ImagePath", REG_SZ, "C:\\fix\\open.exe"}, {"Start", REG_DWORD, "2"}}});
  Write({"FixRefused", {{"ImagePath", REG_SZ, "C:\\fix\\refused.exe"}, {"Start", REG_DWORD, "2"}}});
  system::ServicesReadStatus status;
  {
    const RefusedKey refused(KeyPath("FixRefused"));
    ASSERT_TRUE(refused.refused());
    system::EnumServices(false, &status);
    EXPECT_TRUE(Listed("FixOpen"));
    EXPECT_FALSE(Listed("FixRefused"));
    EXPECT_TRUE(status.databaseRead);
    EXPECT_EQ(status.unreadableKeys, 1u);
  }
  {
    const RefusedKey refused{std::string(system::kServicesKey)};
    ASSERT_TRUE(refused.refused());
    EXPECT_EQ(system::EnumServices(false, &status), 0u);
    EXPECT_FALSE(status.databaseRead);
  }
  system::EnumServices(false, &status);
  EXPECT_TRUE(status.databaseRead && status.unreadableKeys == 0 && Listed("FixRefused"));
}

std::string ClaimingProgram() {
  return win32::Narrow(HostToWine(EnvVar(L"OBRIVO_BIN_DIR"))) + "\\obrivo_claiming_service.exe";
}

// Only a file in the Windows folder whose company is Microsoft counts as Microsoft's: the same
// file run from C:\ProgramData is listed like any other, also with HideMicrosoftServices.
TEST_F(Services, MicrosoftMeansMicrosoftsCompanyInTheWindowsFolder) {
  const std::string id = std::to_string(::GetCurrentProcessId());
  const std::string windows = win32::WindowsDirectory();
  const PlacedCopy outside(ClaimingProgram(), "C:\\ProgramData\\ObrivoFixture" + id + "\\claims.exe");
  const PlacedCopy inside(ClaimingProgram(), windows + "\\ObrivoFixture" + id + "\\claims.exe");
  // Microsoft's company alone is not enough, and neither is the folder alone.
  const PlacedCopy plainInside(win32::Narrow(HostToWine(EnvVar(L"OBRIVO_BIN_DIR"))) +
                                   "\\obrivo_test_service.exe",
                               windows + "\\ObrivoFixturePlain" + id + "\\plain.exe");
  ASSERT_TRUE(outside.copied() && inside.copied() && plainInside.copied());

  const struct {
    std::string key, file;
    bool microsoft;
  } cases[] = {
      {"FixClaimsOutside", outside.path(), false},
      {"FixClaimsInside", inside.path(), true},
      {"FixPlainInside", plainInside.path(), false},
      // Through a path that leaves the Windows folder again.
      {"FixClaimsDotDot", windows + "\\..\\ProgramData\\ObrivoFixture" + id + "\\claims.exe",
       false},
  };
  for (const auto& c : cases) {
    Write({c.key, {{"ImagePath", REG_SZ, "\"" + c.file + "\" -service"}, {"Start", REG_DWORD, "2"}}});
    EXPECT_EQ(system::IsMicrosoftFile(c.file), c.microsoft) << c.key;
  }
  for (const bool hide : {true, false}) {
    system::EnumServices(hide);
    for (const auto& c : cases) {
      SCOPED_TRACE(c.key + (hide ? " hidden" : " shown"));
      EXPECT_EQ(Listed(c.key).has_value(), !(hide && c.microsoft));
    }
  }
}

}  // namespace
}  // namespace obrivo::test
