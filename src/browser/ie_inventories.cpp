// Read-only inventories of further browser and shell add-on places.
#include "browser/ie_inventories.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "browser/class_registry.h"
#include "common/utilities.h"
#include "common/win32/registry.h"
#include "core/class_id.h"
#include "core/history_codes.h"
#include "core/text.h"

namespace obrivo::browser {
namespace {

constexpr std::string_view kMenuExtKey = "Software\\Microsoft\\Internet Explorer\\MenuExt";
constexpr std::string_view kExtensionsKey = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";
constexpr std::string_view kAdvancedOptionsKey =
    "SOFTWARE\\Microsoft\\Internet Explorer\\AdvancedOptions";
constexpr std::string_view kPluginsKey = "SOFTWARE\\Microsoft\\Internet Explorer\\Plugins\\Extension";
constexpr std::string_view kDistributionUnitsKey =
    "SOFTWARE\\Microsoft\\Code Store Database\\Distribution Units";
constexpr std::string_view kShellServiceObjectsKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad";
constexpr std::string_view kSharedTaskSchedulerKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\SharedTaskScheduler";
constexpr std::string_view kDomainsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Domains";
constexpr std::string_view kBrowserHelpFile = "iexplore.hlp";
constexpr DWORD kTrustedSitesZone = 2;

constexpr const char* kStandardShellServiceObjects[] = {
    "{7849596a-48ea-486e-8937-a2a3009f31a9}",
    "{fbeb8a05-beee-4442-804e-409d6c4515e9}",
    "{E6FB5E20-DE35-11CF-9C87-00AA005127ED}",
    "{35CEC8A3-2BE6-11D2-8773-92E220524153}",
};

core::Item MakeItem(std::string title, std::string path, std::string key, std::string text,
                    int type) {
  core::Item item;
  item.title = std::move(title);
  item.path = std::move(path);
  item.key = std::move(key);
  item.text = std::move(text);
  item.type = type;
  item.name = item.title;
  return item;
}

std::string Text(HKEY root, std::string_view path, std::string_view name) {
  return ReadText(root, path, name).value_or("");
}

std::string Subkey(std::string_view parent, std::string_view name) {
  return std::string(parent) + "\\" + std::string(name);
}

// The subkeys of a key; nothing when it cannot be opened.
std::optional<std::vector<std::string>> Subkeys(HKEY root, std::string_view path) {
  const win32::UniqueKey key = win32::OpenKey(root, path, KEY_READ);
  if (!key) return std::nullopt;
  return win32::EnumSubkeyNames(key.get());
}

std::optional<std::vector<win32::NamedValue>> Values(std::string_view path) {
  const win32::UniqueKey key = win32::OpenKey(HKEY_LOCAL_MACHINE, path, KEY_READ);
  if (!key) return std::nullopt;
  return win32::EnumValues(key.get());
}

// A zone number as a value holds it: a DWORD of four bytes; anything else is no zone.
std::optional<DWORD> ZoneOf(const win32::RegValue& value) {
  if (value.type != REG_DWORD || value.data.size() != sizeof(DWORD)) return std::nullopt;
  DWORD zone = 0;
  std::memcpy(&zone, value.data.data(), sizeof zone);
  return zone;
}

bool AnyValueInZone(HKEY key, DWORD zone) {
  for (const win32::NamedValue& value : win32::EnumValues(key))
    if (ZoneOf(value.value) == zone) return true;
  return false;
}

void AddExtensions(HKEY root, std::string_view suffix, Inventory& items) {
  const auto names = Subkeys(root, kExtensionsKey);
  if (!names) return;
  for (const std::string& name : *names) {
    const std::string path = Subkey(kExtensionsKey, name);
    std::string target = Text(root, path, "Script");
    if (target.empty()) target = Text(root, path, "Exec");
    if (target.empty()) {
      const std::string clsid = Text(root, path, "ClsidExtension");
      target = LookUpClass(clsid.empty() ? name : clsid).serverPath;
    }
    if (target.empty()) continue;
    target += suffix;
    std::string title = Text(root, path, "ButtonText");
    if (title.empty()) title = "(no name)";
    items.push_back(MakeItem(title, target, name, "", 1));
    if (const auto menu = ReadText(root, path, "MenuText"))
      items.push_back(MakeItem(*menu, target, name, "", 2));
  }
}

void AddTrustedDomains(HKEY root, std::string_view hive, Inventory& items) {
  const win32::UniqueKey domains = win32::OpenKey(root, kDomainsKey, KEY_READ);
  if (!domains) return;
  for (const std::string& domain : win32::EnumSubkeyNames(domains.get())) {
    const win32::UniqueKey key = win32::OpenKey(domains.get(), domain, KEY_READ);
    if (!key) continue;
    if (AnyValueInZone(key.get(), kTrustedSitesZone))
      items.push_back(MakeItem(domain, "", std::string(hive), "", 0));
    for (const std::string& sub : win32::EnumSubkeyNames(key.get())) {
      const win32::UniqueKey subkey = win32::OpenKey(key.get(), sub, KEY_READ);
      if (subkey && AnyValueInZone(subkey.get(), kTrustedSitesZone))
        items.push_back(MakeItem(sub + "." + domain, "", std::string(hive), "", 0));
    }
  }
}

}  // namespace

std::optional<Inventory> EnumBrowserHelperObjectsRaw() {
  const auto names = Subkeys(
      HKEY_LOCAL_MACHINE,
      "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects");
  if (!names) return std::nullopt;
  Inventory items;
  for (const std::string& name : *names) {
    const ClassRegistration cls = LookUpClass(name);
    items.push_back(MakeItem(cls.text, cls.serverPath, name, "", core::item_type::kBrowserHelper));
  }
  return items;
}

std::optional<Inventory> EnumToolbarsRaw() {
  const auto values = Values("SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar");
  if (!values) return std::nullopt;
  Inventory items;
  for (const win32::NamedValue& value : *values) {
    if (value.name.empty()) continue;
    const ClassRegistration cls = LookUpClass(value.name);
    const auto version =
        cls.serverPath.empty() ? std::nullopt : common::ReadVersionInfo(cls.serverPath);
    items.push_back(MakeItem(cls.text, cls.serverPath, value.name,
                             version ? version->companyName : std::string(),
                             core::item_type::kToolbar));
  }
  return items;
}

std::optional<Inventory> EnumMenuExtensions() {
  const auto names = Subkeys(HKEY_CURRENT_USER, kMenuExtKey);
  if (!names) return std::nullopt;
  Inventory items;
  for (const std::string& name : *names)
    if (const auto target = ReadText(HKEY_CURRENT_USER, Subkey(kMenuExtKey, name), ""))
      items.push_back(MakeItem(name, *target, name, "", 0));
  return items;
}

Inventory EnumIEExtensionsRaw() {
  Inventory items;
  AddExtensions(HKEY_LOCAL_MACHINE, "", items);
  AddExtensions(HKEY_CURRENT_USER, " (HKCU)", items);
  return items;
}

Inventory EnumAdvancedOptions() {
  Inventory items;
  for (const std::string& name : Subkeys(HKEY_LOCAL_MACHINE, kAdvancedOptionsKey).value_or(
           std::vector<std::string>{})) {
    const std::string path = Subkey(kAdvancedOptionsKey, name);
    const std::string help = Text(HKEY_LOCAL_MACHINE, path, "HelpID");
    if (core::FindNoCase(help, kBrowserHelpFile) != std::string::npos) continue;
    std::string bitmap = Text(HKEY_LOCAL_MACHINE, path, "Bitmap");
    if (const std::size_t slash = bitmap.rfind('\\'); slash != std::string::npos)
      bitmap.resize(slash);
    items.push_back(MakeItem(Text(HKEY_LOCAL_MACHINE, path, "Text"), help, bitmap, "", 0));
  }
  return items;
}

Inventory EnumPlugins() {
  Inventory items;
  for (const std::string& name :
       Subkeys(HKEY_LOCAL_MACHINE, kPluginsKey).value_or(std::vector<std::string>{})) {
    const std::string location = Text(HKEY_LOCAL_MACHINE, Subkey(kPluginsKey, name), "Location");
    if (!location.empty()) items.push_back(MakeItem(name, location, name, "", 0));
  }
  return items;
}

Inventory EnumDistributionUnits() {
  Inventory items;
  for (const std::string& name :
       Subkeys(HKEY_LOCAL_MACHINE, kDistributionUnitsKey).value_or(std::vector<std::string>{})) {
    const std::string codebase = Text(
        HKEY_LOCAL_MACHINE, Subkey(kDistributionUnitsKey, name) + "\\DownloadInformation",
        "CODEBASE");
    if (codebase.empty()) continue;
    const ClassRegistration cls = LookUpClass(name);
    items.push_back(MakeItem(cls.text, codebase, cls.serverPath, name, 0));
  }
  return items;
}

std::optional<Inventory> EnumShellServiceObjects() {
  const auto values = Values(kShellServiceObjectsKey);
  if (!values) return std::nullopt;
  Inventory items;
  for (const win32::NamedValue& value : *values) {
    const auto clsid = win32::StringFromValue(value.value);
    if (!clsid || clsid->empty()) continue;
    const ClassRegistration cls = LookUpClass(*clsid);
    if (cls.serverPath.empty()) continue;
    items.push_back(MakeItem(cls.text, cls.serverPath, *clsid, value.name, 0));
  }
  return items;
}

std::optional<Inventory> EnumSharedTaskSchedulers() {
  const auto values = Values(kSharedTaskSchedulerKey);
  if (!values) return std::nullopt;
  Inventory items;
  for (const win32::NamedValue& value : *values) {
    const auto description = win32::StringFromValue(value.value);
    if (!description || value.name.empty()) continue;
    const ClassRegistration cls = LookUpClass(value.name);
    if (cls.serverPath.empty()) continue;
    items.push_back(MakeItem(cls.text, cls.serverPath, value.name, *description, 0));
  }
  return items;
}

bool IsStandardShellServiceObject(std::string_view clsid) {
  for (const char* standard : kStandardShellServiceObjects)
    if (core::SameClass(clsid, standard)) return true;
  return false;
}

Inventory EnumTrustedZoneDomains() {
  Inventory items;
  AddTrustedDomains(HKEY_LOCAL_MACHINE, "HKLM", items);
  AddTrustedDomains(HKEY_CURRENT_USER, "HKCU", items);
  return items;
}

}  // namespace obrivo::browser
