// History records: the name tables, the line written and how lines read back.
#include "core/history_record.h"

#include <gtest/gtest.h>

#include <string>

#include "core/capacity.h"
#include "core/text.h"
#include "core/utf.h"
#include "test_text.h"

namespace obrivo::core {
namespace {

const DateTime kMorning{2024, 3, 5, 9, 7, 0};

TEST(HistoryRecord, NameTables) {
  // clang-format off
  const struct {
    int code;
    std::string_view event;  // name written for the code
    std::string_view type;
  } cases[] = {
      {0, "*START_Remove", "TYPE_UNKNOWN"},
      {1, "START_Disable", "MACHINE_RUN"},
      {7, "TASK_Alert", "MACHINE_RUNPOLICY"},
      {12, "SERVICE_Disabled", "CURRENT_RUNONCE"},      // first of the two event rows 12
      {16, "", "TYPE_UNKNOWN"},                          // a gap in both tables
      {23, "REMOVE_TaskScheduler", "WOW64_RUNONCEEX"},  // first of the two event rows 23
      {24, "REMOVE_DELAYLOAD", "WOW64_RUNSERVICES"},
      {27, "", "TYPE_UNKNOWN"},
      {29, "*HIDDEN_DeleteFile", "TYPE_UNKNOWN"},
      {31, "LOG_UNKNOWN", "OBRIVO_RUN"},
      {32, "DELAY_StartFailed", "OBRIVO_RUNONCE"},
      {33, "", "OBRIVO_RUNONCEEX"},
      {256, "", "RUN_WINLOGONNOTIFY"},
      {300, "", "RESTART_DELETE"},  // listed after 902, still found
      {370, "", "TYPE_HIDDEN"},
      {450, "", "TYPE_PROSEARCH"},
      {600, "", "INFO_TASK"},
      {902, "", "TYPE_EXTENSION"},
      {1200, "", "TYPE_ACTIVEX"},  // an ActiveX control's kill bit set or cleared
      {3000, "", "TYPE_UNKNOWN"},
      {-1, "", "TYPE_UNKNOWN"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(HistoryEventName(c.code), c.event);
    EXPECT_EQ(HistoryTypeName(c.code), c.type);
    if (!c.event.empty()) {
      EXPECT_EQ(HistoryEventCode(c.event), c.code);
    }
    if (c.type != "TYPE_UNKNOWN") {
      EXPECT_EQ(HistoryTypeCode(c.type), c.code);
    }
  }
}

TEST(HistoryRecord, NamesReadBackThroughTheWholeTable) {
  // The rows that are never written still map back to their codes.
  EXPECT_EQ(HistoryEventCode("START_Restore"), 12);
  EXPECT_EQ(HistoryEventCode("REMOVE_TASKSCHEDULER"), 23);
  EXPECT_EQ(HistoryTypeCode("TYPE_UNKNOWN"), 3000);
  // Names are matched exactly, as they were written.
  EXPECT_EQ(HistoryEventCode("start_disable"), history_event::kUnknown);
  EXPECT_EQ(HistoryEventCode(""), history_event::kUnknown);
  EXPECT_EQ(HistoryTypeCode("TYPE_BHO "), item_type::kUnknown);
  EXPECT_EQ(HistoryTypeCode(""), item_type::kUnknown);
}

TEST(HistoryRecord, OnlyRemovalsThatKeptACopyRestore) {
  const struct {
    std::string_view event;
    bool restorable;
  } cases[] = {
      {"*START_Remove", true},
      {"*HIDDEN_DeleteFile", true},
      {"ScheduledTask_Remove", true},  // the task's definition is kept
      {"TASK_Remove", false},
      {"TASK_Alert", false},
      {"START_Disable", false},
      {"HIDDEN_Alert", false},
      {"LOG_UNKNOWN", false},
      // Names in neither table take the fallback code, which must not become restorable.
      {"", false},
      {"START_Remove", false},
      {"EDITED_BY_HAND", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.event);
    const HistoryRow row = ParseHistoryLine("d\t" + std::string(c.event) + "\tBY_HAND\tt\tf\td");
    EXPECT_EQ(IsRestorableEvent(row.event), c.restorable);
    EXPECT_EQ(row.type, item_type::kUnknown);
  }
  EXPECT_FALSE(IsRestorableEvent(history_event::kUnknown));
  EXPECT_EQ(HistoryEventName(history_event::kUnknown), "LOG_UNKNOWN")
      << "the fallback is a table code";
  EXPECT_EQ(HistoryTypeName(item_type::kUnknown), "TYPE_UNKNOWN");
}

TEST(HistoryRecord, TwelveHourClock) {
  const struct {
    int hour, minute;
    std::string_view time;
  } cases[] = {
      {0, 5, "12:05 AM"},  {1, 0, "1:00 AM"},   {11, 59, "11:59 AM"},
      {12, 0, "12:00 PM"}, {13, 30, "1:30 PM"}, {23, 59, "11:59 PM"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.time);
    const std::string text = HistoryDateText({2024, 12, 31, c.hour, c.minute, 0});
    EXPECT_EQ(text, "12/31/2024  " + std::string(c.time));
  }
  EXPECT_EQ(HistoryDateText({987, 1, 2, 3, 4, 0}), "01/02/0987  3:04 AM");
}

TEST(HistoryRecord, RecordLayout) {
  EXPECT_EQ(FormatHistoryRecord(kMorning, 6, 11, "Agent", "C:\\Tools\\agent.exe", "Agent Tool"),
            "03/05/2024  9:07 AM\tSTART_Alert\tCURRENT_RUN\tAgent\tC:\\Tools\\agent.exe\t"
            "Agent Tool\r\n");
  EXPECT_EQ(FormatHistoryRecord(kMorning, 16, 4242, "", "", ""),
            "03/05/2024  9:07 AM\t\tTYPE_UNKNOWN\t\t\t\r\n")
      << "unknown codes: an empty event and TYPE_UNKNOWN";
  // Tabs and line breaks inside a field would shift or split the record.
  const std::string record =
      FormatHistoryRecord(kMorning, 3, 900, "Two\tparts", "C:\\a.dll", "line one\r\nline two");
  EXPECT_EQ(record.find('\n'), record.size() - 1);
  const HistoryRow row = ParseHistoryLine(record.substr(0, record.size() - 1));
  EXPECT_EQ(row.title, "Two parts");
  EXPECT_EQ(row.file, "C:\\a.dll");
  EXPECT_EQ(row.description, "line one  line two");
}

TEST(HistoryRecord, LongRecordsAreCutToOneWholeLine) {
  const struct {
    std::string_view name;
    std::string unit;
  } cases[] = {{"ascii", "x"}, {"two-byte", "\xD0\x96"}, {"four-byte", "\xF0\x9F\x98\x80"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string title = Repeat(c.unit, 3000);
    const std::string record = FormatHistoryRecord(kMorning, 0, 1, title, "C:\\x.exe", "d");
    EXPECT_EQ(CharCount(record), kHistoryRecordCapacity - 1);
    ASSERT_GE(record.size(), 2u);
    EXPECT_EQ(record.substr(record.size() - 2), "\r\n");
    EXPECT_EQ(record.find('\n'), record.size() - 1) << "one line, whatever was cut";
    EXPECT_TRUE(IsUtf8(record)) << "no character is split";
    const HistoryRow row = ParseHistoryLine(record);
    EXPECT_EQ(row.title, TruncateChars(title, kTitleCapacity));
    EXPECT_EQ(row.file, "") << "the fields after the cut are gone";
  }
  // A record that just fits keeps every character.
  const std::string head = FormatHistoryRecord(kMorning, 0, 1, "", "", "");
  const std::size_t room = kHistoryRecordCapacity - 1 - CharCount(head);
  const std::string fits = FormatHistoryRecord(kMorning, 0, 1, "", "", Repeat("d", room));
  EXPECT_EQ(CharCount(fits), kHistoryRecordCapacity - 1);
  const std::string over = FormatHistoryRecord(kMorning, 0, 1, "", "", Repeat("d", room + 1));
  EXPECT_EQ(over, fits);
}

TEST(HistoryRecord, WrittenRecordsReadBack) {
  const std::string cyrillic = "\xD0\x90\xD0\xB3\xD0\xB5\xD0\xBD\xD1\x82";
  const std::string contents = FormatHistoryRecord({2023, 11, 2, 0, 5, 0}, 29, 370, cyrillic,
                                                   "C:\\Data\\hidden.dat", "Vault copy") +
                               FormatHistoryRecord(kMorning, 12, 999, "Service", "C:\\svc.exe", "");
  const auto rows = ParseHistoryFile(contents);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].date, "11/02/2023  12:05 AM");
  EXPECT_EQ(rows[0].event, 29);
  EXPECT_EQ(rows[0].type, 370);
  EXPECT_EQ(rows[0].title, cyrillic);
  EXPECT_EQ(rows[0].file, "C:\\Data\\hidden.dat");
  EXPECT_EQ(rows[0].description, "Vault copy");
  EXPECT_EQ(rows[1].event, 12) << "written as SERVICE_Disabled";
  EXPECT_EQ(rows[1].type, item_type::kUnknown) << "written as TYPE_UNKNOWN";
  EXPECT_EQ(rows[1].description, "");
}

TEST(HistoryRecord, ShortAndDamagedLines) {
  const struct {
    std::string_view line;
    std::string_view date, title, file, description;
    int event, type;
  } cases[] = {
      {"", "", "", "", "", history_event::kUnknown, item_type::kUnknown},
      {"01/02/2024  1:00 PM", "01/02/2024  1:00 PM", "", "", "", history_event::kUnknown,
       item_type::kUnknown},
      {"d\tTASK_Kill\tINFO_TASK", "d", "", "", "", 5, 600},
      {"d\tTASK_Kill\tINFO_TASK\tTitle\r", "d", "Title", "", "", 5, 600},
      {"d\t\tTYPE_BHO\tt\tf", "d", "t", "f", "", history_event::kUnknown, 900},
      {"d\tSTART_Enable\tWIN_RUN\tt\tf\tdesc\textra", "d", "t", "f", "desc", 2, 101},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const HistoryRow row = ParseHistoryLine(c.line);
    EXPECT_EQ(row.date, c.date);
    EXPECT_EQ(row.event, c.event);
    EXPECT_EQ(row.type, c.type);
    EXPECT_EQ(row.title, c.title);
    EXPECT_EQ(row.file, c.file);
    EXPECT_EQ(row.description, c.description);
  }
}

TEST(HistoryRecord, FieldCapacities) {
  const std::string line = Repeat("9", 40) + "\tTASK_Kill\tINFO_TASK\t" + Repeat("\xD0\x96", 200) +
                           "\t" + Repeat("p", 300) + "\t" + Repeat("q", 300);
  const HistoryRow row = ParseHistoryLine(line);
  EXPECT_EQ(row.date, Repeat("9", 31));
  EXPECT_EQ(row.title, Repeat("\xD0\x96", 127));
  EXPECT_EQ(row.file, Repeat("p", 259));
  EXPECT_EQ(row.description, Repeat("q", 259));
}

TEST(HistoryRecord, FileContents) {
  EXPECT_TRUE(ParseHistoryFile("").empty());
  EXPECT_TRUE(ParseHistoryFile("\r\n\n").empty()) << "empty lines are no rows";

  // Windows-1252: 0xE9 is e-acute and 0x80 the euro sign. "\xC3\xA9" inside an ANSI line is
  // two ANSI characters, not one UTF-8 character.
  const std::string contents =
      "\xEF\xBB\xBF"
      "d1\tTASK_Kill\tINFO_TASK\t\xD0\x96\r\n"
      "d2\tTASK_Kill\tINFO_TASK\tcaf\xE9 \x80 \xC3\xA9\r\n"
      "\r\n"
      "d3\tSTART_Alert\tCURRENT_RUN\tlast";  // no line end after the last record
  const auto rows = ParseHistoryFile(contents);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].date, "d1") << "the byte-order mark is not part of the date";
  EXPECT_EQ(rows[0].title, "\xD0\x96");
  EXPECT_EQ(rows[1].title, "caf\xC3\xA9 \xE2\x82\xAC \xC3\x83\xC2\xA9");
  EXPECT_EQ(rows[2].title, "last");
  EXPECT_EQ(rows[2].event, 6);
}

}  // namespace
}  // namespace obrivo::core
