// The cookie file and its filtered rewrite: parsing never fails, a rewrite that removes nothing
// gives back the file byte for byte, and a filtered rewrite read back holds exactly the lines
// that were not removed (every comment and every cookie no filter matched), in their order.
#include <string>
#include <string_view>
#include <vector>

#include "core/cookie_file.h"
#include "fuzz_input.h"

using namespace obrivo::core;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const obrivo::fuzz::Fields in(data, size);
  const std::string_view text = in.Text(0);
  const NutList nuts(std::vector<std::string>{std::string(in.Text(1)), std::string(in.Text(2))});
  const std::string_view named = in.Text(3);

  const std::vector<CookieLine> lines = ParseCookieFile(text);
  std::size_t total = 0;
  for (const CookieLine& line : lines) {
    FUZZ_CHECK(!line.raw.empty());
    FUZZ_CHECK(line.cookie == !line.title.empty());
    FUZZ_CHECK(!line.cookie || !line.comment);
    total += line.raw.size();
  }
  FUZZ_CHECK(total == text.size());

  FUZZ_CHECK(FilterCookieFile(text, [](const CookieLine&) { return false; }) == text);

  const auto isNamed = [&](std::string_view title) { return title == named; };
  const auto filtered = [&](const CookieLine& line) {
    return CookieIsFiltered(line, nuts, isNamed);
  };
  const std::string out = FilterCookieFile(text, filtered);
  std::vector<std::string_view> kept;
  for (const CookieLine& line : lines)
    if (!filtered(line)) kept.push_back(line.raw);
  // The kept lines, read back: the same lines, except that the last one may now be followed
  // by nothing where a removed line used to be, so compare the text they make up.
  std::string expected;
  for (const std::string_view raw : kept) expected.append(raw);
  FUZZ_CHECK(out == expected);
  for (const CookieLine& line : ParseCookieFile(out)) {
    FUZZ_CHECK(!filtered(line));
  }
  return 0;
}
