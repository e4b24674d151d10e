// The read-only add-on inventories: what each lists, what each leaves out, and a missing key.
#include "browser/ie_inventories.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/store.h"
#include "common/win32/registry.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

constexpr char kClassA[] = "{9A8B7C6D-0000-4000-8000-00000000000A}";
constexpr char kClassB[] = "{9A8B7C6D-0000-4000-8000-00000000000B}";

struct Row {
  std::string title, path, key, text;
  int type;
};

bool operator==(const Row& a, const Row& b) {
  return a.title == b.title && a.path == b.path && a.key == b.key && a.text == b.text &&
         a.type == b.type;
}

std::string Describe(const std::vector<Row>& rows) {
  std::string text;
  for (const Row& r : rows)
    text += "[" + r.title + "] [" + r.path + "] [" + r.key + "] [" + r.text + "] " +
            std::to_string(r.type) + "\n";
  return text;
}

// The inventory's rows; nothing when it said its key could not be opened.
using Lister = std::function<std::optional<std::vector<Row>>()>;

std::optional<std::vector<Row>> Rows(const browser::Inventory& items) {
  std::vector<Row> rows;
  for (const core::Item& i : items) rows.push_back({i.title, i.path, i.key, i.text, i.type});
  return rows;
}
std::optional<std::vector<Row>> Rows(const std::optional<browser::Inventory>& items) {
  if (!items) return std::nullopt;
  return Rows(*items);
}

void Set(HKEY hive, const std::string& path, const std::string& name, const std::string& text) {
  ASSERT_TRUE(common::WriteStoreString(hive, path, name, text)) << path << " " << name;
}
void SetDword(HKEY hive, const std::string& path, const std::string& name, DWORD value) {
  ASSERT_TRUE(common::WriteStoreDword(hive, path, name, value));
}
void RegisterServer(const std::string& clsid, const std::string& text, const std::string& server) {
  Set(HKEY_CLASSES_ROOT, "CLSID\\" + clsid, "", text);
  Set(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32", "", server);
}

class IEInventories : public SandboxedTest {};

TEST_F(IEInventories, EachListsItsEntriesAndLeavesOutWhatItShould) {
  const std::string bho = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
  const std::string toolbar = "SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";
  const std::string menuExt = "Software\\Microsoft\\Internet Explorer\\MenuExt";
  const std::string ext = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";
  const std::string advanced = "SOFTWARE\\Microsoft\\Internet Explorer\\AdvancedOptions";
  const std::string plugins = "SOFTWARE\\Microsoft\\Internet Explorer\\Plugins\\Extension";
  const std::string units = "SOFTWARE\\Microsoft\\Code Store Database\\Distribution Units";
  const std::string sso = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad";
  const std::string sts = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\SharedTaskScheduler";
  const std::string domains =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Domains";

  const struct {
    const char* what;
    Lister list;
    std::function<void()> setUp;
    std::optional<std::vector<Row>> expected;  // nothing: the key could not be opened
  } cases[] = {
      {"BHOs, missing key", [] { return Rows(browser::EnumBrowserHelperObjectsRaw()); }, [] {},
       std::nullopt},
      {"BHOs, registered class or not",
       [] { return Rows(browser::EnumBrowserHelperObjectsRaw()); },
       [&] {
         RegisterServer(kClassA, "Helper A", "C:\\a.dll");
         win32::CreateKey(HKEY_LOCAL_MACHINE, bho + "\\" + kClassA, KEY_WRITE);
         win32::CreateKey(HKEY_LOCAL_MACHINE, bho + "\\" + kClassB, KEY_WRITE);
       },
       std::vector<Row>{{"Helper A", "C:\\a.dll", kClassA, "", 900}, {"", "", kClassB, "", 900}}},
      {"toolbars", [] { return Rows(browser::EnumToolbarsRaw()); },
       [&] {
         RegisterServer(kClassA, "Bar A", "C:\\bar.dll");
         Set(HKEY_LOCAL_MACHINE, toolbar, "9a8b7c6d-0000-4000-8000-00000000000a", "");
       },
       std::vector<Row>{{"Bar A", "C:\\bar.dll", "9a8b7c6d-0000-4000-8000-00000000000a", "", 901}}},
      {"menu extensions: without a default value left out",
       [] { return Rows(browser::EnumMenuExtensions()); },
       [&] {
         Set(HKEY_CURRENT_USER, menuExt + "\\&Translate", "", "res://C:\\tr.dll/menu.htm");
         Set(HKEY_CURRENT_USER, menuExt + "\\No target", "Contexts", "x");
       },
       std::vector<Row>{{"&Translate", "res://C:\\tr.dll/menu.htm", "&Translate", "", 0}}},
      {"extensions of both hives, a menu text, one without a path",
       [] { return Rows(browser::EnumIEExtensionsRaw()); },
       [&] {
         Set(HKEY_LOCAL_MACHINE, ext + "\\" + kClassA, "ButtonText", "Notes");
         Set(HKEY_LOCAL_MACHINE, ext + "\\" + kClassA, "Exec", "C:\\notes.exe");
         Set(HKEY_LOCAL_MACHINE, ext + "\\" + kClassA, "MenuText", "Send to Notes");
         Set(HKEY_LOCAL_MACHINE, ext + "\\" + kClassB, "ButtonText", "Nothing to run");
         RegisterServer(kClassB, "", "C:\\com-ext.dll");
         Set(HKEY_CURRENT_USER, ext + "\\Own", "ClsidExtension", kClassB);
       },
       std::vector<Row>{{"Notes", "C:\\notes.exe", kClassA, "", 1},
                        {"Send to Notes", "C:\\notes.exe", kClassA, "", 2},
                        {"Nothing to run", "C:\\com-ext.dll", kClassB, "", 1},
                        {"(no name)", "C:\\com-ext.dll (HKCU)", "Own", "", 1}}},
      {"extensions, no key at all", [] { return Rows(browser::EnumIEExtensionsRaw()); }, [] {},
       std::vector<Row>{}},
      {"advanced options: the browser's own left out",
       [] { return Rows(browser::EnumAdvancedOptions()); },
       [&] {
         Set(HKEY_LOCAL_MACHINE, advanced + "\\OWN", "Text", "Own option");
         Set(HKEY_LOCAL_MACHINE, advanced + "\\OWN", "HelpID", "own.hlp#51");
         Set(HKEY_LOCAL_MACHINE, advanced + "\\OWN", "Bitmap", "C:\\Own\\opt.bmp");
         Set(HKEY_LOCAL_MACHINE, advanced + "\\BROWSE", "Text", "Browsing");
         Set(HKEY_LOCAL_MACHINE, advanced + "\\BROWSE", "HelpID", "IEXPLORE.HLP#50");
       },
       std::vector<Row>{{"Own option", "own.hlp#51", "C:\\Own", "", 0}}},
      {"advanced options, missing key", [] { return Rows(browser::EnumAdvancedOptions()); },
       [] {}, std::vector<Row>{}},
      {"plug-ins: without a Location left out", [] { return Rows(browser::EnumPlugins()); },
       [&] {
         Set(HKEY_LOCAL_MACHINE, plugins + "\\.pdf", "Location", "C:\\reader\\plug.dll");
         Set(HKEY_LOCAL_MACHINE, plugins + "\\.xyz", "Other", "x");
       },
       std::vector<Row>{{".pdf", "C:\\reader\\plug.dll", ".pdf", "", 0}}},
      {"distribution units: without a CODEBASE left out",
       [] { return Rows(browser::EnumDistributionUnits()); },
       [&] {
         RegisterServer(kClassA, "Viewer", "C:\\dpf\\viewer.ocx");
         Set(HKEY_LOCAL_MACHINE, units + "\\" + kClassA + "\\DownloadInformation", "CODEBASE",
             "http://example.test/viewer.cab");
         Set(HKEY_LOCAL_MACHINE, units + "\\" + kClassB + "\\DownloadInformation", "INF", "x");
       },
       std::vector<Row>{{"Viewer", "http://example.test/viewer.cab", "C:\\dpf\\viewer.ocx",
                         kClassA, 0}}},
      {"shell service objects: without data or server left out",
       [] { return Rows(browser::EnumShellServiceObjects()); },
       [&] {
         RegisterServer(kClassA, "Tray helper", "C:\\tray.dll");
         Set(HKEY_LOCAL_MACHINE, sso, "TrayHelper", kClassA);
         Set(HKEY_LOCAL_MACHINE, sso, "Unregistered", kClassB);
         Set(HKEY_LOCAL_MACHINE, sso, "Empty", "");
         SetDword(HKEY_LOCAL_MACHINE, sso, "Number", 5);
       },
       std::vector<Row>{{"Tray helper", "C:\\tray.dll", kClassA, "TrayHelper", 0}}},
      {"shell service objects, missing key",
       [] { return Rows(browser::EnumShellServiceObjects()); }, [] {}, std::nullopt},
      {"shared task schedulers", [] { return Rows(browser::EnumSharedTaskSchedulers()); },
       [&] {
         RegisterServer(kClassA, "Preloader", "C:\\pre.dll");
         Set(HKEY_LOCAL_MACHINE, sts, kClassA, "Loads early");
         Set(HKEY_LOCAL_MACHINE, sts, kClassB, "No server");
       },
       std::vector<Row>{{"Preloader", "C:\\pre.dll", kClassA, "Loads early", 0}}},
      {"trusted domains of both hives; other zones and other types left out",
       [] { return Rows(browser::EnumTrustedZoneDomains()); },
       [&] {
         SetDword(HKEY_LOCAL_MACHINE, domains + "\\trusted.test", "*", 2);
         SetDword(HKEY_LOCAL_MACHINE, domains + "\\restricted.test", "*", 4);
         SetDword(HKEY_CURRENT_USER, domains + "\\example.test\\www", "http", 2);
         SetDword(HKEY_CURRENT_USER, domains + "\\example.test\\mail", "http", 3);
         Set(HKEY_CURRENT_USER, domains + "\\text.test", "*", "2");
       },
       std::vector<Row>{{"trusted.test", "", "HKLM", "", 0},
                        {"www.example.test", "", "HKCU", "", 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
      ASSERT_TRUE(common::DeleteStoreTree(hive, "Software\\Microsoft"));
    ASSERT_TRUE(common::DeleteStoreTree(HKEY_CLASSES_ROOT, "CLSID"));
    c.setUp();
    const auto rows = c.list();
    ASSERT_EQ(rows.has_value(), c.expected.has_value());
    if (rows) {
      EXPECT_TRUE(*rows == *c.expected) << "listed:\n" << Describe(*rows) << "expected:\n"
                                        << Describe(*c.expected);
    }
  }
}

TEST_F(IEInventories, StandardShellServiceObjectsInAnySpelling) {
  const struct {
    const char* clsid;
    bool standard;
  } cases[] = {
      {"{7849596a-48ea-486e-8937-a2a3009f31a9}", true},
      {"{7849596A-48EA-486E-8937-A2A3009F31A9}", true},
      {"fbeb8a05-beee-4442-804e-409d6c4515e9", true},
      {"{e6fb5e20-de35-11cf-9c87-00aa005127ed}", true},
      {"{35CEC8A3-2BE6-11D2-8773-92E220524153}", true},
      {"{35CEC8A3-2BE6-11D2-8773-92E220524154}", false},
      {"{35CEC8A3-2BE6-11D2-8773-92E22052415}", false},
      {"", false},
      {"Tray helper", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(browser::IsStandardShellServiceObject(c.clsid), c.standard) << c.clsid;
}

}  // namespace
}  // namespace obrivo::test
