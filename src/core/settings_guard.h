// The single settings the guard keeps: where each lives, how a live value is compared with the
// one last accepted, and which values may ever be written back to the machine-wide keys.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace obrivo::core {

// Below HKEY_CURRENT_USER. The page keys' names also stand in the string table (623, 1016).
inline constexpr std::string_view kBrowserMainKey = "Software\\Microsoft\\Internet Explorer\\Main";
inline constexpr std::string_view kDesktopComponentKey =
    "Software\\Microsoft\\Internet Explorer\\Desktop\\Components\\0";
// Below HKEY_LOCAL_MACHINE.
inline constexpr std::string_view kAutoUpdateKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update";
inline constexpr std::string_view kAutoUpdateValue = "AUOptions";
inline constexpr std::string_view kUrlPrefixesKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\Prefixes";
inline constexpr std::string_view kUrlPrefixValue = "www";
inline constexpr std::string_view kDefaultPrefixKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\DefaultPrefix";
inline constexpr std::string_view kUacPolicyKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
inline constexpr std::string_view kHttpCommandKey = "SOFTWARE\\Classes\\HTTP\\shell\\open\\command";
inline constexpr std::string_view kBrowserAppPathKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE";

// The baselines' names under the product key; the prefix's when none was kept.
inline constexpr std::string_view kPrefixBaseline = "wwwPrefix";
inline constexpr std::string_view kDefaultPrefix = "http://";
inline constexpr std::string_view kUacNames[] = {"ConsentPromptBehaviorAdmin", "EnableLUA",
                                                 "PromptOnSecureDesktop"};

// `pattern` with its first two "%s" filled by `first` and `second` in turn; a "%s" inside a value
// (an address may hold one) is never filled itself.
std::string FormatAlert(std::string_view pattern, std::string_view first, std::string_view second);

// The three guarded pages, in the order the check visits them.
struct GuardedPage {
  std::string_view key;       // below HKEY_CURRENT_USER
  std::string_view value;     // the live value's name
  std::string_view baseline;  // the baseline's name under the product key
  int alertTextId;            // formatted with (live, baseline)
};
inline constexpr GuardedPage kGuardedPages[] = {
    {kBrowserMainKey, "Start Page", "StartPage", 625},
    {kBrowserMainKey, "Search Page", "SearchPage", 676},
    {kDesktopComponentKey, "Source", "SourcePage", 1017},
};

// A page without its one trailing "/", as it is compared and written back.
std::string_view WithoutTrailingSlash(std::string_view page);

// Whether two pages are the same: one trailing "/" and the case of ASCII letters do not count.
// Nothing else is folded, so a host spelt with a look-alike letter stays another host.
bool SamePage(std::string_view a, std::string_view b);

// Equal but for the case of ASCII letters (the URL prefix).
bool EqualsAsciiNoCase(std::string_view a, std::string_view b);

// The Automatic Updates values the guard restores.
bool IsRestorableAUOption(std::int64_t value);
// The text shown for an Automatic Updates value: 1051 to 1054 for the four settings, 1050
// ("Windows Auto Update Settings") for anything else.
int AUOptionTextId(std::int64_t value);

// A plain scheme prefix such as "http://": a letter, then letters, digits, "+", "-" or ".", then
// "://" and nothing more.
bool IsPlainSchemePrefix(std::string_view prefix);

// The User Account Control values as recorded; nothing where the value was missing.
struct UacValues {
  std::optional<std::int64_t> consentPromptBehaviorAdmin;  // 0 to 5
  std::optional<std::int64_t> enableLua;                   // 0 or 1
  std::optional<std::int64_t> promptOnSecureDesktop;       // 0 or 1
  bool operator==(const UacValues&) const = default;
};

// Whether `live` protects less than `baseline`: EnableLUA went from 1 to 0, or either of the other
// two fell below its baseline (a value missing on either side is not compared).
bool UacProtectionLowered(const UacValues& baseline, const UacValues& live);

// Whether every recorded value is within its documented range and at least one is recorded: the
// only values written back to the machine.
bool IsRestorableUac(const UacValues& values);

// The level text (1074 to 1077) the values come closest to.
int UacLevelTextId(const UacValues& values);

// The values spelt out, as they follow the level text in the alert.
std::string UacValuesText(const UacValues& values);

// Default browser codes.
namespace browser_code {
inline constexpr int kInternetExplorer = 1;
inline constexpr int kNetscape = 2;
inline constexpr int kFirefox = 3;
inline constexpr int kMaxthon = 4;
inline constexpr int kAvant = 5;
inline constexpr int kMozilla = 6;
}  // namespace browser_code

// The program part of the HTTP open command: without quotes, cut before the first "-" together
// with the character before it (the blank before a switch).
std::string BrowserProgramFromCommand(std::string_view command);
// The browser path from the App Paths "Path" value: one trailing ";" dropped, the file appended.
std::string BrowserProgramFromAppPath(std::string_view path);
// The browser code of a program path; Internet Explorer when none is named.
int ClassifyBrowser(std::string_view program);

}  // namespace obrivo::core
