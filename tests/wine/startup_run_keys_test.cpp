// The Run keys: which values are listed and as what, names beyond ASCII and of any length,
// unusual data, repeated values, entries that came back while disabled, the entries of the
// Disabled store, the 32-bit view, and keys that cannot be read.
#include <windows.h>

#include <sddl.h>

#include <optional>

#include "common/store.h"
#include "core/capacity.h"
#include "core/text.h"
#include "startup/startup_actions.h"
#include "startup_test_env.h"

namespace obrivo::test {
namespace {

using core::RunKeyPath;

class RunKeysTest : public StartupTest {
 protected:
  static void ClearRunKeys() {
    common::DeleteStoreTree(HKEY_LOCAL_MACHINE, "Software\\Microsoft");
    common::DeleteStoreTree(HKEY_CURRENT_USER, "Software\\Microsoft");
    common::DeleteStoreTree(HKEY_LOCAL_MACHINE, "Software\\Wow6432Node\\Microsoft");
    win32::CreateKey(HKEY_LOCAL_MACHINE, RunKeyPath(21), KEY_WRITE);
  }
};

TEST_F(RunKeysTest, RunValuesAreListedByTheirNameAndData) {
  ::SetEnvironmentVariableW(L"FIXTURE_STARTUP_DIR", L"C:\\Fixture");
  const struct {
    int code;
    std::string name;
    std::string data;
    DWORD type;
    std::optional<std::string> path;  // nothing: not listed
    int flag;
  } cases[] = {
      {1, "Tool", "x.exe", REG_SZ, "x.exe", 0},
      {1, "Short data", "x.ex", REG_SZ, std::nullopt, 0},  // 4 characters name no program
      {1, "A", "C:\\Fixture\\one.exe", REG_SZ, std::nullopt, 0},
      {1, "Ж", "C:\\Fixture\\zhe.exe", REG_SZ, std::nullopt, 0},  // one character, two bytes
      {1, "Library", "rundll32.exe C:\\Fixture\\x.dll,Start", REG_SZ, "C:\\Fixture\\x.dll,Start",
       1},
      {11, "Upper", "C:\\WINDOWS\\RUNDLL32.EXE C:\\Fixture\\y.dll,Go", REG_SZ,
       "C:\\Fixture\\y.dll,Go", 1},
      {11, "Quoted", "\"C:\\Program Files\\Fixture\\q.exe\" /s", REG_SZ,
       "C:\\Program Files\\Fixture\\q.exe /s", 0},
      {12, "Expanded", "%FIXTURE_STARTUP_DIR%\\agent.exe", REG_EXPAND_SZ, "C:\\Fixture\\agent.exe",
       0},
      {12, "%FIXTURE_STARTUP_DIR%", "C:\\Fixture\\named.exe", REG_SZ, "C:\\Fixture\\named.exe", 0},
      // Names beyond ASCII are listed exactly as the registry holds them.
      {1, "Запуск агента", "C:\\Fixture\\cyr.exe", REG_SZ, "C:\\Fixture\\cyr.exe", 0},
      {11, "éclair", "C:\\Fixture\\e.exe", REG_SZ, "C:\\Fixture\\e.exe", 0},
      {13, "日本語の名前", "C:\\Fixture\\cjk.exe", REG_SZ, "C:\\Fixture\\cjk.exe", 0},
      {14, win32::Narrow(L"\xD800 lone half"), "C:\\Fixture\\half.exe", REG_SZ,
       "C:\\Fixture\\half.exe", 0},
      {3, "Once ex", "C:\\Fixture\\onceex.exe", REG_SZ, "C:\\Fixture\\onceex.exe", 0},
      {5, "Services once", "C:\\Fixture\\so.exe", REG_SZ, "C:\\Fixture\\so.exe", 0},
      {7, "Policy", "C:\\Fixture\\policy.exe", REG_SZ, "C:\\Fixture\\policy.exe", 0},
      {16, "Setup", "C:\\Fixture\\setup.exe", REG_SZ, "C:\\Fixture\\setup.exe", 0},
      {24, "Wow services", "C:\\Fixture\\wow.exe", REG_SZ, "C:\\Fixture\\wow.exe", 0},
      {27, "Wow policy", "C:\\Fixture\\wowp.exe", REG_SZ, "C:\\Fixture\\wowp.exe", 0},
  };
  for (const auto& c : cases) SetString(HiveOf(c.code), RunKeyPath(c.code), c.name, c.data, c.type);

  const std::size_t count = startup::EnumStartup(false);
  EXPECT_EQ(count, common::ItemCount());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name + " = " + c.data);
    const auto items = Titled(c.name);
    if (!c.path) {
      EXPECT_TRUE(items.empty());
      continue;
    }
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].type, c.code);
    EXPECT_EQ(items[0].path, *c.path);
    EXPECT_EQ(items[0].flag, c.flag);
    EXPECT_TRUE(items[0].key.empty());
    EXPECT_TRUE(items[0].text.empty());
  }
}

TEST_F(RunKeysTest, UnusualDataIsReadSafelyAndTheValuesAfterItStillCount) {
  const std::wstring text = L"C:\\Fixture\\text.exe";
  auto bytes = [&](bool terminator) { return Utf16Bytes(text, terminator); };
  std::vector<BYTE> odd = bytes(true);
  odd.push_back(0x41);
  std::vector<BYTE> oddUnterminated = bytes(false);
  oddUnterminated.push_back(0x41);
  const std::vector<BYTE> embedded =
      Utf16Bytes(std::wstring(L"C:\\Fixture\\first.exe\0C:\\second.exe", 34), true);
  const DWORD number = 12345;
  const std::vector<BYTE> dword(reinterpret_cast<const BYTE*>(&number),
                                reinterpret_cast<const BYTE*>(&number) + sizeof number);
  const struct {
    std::string name;
    DWORD type;
    std::vector<BYTE> data;
    std::optional<std::string> path;
  } cases[] = {
      {"Unterminated", REG_SZ, bytes(false), "C:\\Fixture\\text.exe"},
      {"Odd byte count", REG_SZ, odd, "C:\\Fixture\\text.exe"},
      {"Odd and unterminated", REG_SZ, oddUnterminated, "C:\\Fixture\\text.exe"},
      {"Embedded nul", REG_SZ, embedded, "C:\\Fixture\\first.exe"},
      {"Zero length", REG_SZ, {}, std::nullopt},
      {"Zero length expand", REG_EXPAND_SZ, {}, std::nullopt},
      {"One byte", REG_SZ, {0x43}, std::nullopt},
      // Values of other types cannot start anything: never listed, never in the way.
      {"Binary", REG_BINARY, bytes(true), std::nullopt},
      {"None", REG_NONE, bytes(true), std::nullopt},
      {"Number", REG_DWORD, dword, std::nullopt},
      {"Number short", REG_DWORD, {1}, std::nullopt},
      {"Multi", REG_MULTI_SZ, bytes(true), std::nullopt},
  };
  for (const auto& c : cases) {
    SetRaw(HKEY_LOCAL_MACHINE, RunKeyPath(1), c.name, c.type, c.data);
    // A companion right after each one (in name order and in the order written).
    SetString(HKEY_LOCAL_MACHINE, RunKeyPath(1), c.name + " next", "C:\\Fixture\\next.exe");
  }
  startup::EnumStartup(false);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto items = Titled(c.name);
    if (c.path) {
      ASSERT_EQ(items.size(), 1u);
      EXPECT_EQ(items[0].path, *c.path);
    } else {
      EXPECT_TRUE(items.empty());
    }
    EXPECT_EQ(Titled(c.name + " next").size(), 1u);
  }
}

TEST_F(RunKeysTest, NamesOfAnyLengthAreListedWithTheValuesAfterThem) {
  const struct {
    std::size_t length;
    char fill;
  } cases[] = {{256, 'L'}, {1000, 'M'}, {16383, 'N'}};
  for (const auto& c : cases) {
    const std::string name(c.length, c.fill);
    // Sorts right after the long name and is written after it.
    const std::string next = name.substr(0, c.length - 1) + "~";
    const std::string n = std::to_string(c.length);
    SetString(HKEY_CURRENT_USER, RunKeyPath(11), name, "C:\\Fixture\\long" + n + ".exe");
    SetString(HKEY_CURRENT_USER, RunKeyPath(11), next, "C:\\Fixture\\after" + n + ".exe");
  }
  SetString(HKEY_CURRENT_USER, RunKeyPath(12), "Next key", "C:\\Fixture\\nextkey.exe");
  startup::EnumStartup(false);
  for (const auto& c : cases) {
    const std::string n = std::to_string(c.length);
    SCOPED_TRACE(n);
    bool longListed = false, afterListed = false;
    for (const core::Item& item : OfType(11)) {
      if (item.path == "C:\\Fixture\\long" + n + ".exe") {
        longListed = true;
        EXPECT_EQ(item.title, std::string(core::kTitleCapacity - 1, c.fill))
            << "the shown title is cut, never the listing";
      }
      afterListed = afterListed || item.path == "C:\\Fixture\\after" + n + ".exe";
    }
    EXPECT_TRUE(longListed);
    EXPECT_TRUE(afterListed);
  }
  EXPECT_EQ(Titled("Next key").size(), 1u);
}

TEST_F(RunKeysTest, AValueRepeatingTheOneJustBeforeItIsListedOnce) {
  struct Value {
    int code;
    std::string name, data;
  };
  const struct {
    const char* what;
    std::vector<Value> values;
    std::size_t agents;  // items titled Agent, in any case
  } cases[] = {
      {"same in both hives", {{1, "Agent", "C:\\agent.exe"}, {11, "Agent", "C:\\agent.exe"}}, 1},
      {"differing in case only",
       {{1, "Agent", "C:\\agent.exe"}, {11, "AGENT", "c:\\AGENT.EXE"}},
       1},
      {"other data", {{1, "Agent", "C:\\agent.exe"}, {11, "Agent", "C:\\agent2.exe"}}, 2},
      {"another value between",
       {{1, "Agent", "C:\\agent.exe"},
        {2, "Other", "C:\\other.exe"},
        {11, "Agent", "C:\\agent.exe"}},
       2},
      {"an unlisted value between",
       {{1, "Agent", "C:\\agent.exe"}, {2, "Other", "x"}, {11, "Agent", "C:\\agent.exe"}},
       2},
      {"the 32-bit view after the user's",
       {{17, "Agent", "C:\\agent.exe"}, {21, "Agent", "C:\\agent.exe"}},
       1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ClearRunKeys();
    for (const Value& v : c.values) SetString(HiveOf(v.code), RunKeyPath(v.code), v.name, v.data);
    startup::EnumStartup(false);
    std::size_t agents = 0;
    for (const core::Item& item : Listed()) agents += core::EqualsNoCase(item.title, "Agent");
    EXPECT_EQ(agents, c.agents);
    EXPECT_EQ(Listed().front().type, c.values.front().code) << "the first one stays";
  }
}

TEST_F(RunKeysTest, AnEntryAddedAgainWhileDisabledIsDisabledAgainWithItsNewCommand) {
  const std::string userRun = RunKeyPath(11);
  SetString(HKEY_CURRENT_USER, userRun, "Agent", "C:\\Fixture\\new.exe -tray");
  common::WriteStoreString(HKEY_LOCAL_MACHINE, kDisabledKey, "Agent", "11");
  common::WriteStoreString(HKEY_LOCAL_MACHINE, kDisabledKey + "\\Run", "Agent",
                           "C:\\Fixture\\old.exe");
  SetString(HKEY_CURRENT_USER, userRun, "Neighbour", "C:\\Fixture\\neighbour.exe");

  startup::EnumStartup(false);
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, userRun, "Agent")) << "taken out of the Run key";
  // The store an earlier version wrote is read, and kept from now on by location and name.
  EXPECT_EQ(common::ReadStoreString(kDisabledKey + "\\11", HKEY_LOCAL_MACHINE, "Agent", 1024),
            "C:\\Fixture\\new.exe -tray");
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kDisabledKey, "Agent"));
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kDisabledKey + "\\Run", "Agent"));
  const auto agents = Titled("Agent");
  ASSERT_EQ(agents.size(), 1u) << "listed once, as the disabled entry";
  EXPECT_EQ(agents[0].type, 11);
  EXPECT_EQ(agents[0].path, "C:\\Fixture\\new.exe -tray");
  EXPECT_EQ(Titled("Neighbour").size(), 1u);

  // A location that cannot be disabled keeps its value: it must not vanish from the list.
  SetString(HKEY_LOCAL_MACHINE, RunKeyPath(27), "Agent", "C:\\Fixture\\wow.exe");
  startup::EnumStartup(false);
  EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, RunKeyPath(27), "Agent"));
  bool wowListed = false;
  for (const core::Item& item : OfType(27)) wowListed = wowListed || item.title == "Agent";
  EXPECT_TRUE(wowListed);
}

// An entry is known by its location and its name: a namesake written elsewhere while the first
// is disabled is another entry, listed and left alone, and the stored command stays.
TEST_F(RunKeysTest, ANamesakeInAnotherLocationIsNotTakenForTheDisabledEntry) {
  SetString(HKEY_LOCAL_MACHINE, RunKeyPath(1), "Dup", "C:\\tools\\machine.exe");
  startup::EnumStartup(false);
  ASSERT_TRUE(startup::ToggleStartupEntry("Dup", "C:\\tools\\machine.exe", "", 1));
  SetString(HKEY_CURRENT_USER, RunKeyPath(11), "Dup", "C:\\tools\\user.exe");

  for (int listing = 0; listing < 2; ++listing) {
    startup::EnumStartup(false);
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, RunKeyPath(11), "Dup")) << "left where it is";
    const auto dups = Titled("Dup");
    ASSERT_EQ(dups.size(), 2u);
    EXPECT_EQ(dups[0].type, 11);
    EXPECT_EQ(dups[0].path, "C:\\tools\\user.exe");
    EXPECT_FALSE(dups[0].disabled);
    EXPECT_EQ(dups[1].type, 1);
    EXPECT_EQ(dups[1].path, "C:\\tools\\machine.exe") << "the machine's command is kept";
    EXPECT_TRUE(dups[1].disabled);
  }
  // Enabled again, each is back in its own key.
  ASSERT_TRUE(startup::ToggleStartupEntry("Dup", "C:\\tools\\machine.exe", "", 1));
  EXPECT_EQ(common::ReadStoreString(RunKeyPath(1), HKEY_LOCAL_MACHINE, "Dup", 1024),
            "C:\\tools\\machine.exe");
  EXPECT_EQ(common::ReadStoreString(RunKeyPath(11), HKEY_CURRENT_USER, "Dup", 1024),
            "C:\\tools\\user.exe");
}

// The store as an earlier version wrote it: markers named by title, copies by location family.
TEST_F(RunKeysTest, AnEarlierDisabledStoreIsListedWithTheCodeOfItsMarkers) {
  const struct {
    std::string subkey, name, command, marker;
    bool listed;
  } cases[] = {
      {"Run", "Off run", "C:\\Fixture\\off.exe", "1", true},
      {"RunOnce", "Off user once", "C:\\Fixture\\once.exe", "12", true},
      {"Policy", "Off policy", "x", "17", true},  // stored as it was, however short
      {"WinLoad", "Off load", "C:\\Fixture\\load.exe", "100", true},
      {"RunOnce\\Setup", "Off setup", "C:\\Fixture\\setup.exe", "6", true},
      {"WinNotify", "Off notify", "C:\\Fixture\\notify.dll", "256", true},
      {"Run", "No marker", "C:\\Fixture\\nomarker.exe", "", false},
      {"Run", "Zero marker", "C:\\Fixture\\zero.exe", "0", false},
      {"Run", "Word marker", "C:\\Fixture\\word.exe", "run", false},
      {"Run", "Long marker", "C:\\Fixture\\longmarker.exe", "1234567890123456789", false},
  };
  for (const auto& c : cases) {
    common::WriteStoreString(HKEY_LOCAL_MACHINE, kDisabledKey + "\\" + c.subkey, c.name, c.command);
    if (!c.marker.empty())
      common::WriteStoreString(HKEY_LOCAL_MACHINE, kDisabledKey, c.name, c.marker);
  }
  SetRaw(HKEY_LOCAL_MACHINE, kDisabledKey + "\\Run", "Binary", REG_BINARY, {1, 2, 3});
  common::WriteStoreString(HKEY_LOCAL_MACHINE, kDisabledKey, "Binary", "1");

  startup::EnumStartup(false);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<core::Item> items;
    for (const core::Item& item : Listed())
      if (item.path == c.command) items.push_back(item);
    if (!c.listed) {
      EXPECT_TRUE(items.empty());
      continue;
    }
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].type, std::stoi(c.marker));
    EXPECT_EQ(items[0].path, c.command);
    EXPECT_EQ(items[0].flag, 0);
    EXPECT_TRUE(items[0].disabled);
    // A win.ini entry is known by its token; any other by its name.
    const int code = std::stoi(c.marker);
    const std::string name = code == 100 ? c.command : c.name;
    EXPECT_EQ(core::EntryName(items[0]), name);
    EXPECT_TRUE(startup::IsStartupEntryDisabled(code, name));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kDisabledKey, c.name)) << "moved over";
  }
  EXPECT_TRUE(Titled("Binary").empty());
}

TEST_F(RunKeysTest, The32BitRunKeysAreReadOnlyWhenTheSystemHasThem) {
  SetString(HKEY_LOCAL_MACHINE, RunKeyPath(21), "Wow agent", "C:\\Fixture\\wow.exe");
  for (const bool wow64 : {true, false}) {
    SCOPED_TRACE(wow64);
    common::App().wow64Keys = wow64;
    startup::EnumStartup(false);
    const auto items = Titled("Wow agent");
    ASSERT_EQ(items.size(), wow64 ? 1u : 0u);
    if (wow64) {
      EXPECT_EQ(items[0].type, 21);
    }
  }
}

TEST_F(RunKeysTest, PlacesThatCannotBeReadContributeNothing) {
  SetString(HKEY_LOCAL_MACHINE, RunKeyPath(1), "Before", "C:\\Fixture\\before.exe");
  SetString(HKEY_LOCAL_MACHINE, RunKeyPath(2), "Locked away", "C:\\Fixture\\locked.exe");
  SetString(HKEY_CURRENT_USER, RunKeyPath(11), "After", "C:\\Fixture\\after.exe");
  // Folders that are missing, a file, or too long to read.
  SetString(HKEY_LOCAL_MACHINE, std::string(core::kShellFoldersKey), "Startup",
            scratch_ + "\\missing");
  SetString(HKEY_CURRENT_USER, std::string(core::kShellFoldersKey), "Startup", Described());
  SetString(HKEY_CURRENT_USER, std::string(core::kShellFoldersKey), "Common Startup",
            std::string(5000, 'x'));
  SetString(HKEY_LOCAL_MACHINE, std::string(core::kWinlogonNotifyKey) + "\\Locked", "DllName",
            "C:\\Fixture\\n.dll");

  // Keys nobody may open: the Run key and a Notify package.
  std::vector<win32::UniqueKey> locked;
  for (const std::string& path :
       {RunKeyPath(2), std::string(core::kWinlogonNotifyKey) + "\\Locked"}) {
    locked.push_back(win32::OpenKey(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS | WRITE_DAC));
    ASSERT_TRUE(locked.back());
  }
  auto setDacl = [&](const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd,
                                                                       nullptr));
    for (const auto& key : locked)
      EXPECT_EQ(::RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, sd), ERROR_SUCCESS);
    ::LocalFree(sd);
  };
  setDacl(L"D:(D;;KA;;;WD)");
  const bool denied = !win32::OpenKey(HKEY_LOCAL_MACHINE, RunKeyPath(2), KEY_READ);

  startup::EnumStartup(false);
  setDacl(L"D:(A;;KA;;;WD)");  // so the sandbox can be deleted
  ASSERT_TRUE(denied) << "the key should have been closed to reading";
  EXPECT_EQ(Titled("Before").size(), 1u);
  EXPECT_EQ(Titled("After").size(), 1u);
  EXPECT_TRUE(Titled("Locked away").empty());
  EXPECT_TRUE(OfType(200).empty());
  EXPECT_TRUE(OfType(core::kWinlogonNotify).empty());
}

}  // namespace
}  // namespace obrivo::test
