// ActiveX controls: what the list holds for each registration a machine may carry (broken ones
// included), the kill bit read, set and cleared over every shape its value may have, the
// Microsoft test, the baseline and the Monitor's check.
#include "browser/activex.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "browser/activex_check.h"
#include "common/first_detected.h"
#include "common/history.h"
#include "common/items.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/registry.h"
#include "common/win32/system.h"
#include "common/win32/wide.h"
#include "core/alert_rules.h"
#include "core/history_codes.h"
#include "browser_test_env.h"
#include "services_test_env.h"
#include "test_process.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

namespace T = core::item_type;

constexpr char kClassA[] = "{7C8D9EAF-0000-4000-8000-00000000000A}";
constexpr char kClassB[] = "{7C8D9EAF-0000-4000-8000-00000000000B}";
constexpr char kClassC[] = "{7C8D9EAF-0000-4000-8000-00000000000C}";

// Spelt out here rather than taken from the code under test.
constexpr char kStats[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats";
constexpr char kCompatibility[] = "SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility";
constexpr char kFlags[] = "Compatibility Flags";

struct Listed {
  std::string key, title, path, text;
  int flag;
  bool operator==(const Listed&) const = default;
};

std::string Describe(const std::vector<Listed>& items) {
  std::string text;
  for (const Listed& i : items)
    text += "[" + i.key + "] [" + i.title + "] [" + i.path + "] [" + i.text + "] " +
            std::to_string(i.flag) + "\n";
  return text;
}

std::vector<BYTE> DwordBytes(DWORD value) {
  std::vector<BYTE> bytes(sizeof value);
  std::memcpy(bytes.data(), &value, sizeof value);
  return bytes;
}

class ActiveX : public SandboxedTest {
 protected:
  void SetUp() override {
    SandboxedTest::SetUp();
    ASSERT_TRUE(common::ClearHistoryFile());
    bin_ = win32::Narrow(HostToWine(EnvVar(L"OBRIVO_BIN_DIR")));
  }
  void TearDown() override { common::ClearHistoryFile(); }

  static void Set(HKEY hive, const std::string& path, const std::string& name,
                  const std::string& text) {
    ASSERT_TRUE(common::WriteStoreString(hive, path, name, text)) << path << " " << name;
  }
  static void RegisterServer(const std::string& name, const std::string& server,
                             const std::string& text = "") {
    Set(HKEY_CLASSES_ROOT, "CLSID\\" + name, "", text);
    Set(HKEY_CLASSES_ROOT, "CLSID\\" + name + "\\InprocServer32", "", server);
  }
  // The browser's statistics for a control it has used.
  static void Use(const std::string& name) {
    ASSERT_TRUE(win32::CreateKey(HKEY_CURRENT_USER, std::string(kStats) + "\\" + name, KEY_WRITE));
  }
  static void UseWithType(const std::string& name, DWORD type) {
    SetRaw(HKEY_CURRENT_USER, std::string(kStats) + "\\" + name + "\\iexplore", "Type", REG_DWORD,
           DwordBytes(type));
  }
  static std::string Compatibility(const std::string& name) {
    return std::string(kCompatibility) + "\\" + name;
  }
  static void SetFlags(const std::string& name, DWORD flags) {
    SetRaw(HKEY_LOCAL_MACHINE, Compatibility(name), kFlags, REG_DWORD, DwordBytes(flags));
  }
  static std::optional<win32::RegValue> StoredFlags(const std::string& name) {
    const win32::UniqueKey key = win32::OpenKey(HKEY_LOCAL_MACHINE, Compatibility(name), KEY_READ);
    return key ? win32::QueryValue(key.get(), kFlags) : std::nullopt;
  }
  static void ClearAll() {
    ASSERT_TRUE(common::DeleteStoreTree(HKEY_CURRENT_USER, kStats));
    ASSERT_TRUE(common::DeleteStoreTree(HKEY_LOCAL_MACHINE, kCompatibility));
    ASSERT_TRUE(common::DeleteStoreTree(HKEY_CLASSES_ROOT, "CLSID"));
  }
  static std::vector<Listed> Items() {
    std::vector<Listed> items;
    for (std::size_t i = 0; i < common::ItemCount(); ++i) {
      const core::Item& item = common::Items().At(i);
      EXPECT_EQ(item.type, T::kActiveX);
      items.push_back({item.key, item.title, item.path, item.text, item.flag});
    }
    return items;
  }
  static core::Item Control(const std::string& key, const std::string& path = "") {
    core::Item item;
    item.key = key;
    item.title = key;
    item.path = path;
    item.type = T::kActiveX;
    return item;
  }

  std::string bin_;
};

TEST_F(ActiveX, EachRegistrationAsListed) {
  // A key name of 255 characters, the longest there is: braced already, as braces are not added.
  const std::string long255 = "{" + std::string(254, 'K');
  const struct {
    const char* what;
    std::function<void(const std::string& bin)> setUp;
    bool all;  // the whole compatibility list too
    std::function<std::vector<Listed>(const std::string& bin)> expected;
  } cases[] = {
      {"the class's text names it; without a text, the file's description and version; a file "
       "without version information, its file name",
       [](const std::string& bin) {
         RegisterServer(kClassA, "C:\\Controls\\grid.ocx", "Grid Control");
         Use(kClassA);
         RegisterServer(kClassB, bin + "\\version_os_product.dll");
         Use(kClassB);
         RegisterServer(kClassC, "C:\\Controls\\chart view.ocx");
         Use(kClassC);
       },
       false,
       [](const std::string& bin) {
         return std::vector<Listed>{
             {kClassA, "Grid Control", "C:\\Controls\\grid.ocx", "", 0},
             {kClassB, "Fixture Shell Component", bin + "\\version_os_product.dll", "6.1.7601", 0},
             {kClassC, "chart view.ocx", "C:\\Controls\\chart view.ocx", "", 0}};
       }},
      {"a class without a server, and one not registered at all, are left out and do not stop "
       "the walk",
       [](const std::string&) {
         Set(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kClassA, "", "No server");
         Use(kClassA);
         Use(kClassB);
         RegisterServer(kClassC, "C:\\Controls\\kept.ocx");
         Use(kClassC);
       },
       false,
       [](const std::string&) {
         return std::vector<Listed>{{kClassC, "kept.ocx", "C:\\Controls\\kept.ocx", "", 0}};
       }},
      {"the browser's Type: 0 and 1 (or none, or no number) are used, 2 and more are not",
       [](const std::string&) {
         RegisterServer(kClassA, "C:\\Controls\\a.ocx");
         UseWithType(kClassA, 1);
         RegisterServer(kClassB, "C:\\Controls\\b.ocx");
         UseWithType(kClassB, 2);
         RegisterServer(kClassC, "C:\\Controls\\c.ocx");
         Set(HKEY_CURRENT_USER, std::string(kStats) + "\\" + kClassC + "\\iexplore", "Type", "7");
       },
       false,
       [](const std::string&) {
         return std::vector<Listed>{{kClassA, "a.ocx", "C:\\Controls\\a.ocx", "", 0},
                                    {kClassC, "c.ocx", "C:\\Controls\\c.ocx", "", 0}};
       }},
      {"spellings without braces and in lower case find their class and their flags; the flags "
       "of each control, whatever their type",
       [](const std::string&) {
         RegisterServer(kClassA, "C:\\Controls\\bare.ocx");
         Use("7C8D9EAF-0000-4000-8000-00000000000A");
         SetFlags(kClassA, 0x401);
         RegisterServer("{7c8d9eaf-0000-4000-8000-00000000000b}", "C:\\Controls\\lower.ocx");
         Use("{7c8d9eaf-0000-4000-8000-00000000000b}");
         Set(HKEY_LOCAL_MACHINE, Compatibility(kClassB), kFlags, "1024");
         Use("not a class");
       },
       false,
       [](const std::string&) {
         return std::vector<Listed>{
             {"7C8D9EAF-0000-4000-8000-00000000000A", "bare.ocx", "C:\\Controls\\bare.ocx", "",
              0x401},
             {"{7c8d9eaf-0000-4000-8000-00000000000b}", "lower.ocx", "C:\\Controls\\lower.ocx",
              "", 0}};
       }},
      {"names beyond ASCII and of 255 characters",
       [long255](const std::string&) {
         RegisterServer(kClassA, "C:\\Steuerelemente\\Größe ツール.ocx", "Übersicht");
         Use(kClassA);
         RegisterServer(long255, "C:\\Controls\\long.ocx", "Длинный");
         Use(long255);
       },
       false,
       [long255](const std::string&) {
         return std::vector<Listed>{
             {kClassA, "Übersicht", "C:\\Steuerelemente\\Größe ツール.ocx", "", 0},
             {long255, "Длинный", "C:\\Controls\\long.ocx", "", 0}};
       }},
      {"the whole list: used controls first, then the compatibility list by its alternate "
       "class; a control in both is listed twice, an entry without a server not at all",
       [](const std::string&) {
         RegisterServer(kClassA, "C:\\Controls\\a.ocx");
         Use(kClassA);
         SetFlags(kClassA, 0x400);
         RegisterServer(kClassC, "C:\\Controls\\c.ocx");
         Set(HKEY_LOCAL_MACHINE, Compatibility(kClassB), "AlternateCLSID", kClassC);
         SetFlags("{7C8D9EAF-0000-4000-8000-0000000000FF}", 0x400);
       },
       true,
       [](const std::string&) {
         return std::vector<Listed>{{kClassA, "a.ocx", "C:\\Controls\\a.ocx", "", 0x400},
                                    {kClassA, "a.ocx", "C:\\Controls\\a.ocx", "", 0x400},
                                    {kClassC, "c.ocx", "C:\\Controls\\c.ocx", "", 0}};
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ClearAll();
    c.setUp(bin_);
    if (c.all)
      browser::EnumAllActiveX(false);
    else
      browser::EnumUsedActiveX({});
    const std::vector<Listed> listed = Items(), expected = c.expected(bin_);
    EXPECT_TRUE(listed == expected) << "listed:\n" << Describe(listed) << "expected:\n"
                                    << Describe(expected);
  }
}

TEST_F(ActiveX, NoStatisticsAndNoCompatibilityListListNothingAndKeepAppends) {
  EXPECT_EQ(browser::EnumUsedActiveX({}), 0u);
  EXPECT_EQ(browser::EnumAllActiveX(false), 0u);
  RegisterServer(kClassA, "C:\\Controls\\a.ocx");
  Use(kClassA);
  ASSERT_EQ(browser::EnumUsedActiveX({}), 1u);
  EXPECT_EQ(browser::EnumUsedActiveX({true, false}), 2u) << "appended to what was there";
}

// The kill bit over every shape the value may have: what it reads as, what setting and clearing
// it leave (always a proper REG_DWORD keeping the other bits) and the history each writes.
TEST_F(ActiveX, KillBitReadSetAndClearedWhateverTheValueHolds) {
  const struct {
    const char* what;
    bool key;  // the compatibility key exists
    DWORD type;
    std::vector<BYTE> data;
    DWORD reads;
    DWORD afterDisable, afterEnable;  // the REG_DWORD left; enabling leaves none without a key
  } cases[] = {
      {"no key", false, REG_NONE, {}, 0, 0x400, 0},
      {"a key without the value", true, REG_NONE, {}, 0, 0x400, 0},
      {"other bits set", true, REG_DWORD, DwordBytes(0x001), 0x001, 0x401, 0x001},
      {"killed with other bits", true, REG_DWORD, DwordBytes(0x401), 0x401, 0x401, 0x001},
      {"a string", true, REG_SZ, {'1', 0, '0', 0, '2', 0, '4', 0, 0, 0}, 0, 0x400, 0},
      {"binary data", true, REG_BINARY, {0x00, 0x04, 0x00, 0x00}, 0, 0x400, 0},
      {"a DWORD of no length", true, REG_DWORD, {}, 0, 0x400, 0},
      {"a DWORD too short", true, REG_DWORD, {0x00, 0x04}, 0, 0x400, 0},
  };
  for (const auto& c : cases) {
    for (const bool disable : {true, false}) {
      SCOPED_TRACE(std::string(c.what) + (disable ? ", disabled" : ", enabled"));
      ASSERT_TRUE(common::DeleteStoreTree(HKEY_LOCAL_MACHINE, kCompatibility));
      ASSERT_TRUE(common::ClearHistoryFile());
      if (c.key) {
        ASSERT_TRUE(win32::CreateKey(HKEY_LOCAL_MACHINE, Compatibility(kClassA), KEY_WRITE));
      }
      if (c.type != REG_NONE) SetRaw(HKEY_LOCAL_MACHINE, Compatibility(kClassA), kFlags, c.type, c.data);
      EXPECT_EQ(browser::GetCompatibilityFlags(kClassA), c.reads);
      EXPECT_EQ(browser::IsActiveXEnabled(kClassA), (c.reads & 0x400) == 0);

      const core::Item control = Control(kClassA, "C:\\Controls\\grid.ocx");
      const browser::KillBitWrite write =
          disable ? browser::DisableActiveX(control) : browser::EnableActiveX(control);
      EXPECT_TRUE(write.done);
      const DWORD expected = disable ? c.afterDisable : c.afterEnable;
      const auto stored = StoredFlags(kClassA);
      if (!disable && !c.key) {
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Compatibility(kClassA)))
            << "nothing to clear: nothing written";
      } else if (!disable && c.type == REG_NONE) {
        EXPECT_FALSE(stored.has_value());
      } else {
        ASSERT_TRUE(stored.has_value());
        EXPECT_EQ(stored->type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(stored->data, DwordBytes(expected));
      }
      EXPECT_EQ(browser::IsActiveXEnabled(kClassA), !disable);
      // History only when the control's state changed.
      const bool changed = disable == ((c.reads & 0x400) == 0);
      EXPECT_EQ(write.changed, changed);
      ASSERT_EQ(common::LoadHistory(), changed ? 1u : 0u);
      if (changed) {
        const core::Item& record = common::Items().At(0);
        EXPECT_EQ(record.flag, disable ? core::history_event::kActiveXDisable
                                       : core::history_event::kActiveXEnable);
        EXPECT_EQ(record.type, T::kActiveX);
        EXPECT_EQ(record.title, "grid.ocx");
        EXPECT_EQ(record.key, "HKLM\\" + Compatibility(kClassA));
      }
    }
  }
}

// A spelling without braces reaches the class's own key; one in lower case is the same key.
TEST_F(ActiveX, KillBitOfASpellingWithoutBracesIsTheClasssOwn) {
  ASSERT_TRUE(browser::DisableActiveX(Control("7C8D9EAF-0000-4000-8000-00000000000A")).done);
  EXPECT_EQ(browser::GetCompatibilityFlags(kClassA), 0x400u);
  EXPECT_FALSE(browser::IsActiveXEnabled("{7c8d9eaf-0000-4000-8000-00000000000a}"));
}

TEST_F(ActiveX, AWriteThatFailsIsNotDoneAndWritesNoHistory) {
  SetFlags(kClassA, 0x001);
  win32::UniqueKey key =
      win32::OpenKey(HKEY_LOCAL_MACHINE, Compatibility(kClassA), KEY_ALL_ACCESS | WRITE_DAC);
  ASSERT_TRUE(key);
  SetKeyDacl(key.get(), L"D:(A;;KR;;;WD)");  // readable, not writable
  const browser::KillBitWrite write = browser::DisableActiveX(Control(kClassA));
  SetKeyDacl(key.get(), L"D:(A;;KA;;;WD)");
  EXPECT_FALSE(write.done);
  EXPECT_FALSE(write.changed);
  EXPECT_NE(write.error, static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(browser::GetCompatibilityFlags(kClassA), 0x001u);
  EXPECT_EQ(common::LoadHistory(), 0u);
}

// Microsoft's company alone is not enough, and neither is the Windows folder alone; the listing
// with the box leaves out only what is both.
TEST_F(ActiveX, MicrosoftMeansMicrosoftsCompanyInTheWindowsFolder) {
  const std::string id = std::to_string(::GetCurrentProcessId());
  const std::string windows = win32::WindowsDirectory();
  const std::string claiming = bin_ + "\\version_microsoft_company.dll";
  const PlacedCopy outside(claiming, "C:\\ProgramData\\ObrivoControl" + id + "\\claims.ocx");
  const PlacedCopy inside(claiming, windows + "\\ObrivoControl" + id + "\\claims.ocx");
  const PlacedCopy plainInside(bin_ + "\\version_os_product.dll",
                               windows + "\\ObrivoControlPlain" + id + "\\plain.ocx");
  ASSERT_TRUE(outside.copied() && inside.copied() && plainInside.copied());
  const struct {
    const char* clsid;
    std::string file;
    bool microsoft;
  } cases[] = {
      {kClassA, outside.path(), false},
      {kClassB, inside.path(), true},
      {kClassC, plainInside.path(), false},
  };
  for (const auto& c : cases) {
    RegisterServer(c.clsid, c.file);
    Use(c.clsid);
    const auto version = common::ReadVersionInfo(c.file);
    ASSERT_TRUE(version.has_value()) << c.file;
    EXPECT_EQ(browser::IsMicrosoftControl(c.file, version->companyName), c.microsoft) << c.file;
  }
  for (const bool hide : {false, true}) {
    browser::EnumUsedActiveX({false, hide});
    for (const auto& c : cases) {
      SCOPED_TRACE(c.file + (hide ? " hidden" : " shown"));
      bool listed = false;
      for (const Listed& item : Items()) listed = listed || item.key == c.clsid;
      EXPECT_EQ(listed, !(hide && c.microsoft));
    }
  }
}

// ---- The baseline and the check ---------------------------------------------------------------

class ActiveXCheck : public ActiveX {
 protected:
  static std::string Baseline(const std::string& name) {
    return common::ReadStoreString(browser::ActiveXBaselineKey(), HKEY_CURRENT_USER, name, 64);
  }
  static void AddControl(const std::string& clsid, const std::string& file) {
    RegisterServer(clsid, file);
    Use(clsid);
  }

  browser::ActiveXCheckHooks Answering(int answer) {
    browser::ActiveXCheckHooks hooks;
    hooks.ask = [this, answer](const core::Item& item) {
      asked_.push_back(item.key);
      return answer;
    };
    hooks.showAlertIcon = [this] { ++alertIcons_; };
    hooks.disableFailed = [this](const core::Item& item, const browser::KillBitWrite&) {
      failed_.push_back(item.key);
    };
    return hooks;
  }

  std::vector<std::string> asked_, failed_;
  int alertIcons_ = 0;
};

TEST_F(ActiveXCheck, EachAnswerAndWhatItLeaves) {
  const struct {
    int answer;
    bool known;    // in the baseline afterwards
    bool killed;   // its kill bit set
    std::size_t records;
    bool askedAgain;
  } cases[] = {
      {core::kAlertYes, true, false, 0, false},
      {core::kAlertNo, true, true, 1, false},
      {0, false, false, 0, true},  // no alert could be shown: nothing decided
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    ASSERT_TRUE(common::DeleteStoreTree(HKEY_CURRENT_USER, browser::ActiveXBaselineKey()));
    ASSERT_TRUE(common::DeleteStoreTree(HKEY_LOCAL_MACHINE, kCompatibility));
    ASSERT_TRUE(common::ClearHistoryFile());
    asked_.clear();
    alertIcons_ = 0;
    AddControl(kClassA, bin_ + "\\version_os_product.dll");

    EXPECT_EQ(browser::VerifyActiveX(Answering(c.answer)), 1u);
    EXPECT_EQ(asked_, std::vector<std::string>{kClassA});
    EXPECT_EQ(alertIcons_, 1);
    EXPECT_EQ(Baseline(kClassA), c.known ? "1200" : "");
    EXPECT_EQ(browser::IsActiveXEnabled(kClassA), !c.killed);
    ASSERT_EQ(common::LoadHistory(), c.records);
    if (c.records) {
      EXPECT_EQ(common::Items().At(0).flag, core::history_event::kActiveXDisable);
    }
    EXPECT_FALSE(common::LookupFirstDetected(T::kActiveX, kClassA).empty());

    asked_.clear();
    browser::VerifyActiveX(Answering(core::kAlertYes));
    EXPECT_EQ(asked_.size(), c.askedAgain ? 1u : 0u);
  }
}

// Spellings of one class are one control; a new class is asked about even among known ones.
TEST_F(ActiveXCheck, AControlIsKnownByItsClassIdentifier) {
  AddControl(kClassA, "C:\\Controls\\a.ocx");
  browser::VerifyActiveX(Answering(core::kAlertYes));
  asked_.clear();
  ASSERT_TRUE(common::DeleteStoreTree(HKEY_CURRENT_USER, std::string(kStats) + "\\" + kClassA));
  AddControl("7c8d9eaf-0000-4000-8000-00000000000a", "C:\\Controls\\a.ocx");
  AddControl(kClassB, "C:\\Controls\\a.ocx");  // same file, another class
  EXPECT_EQ(browser::VerifyActiveX(Answering(core::kAlertYes)), 2u);
  EXPECT_EQ(asked_, std::vector<std::string>{kClassB});
}

TEST_F(ActiveXCheck, AKillBitThatCannotBeWrittenIsSaidAndNotAskedAgain) {
  AddControl(kClassA, "C:\\Controls\\a.ocx");
  SetFlags(kClassA, 0);
  win32::UniqueKey key =
      win32::OpenKey(HKEY_LOCAL_MACHINE, Compatibility(kClassA), KEY_ALL_ACCESS | WRITE_DAC);
  ASSERT_TRUE(key);
  SetKeyDacl(key.get(), L"D:(A;;KR;;;WD)");  // readable, not writable
  browser::VerifyActiveX(Answering(core::kAlertNo));
  SetKeyDacl(key.get(), L"D:(A;;KA;;;WD)");
  EXPECT_EQ(failed_, std::vector<std::string>{kClassA});
  EXPECT_TRUE(browser::IsActiveXEnabled(kClassA));
  EXPECT_EQ(common::LoadHistory(), 0u);
  asked_.clear();
  browser::VerifyActiveX(Answering(core::kAlertNo));
  EXPECT_TRUE(asked_.empty());
}

// The baseline is taken once, marked by "P"; a key without the mark (an older store's, or one
// left half-written) is taken again from scratch.
TEST_F(ActiveXCheck, TheBaselineIsTakenOnceAndMarked) {
  AddControl(kClassA, "C:\\Controls\\a.ocx");
  Set(HKEY_CURRENT_USER, browser::ActiveXBaselineKey(), "{7C8D9EAF-0000-4000-8000-0000000000FF}",
      "1200");
  EXPECT_TRUE(browser::SnapshotActiveX());
  EXPECT_EQ(Baseline(""), "P");
  EXPECT_EQ(Baseline(kClassA), "1200");
  EXPECT_EQ(Baseline("{7C8D9EAF-0000-4000-8000-0000000000FF}"), "") << "the unmarked key went";

  AddControl(kClassB, "C:\\Controls\\b.ocx");
  EXPECT_FALSE(browser::SnapshotActiveX()) << "taken once only";
  browser::VerifyActiveX(Answering(core::kAlertYes));
  EXPECT_EQ(asked_, std::vector<std::string>{kClassB});
}

TEST_F(ActiveXCheck, FirstDetectedSeedsAreTheControlsKeys) {
  AddControl(kClassA, "C:\\Controls\\missing.ocx");  // dated although its file is missing
  Use(kClassB);                                      // no class: not listed, not dated
  EXPECT_EQ(browser::ActiveXKeys(), std::vector<std::string>{kClassA});
}

}  // namespace
}  // namespace obrivo::test
