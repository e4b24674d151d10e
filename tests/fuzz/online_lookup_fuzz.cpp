// The online lookup address: whatever a program's name, vendor or path holds, the address stays
// on the vendor's page with exactly its own parameters, and each value reads back unchanged.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/online_lookup.h"
#include "fuzz_input.h"

using namespace obrivo::core;

namespace {

using Parameters = std::vector<std::pair<std::string, std::string>>;

// Nothing in the address that a browser or the shell would read as anything but a query value.
bool OnlyQueryCharacters(std::string_view address) {
  for (const char ch : address) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x21 || c >= 0x7F || ch == '#' || ch == '"' || ch == '\'' || ch == '<' || ch == '>')
      return false;
  }
  return true;
}

// The query's name=value pairs, values unescaped.
bool ReadQuery(std::string_view query, Parameters& out) {
  out.clear();
  std::size_t start = 0;
  while (start <= query.size()) {
    std::size_t end = query.find('&', start);
    if (end == std::string_view::npos) end = query.size();
    const std::string_view pair = query.substr(start, end - start);
    const std::size_t equals = pair.find('=');
    if (equals == std::string_view::npos) return false;
    std::string value;
    if (!obrivo::fuzz::UnescapeQuery(pair.substr(equals + 1), value)) return false;
    out.emplace_back(std::string(pair.substr(0, equals)), value);
    start = end + 1;
  }
  return true;
}

void CheckAddress(const std::string& address, std::string_view page, const Parameters& expected) {
  FUZZ_CHECK(IsWebAddress(address));
  FUZZ_CHECK(OnlyQueryCharacters(address));
  const std::string start = std::string(kVendorSite) + std::string(page) + "?";
  FUZZ_CHECK(address.substr(0, start.size()) == start);
  FUZZ_CHECK(address.find('?', start.size()) == std::string::npos);
  Parameters read;
  FUZZ_CHECK(ReadQuery(std::string_view(address).substr(start.size()), read));
  FUZZ_CHECK(read == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const obrivo::fuzz::Fields in(data, size);
  LookupRequest r;
  r.programName = in.Text(0);
  r.vendor = in.Text(1);
  r.version = in.Text(2);
  r.build = in.Text(3);
  r.type = in.Number(4);
  r.language = in.Text(5);
  r.extension = in.Text(6);
  r.productName = in.Text(7);
  r.copyright = in.Text(8);
  r.description = in.Text(9);
  r.created = in.Text(10);
  r.detected = in.Text(11);
  r.fileSize = in.Text(12);
  r.path = in.Text(13);
  const std::string type = std::to_string(r.type);

  r.detailed = false;
  CheckAddress(BuildLookupAddress(r), "/cgi-bin/plusinfo.pl",
               {{"program", r.programName}, {"vendor", r.vendor}, {"version", r.version},
                {"build", r.build}, {"Type", type}, {"Loc", r.language},
                {"ext", r.extension}});
  r.detailed = true;
  CheckAddress(BuildLookupAddress(r), "/cgi-bin/plusinfo12.pl",
               {{"program", r.programName}, {"vendor", r.vendor}, {"build", r.build},
                {"Type", type}, {"Loc", r.language.empty() ? "en" : r.language},
                {"ext", r.extension}, {"version", r.version}, {"name", r.productName},
                {"copy", r.copyright}, {"detail", r.description}, {"created", r.created},
                {"detected", r.detected}, {"fsize", r.fileSize}, {"path", r.path}});

  // The version check: the stored address as it is, then our build and language, each read back.
  const std::string_view stored = in.Text(14);
  const std::string check = BuildVersionCheckAddress(stored, r.build, r.language);
  const std::string base =
      stored.empty() ? std::string(kVendorSite) + "/cgi-bin/version.pl?" : std::string(stored);
  FUZZ_CHECK(check.substr(0, base.size()) == base);
  Parameters tail;
  FUZZ_CHECK(check.size() > base.size() && check[base.size()] == '&');
  FUZZ_CHECK(ReadQuery(std::string_view(check).substr(base.size() + 1), tail));
  FUZZ_CHECK(tail == Parameters({{"build", r.build}, {"Loc", r.language}}));

  // Only web addresses go to the shell.
  const std::string_view any = in.Text(15);
  if (IsWebAddress(any)) {
    const std::string_view scheme = any.substr(0, any.find(':'));
    FUZZ_CHECK(scheme.size() == 4 || scheme.size() == 5);
  }
  return 0;
}
