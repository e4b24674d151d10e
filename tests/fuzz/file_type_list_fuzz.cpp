// The watched-extension list: every name it reads is one a list can hold and is read once; what
// Add accepts reads back as the earlier names and the new one; Remove leaves exactly the other
// names and a second Remove changes nothing.
#include <string>
#include <string_view>
#include <vector>

#include "core/file_type_list.h"
#include "core/text.h"
#include "fuzz_input.h"

using namespace obrivo::core;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const obrivo::fuzz::Fields in(data, size);
  const std::string_view list = in.Text(0), typed = in.Text(1);

  const std::vector<std::string> names = MonitoredExtensions(list);
  for (std::size_t i = 0; i < names.size(); ++i) {
    FUZZ_CHECK(!names[i].empty());
    FUZZ_CHECK(names[i].find(';') == std::string::npos);
    FUZZ_CHECK(MonitoredExtensions(names[i] + ";") == std::vector<std::string>{names[i]});
    for (std::size_t j = 0; j < i; ++j) FUZZ_CHECK(!EqualsNoCase(names[i], names[j]));
  }

  const AddDecision add = DecideAdd(list, typed);
  if (add.refusal == 0) {
    std::vector<std::string> expected = names;
    expected.push_back(add.name);
    FUZZ_CHECK(MonitoredExtensions(add.list) == expected);
    FUZZ_CHECK(CharCount(list) + CharCount(add.name) <= kMonitoredListLimit);
    FUZZ_CHECK(add.list.back() == ';');
  }

  const std::string removed = ListWithout(list, typed);
  const std::vector<std::string> target = MonitoredExtensions(typed);
  std::vector<std::string> kept;
  for (const std::string& name : names)
    if (target.empty() || !EqualsNoCase(name, target.front())) kept.push_back(name);
  if (typed.find(';') == std::string_view::npos) FUZZ_CHECK(MonitoredExtensions(removed) == kept);
  FUZZ_CHECK(ListWithout(removed, typed) == removed);

  FUZZ_CHECK(!CommandTailsDiffer(list, list));
  return 0;
}
