// The hijack log's lines: plain UTF-8 text, one finding per line, each starting with a fixed code
// that forum helpers read ("R0", "O4", "OB31"...). Whatever the machine supplies is made to fit
// on its line, so a name holding a line break or a NUL cannot forge a line of its own.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "date_text.h"

namespace obrivo::core {

// Every line ends with this.
inline constexpr std::string_view kHijackLineEnd = "\r\n";

// A field made safe for one line: each run of line breaks (CR, LF, VT, FF, NEL, U+2028, U+2029)
// becomes one blank, and a NUL shows as the two characters "\0". Everything else stays.
std::string HijackField(std::string_view text);

// `format` with each "%s" replaced by the next field made safe (missing fields are empty, "%%" is
// a percent sign), followed by the line end.
std::string HijackLine(std::string_view format, std::initializer_list<std::string_view> fields);

// The fixed line formats; the line end is added by HijackLine.
namespace hijack {
inline constexpr std::string_view kLogCreated = "Log created by %s version %s";
inline constexpr std::string_view kScanSaved = "Scan saved at %s, on %s";
inline constexpr std::string_view kPlatform = "Platform: %s";
inline constexpr std::string_view kMsie = "MSIE: %s (%s)";
inline constexpr std::string_view kMsieMissing = "MSIE: Internet Explorer Not found.";
inline constexpr std::string_view kSystemIniShell = "F0 - system.ini: Shell=%s";
inline constexpr std::string_view kWinIniRun = "F1 - win.ini: run=%s";
inline constexpr std::string_view kWinIniLoad = "F1 - win.ini: load=%s";
inline constexpr std::string_view kSystemIniUserInit = "F2 - REG: system.ini: UserInit=%s";
inline constexpr std::string_view kUserLoad = "F3 - HKCU Load=%s";
inline constexpr std::string_view kUserRun = "F3 - HKCU Run=%s";
inline constexpr std::string_view kHosts = "O1 - Hosts: %s";
inline constexpr std::string_view kBho = "O2 - BHO: %s - %s - %s";
inline constexpr std::string_view kToolbar = "O3 - Toolbar: %s - %s - %s";
inline constexpr std::string_view kUserStartup = "O4 - Startup: %s=%s";
inline constexpr std::string_view kCommonStartup = "O4 - Global Startup: %s=%s";
inline constexpr std::string_view kInetcplHidden = "O5 - control.ini: inetcpl.cpl=%s";
inline constexpr std::string_view kRestrictions =
    "O6 - HKCU\\Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions present";
inline constexpr std::string_view kControlPanelPolicy =
    "O6 - HKCU\\Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel present";
inline constexpr std::string_view kMenuExtension = "O8 - Extra context menu item: %s - %s";
inline constexpr std::string_view kExtraButton = "O9 - Extra button: %s - %s - %s";
inline constexpr std::string_view kExtraMenuItem = "O9 - Extra 'Tools' menuitem: %s - %s - %s";
inline constexpr std::string_view kOptionsGroup = "O11 - Options group: [%s] %s - %s";
inline constexpr std::string_view kPlugin = "O12 - Plugin for %s: %s";
inline constexpr std::string_view kDefaultPrefix = "O13 - DefaultPrefix: %s";
inline constexpr std::string_view kWwwPrefix = "O13 - WWW Prefix: %s";
inline constexpr std::string_view kWwwDotPrefix = "O13 -  WWW. Prefix: %s";
inline constexpr std::string_view kIeResetStartPage = "O14 - IERESET.INF: START_PAGE_URL = %s";
inline constexpr std::string_view kIeResetSearchPage = "O14 - IERESET.INF: SEARCH_PAGE_URL = %s";
inline constexpr std::string_view kIeResetValue = "O14 - IERESET.INF:%s %s = %s";
inline constexpr std::string_view kTrustedZone = "O15 - Trusted Zone: %s";
inline constexpr std::string_view kDownloadedProgram = "O16 - DPF: %s (%s) - %s";
inline constexpr std::string_view kSearchList = "O17 - HKLM\\%s: SearchList = %s";
inline constexpr std::string_view kNameServer = "O17 - HKLM\\%s: NameServer = %s";
inline constexpr std::string_view kMstcpDomain = "O17 - HKLM\\System\\%s\\Services\\VxD\\MSTCP: Domain = %s";
inline constexpr std::string_view kTcpipDomain =
    "O17 - HKLM\\System\\%s\\Services\\Tcpip\\Parameters: Domain = %s";
inline constexpr std::string_view kUserStyleSheet = "O19 -  User style sheet: %s";
inline constexpr std::string_view kAppInitDlls = "O20 - AppInit_DLLs: %s";
inline constexpr std::string_view kShellServiceObject = "O21 - %s - %s - %s - %s";
inline constexpr std::string_view kSharedTaskScheduler = "O22 - SharedTaskScheduler: (%s) - %s - %s";
inline constexpr std::string_view kService = "O23 - Service: %s - %s - %s";
inline constexpr std::string_view kDesktopComponent = "O24 -  Desktop Component %s: %s - %s";
inline constexpr std::string_view kAdditionalInfo = "---  Additional Obrivo Info  ---";
inline constexpr std::string_view kDefaultBrowser = "Default Browser: %s - %s version %s";
inline constexpr std::string_view kNoDefaultBrowser = "Browser: Unable to find default browser.";
inline constexpr std::string_view kOtherBrowser = "%s %s installed in %s.";
inline constexpr std::string_view kIeCookies = "%s IE Cookies in Folder: %s";
inline constexpr std::string_view kMozillaCookies = "%s Mozilla Cookies in Folder: %s";
inline constexpr std::string_view kBootExecute = "OB00 - HKLM\\%s: BootExecute = %s";
inline constexpr std::string_view kPendingRenames = "OB01 - HKLM\\%s: PendingFileRenameOperations = %s";
inline constexpr std::string_view kCommand = "OB02 - HKLM\\%s: Command = %s";
inline constexpr std::string_view kAutoUpdate = "OB03 - Windows Automatic Update = %s:%s";
inline constexpr std::string_view kDelayedStart = "OB06 - Delayed Start: [%s]%s";
inline constexpr std::string_view kPrefixDefault = "OB08 - HKLM\\%s: Default = %s";
inline constexpr std::string_view kPrefixValue = "OB08 - HKLM\\%s: %s = %s";
inline constexpr std::string_view kScheduledTask = "OB31 - Scheduled Tasks: [%s]%s %s";
inline constexpr std::string_view kActiveX = "OB16 - ActiveX: %s [%s] %s %s";
inline constexpr std::string_view kHiddenFile = "OB32 - Hidden File: %s";
inline constexpr std::string_view kFileType = "OB33 - File Type %s: [%s]%s";
inline constexpr std::string_view kMemoryInUse = "Memory currently in use: %s%%";
inline constexpr std::string_view kPhysicalFree = "Physical Memory Free: %s KB";
inline constexpr std::string_view kPagingFree = "Paging File Free: %s KB";
inline constexpr std::string_view kVirtualFree = "Virtual Memory Free: %s KB";
inline constexpr std::string_view kEndMark = "--";
inline constexpr std::string_view kEndOfFile = "End of file";

// How many hidden files the log lists at most.
inline constexpr int kHiddenFilesLogged = 41;
}  // namespace hijack

// The O4 format of a registry startup entry by its location code ("O4 - HKLM\..\Run: [%s]%s"),
// "O4 - Other Run: [%s]%s" for a code outside the Run keys it names.
std::string_view HijackStartupFormat(int code);

// The header's time, "%2d:%02d:%02d AM" on a real 12-hour clock (00:05 is "12:05:00 AM", 12:30
// is "12:30:00 PM"), and its date "%2d/%02d/%4d" (month, day, year).
std::string HijackClockText(const DateTime& t);
std::string HijackDateText(const DateTime& t);

// A number with "," between groups of three digits: 1,048,576.
std::string GroupedNumber(std::uint64_t value);

// The HOSTS file's lines worth a look, without their line ends: control characters go (a tab
// becomes a blank), and a line is kept unless it is a comment, shorter than 3 or longer than 497
// characters, or maps a loopback (127.0.0.1, ::1) or the null address (0.0.0.x, which blockers
// use). A last line without a line feed counts like the others.
std::vector<std::string> HostsLogLines(std::string_view file);

// The browser-reset file's settings, as the O14 lines' fields: each line naming one of "Start
// Page", "Default_Page_URL", "Default_Search_URL" or "Search Page" gives one entry per name it
// holds, with its hive ("HKCU,", "HKLM," or nothing), the name, and the text after its last comma.
struct IeResetEntry {
  std::string hive, name, value;
  bool operator==(const IeResetEntry&) const = default;
};
std::vector<IeResetEntry> IeResetEntries(std::string_view file);

}  // namespace obrivo::core
