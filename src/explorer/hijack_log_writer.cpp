#include "explorer/hijack_log_writer.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "browser/activex.h"
#include "browser/cookies.h"
#include "browser/ie_inventories.h"
#include "common/items.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/registry.h"
#include "common/win32/system.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"
#include "core/hijack_log.h"
#include "core/startup_codes.h"
#include "core/text.h"
#include "explorer/messages.h"
#include "file_types/associations.h"
#include "startup/delayed_list.h"
#include "startup/startup_locations.h"
#include "string_ids.h"
#include "system/processes.h"
#include "system/scheduled_tasks.h"
#include "system/services.h"

namespace obrivo::explorer {
namespace {

using core::HijackLine;
namespace h = core::hijack;

constexpr std::string_view kLogFileName = "HijackObrivo.log";
constexpr std::string_view kIeMainKey = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr std::string_view kPrefixesKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\Prefixes";
constexpr std::string_view kDefaultPrefixKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\DefaultPrefix";
constexpr std::string_view kDesktopComponentsKey =
    "Software\\Microsoft\\Internet Explorer\\Desktop\\Components\\";
// The highest desktop component number the log looks at.
constexpr int kLastDesktopComponent = 8;

struct ControlSet {
  std::string_view root, label;
};
constexpr ControlSet kControlSets[] = {{"SYSTEM\\ControlSet001", "CS1"},
                                       {"SYSTEM\\CurrentControlSet", "CCS"},
                                       {"SYSTEM\\ControlSet002", "CS2"},
                                       {"SYSTEM\\ControlSet003", "CS3"}};

// The value's data as text (REG_EXPAND_SZ expanded, a DWORD as its number); nothing when the
// key or value is missing.
std::optional<std::string> ReadText(HKEY root, std::string_view path, std::string_view name) {
  const win32::UniqueKey key = win32::OpenKey(root, path, KEY_READ);
  if (!key) return std::nullopt;
  const auto value = win32::QueryValue(key.get(), name);
  if (!value) return std::nullopt;
  if (value->type == REG_DWORD && value->data.size() >= 4) {
    DWORD number = 0;
    std::memcpy(&number, value->data.data(), sizeof number);
    return std::to_string(number);
  }
  auto text = win32::StringFromValue(*value);
  if (text && value->type == REG_EXPAND_SZ) text = win32::ExpandEnvironment(*text);
  return text;
}

std::string NonEmpty(const std::optional<std::string>& text) { return text.value_or(std::string()); }

// The first byte of a value's data; 0 when there is none.
int FirstByte(HKEY root, std::string_view path, std::string_view name) {
  const win32::UniqueKey key = win32::OpenKey(root, path, KEY_READ);
  if (!key) return 0;
  const auto value = win32::QueryValue(key.get(), name);
  return value && !value->data.empty() ? static_cast<unsigned char>(value->data[0]) : 0;
}

std::string ProfileText(const std::string& iniFile, const char* section, const char* name) {
  wchar_t buffer[1024] = {};
  const std::wstring file = win32::Wide(iniFile);
  ::GetPrivateProfileStringW(win32::Wide(section).c_str(), win32::Wide(name).c_str(), L"", buffer,
                             1024, file.c_str());
  return win32::Narrow(buffer);
}

std::string ProductVersionOf(const std::string& path) {
  const auto info = common::ReadVersionInfo(path);
  return info ? info->productVersion : std::string();
}

std::string MsieLine() {
  std::string folder = NonEmpty(ReadText(HKEY_LOCAL_MACHINE,
                                         "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE",
                                         "Path"));
  if (!folder.empty() && folder.back() == ';') folder.pop_back();
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  const std::string file = folder + "IExplore.exe";
  const auto info = win32::IsExistingFile(file) ? common::ReadVersionInfo(file) : std::nullopt;
  if (!info && !win32::IsExistingFile(file)) return HijackLine(h::kMsieMissing, {});
  return HijackLine(h::kMsie, {info ? info->fileDescription : "", info ? info->productVersion : ""});
}

std::string PlatformText() {
  const win32::OsVersion v = win32::GetOsVersion();
  return "Windows " + std::string(win32::IsNtFamily() ? "NT " : "") + std::to_string(v.major) +
         "." + std::to_string(v.minor);
}

core::DateTime LocalNow() {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

std::string Header(const HijackLogSources& sources) {
  const std::string programFolder = common::ProgramFolder();
  std::string version = ProductVersionOf(programFolder + "Obrivo.exe");
  const std::string self = win32::ModuleFileName();
  const std::string explorerFile = programFolder + "ObrivoEx.exe";
  if (IsHijackLogProgram(self))
    version += ":" + ProductVersionOf(self);
  else if (win32::IsExistingFile(explorerFile))
    version += ":" + ProductVersionOf(explorerFile);
  const core::DateTime now = sources.now.value_or(LocalNow());
  std::string out = HijackLine(h::kLogCreated, {common::LoadText(IDS_PROGRAM_TITLE, 64), version});
  out += HijackLine(h::kScanSaved, {core::HijackClockText(now), core::HijackDateText(now)});
  out += HijackLine(h::kPlatform, {PlatformText()});
  out += MsieLine();
  switch (::GetSystemMetrics(SM_CLEANBOOT)) {
    case 0: out += HijackLine("Boot mode: Normal", {}); break;
    case 1: out += HijackLine("Boot mode: Safe", {}); break;
    case 2: out += HijackLine("Boot mode: Safe with Network", {}); break;
    default: out += HijackLine("Boot mode: Unknown", {}); break;
  }
  return out;
}

std::string RunningProcesses() {
  std::string out = HijackLine("", {});
  out += HijackLine("%s", {common::LoadText(818)});
  system::EnumRunningProcesses([&](const system::RunningProcess& p) {
    if (!p.imagePath.empty()) out += HijackLine("%s", {p.imagePath});
    return true;
  });
  return out + HijackLine("", {});
}

std::string BrowserPages() {
  struct Page {
    std::string_view prefix;
    HKEY root;
    std::string_view hive, name;
  };
  static const Page kPages[] = {
      {"R1 - ", HKEY_CURRENT_USER, "HKCU", "Default_Page_URL"},
      {"R0 - ", HKEY_CURRENT_USER, "HKCU", "Start Page"},
      {"R1 - ", HKEY_LOCAL_MACHINE, "HKLM", "Default_Page_URL"},
      {"R0 - ", HKEY_LOCAL_MACHINE, "HKLM", "Start Page"},
      {"R1 - ", HKEY_CURRENT_USER, "HKCU", "Window Title"},
      {"R0 - ", HKEY_LOCAL_MACHINE, "HKLM", "Window Title"},
  };
  std::string out;
  for (const Page& page : kPages) {
    const auto value = ReadText(page.root, kIeMainKey, page.name);
    if (!value) continue;
    const std::string format = std::string(page.prefix) + std::string(page.hive) +
                               "\\Software\\Microsoft\\Internet Explorer\\Main," +
                               std::string(page.name) + " = %s";
    out += HijackLine(format, {*value});
  }
  return out;
}

std::string IniFilesAndLoadKeys(const HijackLogSources& sources) {
  const std::string systemIni = sources.windowsFolder + "system.ini";
  const std::string winIni = sources.windowsFolder + "win.ini";
  std::string out;
  const std::string shell = ProfileText(systemIni, "Boot", "Shell");
  if (!shell.empty() && !core::EqualsNoCase(shell, "Explorer.exe"))
    out += HijackLine(h::kSystemIniShell, {shell});
  if (const std::string run = ProfileText(winIni, "Windows", "run"); !run.empty())
    out += HijackLine(h::kWinIniRun, {run});
  if (const std::string load = ProfileText(winIni, "Windows", "load"); !load.empty())
    out += HijackLine(h::kWinIniLoad, {load});
  if (const std::string userInit = ProfileText(systemIni, "Boot", "UserInit"); !userInit.empty())
    out += HijackLine(h::kSystemIniUserInit, {userInit});
  const std::string windowsKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
  if (const std::string load = NonEmpty(ReadText(HKEY_CURRENT_USER, windowsKey, "Load")); !load.empty())
    out += HijackLine(h::kUserLoad, {load});
  if (const std::string run = NonEmpty(ReadText(HKEY_CURRENT_USER, windowsKey, "Run")); !run.empty())
    out += HijackLine(h::kUserRun, {run});
  return out;
}

std::string Hosts(const HijackLogSources& sources) {
  std::string out;
  if (const auto file = win32::ReadWholeFile(sources.hostsFile))
    for (const std::string& line : core::HostsLogLines(*file)) out += HijackLine(h::kHosts, {line});
  return out;
}

std::string InventoryLines(const browser::Inventory& items, std::string_view format) {
  std::string out;
  for (const core::Item& item : items) out += HijackLine(format, {item.title, item.key, item.path});
  return out;
}

std::string CommonStartupFolder() {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_COMMON_STARTUP, nullptr, SHGFP_TYPE_CURRENT, folder)))
    return {};
  return win32::Narrow(folder);
}

// The startup locations that have lines of their own (win.ini's F1, AppInit_DLLs' O20, the
// delay-loaded objects' O21, the shared task schedulers' O22).
bool IsLoggedElsewhere(int code) {
  return code == core::kWinIniLoad || code == core::kWinIniRun || code == core::kAppInitDlls ||
         code == core::kDelayLoad || code == core::kSharedTaskScheduler;
}

std::string StartupEntries() {
  std::string out;
  std::string folderLines;
  const std::string commonFolder = CommonStartupFolder();
  startup::EnumStartup(false);
  const core::ItemList& items = common::Items();
  for (std::size_t i = 0; i < items.Count(); ++i) {
    const core::Item& item = items.At(i);
    if (item.disabled) continue;
    if (item.type == core::kStartupFolder) {
      const std::string& file = item.key.empty() ? item.path : item.key;
      const bool global =
          !commonFolder.empty() && core::StartsWithNoCase(file, commonFolder + "\\");
      folderLines += HijackLine(global ? h::kCommonStartup : h::kUserStartup,
                                {core::FileNamePart(file), item.path});
    } else if (!IsLoggedElsewhere(item.type)) {
      out += HijackLine(core::HijackStartupFormat(item.type), {core::EntryName(item), item.path});
    }
  }
  return out + folderLines;
}

std::string Policies() {
  std::string out;
  const auto inetcpl = ReadText(HKEY_CURRENT_USER, "Control Panel\\don't load", "inetcpl.cpl");
  if (inetcpl && core::ContainsNoCase(*inetcpl, "no")) out += HijackLine(h::kInetcplHidden, {*inetcpl});
  if (ReadText(HKEY_CURRENT_USER, "Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions", ""))
    out += HijackLine(h::kRestrictions, {});
  if (ReadText(HKEY_CURRENT_USER, "Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel", ""))
    out += HijackLine(h::kControlPanelPolicy, {});
  static constexpr std::string_view kSystemPolicies =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
  static constexpr std::string_view kTools[][2] = {{"DisableRegistryTools", " ="},
                                                   {"DisableRegEdit", "="},
                                                   {"DisableTaskMgr", " ="}};
  for (const auto& tool : kTools) {
    const int first = FirstByte(HKEY_CURRENT_USER, kSystemPolicies, tool[0]);
    if (first < 1 || first > 127) continue;
    out += HijackLine("O7 - HKCU\\" + std::string(kSystemPolicies) + ", " + std::string(tool[0]) +
                          std::string(tool[1]) + "%s",
                      {std::to_string(first)});
  }
  return out;
}

std::string BrowserExtras() {
  std::string out;
  if (const auto menus = browser::EnumMenuExtensions())
    for (const core::Item& item : *menus) out += HijackLine(h::kMenuExtension, {item.title, item.path});
  for (const core::Item& item : browser::EnumIEExtensionsRaw())
    out += HijackLine(item.type == 1 ? h::kExtraButton : h::kExtraMenuItem,
                      {item.title, item.key, item.path});
  for (const core::Item& item : browser::EnumAdvancedOptions())
    out += HijackLine(h::kOptionsGroup, {item.title, item.title, item.key});
  for (const core::Item& item : browser::EnumPlugins())
    out += HijackLine(h::kPlugin, {item.title, item.path});
  const std::string defaultPrefix = NonEmpty(ReadText(HKEY_LOCAL_MACHINE, kDefaultPrefixKey, ""));
  if (defaultPrefix.size() > 7) out += HijackLine(h::kDefaultPrefix, {defaultPrefix});
  const std::string www = NonEmpty(ReadText(HKEY_LOCAL_MACHINE, kPrefixesKey, "www"));
  if (www.size() > 7) out += HijackLine(h::kWwwPrefix, {www});
  const std::string wwwDot = NonEmpty(ReadText(HKEY_LOCAL_MACHINE, kPrefixesKey, "www."));
  if (wwwDot.size() > 7) out += HijackLine(h::kWwwDotPrefix, {wwwDot});
  return out;
}

std::string BrowserReset(const HijackLogSources& sources) {
  const std::string file = sources.windowsFolder + "inf\\iereset.inf";
  std::string out;
  if (const std::string start = ProfileText(file, "Strings", "START_PAGE_URL"); !start.empty())
    out += HijackLine(h::kIeResetStartPage, {start});
  if (const std::string search = ProfileText(file, "Strings", "SEARCH_PAGE_URL"); !search.empty())
    out += HijackLine(h::kIeResetSearchPage, {search});
  if (const auto text = win32::ReadWholeFile(file))
    for (const core::IeResetEntry& entry : core::IeResetEntries(*text))
      out += HijackLine(h::kIeResetValue, {entry.hive, entry.name, entry.value});
  return out;
}

std::string ZonesAndDownloads() {
  std::string out;
  for (const core::Item& item : browser::EnumTrustedZoneDomains())
    out += HijackLine(h::kTrustedZone, {item.title});
  for (const core::Item& item : browser::EnumDistributionUnits())
    out += HijackLine(h::kDownloadedProgram, {item.text, item.title, item.path});
  return out;
}

// One line per control set for the value `name` of `root` + `subkey`, when it is not empty.
std::string PerControlSet(std::string_view format, std::string_view subkey, std::string_view name,
                          bool labelIsRoot = false) {
  std::string out;
  for (const ControlSet& set : kControlSets) {
    const std::string value =
        NonEmpty(ReadText(HKEY_LOCAL_MACHINE, std::string(set.root) + std::string(subkey), name));
    if (!value.empty())
      out += HijackLine(format, {labelIsRoot ? set.root.substr(7) : set.label, value});
  }
  return out;
}

std::string Network() {
  std::string out;
  out += PerControlSet(h::kSearchList, "\\Services\\Tcpip\\Parameters", "SearchList");
  out += PerControlSet(h::kNameServer, "\\Services\\Tcpip\\Parameters", "NameServer");
  out += PerControlSet(h::kMstcpDomain, "\\Services\\VxD\\MSTCP", "Domain", true);
  out += PerControlSet(h::kTcpipDomain, "\\Services\\Tcpip\\Parameters", "Domain", true);
  return out;
}

std::string ShellHooks() {
  std::string out;
  const std::string sheet = NonEmpty(
      ReadText(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\Styles", "User Stylesheet"));
  if (!sheet.empty()) out += HijackLine(h::kUserStyleSheet, {sheet});
  const std::string appInit =
      NonEmpty(ReadText(HKEY_LOCAL_MACHINE, core::kWindowsNtWindowsKey, "AppInit_DLLs"));
  if (!appInit.empty()) out += HijackLine(h::kAppInitDlls, {appInit}) + HijackLine("", {});
  if (const auto objects = browser::EnumShellServiceObjects())
    for (const core::Item& item : *objects)
      if (!browser::IsStandardShellServiceObject(item.key))
        out += HijackLine(h::kShellServiceObject, {item.text, item.title, item.key, item.path});
  if (const auto schedulers = browser::EnumSharedTaskSchedulers())
    for (const core::Item& item : *schedulers)
      if (!core::ContainsNoCase(item.path, "browseui.dll"))
        out += HijackLine(h::kSharedTaskScheduler, {item.title, item.key, item.path});
  return out;
}

std::string Services() {
  std::string out;
  for (const system::ServiceRecord& service : system::ReadServices(true)) {
    const auto info = common::ReadVersionInfo(service.path);
    out += HijackLine(h::kService, {service.displayName, info ? info->companyName : "", service.path});
  }
  return out;
}

std::string DesktopComponents() {
  std::string out;
  for (int n = 0; n <= kLastDesktopComponent; ++n) {
    const std::string key = std::string(kDesktopComponentsKey) + std::to_string(n);
    const auto name = ReadText(HKEY_CURRENT_USER, key, "FriendlyName");
    // The components are numbered from 0 without gaps: the first one missing ends the list.
    if (!name) break;
    if (core::ContainsNoCase(*name, "Current Home Page")) continue;
    out += HijackLine(h::kDesktopComponent,
                      {std::to_string(n), *name, NonEmpty(ReadText(HKEY_CURRENT_USER, key, "Source"))});
  }
  return out;
}

std::string OtherBrowsers() {
  std::string out;
  static constexpr std::string_view kBrowsers[][2] = {
      {"firefox.exe", "Firefox"}, {"Mozilla.exe", "Mozilla"}, {"Netscp.exe", "Netscape"}};
  for (const auto& browserName : kBrowsers)
    if (const auto found = common::AppPathsLookup(browserName[0]))
      out += HijackLine(h::kOtherBrowser, {browserName[1], found->version, found->folder});
  return out;
}

// The program that opens web addresses, by its version information.
std::string DefaultBrowserLine() {
  const std::string command =
      NonEmpty(ReadText(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", ""));
  const std::string program = command.empty() ? std::string() : common::CommandToProgramPath(command);
  if (program.empty() || !win32::IsExistingFile(program)) return HijackLine(h::kNoDefaultBrowser, {});
  const auto info = common::ReadVersionInfo(program);
  return HijackLine(h::kDefaultBrowser, {info ? info->productName : "", info ? info->fileDescription : "",
                                         info ? info->productVersion : ""});
}

std::string AdditionalInfo() {
  std::string out = HijackLine("", {}) + HijackLine(h::kAdditionalInfo, {});
  out += DefaultBrowserLine();
  out += MsieLine();
  out += OtherBrowsers();
  if (const auto folder = browser::FindIECookieFolder()) {
    std::size_t count = 0;
    WIN32_FIND_DATAW found{};
    const win32::UniqueFind find(::FindFirstFileW(win32::Wide(*folder + "\\*.txt").c_str(), &found));
    if (find)
      do ++count;
      while (::FindNextFileW(find.get(), &found));
    out += HijackLine(h::kIeCookies, {std::to_string(count), *folder});
  }
  return out + HijackLine("", {});
}

std::string SessionManager() {
  std::string out;
  out += PerControlSet(h::kBootExecute, "\\Control\\Session Manager", "BootExecute");
  out += PerControlSet(h::kPendingRenames, "\\Control\\Session Manager", "PendingFileRenameOperations");
  const std::string command = NonEmpty(ReadText(
      HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment", "ComSpec"));
  if (!command.empty()) out += HijackLine(h::kCommand, {"CCS", command});
  if (!out.empty()) out += HijackLine("", {});
  const std::string update = NonEmpty(ReadText(
      HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update",
      "AUOptions"));
  if (!update.empty() && update != "0") {
    const int number = std::atoi(update.c_str());
    out += HijackLine(h::kAutoUpdate, {update, common::LoadText(1050 + number)}) + HijackLine("", {});
  }
  return out;
}

std::string ProductLists(const HijackLogSources& sources) {
  std::string out;
  startup::EnumDelayed();
  for (std::size_t i = 0; i < common::Items().Count(); ++i)
    out += HijackLine(h::kDelayedStart, {common::Items().At(i).title, common::Items().At(i).path});
  out += HijackLine("", {});

  std::string prefixes;
  if (const auto value = ReadText(HKEY_LOCAL_MACHINE, kDefaultPrefixKey, ""))
    prefixes += HijackLine(h::kPrefixDefault, {kDefaultPrefixKey, *value});
  if (const auto value = ReadText(HKEY_LOCAL_MACHINE, kPrefixesKey, "www"))
    prefixes += HijackLine(h::kPrefixValue, {kPrefixesKey, "www", *value});
  if (!prefixes.empty()) out += prefixes + HijackLine("", {});

  for (const system::ScheduledTask& task : system::ListScheduledTasks().tasks)
    out += HijackLine(h::kScheduledTask, {task.name, task.application, task.nextRun});
  out += HijackLine("", {});

  browser::EnumUsedActiveX({});
  for (std::size_t i = 0; i < common::Items().Count(); ++i) {
    const core::Item& item = common::Items().At(i);
    if ((static_cast<unsigned>(item.flag) & browser::kKillBit) == 0)
      out += HijackLine(h::kActiveX, {item.key, item.title, item.path, item.text});
  }
  out += HijackLine("", {});

  if (sources.hiddenRoots)
    files::EnumHiddenFiles(*sources.hiddenRoots);
  else
    files::EnumHiddenFiles();
  for (std::size_t i = 0; i < common::Items().Count() && i < h::kHiddenFilesLogged; ++i)
    out += HijackLine(h::kHiddenFile, {common::Items().At(i).path});
  out += HijackLine("", {});

  file_types::EnumFileTypes();
  for (std::size_t i = 0; i < common::Items().Count(); ++i) {
    const core::Item& item = common::Items().At(i);
    out += HijackLine(h::kFileType, {item.text, item.title, item.path});
  }
  return out + HijackLine("", {});
}

std::string Memory() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  ::GlobalMemoryStatusEx(&status);
  std::string out = HijackLine(h::kMemoryInUse, {std::to_string(status.dwMemoryLoad)});
  out += HijackLine(h::kPhysicalFree, {core::GroupedNumber(status.ullAvailPhys >> 10)});
  out += HijackLine(h::kPagingFree, {core::GroupedNumber(status.ullAvailPageFile >> 10)});
  out += HijackLine(h::kVirtualFree, {core::GroupedNumber(status.ullAvailVirtual >> 10)});
  return out;
}

}  // namespace

HijackLogSources SystemHijackLogSources() {
  HijackLogSources sources;
  sources.windowsFolder = win32::WindowsDirectory();
  if (!sources.windowsFolder.empty() && sources.windowsFolder.back() != '\\') sources.windowsFolder += '\\';
  sources.hostsFile = common::HostsFilePath();
  return sources;
}

std::string HijackLogText(const HijackLogSources& sources) {
  std::string out = Header(sources);
  out += RunningProcesses();
  out += BrowserPages();
  out += IniFilesAndLoadKeys(sources);
  out += Hosts(sources);
  out += InventoryLines(browser::EnumBrowserHelperObjectsRaw().value_or(browser::Inventory()), h::kBho);
  out += InventoryLines(browser::EnumToolbarsRaw().value_or(browser::Inventory()), h::kToolbar);
  out += StartupEntries();
  out += Policies();
  out += BrowserExtras();
  out += BrowserReset(sources);
  out += ZonesAndDownloads();
  out += Network();
  out += ShellHooks();
  out += Services();
  out += DesktopComponents();
  out += AdditionalInfo();
  out += SessionManager();
  out += ProductLists(sources);
  out += Memory();
  out += HijackLine("", {}) + HijackLine("", {}) + HijackLine(h::kEndMark, {}) +
         HijackLine(h::kEndOfFile, {});
  return out;
}

std::optional<std::string> HijackLogPath() {
  PWSTR folder = nullptr;
  if (FAILED(::SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &folder))) {
    ::CoTaskMemFree(folder);
    return std::nullopt;
  }
  std::string path = win32::Narrow(folder);
  ::CoTaskMemFree(folder);
  if (path.empty()) return std::nullopt;
  if (path.back() != '\\') path += '\\';
  return path + std::string(kLogFileName);
}

std::optional<std::string> WriteHijackLog(HWND owner, HijackLogNotice notice) {
  const HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
  const auto path = HijackLogPath();
  const bool written = path && win32::WriteWholeFileReplacing(*path, HijackLogText(SystemHijackLogSources()));
  const DWORD error = ::GetLastError();
  ::SetCursor(previous);
  if (!written) {
    ShowMessageText(owner,
                      core::FormatText(core::FormatText(common::LoadText(IDS_HIJACK_LOG_FAILED),
                                                        path.value_or(std::string(kLogFileName))),
                                       win32::SystemErrorText(error)),
                      MB_ICONWARNING);
    return std::nullopt;
  }
  if (notice == HijackLogNotice::SayAndOpen)
    ShowMessageText(owner, core::FormatText(common::LoadText(IDS_HIJACK_LOG_WRITTEN), *path));
  ::ShellExecuteW(owner, L"open", win32::Wide(*path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return path;
}

bool IsHijackLogProgram(std::string_view programPath) {
  return core::ContainsNoCase(core::FileNamePart(programPath), "hijack");
}

}  // namespace obrivo::explorer
