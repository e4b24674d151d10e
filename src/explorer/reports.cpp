#include "explorer/reports.h"

#include <shellapi.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "browser/activex.h"
#include "browser/ie_helpers.h"
#include "common/first_detected.h"
#include "common/items.h"
#include "common/online_lookup.h"
#include "common/options_store.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/proc_address.h"
#include "common/win32/registry.h"
#include "common/win32/system.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"
#include "core/history_codes.h"
#include "core/report_log.h"
#include "core/startup_codes.h"
#include "core/text.h"
#include "core/windows_version.h"
#include "explorer/messages.h"
#include "file_types/associations.h"
#include "files/hidden_files.h"
#include "startup/delayed_list.h"
#include "startup/startup_locations.h"
#include "system/processes.h"
#include "system/scheduled_tasks.h"
#include "system/services.h"
#include "string_ids.h"

namespace obrivo::explorer {
namespace {

constexpr std::string_view kProductTitle = "Obrivo";

// One section of the log: its caption's string and the enumerator that fills the item list.
struct LogSection {
  int caption;
  std::function<std::size_t()> enumerate;
  bool hiddenFiles = false;
};

const std::vector<LogSection>& LogSections() {
  static const std::vector<LogSection> sections = {
      {606, [] { return startup::EnumStartup(false); }},
      {609, [] { return startup::EnumDelayed(); }},
      {607, [] { return system::EnumActiveTasks(); }},
      {680, [] { return system::EnumScheduledTasks(); }},
      {694, [] { return browser::EnumIEHelpers(); }},
      {739, [] { return file_types::EnumFileTypes(); }},
      {636, [] { return system::EnumServices(false); }},
      {973, [] { return files::EnumHiddenFiles(); }, true},
      {1155, [] { return browser::EnumAllActiveX(false); }},
  };
  return sections;
}

core::DateTime Now() {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  return core::DateTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

std::string FileNamePart(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// The title as the location gave it, so that a NUL shows as "\0" rather than as the list's mark.
std::string ReportTitle(const core::Item& item) {
  if (!item.name.empty() && core::VisibleTitle(item.name) == item.title) return item.name;
  return item.title;
}

std::string RegistryText(HKEY root, std::string_view key, std::string_view value) {
  const win32::UniqueKey k = win32::OpenKey(root, key, KEY_READ);
  if (!k) return {};
  const auto v = win32::QueryValue(k.get(), value);
  if (!v) return {};
  return win32::StringFromValue(*v).value_or(std::string());
}

core::WindowsVersionFacts WindowsFacts() {
  core::WindowsVersionFacts facts;
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof info;
  const auto fn =
      win32::ProcAddress<RtlGetVersionFn>(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
  if (!fn || fn(&info) != 0) {
    facts.extended = false;
    facts.productOptionsType = RegistryText(
        HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\ProductOptions", "ProductType");
    return facts;
  }
  facts.platform = static_cast<int>(info.dwPlatformId);
  facts.major = static_cast<int>(info.dwMajorVersion);
  facts.minor = static_cast<int>(info.dwMinorVersion);
  facts.build = static_cast<int>(info.dwBuildNumber);
  facts.servicePack = win32::Narrow(info.szCSDVersion);
  facts.servicePackMajor = info.wServicePackMajor;
  facts.suiteMask = info.wSuiteMask;
  facts.productType = info.wProductType;
  facts.tabletPc = ::GetSystemMetrics(SM_TABLETPC) != 0;
  facts.hotfixQ246009 = static_cast<bool>(win32::OpenKey(
      HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009",
      KEY_READ));
  return facts;
}

core::ReportHeader Header() {
  core::ReportHeader h;
  h.productTitle = kProductTitle;
  h.version = std::string(common::kProductVersion);
  h.created = Now();
  h.lines.push_back({"Platform:", core::DescribeWindowsVersion(WindowsFacts())});
  MEMORYSTATUSEX memory{};
  memory.dwLength = sizeof memory;
  if (::GlobalMemoryStatusEx(&memory))
    h.lines.push_back({"Memory currently in use:", std::to_string(memory.dwMemoryLoad) + "%"});
  h.lines.push_back({});
  const std::string main = "Software\\Microsoft\\Internet Explorer\\Main";
  const struct {
    HKEY root;
    const char* label;
    const char* value;
  } pages[] = {
      {HKEY_CURRENT_USER, "HKCU Window Title =", "Window Title"},
      {HKEY_CURRENT_USER, "HKCU Default_Page_URL =", "Default_Page_URL"},
      {HKEY_LOCAL_MACHINE, "HKLM Default_Page_URL =", "Default_Page_URL"},
      {HKEY_CURRENT_USER, "HKCU Start Page =", "Start Page"},
      {HKEY_LOCAL_MACHINE, "HKLM Start Page =", "Start Page"},
  };
  for (const auto& page : pages) {
    const std::string text = RegistryText(page.root, main, page.value);
    if (!text.empty()) h.lines.push_back({page.label, text});
  }
  h.lines.push_back({});
  const std::string winlogon = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
  for (const char* value : {"DefaultUserName", "DefaultDomainName", "Shell", "UserInit"}) {
    const std::string text = RegistryText(HKEY_LOCAL_MACHINE, winlogon, value);
    if (!text.empty()) h.lines.push_back({std::string("WinLogon ") + value + "=", text});
  }
  return h;
}

std::string LocalFileTime(const FILETIME& time) {
  const SYSTEMTIME t = common::FileTimeToLocal(time);
  return core::FileTimeText(core::DateTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond});
}

// What the category adds to an item: a service's startup type, a hidden file's times and size.
std::vector<std::pair<std::string, std::string>> Details(const core::Item& item, bool hiddenFile) {
  std::vector<std::pair<std::string, std::string>> details;
  if (item.type == core::item_type::kServiceExe || item.type == core::item_type::kServiceSvchost)
    details.emplace_back("Startup Type", item.key);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (hiddenFile && ::GetFileAttributesExW(win32::ExtendedPath(item.path).c_str(),
                                           GetFileExInfoStandard, &data)) {
    details.emplace_back("Created", LocalFileTime(data.ftCreationTime));
    details.emplace_back("Accessed", LocalFileTime(data.ftLastAccessTime));
    details.emplace_back("Written", LocalFileTime(data.ftLastWriteTime));
    const auto size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    details.emplace_back("File Size", std::to_string(size) + " Bytes");
  }
  return details;
}

core::ReportItem ToReportItem(const core::Item& item, bool hiddenFile) {
  core::ReportItem r;
  r.title = ReportTitle(item);
  r.path = item.path;
  r.program = FileNamePart(item.path);
  r.text = item.text;
  r.hiddenFile = hiddenFile;
  r.details = Details(item, hiddenFile);
  if (hiddenFile && !r.program.empty()) r.title = r.program;  // a hidden file by its name
  r.firstDetected = common::LookupFirstDetected(item.type, item.path);
  r.location = core::StartupLocationText(item.type);
  if (!item.path.empty()) {
    if (const auto info = common::ReadVersionInfo(item.path)) {
      r.description = info->fileDescription;
      r.version = info->productVersion;
      r.copyright = info->legalCopyright;
      r.company = info->companyName;
    }
    r.lookupAddress = core::BuildLookupAddress(
        common::MakeLookupRequest(item.type + 1000, item.path, r.title));
  }
  return r;
}

std::vector<core::ReportSection> GatherSections() {
  std::vector<core::ReportSection> sections;
  for (const LogSection& s : LogSections()) {
    core::ReportSection section{common::LoadText(s.caption), {}};
    s.enumerate();
    const core::ItemList& items = common::Items();
    for (std::size_t i = 0; i < items.Count(); ++i)
      section.items.push_back(ToReportItem(items.At(i), s.hiddenFiles));
    sections.push_back(std::move(section));
  }
  common::ClearItems();
  return sections;
}

// The spreadsheet's sections: the enumerator and the Type and SubType of each item.
std::vector<core::SpreadsheetRow> GatherRows() {
  std::vector<core::SpreadsheetRow> rows;
  const auto add = [&rows](const core::Item& item, std::string type, std::string subType) {
    const core::ReportItem r = ToReportItem(item, false);
    rows.push_back({std::move(type), std::move(subType), r.title, r.program, r.company,
                    r.firstDetected, r.path, r.description, r.version});
  };
  startup::EnumStartup(false);
  for (std::size_t i = 0; i < common::Items().Count(); ++i) {
    const core::Item& item = common::Items().At(i);
    if (item.type == core::kStartupFolder) continue;
    const auto [type, subType] = core::StartupRegistryColumns(item.type);
    add(item, type, subType);
  }
  for (std::size_t i = 0; i < common::Items().Count(); ++i)
    if (common::Items().At(i).type == core::kStartupFolder)
      add(common::Items().At(i), "Startup", "Folder");
  const auto section = [&](const std::function<std::size_t()>& enumerate, const char* type,
                           const std::function<std::string(const core::Item&)>& subType,
                           const std::function<bool(const core::Item&)>& keep) {
    enumerate();
    for (std::size_t i = 0; i < common::Items().Count(); ++i) {
      const core::Item& item = common::Items().At(i);
      if (keep(item)) add(item, type, subType(item));
    }
  };
  const auto none = [](const core::Item&) { return std::string(); };
  const auto all = [](const core::Item&) { return true; };
  section([] { return startup::EnumDelayed(); }, "Delayed Start", none, all);
  section([] { return system::EnumActiveTasks(); }, "Active Tasks", none, all);
  section([] { return browser::EnumIEHelpers(); }, "IE Helpers",
          [](const core::Item&) { return std::string("BHO"); },
          [](const core::Item& item) { return item.type == core::item_type::kBrowserHelper; });
  // A control whose kill bit is set cannot run: it is left out.
  section([] { return browser::EnumAllActiveX(false); }, "ActiveX", none,
          [](const core::Item& item) { return (item.flag & 0x400) == 0; });
  section([] { return browser::EnumIEHelpers(); }, "IE Helpers",
          [](const core::Item&) { return std::string("Toolbar"); },
          [](const core::Item& item) { return item.type == core::item_type::kToolbar; });
  section([] { return system::EnumServices(false); }, "Services",
          [](const core::Item& item) { return item.key; }, all);
  section([] { return system::EnumScheduledTasks(); }, "Scheduled Tasks", none, all);
  common::ClearItems();
  return rows;
}

std::string FileName(ReportKind kind) {
  switch (kind) {
    case ReportKind::HtmlLog: return "ObrivoLog.html";
    case ReportKind::TextLog: return "ObrivoLog.txt";
    case ReportKind::Spreadsheet: break;
  }
  return "ObrivoLog.csv";
}

}  // namespace

std::string DocumentsFolder() {
  PWSTR path = nullptr;
  std::string folder;
  if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &path)) && path)
    folder = win32::Narrow(path);
  ::CoTaskMemFree(path);
  return folder;
}

ReportOutcome WriteReport(ReportKind kind, std::string_view folder) {
  ReportOutcome outcome;
  const std::string name = FileName(kind);
  outcome.path = std::string(folder);
  if (!outcome.path.empty() && outcome.path.back() != '\\') outcome.path += '\\';
  outcome.path += name;
  std::string data;
  switch (kind) {
    case ReportKind::HtmlLog: data = core::ComposeHtmlLog(Header(), GatherSections(), name); break;
    case ReportKind::TextLog: data = core::ComposeTextLog(GatherSections()); break;
    case ReportKind::Spreadsheet: data = core::ComposeSpreadsheet(Header(), GatherRows()); break;
  }
  outcome.written = !folder.empty() && win32::WriteWholeFileReplacing(outcome.path, data);
  if (!outcome.written) outcome.error = folder.empty() ? ERROR_PATH_NOT_FOUND : ::GetLastError();
  return outcome;
}

void ProduceReport(HWND owner, ReportKind kind) {
  const HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
  const ReportOutcome outcome = WriteReport(kind, DocumentsFolder());
  ::SetCursor(previous);
  if (!outcome.written) {
    ShowMessageText(owner,
                    core::FormatText(common::LoadText(IDS_REPORT_NOT_WRITTEN), outcome.path) +
                        win32::SystemErrorText(outcome.error),
                    MB_ICONERROR);
    return;
  }
  ShowMessageText(owner, core::FormatText(common::LoadText(IDS_REPORT_WRITTEN), outcome.path));
  ::ShellExecuteW(owner, L"open", win32::Wide(outcome.path).c_str(), nullptr, nullptr,
                  SW_SHOWNORMAL);
}

void ProduceObrivoLog(HWND owner) {
  ProduceReport(owner, common::ReadOptionOrDefault("Format") != 0 ? ReportKind::TextLog
                                                                  : ReportKind::HtmlLog);
}

}  // namespace obrivo::explorer
