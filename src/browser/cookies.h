// Browser cookies: the IE cookie folder (one file per cookie), the Mozilla profile's cookie
// file, the user's filters ("nuts") that remove matching cookies, and the cookies the user keeps.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/cookie_file.h"

namespace obrivo::browser {

inline constexpr std::string_view kNutsKey = "Software\\Tolvane\\Obrivo\\Nuts";
inline constexpr std::string_view kKeptCookiesKey = "Software\\Tolvane\\Obrivo\\Cookies";
// The data of a filter the user entered, and of one the viewer adds to remove one Mozilla
// cookie at the next rewrite.
inline constexpr std::string_view kUserNut = "1";
inline constexpr std::string_view kOneTimeNut = "2";

// The IE cookie folder, ending in "\": the user's choice, the shell's Cookies folders, then the
// Windows folder's; the first that holds an index.dat.
std::optional<std::string> FindIECookieFolder();
// The Mozilla profile folder, ending in "\": the user's choice, else the first Firefox profile
// (a "default.*" one before a "*.default" one), else for Netscape its default profile.
std::optional<std::string> FindMozillaProfileFolder(int browserCode);
// The folder of `mode` as the pages show it: the folder, or "Cookie Folder Not Found".
std::string CookieFolderText(core::CookieMode mode, int browserCode);
// Cookie files of the Mozilla family can be read: a Firefox of version 2 or less, or none, and
// a Mozilla folder in AppData.
bool MozillaCookiesSupported();
// The installed Firefox's major version; 0 when none is registered.
int FirefoxMajorVersion();
// The browser code the Explorer works with (the Browser option); the Monitor detects it from the
// system's default browser (DetectDefaultBrowser, settings_guard.h).
int ChosenBrowser();

// The filters: every value of the Nuts key, by its exact name.
struct Nut {
  std::string text;
  std::string data;
};
std::vector<Nut> LoadNuts();
core::NutList NutListOf(const std::vector<Nut>& nuts);
bool IsNut(std::string_view text);
// Adds (or re-marks) a filter; false when it cannot be written, or when the text is empty or
// longer than a filter may be.
bool AddNut(std::string_view text, std::string_view data = kUserNut);
bool RemoveNut(std::string_view text);
// Deletes the one-time filters, once the rewrite they were made for has replaced the file.
int PurgeOneTimeNuts();

// The keep-marks the viewer sets: one value per kept cookie, named by its title.
bool IsKeptCookie(std::string_view title);
void SetKeptCookie(std::string_view title, bool kept);
std::vector<std::string> KeptCookieTitles();

// The cookie file of a profile folder, and the rewritten copy that waits to replace it.
std::string MozillaCookieFile(std::string_view profileFolder);
std::string MozillaRewrittenFile(std::string_view profileFolder);

// Lists (filter false) every cookie of `mode` into the shared item list, or (filter true)
// removes the cookies that match a filter: IE cookie files are deleted, the Mozilla cookie file
// is rewritten into cookiesnew.txt, which replaces it later (ApplyMozillaCookieFile). Returns the
// cookies listed or removed; nothing when the folder or file cannot be read.
struct ScanResult {
  int cookies = 0;
  bool done = false;  // the folder or file was found and read
};
ScanResult ScanCookies(core::CookieMode mode, bool filter, int browserCode);

// Whether a browser of the Mozilla family has a window open (it would write the cookie file
// back over ours when it closes).
bool MozillaWindowOpen();
// When a rewrite waits (UpdateCookieFile) and no Mozilla window is open, replaces the cookie
// file by the rewritten one in one step that leaves either the old or the new file, never a
// part of one. True when the file was replaced; the caller then clears the flag and purges the
// one-time filters.
bool ApplyMozillaCookieFile(std::string_view profileFolder);
// The same, and then the flag and the one-time filters: the Monitor's step after the filter.
bool ApplyMozillaCookieFileAndPurge(int browserCode);

}  // namespace obrivo::browser

namespace obrivo::browser {

// The title of the first cookie of `mode` that the user has not marked to keep; nothing when
// every cookie is kept or none can be read. Lists into the shared item list.
std::optional<std::string> FirstUnkeptCookie(core::CookieMode mode, int browserCode);

}  // namespace obrivo::browser

namespace obrivo::browser {

// A row of the cookie viewer: the cookie's title, its file (IE cookies) and its check mark.
struct CookieChoice {
  std::string title;
  std::string path;
  bool checked = false;
};

// The viewer's two commands. `removeChecked` false: the unchecked cookies go and the checked
// ones are marked to keep; true: the checked ones go. IE cookie files are deleted (a one-time
// filter stands in when the cookie folder is gone); Mozilla cookies get a one-time filter named
// by their title and the cookie file is rewritten without them. Returns the titles of the
// cookies that could not be removed.
std::vector<std::string> RemoveCookies(core::CookieMode mode, int browserCode,
                                       const std::vector<CookieChoice>& rows, bool removeChecked);

}  // namespace obrivo::browser
