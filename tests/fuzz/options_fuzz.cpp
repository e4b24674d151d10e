// Option names as the store and the command line spell them: found whatever their case, each
// name leads back to its own option, and the option set keeps what is set.
#include <string>
#include <string_view>

#include "core/options.h"
#include "core/text.h"
#include "fuzz_input.h"

using namespace obrivo::core;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const obrivo::fuzz::Fields in(data, size);
  const std::string_view name = in.Text(0);

  const std::optional<OptionId> found = OptionByName(name);
  if (found) FUZZ_CHECK(EqualsNoCase(OptionName(*found), name));
  FUZZ_CHECK(OptionByName(ToUpper(name)) == found);
  // A name with anything after it is another name.
  if (found) FUZZ_CHECK(OptionByName(std::string(name) + "x") != found);

  const auto id = static_cast<OptionId>(in.NumberIn(1, 0, static_cast<int>(kOptionCount) - 1));
  FUZZ_CHECK(OptionByName(OptionName(id)) == id);

  const Program program = in.Flag(2) ? Program::Monitor : Program::Explorer;
  const bool ntFamily = in.Flag(3);
  OptionSet set(program, ntFamily);
  FUZZ_CHECK(set.Get(id) == OptionDefault(id, program, ntFamily));
  set.Set(id, in.Number(4));
  FUZZ_CHECK(set.Get(id) == in.Number(4));

  // The write-back order names every option at most once.
  bool seen[kOptionCount] = {};
  for (const OptionId written : OptionWriteBackOrder()) {
    const auto index = static_cast<std::size_t>(written);
    FUZZ_CHECK(index < kOptionCount && !seen[index]);
    seen[index] = true;
  }
  return 0;
}
