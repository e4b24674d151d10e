// win.ini's "load" and "run" lists: removing leaves every other program in its order and no
// empty token, appending adds exactly the one program, and appending then removing it gives
// back the list as a removal alone leaves it.
#include <string>
#include <string_view>
#include <vector>

#include "core/profile_list.h"
#include "core/text.h"
#include "fuzz_input.h"

using namespace obrivo::core;

namespace {

// The list's programs: the texts between ";", empty ones left out.
std::vector<std::string_view> Programs(std::string_view list) {
  std::vector<std::string_view> out;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(';', start);
    if (end == std::string_view::npos) end = list.size();
    if (end > start) out.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

// No ";" at the start and no two in a row: nothing a reader could take for an empty program.
bool HasNoEmptyToken(std::string_view list) {
  return (list.empty() || list.front() != ';') && list.find(";;") == std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const obrivo::fuzz::Fields in(data, size);
  const std::string_view list = in.Text(0), entry = in.Text(1);

  const std::string removed = RemoveListEntry(list, entry);
  FUZZ_CHECK(removed.empty() || removed.back() == ';');
  FUZZ_CHECK(HasNoEmptyToken(removed));
  std::vector<std::string_view> kept;
  for (const std::string_view program : Programs(list))
    if (!EqualsNoCase(program, entry)) kept.push_back(program);
  FUZZ_CHECK(Programs(removed) == kept);
  FUZZ_CHECK(RemoveListEntry(removed, entry) == removed);

  const std::string appended = AppendListEntry(list, entry);
  FUZZ_CHECK(appended.substr(0, list.size()) == list);
  if (entry.empty() || entry.find(';') != std::string_view::npos) return 0;

  std::vector<std::string_view> withEntry = Programs(list);
  withEntry.push_back(entry);
  FUZZ_CHECK(Programs(appended) == withEntry);
  FUZZ_CHECK(RemoveListEntry(appended, entry) == removed);
  // Appending to what a removal left (the program's own edits) never makes an empty token.
  FUZZ_CHECK(HasNoEmptyToken(AppendListEntry(removed, entry)));
  return 0;
}
