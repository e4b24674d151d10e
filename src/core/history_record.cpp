// History records: the name tables, the line format and its reader.
#include "history_record.h"

#include <cstdio>

#include "capacity.h"
#include "text.h"
#include "utf.h"

namespace obrivo::core {
namespace {

struct NameRow {
  int code;
  std::string_view name;
};

// Order matters: names are looked up by the first row with the code, so the second rows of
// 12 and 23 are only ever met when a name is read back.
constexpr NameRow kEvents[] = {
    {0, "*START_Remove"},
    {1, "START_Disable"},
    {2, "START_Enable"},
    {3, "IEHELPER_Remove"},
    {4, "TASK_Remove"},
    {5, "TASK_Kill"},
    {6, "START_Alert"},
    {7, "TASK_Alert"},
    {8, "IEHELPER_Alert"},
    {9, "SERVICE_Stop"},
    {10, "SERVICE_Automatic"},
    {11, "SERVICE_Manual"},
    {12, "SERVICE_Disabled"},
    {12, "START_Restore"},
    {13, "TASK_Restore"},
    {14, "IEHELPER_Restore"},
    {15, "ScheduledTask_Remove"},
    {17, "SERVICE_from_Automatic"},
    {18, "SERVICE_from_Manual"},
    {19, "SERVICE_from_Disabled"},
    {20, "SERVICE__from_Disabled"},
    {21, "RESET_USERINIT"},
    {22, "RESET_SHELL"},
    {23, "REMOVE_TaskScheduler"},
    {24, "REMOVE_DELAYLOAD"},
    {23, "REMOVE_TASKSCHEDULER"},
    {25, "REMOVE_SHELLEXECUTEHOOK"},
    {26, "REMOVE_APPINIT"},
    {28, "HIDDEN_Alert"},
    {29, "*HIDDEN_DeleteFile"},
    {30, "REMOVE_WinLogonNotify"},
    {31, "LOG_UNKNOWN"},
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
    {100, "WIN_LOAD"},
    {101, "WIN_RUN"},
    {200, "GROUP_STARTUP"},
    {250, "WINLOGON_Userinit"},
    {251, "WINLOGON_Shell"},
    {252, "REG_Delayload"},
    {253, "REG_TaskScheduler"},
    {254, "REG_ShellExecuteHook"},
    {255, "REG_AppInitDLLs"},
    {256, "RUN_WINLOGONNOTIFY"},
    {500, "INFO_COOKIE"},
    {501, "INFO_NETCOOKIE"},
    {502, "INFO_SAVECOOKIE"},
    {503, "INFO_NUTS"},
    {600, "INFO_TASK"},
    {700, "SERVICE_EXE"},
    {701, "SERVICE_SVCHOST"},
    {800, "TASK_SCHEDULED"},
    {900, "TYPE_BHO"},
    {901, "TYPE_TOOLBAR"},
    {902, "TYPE_EXTENSION"},
    {300, "RESTART_DELETE"},
    {301, "RESTART_RENAME"},
    {350, "TYPE_MONITOR"},
    {360, "TYPE_BLACKLIST"},
    {370, "TYPE_HIDDEN"},
    {400, "TYPE_FILETYPE"},
    {450, "TYPE_PROSEARCH"},
    {3000, "TYPE_UNKNOWN"},
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

int HistoryEventCode(std::string_view name) {
  return CodeByName(kEvents, name, kUnknownHistoryEvent);
}

int HistoryTypeCode(std::string_view name) { return CodeByName(kTypes, name, kUnknownHistoryType); }

bool IsRestorableEvent(int code) { return code == 0 || code == 29; }

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
