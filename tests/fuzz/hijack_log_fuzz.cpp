// The hijack log's lines: whatever the fields hold, a line is one line (its only line break the
// final CR LF, no NUL), each field shows whole apart from its line breaks and NULs, and the
// HOSTS and browser-reset readers give lines that fit on one line of the log.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/hijack_log.h"
#include "fuzz_input.h"

using namespace obrivo::core;

namespace {

bool HasLineBreakOrNul(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\v\f\0", 5)) != std::string_view::npos ||
         text.find("\xE2\x80\xA8") != std::string_view::npos ||
         text.find("\xE2\x80\xA9") != std::string_view::npos ||
         text.find("\xC2\x85") != std::string_view::npos;
}

// The field as HijackField should show it, told apart from the line breaks only by counting.
std::size_t NulCount(std::string_view text) {
  std::size_t n = 0;
  for (const char c : text) n += c == '\0';
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const obrivo::fuzz::Fields in(data, size);
  const std::string_view a = in.Text(0), b = in.Text(1), c = in.Text(2);

  for (const std::string_view field : {a, b, c}) {
    const std::string shown = HijackField(field);
    FUZZ_CHECK(!HasLineBreakOrNul(shown));
    FUZZ_CHECK(shown.size() <= field.size() + NulCount(field));
    if (!HasLineBreakOrNul(field)) FUZZ_CHECK(shown == field);
  }

  const std::string line = HijackLine(hijack::kBho, {a, b, c});
  FUZZ_CHECK(line.size() >= 2 && line.substr(line.size() - 2) == "\r\n");
  FUZZ_CHECK(!HasLineBreakOrNul(std::string_view(line).substr(0, line.size() - 2)));
  FUZZ_CHECK(line == "O2 - BHO: " + HijackField(a) + " - " + HijackField(b) + " - " +
                         HijackField(c) + "\r\n");

  for (const std::string& hosts : HostsLogLines(in.All())) {
    FUZZ_CHECK(!hosts.empty() && hosts.size() < 498 && hosts.front() != '#');
    FUZZ_CHECK(hosts.find("127.0.0.1") == std::string::npos);
    for (const char ch : hosts) FUZZ_CHECK(static_cast<unsigned char>(ch) >= 32);
  }
  for (const IeResetEntry& entry : IeResetEntries(in.All())) {
    FUZZ_CHECK(entry.hive.empty() || entry.hive == "HKCU," || entry.hive == "HKLM,");
    for (const char ch : entry.value) FUZZ_CHECK(static_cast<unsigned char>(ch) >= 32);
  }
  return 0;
}
