// The history file both programs append to and the Explorer's history viewer reads:
// history.txt in the program folder, one UTF-8 record per line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace obrivo::common {

// The program folder followed by "\history.txt"; both programs live there and share the file.
std::string HistoryFilePath();

// Appends one record (codes and names as in core/history_record.h) stamped with the local time.
// False when the History option is off or the record could not be written.
bool WriteHistory(int event, int type, std::string_view title, std::string_view file,
                  std::string_view description);

// Empties the item list and fills it with one row per record: title, path = file,
// key = description, text = date, type, flag = event code. A missing file gives no rows.
// Returns the number of rows.
std::size_t LoadHistory();

// Deletes the history file; true when it is gone (a missing file counts).
bool ClearHistoryFile();

}  // namespace obrivo::common
