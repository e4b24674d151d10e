// The Obrivo Log and the Spreadsheet Report: gathered from every category, written to a folder
// the user can write, and opened with the file's associated program.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace obrivo::explorer {

enum class ReportKind { HtmlLog, TextLog, Spreadsheet };

struct ReportOutcome {
  bool written = false;
  std::string path;   // the file, written or not
  DWORD error = 0;    // why it could not be written
};

// The user's documents folder; empty when the system names none.
std::string DocumentsFolder();

// Gathers every category, each enumerator called on its own in the sections' order, and writes
// the report into `folder` (UTF-8; the text forms with a byte-order mark).
ReportOutcome WriteReport(ReportKind kind, std::string_view folder);

// The Options page's buttons and the row menu's "Obrivo Log": writes into the documents folder,
// says where the file went (or why it could not be written) and opens it. The log's form
// follows the Format option.
void ProduceReport(HWND owner, ReportKind kind);
void ProduceObrivoLog(HWND owner);

}  // namespace obrivo::explorer
