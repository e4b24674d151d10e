// History records: the name tables, the line format and its reader.
#include "history_record.h"

#include <cstdio>

#include "capacity.h"
#include "history_codes.h"
#include "startup_codes.h"
#include "text.h"
#include "utf.h"

namespace obrivo::core {
namespace {

namespace E = history_event;
namespace T = item_type;

struct NameRow {
  int code;
  std::string_view name;
};

// Order matters: names are looked up by the first row with the code, so the second rows of
// 12 and 23 are only ever met when a name is read back.
constexpr NameRow kEvents[] = {
    {E::kStartupRemove, "*START_Remove"},
    {E::kStartupDisable, "START_Disable"},
    {E::kStartupEnable, "START_Enable"},
    {E::kIEHelperRemove, "IEHELPER_Remove"},
    {E::kTaskRemove, "TASK_Remove"},
    {E::kTaskKill, "TASK_Kill"},
    {E::kStartupAlert, "START_Alert"},
    {E::kTaskAlert, "TASK_Alert"},
    {E::kIEHelperAlert, "IEHELPER_Alert"},
    {E::kServiceStop, "SERVICE_Stop"},
    {E::kServiceAutomatic, "SERVICE_Automatic"},
    {E::kServiceManual, "SERVICE_Manual"},
    {E::kServiceDisabled, "SERVICE_Disabled"},
    {E::kStartupRestore, "START_Restore"},
    {E::kTaskRestore, "TASK_Restore"},
    {E::kIEHelperRestore, "IEHELPER_Restore"},
    {E::kScheduledTaskRemove, "ScheduledTask_Remove"},
    {E::kServiceFromAutomatic, "SERVICE_from_Automatic"},
    {E::kServiceWasStarting, "SERVICE_from_Manual"},
    {E::kServiceWasStopping, "SERVICE_from_Disabled"},
    {E::kServiceWasRunning, "SERVICE__from_Disabled"},
    {E::kResetUserinit, "RESET_USERINIT"},
    {E::kResetShell, "RESET_SHELL"},
    {E::kRemoveTaskScheduler, "REMOVE_TaskScheduler"},
    {E::kRemoveDelayLoad, "REMOVE_DELAYLOAD"},
    {E::kRemoveTaskScheduler, "REMOVE_TASKSCHEDULER"},
    {E::kRemoveShellExecuteHook, "REMOVE_SHELLEXECUTEHOOK"},
    {E::kRemoveAppInit, "REMOVE_APPINIT"},
    {E::kHiddenAlert, "HIDDEN_Alert"},
    {E::kHiddenDeleteFile, "*HIDDEN_DeleteFile"},
    {E::kRemoveWinlogonNotify, "REMOVE_WinLogonNotify"},
    {E::kDelayStartFailed, "DELAY_StartFailed"},
    {E::kServiceCommandRestored, "SERVICE_CommandRestored"},
    {E::kActiveXDisable, "ACTIVEX_Disable"},
    {E::kActiveXEnable, "ACTIVEX_Enable"},
    {E::kUnknown, "LOG_UNKNOWN"},
};

constexpr NameRow kTypes[] = {
    {1, "MACHINE_RUN"},
    {2, "MACHINE_RUNONCE"},
    {3, "MACHINE_RUNONCEEX"},
    {4, "MACHINE_RUNSERVICES"},
    {5, "MACHINE_RUNSERVICESONCE"},
    {6, "MACHINE_RUNONCESETUP"},
    {7, "MACHINE_RUNPOLICY"},
    {11, "CURRENT_RUN"},
    {12, "CURRENT_RUNONCE"},
    {13, "CURRENT_RUNONCEEX"},
    {14, "CURRENT_RUNSERVICES"},
    {15, "CURRENT_RUNSERVICESONCE"},
    {21, "WOW64_RUN"},
    {22, "WOW64_RUNONCE"},
    {23, "WOW64_RUNONCEEX"},
    {24, "WOW64_RUNSERVICES"},
    {25, "WOW64_RUNSERVICESONCE"},
    {31, "OBRIVO_RUN"},
    {32, "OBRIVO_RUNONCE"},
    {33, "OBRIVO_RUNONCEEX"},
    {34, "OBRIVO_RUNSERVICES"},
    {35, "OBRIVO_RUNSERVICESONCE"},
    {kWinIniLoad, "WIN_LOAD"},
    {kWinIniRun, "WIN_RUN"},
    {kStartupFolder, "GROUP_STARTUP"},
    {kWinlogonUserinit, "WINLOGON_Userinit"},
    {kWinlogonShell, "WINLOGON_Shell"},
    {kDelayLoad, "REG_Delayload"},
    {kSharedTaskScheduler, "REG_TaskScheduler"},
    {kShellExecuteHooks, "REG_ShellExecuteHook"},
    {kAppInitDlls, "REG_AppInitDLLs"},
    {kWinlogonNotify, "RUN_WINLOGONNOTIFY"},
    {T::kCookie, "INFO_COOKIE"},
    {T::kNetCookie, "INFO_NETCOOKIE"},
    {T::kSaveCookie, "INFO_SAVECOOKIE"},
    {T::kNuts, "INFO_NUTS"},
    {T::kProcess, "INFO_TASK"},
    {T::kServiceExe, "SERVICE_EXE"},
    {T::kServiceSvchost, "SERVICE_SVCHOST"},
    {T::kScheduledTask, "TASK_SCHEDULED"},
    {T::kBrowserHelper, "TYPE_BHO"},
    {T::kToolbar, "TYPE_TOOLBAR"},
    {T::kBrowserExtension, "TYPE_EXTENSION"},
    {T::kRestartDelete, "RESTART_DELETE"},
    {T::kRestartRename, "RESTART_RENAME"},
    {T::kMonitor, "TYPE_MONITOR"},
    {T::kBlacklist, "TYPE_BLACKLIST"},
    {T::kHiddenFile, "TYPE_HIDDEN"},
    {T::kFileType, "TYPE_FILETYPE"},
    {T::kSearch, "TYPE_PROSEARCH"},
    {T::kActiveX, "TYPE_ACTIVEX"},
    {T::kUnknown, "TYPE_UNKNOWN"},
};

template <std::size_t N>
const NameRow* RowByCode(const NameRow (&table)[N], int code) {
  for (const NameRow& row : table)
    if (row.code == code) return &row;
  return nullptr;
}

template <std::size_t N>
int CodeByName(const NameRow (&table)[N], std::string_view name, int fallback) {
  for (const NameRow& row : table)
    if (row.name == name) return row.code;
  return fallback;
}

// A tab or line break inside a field would shift the fields or split the record in two when it
// is read back; they are written as blanks.
void AppendField(std::string& out, std::string_view field) {
  for (char c : field) out += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
}

}  // namespace

std::string_view HistoryEventName(int code) {
  const NameRow* row = RowByCode(kEvents, code);
  return row ? row->name : std::string_view();
}

std::string_view HistoryTypeName(int code) {
  const NameRow* row = RowByCode(kTypes, code);
  return row ? row->name : std::string_view("TYPE_UNKNOWN");
}

int HistoryEventCode(std::string_view name) { return CodeByName(kEvents, name, E::kUnknown); }

int HistoryTypeCode(std::string_view name) { return CodeByName(kTypes, name, T::kUnknown); }

bool IsRestorableEvent(int code) {
  return code == E::kStartupRemove || code == E::kHiddenDeleteFile ||
         code == E::kScheduledTaskRemove;
}

std::string HistoryDateText(const DateTime& t) {
  const bool pm = t.hour >= 12;
  int hour = t.hour % 12;
  if (hour == 0) hour = 12;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%02u/%02u/%04u  %u:%02u %s", static_cast<unsigned>(t.month),
                static_cast<unsigned>(t.day), static_cast<unsigned>(t.year),
                static_cast<unsigned>(hour), static_cast<unsigned>(t.minute), pm ? "PM" : "AM");
  return buffer;
}

std::string FormatHistoryRecord(const DateTime& t, int event, int type, std::string_view title,
                                std::string_view file, std::string_view description) {
  std::string body = HistoryDateText(t);
  for (std::string_view field :
       {HistoryEventName(event), HistoryTypeName(type), title, file, description}) {
    body += '\t';
    AppendField(body, field);
  }
  // What does not fit is cut from the fields, never from the line end: a cut record is still
  // one whole line, so the next record starts on a line of its own.
  constexpr std::size_t kLineEnd = 2;
  std::string record = TruncateChars(body, kHistoryRecordCapacity - kLineEnd);
  record += "\r\n";
  return record;
}

HistoryRow ParseHistoryLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::string_view fields[6];
  for (std::string_view& field : fields) {
    const std::size_t tab = line.find('\t');
    field = line.substr(0, tab);
    line = tab == std::string_view::npos ? std::string_view() : line.substr(tab + 1);
  }
  HistoryRow row;
  row.date = TruncateChars(fields[0], kHistoryDateCapacity);
  row.event = HistoryEventCode(fields[1]);
  row.type = HistoryTypeCode(fields[2]);
  row.title = TruncateChars(fields[3], kTitleCapacity);
  row.file = TruncateChars(fields[4], kPathCapacity);
  row.description = TruncateChars(fields[5], kPathCapacity);
  return row;
}

std::vector<HistoryRow> ParseHistoryFile(std::string_view contents) {
  constexpr std::string_view kBom = "\xEF\xBB\xBF";  // left by editors that save UTF-8
  if (contents.substr(0, kBom.size()) == kBom) contents.remove_prefix(kBom.size());
  std::vector<HistoryRow> rows;
  while (!contents.empty()) {
    const std::size_t end = contents.find('\n');
    std::string_view line = contents.substr(0, end);
    contents = end == std::string_view::npos ? std::string_view() : contents.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    rows.push_back(ParseHistoryLine(IsUtf8(line) ? std::string(line) : Cp1252ToUtf8(line)));
  }
  return rows;
}

}  // namespace obrivo::core
