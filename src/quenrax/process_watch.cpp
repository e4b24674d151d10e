// Process-set comparison through the ToolHelp snapshot.
#include "quenrax/process_watch.h"

#include <tlhelp32.h>

#include <algorithm>
#include <optional>

#include "common/win32/unique.h"

namespace obrivo::quenrax {
namespace {

std::optional<std::vector<DWORD>> RunningProcessIds() {
  win32::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return std::nullopt;
  std::vector<DWORD> ids;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry))
    ids.push_back(entry.th32ProcessID);
  if (ids.empty()) return std::nullopt;  // there is always at least this process
  std::sort(ids.begin(), ids.end());
  return ids;
}

}  // namespace

ProcessWatch::ProcessWatch() { Changed(); }

bool ProcessWatch::Changed() {
  auto ids = RunningProcessIds();
  if (!ids) return false;
  const bool changed = known_ && *ids != ids_;
  ids_ = std::move(*ids);
  known_ = true;
  return changed;
}

}  // namespace obrivo::quenrax
