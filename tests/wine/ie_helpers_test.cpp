// Browser add-ons: what the list holds for each registration a machine may carry (broken ones
// included), and removal, which deletes the registrations it saved, never the file, and can be
// undone; a removal that cannot delete changes nothing and writes no history.
#include "browser/ie_helpers.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/history.h"
#include "common/items.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/registry.h"
#include "common/win32/wide.h"
#include "core/history_codes.h"
#include "explorer/history_viewer.h"
#include "test_process.h"
#include "browser_test_env.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

namespace T = core::item_type;


constexpr char kClassA[] = "{1A2B3C4D-0000-4000-8000-00000000000A}";
constexpr char kClassB[] = "{1A2B3C4D-0000-4000-8000-00000000000B}";
constexpr char kClassC[] = "{1A2B3C4D-0000-4000-8000-00000000000C}";

struct Listed {
  int type;
  std::string key;
  std::string title;
  std::string path;
  std::string text;
};

std::string Describe(const std::vector<Listed>& items) {
  std::string text;
  for (const Listed& i : items)
    text += std::to_string(i.type) + " [" + i.key + "] [" + i.title + "] [" + i.path + "] [" +
            i.text + "]\n";
  return text;
}

bool operator==(const Listed& a, const Listed& b) {
  return a.type == b.type && a.key == b.key && a.title == b.title && a.path == b.path &&
         a.text == b.text;
}

class IEHelpers : public SandboxedTest {
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
  // A class with an in-process server.
  static void RegisterServer(const std::string& name, const std::string& server,
                            const std::string& text = "") {
    Set(HKEY_CLASSES_ROOT, "CLSID\\" + name, "", text);
    Set(HKEY_CLASSES_ROOT, "CLSID\\" + name + "\\InprocServer32", "", server);
  }
  static void AddBho(const std::string& name) {
    ASSERT_TRUE(win32::CreateKey(HKEY_LOCAL_MACHINE, std::string(kBhoKey) + "\\" + name, KEY_WRITE));
  }
  static void AddToolbar(const std::string& name) { Set(HKEY_LOCAL_MACHINE, kToolbarKey, name, ""); }
  static std::string Extension(const std::string& name) {
    return std::string(kExtensionsKey) + "\\" + name;
  }

  static std::vector<Listed> List() {
    std::vector<Listed> items;
    for (std::size_t i = 0, n = browser::EnumIEHelpers(); i < n; ++i) {
      const core::Item& item = common::Items().At(i);
      items.push_back({item.type, item.key, item.title, item.path, item.text});
    }
    return items;
  }

  static const core::Item* Find(int type, const std::string& key) {
    browser::EnumIEHelpers();
    for (std::size_t i = 0; i < common::ItemCount(); ++i)
      if (common::Items().At(i).type == type && common::Items().At(i).key == key)
        return &common::Items().At(i);
    return nullptr;
  }

  std::string bin_;
};

TEST_F(IEHelpers, EachRegistrationAsListed) {
  const std::string long255(255, 'L');
  const struct {
    const char* what;
    std::function<void(const std::string& bin)> setUp;
    std::vector<Listed> expected;
  } cases[] = {
      {"a BHO with its server; a BHO without InprocServer32 and one of an unregistered class "
       "are left out and do not stop the walk",
       [](const std::string&) {
         Set(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kClassA, "", "No server");
         AddBho(kClassA);
         AddBho(kClassB);
         RegisterServer(kClassC, "C:\\Add-ons\\helper one.dll");
         AddBho(kClassC);
       },
       {{T::kBrowserHelper, kClassC, "helper one.dll", "C:\\Add-ons\\helper one.dll", ""}}},
      {"the product name and version of the server file",
       [](const std::string& bin) {
         RegisterServer(kClassA, bin + "\\version_os_product.dll");
         AddBho(kClassA);
       },
       {}},  // filled below: the path depends on the build folder
      {"a toolbar of an unregistered class, and one whose class has no server",
       [](const std::string&) {
         AddToolbar(kClassA);
         Set(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kClassB, "", "Search Bar");
         AddToolbar(kClassB);
       },
       {{T::kToolbar, kClassA, kClassA, "", ""}, {T::kToolbar, kClassB, "Search Bar", "", ""}}},
      {"class identifiers without braces, in lower case, and of the wrong length",
       [](const std::string&) {
         RegisterServer(kClassA, "C:\\Add-ons\\bare.dll");
         AddToolbar("1a2b3c4d-0000-4000-8000-00000000000a");
         RegisterServer("{1a2b3c4d-0000-4000-8000-00000000000b}", "C:\\Add-ons\\lower.dll");
         AddBho("{1a2b3c4d-0000-4000-8000-00000000000b}");
         AddToolbar("{1A2B3C4D-0000-4000-8000-0000000000}");
         AddToolbar("not a class");
       },
       {{T::kBrowserHelper, "{1a2b3c4d-0000-4000-8000-00000000000b}", "lower.dll",
         "C:\\Add-ons\\lower.dll", ""},
        {T::kToolbar, "1a2b3c4d-0000-4000-8000-00000000000a", "bare.dll", "C:\\Add-ons\\bare.dll",
         ""},
        // Values come in the order the registry gives them.
        {T::kToolbar, "not a class", "not a class", "", ""},
        {T::kToolbar, "{1A2B3C4D-0000-4000-8000-0000000000}",
         "{1A2B3C4D-0000-4000-8000-0000000000}", "", ""}}},
      {"extensions: neither Exec nor Script, the related-links button, a menu entry only",
       [](const std::string&) {
         Set(HKEY_LOCAL_MACHINE, Extension(kClassA), "ButtonText", "Empty button");
         Set(HKEY_LOCAL_MACHINE, Extension(kClassB), "ButtonText", "@C:\\Windows\\shdoclc.dll,-864");
         Set(HKEY_LOCAL_MACHINE, Extension(kClassB), "Script", "C:\\Add-ons\\related.htm");
         Set(HKEY_LOCAL_MACHINE, Extension(kClassB), "HotIcon", "C:\\Add-ons\\related.ico");
         Set(HKEY_LOCAL_MACHINE, Extension(kClassC), "MenuText", "Send to notes");
         Set(HKEY_LOCAL_MACHINE, Extension(kClassC), "Exec", "C:\\Add-ons\\notes.exe");
       },
       {{T::kBrowserExtension, kClassA, "Empty button", "", ""},
        {T::kBrowserExtension, kClassB, "Related", "C:\\Add-ons\\related.htm",
         "C:\\Add-ons\\related.ico"},
        {T::kBrowserExtension, kClassC, "Send to notes", "C:\\Add-ons\\notes.exe",
         "C:\\Add-ons\\notes.exe"}}},
      {"names beyond ASCII and names of 255 characters",
       [long255](const std::string&) {
         RegisterServer(kClassA, "C:\\Erweiterungen\\Größe ツール.dll");
         AddBho(kClassA);
         AddToolbar("Leiste für Übersicht");
         AddToolbar(long255);
         Set(HKEY_LOCAL_MACHINE, Extension(long255), "ButtonText", "Ноты");
       },
       {{T::kBrowserHelper, kClassA, "Größe ツール.dll", "C:\\Erweiterungen\\Größe ツール.dll", ""},
        {T::kToolbar, "Leiste für Übersicht", "Leiste für Übersicht", "", ""},
        {T::kToolbar, long255, long255.substr(0, 127), "", ""},
        {T::kBrowserExtension, long255, "Ноты", "", ""}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (const char* key : {kBhoKey, kToolbarKey, kExtensionsKey})
      ASSERT_TRUE(common::DeleteStoreTree(HKEY_LOCAL_MACHINE, key));
    ASSERT_TRUE(common::DeleteStoreTree(HKEY_CLASSES_ROOT, "CLSID"));
    c.setUp(bin_);
    std::vector<Listed> expected = c.expected;
    if (expected.empty())
      expected = {{T::kBrowserHelper, kClassA, "Fixture Shell Component",
                   bin_ + "\\version_os_product.dll", "6.1.7601"}};
    const std::vector<Listed> listed = List();
    EXPECT_TRUE(listed == expected) << "listed:\n" << Describe(listed) << "expected:\n"
                                    << Describe(expected);
  }
}

TEST_F(IEHelpers, NoPlaceAtAllListsNothing) { EXPECT_EQ(browser::EnumIEHelpers(), 0u); }

// What each removal deletes, what it keeps, and that the undo brings back exactly that.
TEST_F(IEHelpers, RemovalDeletesTheRegistrationsAndItsUndoWritesThemBack) {
  const std::string long255(255, 'x');
  const struct {
    const char* what;
    int type;
    std::string key;
    std::function<void()> setUp;
    std::string registration;  // below HKLM; for a toolbar the Toolbar key and the value's name
    bool classGoes;            // the class registration belongs to the add-on alone
  } cases[] = {
      {"a BHO whose class is its own", T::kBrowserHelper, kClassA,
       [] {
         RegisterServer(kClassA, "C:\\Add-ons\\own.dll", "Own helper");
         Set(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kClassA + "\\InprocServer32",
             "ThreadingModel", "Apartment");
         AddBho(kClassA);
         Set(HKEY_LOCAL_MACHINE, std::string(kBhoKey) + "\\" + kClassA, "NoExplorer", "1");
       },
       std::string(kBhoKey) + "\\" + kClassA, true},
      {"a BHO whose class a toolbar names too (in another spelling)", T::kBrowserHelper, kClassB,
       [] {
         RegisterServer(kClassB, "C:\\Add-ons\\shared.dll");
         AddBho(kClassB);
         AddToolbar("1a2b3c4d-0000-4000-8000-00000000000b");
       },
       std::string(kBhoKey) + "\\" + kClassB, false},
      {"a toolbar", T::kToolbar, kClassC,
       [] {
         RegisterServer(kClassC, "C:\\Add-ons\\bar.dll");
         AddToolbar(kClassC);
         AddToolbar(kClassA);
       },
       kToolbarKey, true},
      {"an extension with a subkey, non-ASCII data and a 255-character name",
       T::kBrowserExtension, long255,
       [long255] {
         Set(HKEY_LOCAL_MACHINE, Extension(long255), "ButtonText", "Überall");
         Set(HKEY_LOCAL_MACHINE, Extension(long255), "Exec", "C:\\Add-ons\\überall.exe");
         Set(HKEY_LOCAL_MACHINE, Extension(long255) + "\\Settings", "Mode", "äöü");
       },
       Extension(long255), false},
      {"a toolbar named beyond ASCII, not a class", T::kToolbar, "Leiste für Übersicht",
       [] { AddToolbar("Leiste für Übersicht"); }, kToolbarKey, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(common::ClearHistoryFile());
    for (const char* key : {kBhoKey, kToolbarKey, kExtensionsKey})
      ASSERT_TRUE(common::DeleteStoreTree(HKEY_LOCAL_MACHINE, key));
    ASSERT_TRUE(common::DeleteStoreTree(HKEY_CLASSES_ROOT, "CLSID"));
    c.setUp();
    const core::Item* found = Find(c.type, c.key);
    ASSERT_NE(found, nullptr);
    const core::Item item = *found;
    const std::size_t before = common::ItemCount();
    const std::string classKey = "CLSID\\" + (c.key.front() == '{' ? c.key : "{" + c.key + "}");
    const bool classThere = KeyExists(HKEY_CLASSES_ROOT, classKey);
    const std::string serverBefore =
        common::ReadStoreString(classKey + "\\InprocServer32", HKEY_CLASSES_ROOT, "", 260);

    const browser::IEHelperRemoval removal = browser::RemoveIEHelper(item);
    ASSERT_TRUE(removal.removed) << removal.error;
    EXPECT_EQ(Find(c.type, c.key), nullptr);
    EXPECT_EQ(common::ItemCount(), before - 1) << "only the chosen add-on goes";
    if (c.type == T::kToolbar)
      EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kToolbarKey, c.key));
    else
      EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, c.registration));
    EXPECT_EQ(KeyExists(HKEY_CLASSES_ROOT, classKey), classThere && !c.classGoes);

    ASSERT_EQ(common::LoadHistory(), 1u);
    const core::Item record = common::Items().At(0);
    EXPECT_EQ(record.flag, core::history_event::kIEHelperRemove);
    EXPECT_EQ(record.type, c.type);
    EXPECT_EQ(record.path, item.path);
    // Read back, a long location is cut to what a record's field holds.
    const std::string location = browser::IEHelperLocation(c.type, c.key);
    EXPECT_EQ(location.compare(0, record.key.size(), record.key), 0) << record.key;
    EXPECT_GE(record.key.size(), std::min<std::size_t>(location.size(), 259));

    ASSERT_TRUE(browser::RestoreIEHelper(record.type, record.key));
    const core::Item* back = Find(c.type, c.key);
    ASSERT_NE(back, nullptr) << "listed again after the undo";
    EXPECT_EQ(back->path, item.path);
    EXPECT_EQ(common::ItemCount(), before);
    EXPECT_EQ(KeyExists(HKEY_CLASSES_ROOT, classKey), classThere);
    EXPECT_EQ(common::ReadStoreString(classKey + "\\InprocServer32", HKEY_CLASSES_ROOT, "", 260),
              serverBefore);
    if (c.type == T::kBrowserExtension) {
      EXPECT_EQ(common::ReadStoreString(Extension(c.key) + "\\Settings", HKEY_LOCAL_MACHINE,
                                        "Mode", 64),
                "äöü");
    }
    if (c.classGoes && c.type == T::kBrowserHelper) {
      EXPECT_EQ(common::ReadStoreString(c.registration, HKEY_LOCAL_MACHINE, "NoExplorer", 8), "1");
      EXPECT_EQ(common::ReadStoreString(classKey + "\\InprocServer32", HKEY_CLASSES_ROOT,
                                        "ThreadingModel", 32),
                "Apartment");
    }
    // The saved copy is used up: a second undo finds nothing.
    EXPECT_FALSE(browser::RestoreIEHelper(record.type, record.key));
  }
}

TEST_F(IEHelpers, RemovalAndItsUndoLeaveTheFileAlone) {
  // A real library: were it loaded or run, it would leave a marker beside itself.
  const std::string dll = common::ProgramFolder() + "\\addon_fixture.dll";
  ASSERT_TRUE(::CopyFileW(win32::Wide(bin_ + "\\processes\\planted_library.dll").c_str(),
                          win32::Wide(dll).c_str(), FALSE));
  ::DeleteFileW(win32::Wide(dll + ".loaded").c_str());
  RegisterServer(kClassA, dll);
  AddBho(kClassA);
  const core::Item* item = Find(T::kBrowserHelper, kClassA);
  ASSERT_NE(item, nullptr);
  ASSERT_TRUE(browser::RemoveIEHelper(*item).removed);
  EXPECT_EQ(::GetFileAttributesW(win32::Wide(dll + ".loaded").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(::GetFileAttributesW(win32::Wide(dll).c_str()), INVALID_FILE_ATTRIBUTES);

  // The history viewer's undo writes the registration back, and loads nothing either.
  ASSERT_EQ(common::LoadHistory(), 1u);
  const core::Item record = common::Items().At(0);
  const explorer::HistoryRestore undo = explorer::HistoryRestoreFor(record.flag);
  ASSERT_TRUE(undo);
  undo(nullptr, record);
  EXPECT_NE(Find(T::kBrowserHelper, kClassA), nullptr);
  EXPECT_EQ(::GetFileAttributesW(win32::Wide(dll + ".loaded").c_str()), INVALID_FILE_ATTRIBUTES);

  // The marker is what loading leaves: without it, its absence would prove nothing.
  HMODULE loaded = ::LoadLibraryW(win32::Wide(dll).c_str());
  ASSERT_NE(loaded, nullptr);
  ::FreeLibrary(loaded);
  EXPECT_NE(::GetFileAttributesW(win32::Wide(dll + ".loaded").c_str()), INVALID_FILE_ATTRIBUTES);
  ::DeleteFileW(win32::Wide(dll + ".loaded").c_str());
  ::DeleteFileW(win32::Wide(dll).c_str());
}

// A registration this account may not delete: the removal says so, and nothing changed.
// A registration this account may not read (so not save) or not delete: the removal says so,
// and nothing changed.
TEST_F(IEHelpers, AFailedDeletionIsNoRemovalAndWritesNoHistory) {
  RegisterServer(kClassA, "C:\\Add-ons\\locked.dll");
  AddBho(kClassA);
  AddToolbar(kClassB);
  const std::string bho = std::string(kBhoKey) + "\\" + kClassA;
  const core::Item bhoItem = *Find(T::kBrowserHelper, kClassA);
  const core::Item toolbarItem = *Find(T::kToolbar, kClassB);
  win32::UniqueKey bhoKey = win32::OpenKey(HKEY_LOCAL_MACHINE, bho, KEY_ALL_ACCESS | WRITE_DAC);
  win32::UniqueKey toolbarKey =
      win32::OpenKey(HKEY_LOCAL_MACHINE, kToolbarKey, KEY_ALL_ACCESS | WRITE_DAC);
  ASSERT_TRUE(bhoKey && toolbarKey);
  // The BHO's key closed to everyone; the toolbars' key open to reading only, so its value is
  // saved and then cannot be deleted.
  SetKeyDacl(bhoKey.get(), L"D:(D;;KA;;;WD)");
  SetKeyDacl(toolbarKey.get(), L"D:(A;;KR;;;WD)");
  const browser::IEHelperRemoval bhoRemoval = browser::RemoveIEHelper(bhoItem);
  const browser::IEHelperRemoval toolbarRemoval = browser::RemoveIEHelper(toolbarItem);
  // Open again, so the sandbox can be deleted.
  SetKeyDacl(bhoKey.get(), L"D:(A;;KA;;;WD)");
  SetKeyDacl(toolbarKey.get(), L"D:(A;;KA;;;WD)");
  const bool bhoStays = KeyExists(HKEY_LOCAL_MACHINE, bho);
  const bool toolbarStays = ValueExists(HKEY_LOCAL_MACHINE, kToolbarKey, kClassB);

  EXPECT_FALSE(bhoRemoval.removed);
  EXPECT_NE(bhoRemoval.error, static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_FALSE(toolbarRemoval.removed);
  EXPECT_TRUE(bhoStays);
  EXPECT_TRUE(toolbarStays);
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kClassA))
      << "the class stays with the registration that names it";
  EXPECT_EQ(common::LoadHistory(), 0u);
  for (const auto& [type, key] : {std::pair<int, std::string>{T::kBrowserHelper, kClassA},
                                  std::pair<int, std::string>{T::kToolbar, kClassB}}) {
    EXPECT_FALSE(browser::RestoreIEHelper(type, browser::IEHelperLocation(type, key)))
        << "no saved copy is left behind for a removal that did not happen";
  }
  EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kToolbarKey, kClassB)) << "nor written over";
}

}  // namespace
}  // namespace obrivo::test
