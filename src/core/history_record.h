// The history file's record: event and type names, the line both programs append, and reading
// lines back into rows for the history viewer.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "date_text.h"
#include "history_codes.h"

namespace obrivo::core {

// A whole record, CR LF included, holds at most 1023 characters.
inline constexpr std::size_t kHistoryRecordCapacity = 1024;
// Capacities of the fields read back (terminator counted, as everywhere).
inline constexpr std::size_t kHistoryDateCapacity = 32;

// The name of the first event row with this code; empty when there is none.
std::string_view HistoryEventName(int code);
// The name of the first type row with this code; "TYPE_UNKNOWN" when there is none.
std::string_view HistoryTypeName(int code);
// Names back to codes through the whole table (both spellings of code 23 read back as 23, and
// "START_Restore" as 12). A name in neither table (a record written with an unknown code, a file
// edited by hand) gives history_event::kUnknown or item_type::kUnknown, the tables' own last
// rows.
int HistoryEventCode(std::string_view name);
int HistoryTypeCode(std::string_view name);

// The events the history viewer can reverse: "*START_Remove" (0), "*HIDDEN_DeleteFile" (29) and
// "ScheduledTask_Remove" (15), whose records name the copy kept before the removal.
bool IsRestorableEvent(int code);

// "mm/dd/yyyy  h:mm AM" on the 12-hour clock: hour 0 shows as 12 AM, 12 as 12 PM.
std::string HistoryDateText(const DateTime& t);

// One record: date, event name, type name, title, file and description separated by tabs,
// ended by CR LF.
std::string FormatHistoryRecord(const DateTime& t, int event, int type, std::string_view title,
                                std::string_view file, std::string_view description);

struct HistoryRow {
  std::string date;  // at most 31 characters
  int event = history_event::kUnknown;
  int type = item_type::kUnknown;
  std::string title;        // at most 127 characters
  std::string file;         // at most 259 characters
  std::string description;  // at most 259 characters
};

// One line of the file (UTF-8, without its line feed; a trailing CR is ignored). Missing fields
// are empty; a line with fewer than six fields is still a row.
HistoryRow ParseHistoryLine(std::string_view line);

// Every non-empty line of the file's contents. A line that is not valid UTF-8 is read as
// Windows-1252, as older files were written in the ANSI code page.
std::vector<HistoryRow> ParseHistoryFile(std::string_view contents);

}  // namespace obrivo::core
