// The history file as the tests read it back: its lines, and the event name of each record.
#pragma once

#include <string>
#include <vector>

#include "common/history.h"
#include "common/utilities.h"

namespace obrivo::test {

inline std::vector<std::string> HistoryLines() {
  std::vector<std::string> lines;
  const std::string text = common::ReadTextFile(common::HistoryFilePath(), false).value_or("");
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find("\r\n", at);
    lines.push_back(text.substr(at, end - at));
    at = end == std::string::npos ? text.size() : end + 2;
  }
  return lines;
}

// The second field of every record: "SERVICE_Stop", "*START_Remove" ...
inline std::vector<std::string> HistoryEvents() {
  std::vector<std::string> events;
  for (const std::string& line : HistoryLines()) {
    const std::size_t first = line.find('\t');
    events.push_back(line.substr(first + 1, line.find('\t', first + 1) - first - 1));
  }
  return events;
}

}  // namespace obrivo::test
