// The history file: any file reads into rows within the fields' capacities, and a record written
// reads back as what was written (tabs and line breaks as blanks, ANSI lines as Windows-1252),
// one line, never longer than a record may be.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "core/capacity.h"
#include "core/history_record.h"
#include "core/text.h"
#include "core/utf.h"
#include "fuzz_input.h"

using namespace obrivo::core;

namespace {

void CheckRow(const HistoryRow& row) {
  FUZZ_CHECK(IsUtf8(row.date) && IsUtf8(row.title) && IsUtf8(row.file) && IsUtf8(row.description));
  FUZZ_CHECK(CharCount(row.date) < kHistoryDateCapacity);
  FUZZ_CHECK(CharCount(row.title) < kTitleCapacity);
  FUZZ_CHECK(CharCount(row.file) < kPathCapacity);
  FUZZ_CHECK(CharCount(row.description) < kPathCapacity);
  // Codes read back always have a name to show.
  FUZZ_CHECK(!HistoryEventName(row.event).empty());
  FUZZ_CHECK(HistoryTypeCode(HistoryTypeName(row.type)) == row.type);
}

// A field as the record holds it.
std::string Written(std::string_view field) {
  std::string out(field);
  std::replace_if(out.begin(), out.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
  return out;
}

bool StartsWith(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const obrivo::fuzz::Fields in(data, size);

  // The input as a whole file.
  const std::string_view file = in.All();
  const std::vector<HistoryRow> rows = ParseHistoryFile(file);
  FUZZ_CHECK(rows.size() <= static_cast<std::size_t>(std::count(file.begin(), file.end(), '\n')) + 1);
  for (const HistoryRow& row : rows) CheckRow(row);

  // The fields as one record.
  DateTime t;
  t.year = in.Number(5);
  t.month = in.Number(6);
  t.day = in.Number(7);
  t.hour = in.Number(8);
  t.minute = in.Number(9);
  const int event = in.Number(3), type = in.Number(4);
  const std::string_view title = in.Text(0), path = in.Text(1), description = in.Text(2);
  const std::string record = FormatHistoryRecord(t, event, type, title, path, description);

  FUZZ_CHECK(record.size() >= 2 && record.substr(record.size() - 2) == "\r\n");
  FUZZ_CHECK(record.find('\n') == record.size() - 1);
  FUZZ_CHECK(record.find('\r') == record.size() - 2);
  FUZZ_CHECK(CharCount(record) < kHistoryRecordCapacity);

  const std::vector<HistoryRow> back = ParseHistoryFile(record);
  FUZZ_CHECK(back.size() == 1);
  const HistoryRow& row = back[0];
  CheckRow(row);
  FUZZ_CHECK(row.date == TruncateChars(HistoryDateText(t), kHistoryDateCapacity));
  FUZZ_CHECK(HistoryEventName(row.event) ==
             (HistoryEventName(event).empty() ? HistoryEventName(history_event::kUnknown)
                                              : HistoryEventName(event)));
  FUZZ_CHECK(HistoryTypeName(row.type) == HistoryTypeName(type));

  // A line that is not UTF-8 as a whole reads as Windows-1252, every field alike. The record is
  // cut at the end when too long, so each field reads back as a beginning of what was written,
  // the whole of it when nothing was cut.
  const std::string_view line = std::string_view(record).substr(0, record.size() - 2);
  const auto asRead = [&](std::string_view field) {
    return IsUtf8(line) ? Written(field) : Cp1252ToUtf8(Written(field));
  };
  const std::string expectedTitle = TruncateChars(asRead(title), kTitleCapacity);
  const std::string expectedPath = TruncateChars(asRead(path), kPathCapacity);
  const std::string expectedDescription = TruncateChars(asRead(description), kPathCapacity);
  FUZZ_CHECK(StartsWith(expectedTitle, row.title));
  FUZZ_CHECK(StartsWith(expectedPath, row.file));
  FUZZ_CHECK(StartsWith(expectedDescription, row.description));
  const bool cut = line.size() < HistoryDateText(t).size() + 5 + HistoryEventName(event).size() +
                                     HistoryTypeName(type).size() + title.size() + path.size() +
                                     description.size();
  if (!cut) {
    FUZZ_CHECK(row.title == expectedTitle);
    FUZZ_CHECK(row.file == expectedPath);
    FUZZ_CHECK(row.description == expectedDescription);
  }
  return 0;
}
