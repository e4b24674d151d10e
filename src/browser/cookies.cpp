// Browser cookies and the cookie filters.
#include "browser/cookies.h"

#include <windows.h>

#include <set>

#include "common/items.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/registry.h"
#include "common/win32/system.h"
#include "common/win32/unique.h"
#include "core/settings_guard.h"
#include "common/win32/wide.h"
#include "core/capacity.h"
#include "core/history_codes.h"
#include "core/text.h"

namespace obrivo::browser {
namespace {

using win32::Narrow;
using win32::Wide;

constexpr int kMozillaWindowClassId = 11;
constexpr int kCookieFolderNotFoundId = 968;
constexpr std::string_view kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr std::string_view kUserShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
// Longest IE cookie folder taken: the cookie files' own names must still fit a path after it.
constexpr std::size_t kMaxCookieFolderChars = 250;

std::string ShellFolder(std::string_view key, std::string_view name) {
  return common::ReadStoreString(key, HKEY_CURRENT_USER, name, core::kTextCapacity);
}

std::string AppDataFolder() { return ShellFolder(kShellFolders, "AppData"); }

// Every entry of `folder` (ending in "\") matching `pattern`, with its attributes.
template <typename Visit>
void ForEachEntry(const std::string& folder, std::string_view pattern, Visit visit) {
  WIN32_FIND_DATAW found{};
  win32::UniqueFind find(::FindFirstFileW(Wide(folder + std::string(pattern)).c_str(), &found));
  if (!find) return;
  do {
    const std::string name = Narrow(found.cFileName);
    if (name == "." || name == "..") continue;
    if (!visit(name, found.dwFileAttributes)) return;
  } while (::FindNextFileW(find.get(), &found));
}

// The first subfolder of `folder` matching `pattern` that `accept` takes.
template <typename Accept>
std::optional<std::string> FirstSubfolder(const std::string& folder, std::string_view pattern,
                                          Accept accept) {
  std::optional<std::string> first;
  ForEachEntry(folder, pattern, [&](const std::string& name, DWORD attributes) {
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || !accept(name)) return true;
    first = folder + name + "\\";
    return false;
  });
  return first;
}

// The registered value names of a key under the product key, each exactly as stored.
std::vector<win32::NamedValue> ValuesOf(std::string_view key) {
  const win32::UniqueKey opened = win32::OpenKey(HKEY_CURRENT_USER, key, KEY_READ);
  if (!opened) return {};
  return win32::EnumValues(opened.get());
}

bool SetValue(std::string_view key, std::string_view name, std::string_view data) {
  const win32::UniqueKey opened = win32::CreateKey(HKEY_CURRENT_USER, key, KEY_SET_VALUE);
  return opened && win32::SetStringValue(opened.get(), name, data);
}

bool DeleteNamedValue(std::string_view key, std::string_view name) {
  const win32::UniqueKey opened = win32::OpenKey(HKEY_CURRENT_USER, key, KEY_SET_VALUE);
  return opened && win32::DeleteValue(opened.get(), name) == ERROR_SUCCESS;
}

std::string ExpiryText(std::string_view field) {
  const std::optional<std::int64_t> seconds = core::CookieExpiry(field);
  // Past the year 30827 a file time no longer converts.
  constexpr std::int64_t kLastConvertible = 910692730085LL;
  if (!seconds || *seconds > kLastConvertible) return {};
  const std::uint64_t ticks =
      (static_cast<std::uint64_t>(*seconds) + 11644473600ULL) * 10000000ULL;
  FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  return common::LocalDateTimeText(common::FileTimeToLocal(time));
}

ScanResult ScanIECookies(bool filter) {
  ScanResult result;
  const std::optional<std::string> folder = FindIECookieFolder();
  if (!folder) return result;
  result.done = true;
  const core::NutList nuts = filter ? NutListOf(LoadNuts()) : core::NutList();
  if (filter && nuts.Empty()) return result;
  ForEachEntry(*folder, "*", [&](const std::string& name, DWORD attributes) {
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM)) return true;
    if (name.size() < 4 || !core::EqualsNoCase(name.substr(name.size() - 4), ".txt")) return true;
    const std::string path = *folder + name;
    if (filter) {
      // By the file's own name: a filter text that the folder's path happens to hold (a user
      // called "Mads") must not take every cookie with it.
      if (nuts.Matches(name) && common::DeleteFileForce(path)) ++result.cookies;
      return true;
    }
    if (!common::AddItem(name, path, "", "", core::item_type::kCookie, 0)) return false;
    ++result.cookies;
    return true;
  });
  return result;
}

std::set<std::string> NutNames(const std::vector<Nut>& nuts) {
  std::set<std::string> names;
  for (const Nut& nut : nuts) names.insert(nut.text);
  return names;
}

// The cookie file of `folder` without the cookies the filters remove; nothing when it cannot be
// read or is empty. `removed` counts them.
std::optional<std::string> FilteredCookieFile(const std::string& file, int& removed) {
  const std::optional<std::string> text = win32::ReadWholeFile(file);
  if (!text || text->empty()) return std::nullopt;
  const std::vector<Nut> loaded = LoadNuts();
  const core::NutList nuts = NutListOf(loaded);
  const std::set<std::string> named = NutNames(loaded);
  removed = 0;
  return core::FilterCookieFile(*text, [&](const core::CookieLine& line) {
    const bool gone = core::CookieIsFiltered(
        line, nuts, [&](std::string_view title) { return named.count(std::string(title)) != 0; });
    if (gone) ++removed;
    return gone;
  });
}

ScanResult ScanMozillaCookies(bool filter, int browserCode) {
  ScanResult result;
  const std::optional<std::string> folder = FindMozillaProfileFolder(browserCode);
  if (!folder) return result;
  const std::string file = MozillaCookieFile(*folder);
  if (filter) {
    int removed = 0;
    const std::optional<std::string> rewritten = FilteredCookieFile(file, removed);
    if (!rewritten) return result;
    result.done = true;
    // Nothing to remove: no copy is made, which could later put back an older file over what
    // the browser wrote meanwhile.
    if (removed == 0) return result;
    if (!win32::WriteWholeFileReplacing(MozillaRewrittenFile(*folder), *rewritten)) return result;
    common::WriteStoreString(HKEY_CURRENT_USER, common::kOptionsKey, "UpdateCookieFile", "1");
    result.cookies = removed;
    return result;
  }
  const std::optional<std::string> text = win32::ReadWholeFile(file);
  if (!text || text->empty()) return result;
  result.done = true;
  // Cookies a filter has already picked are on their way out: they are not listed.
  const std::vector<Nut> loaded = LoadNuts();
  const core::NutList nuts = NutListOf(loaded);
  const std::set<std::string> named = NutNames(loaded);
  for (const core::CookieLine& line : core::ParseCookieFile(*text)) {
    if (!line.cookie) continue;
    if (core::CookieIsFiltered(line, nuts, [&](std::string_view title) {
          return named.count(std::string(title)) != 0;
        }))
      continue;
    if (!common::AddItem(line.title, line.path, line.value, ExpiryText(line.expiry),
                         core::item_type::kMozillaCookie, core::IsSecureCookie(line) ? 1 : 0))
      break;
    ++result.cookies;
  }
  return result;
}

}  // namespace

std::optional<std::string> FindIECookieFolder() {
  const std::string candidates[] = {
      common::ReadStoreString(common::kProductKey, HKEY_CURRENT_USER, "IECookieFolder",
                              core::kTextCapacity),
      ShellFolder(kShellFolders, "Cookies"),
      ShellFolder(kUserShellFolders, "Cookies"),
      win32::WindowsDirectory() + "\\Cookies",
  };
  for (const std::string& candidate : candidates) {
    const std::size_t chars = core::CharCount(candidate);
    if (chars <= 2 || chars > kMaxCookieFolderChars) continue;
    const std::string folder = core::AddTrailingBackslash(candidate);
    if (win32::IsExistingFile(folder + "index.dat")) return folder;
  }
  return std::nullopt;
}

std::optional<std::string> FindMozillaProfileFolder(int browserCode) {
  const std::string chosen = common::ReadStoreString(common::kProductKey, HKEY_CURRENT_USER,
                                                     "CookieFolder", core::kTextCapacity);
  if (!chosen.empty()) return core::AddTrailingBackslash(chosen);
  const std::string appData = AppDataFolder();
  if (appData.empty()) return std::nullopt;
  const auto any = [](const std::string&) { return true; };
  if (browserCode == core::browser_code::kNetscape) {
    const std::string netscape = appData + "\\Mozilla\\Profiles\\default\\";
    if (auto found = FirstSubfolder(netscape, "*", [](const std::string& name) {
          return name.front() != '.';
        }))
      return found;
  }
  const std::string profiles = appData + "\\Mozilla\\FireFox\\Profiles\\";
  if (auto found = FirstSubfolder(profiles, "default.*", any)) return found;
  return FirstSubfolder(profiles, "*.default", any);
}

std::string CookieFolderText(core::CookieMode mode, int browserCode) {
  const std::optional<std::string> folder = mode == core::CookieMode::Mozilla
                                                ? FindMozillaProfileFolder(browserCode)
                                                : FindIECookieFolder();
  return folder ? *folder : common::LoadText(kCookieFolderNotFoundId, 64);
}

int FirefoxMajorVersion() {
  const std::optional<common::AppPathInfo> firefox = common::AppPathsLookup("firefox.exe");
  return firefox ? core::LeadingNumber(firefox->version) : 0;
}

bool MozillaCookiesSupported() {
  if (FirefoxMajorVersion() > 2) return false;
  const std::string appData = AppDataFolder();
  return !appData.empty() && win32::IsExistingDirectory(appData + "\\Mozilla");
}

int ChosenBrowser() { return common::ReadOption("Browser", 1); }

std::vector<Nut> LoadNuts() {
  std::vector<Nut> nuts;
  for (const win32::NamedValue& value : ValuesOf(kNutsKey))
    nuts.push_back({value.name, win32::StringFromValue(value.value).value_or(std::string())});
  return nuts;
}

core::NutList NutListOf(const std::vector<Nut>& nuts) {
  std::vector<std::string> texts;
  texts.reserve(nuts.size());
  for (const Nut& nut : nuts) texts.push_back(nut.text);
  return core::NutList(texts);
}

bool IsNut(std::string_view text) { return NutListOf(LoadNuts()).Matches(text); }

bool AddNut(std::string_view text, std::string_view data) {
  if (text.empty() || core::CharCount(text) > core::kNutChars) return false;
  return SetValue(kNutsKey, text, data);
}

bool RemoveNut(std::string_view text) { return DeleteNamedValue(kNutsKey, text); }

int PurgeOneTimeNuts() {
  int purged = 0;
  for (const Nut& nut : LoadNuts())
    if (nut.data == kOneTimeNut && RemoveNut(nut.text)) ++purged;
  return purged;
}

bool IsKeptCookie(std::string_view title) {
  for (const win32::NamedValue& value : ValuesOf(kKeptCookiesKey))
    if (value.name == title) return true;
  return false;
}

void SetKeptCookie(std::string_view title, bool kept) {
  if (kept)
    SetValue(kKeptCookiesKey, title, "1");
  else
    DeleteNamedValue(kKeptCookiesKey, title);
}

std::vector<std::string> KeptCookieTitles() {
  std::vector<std::string> titles;
  for (const win32::NamedValue& value : ValuesOf(kKeptCookiesKey)) titles.push_back(value.name);
  return titles;
}

std::string MozillaCookieFile(std::string_view profileFolder) {
  return core::AddTrailingBackslash(profileFolder) + "cookies.txt";
}

std::string MozillaRewrittenFile(std::string_view profileFolder) {
  return core::AddTrailingBackslash(profileFolder) + "cookiesnew.txt";
}

ScanResult ScanCookies(core::CookieMode mode, bool filter, int browserCode) {
  return mode == core::CookieMode::Mozilla ? ScanMozillaCookies(filter, browserCode)
                                           : ScanIECookies(filter);
}

bool MozillaWindowOpen() {
  const std::wstring windowClass = Wide(common::LoadText(kMozillaWindowClassId, 64));
  return ::FindWindowW(windowClass.c_str(), nullptr) != nullptr;
}

bool ApplyMozillaCookieFile(std::string_view profileFolder) {
  if (common::ReadOption("UpdateCookieFile", 0) <= 0 || MozillaWindowOpen()) return false;
  const std::string file = MozillaCookieFile(profileFolder);
  const std::string rewritten = MozillaRewrittenFile(profileFolder);
  // The rewrite is made again from the file as it stands now: the browser may have written
  // cookies into it since, and those must not go with the older copy.
  int removed = 0;
  if (const std::optional<std::string> fresh = FilteredCookieFile(file, removed))
    if (!win32::WriteWholeFileReplacing(rewritten, *fresh)) return false;
  if (!win32::IsExistingFile(rewritten)) return false;
  return win32::MoveReplacing(rewritten, file);
}

bool ApplyMozillaCookieFileAndPurge(int browserCode) {
  const std::optional<std::string> folder = FindMozillaProfileFolder(browserCode);
  if (!folder || !ApplyMozillaCookieFile(*folder)) return false;
  common::DeleteStoreValue(HKEY_CURRENT_USER, common::kOptionsKey, "UpdateCookieFile");
  PurgeOneTimeNuts();
  return true;
}

std::optional<std::string> FirstUnkeptCookie(core::CookieMode mode, int browserCode) {
  common::ClearItems();
  ScanCookies(mode, false, browserCode);
  const std::vector<std::string> kept = KeptCookieTitles();
  const std::set<std::string> keptSet(kept.begin(), kept.end());
  for (std::size_t i = 0; i < common::ItemCount(); ++i) {
    const std::string& title = core::EntryName(common::Items().At(i));
    if (keptSet.count(title) == 0) return title;
  }
  return std::nullopt;
}

std::vector<std::string> RemoveCookies(core::CookieMode mode, int browserCode,
                                       const std::vector<CookieChoice>& rows, bool removeChecked) {
  std::vector<std::string> failed;
  const bool mozilla = mode == core::CookieMode::Mozilla;
  const bool folderFound = mozilla || FindIECookieFolder().has_value();
  for (const CookieChoice& row : rows) {
    if (row.checked != removeChecked) {
      // Remove Unchecked marks what stays checked as kept; Remove Checked leaves the rest alone.
      if (!removeChecked) SetKeptCookie(row.title, true);
      continue;
    }
    SetKeptCookie(row.title, false);
    bool removed = false;
    if (mozilla || !folderFound)
      removed = AddNut(row.title, kOneTimeNut);
    else
      removed = common::DeleteFileForce(row.path) || !win32::FileAttributes(row.path);
    if (!removed) failed.push_back(row.title);
  }
  if (mozilla) ScanCookies(mode, true, browserCode);
  return failed;
}

}  // namespace obrivo::browser
