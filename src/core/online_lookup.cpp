// Online program lookup address.
#include "online_lookup.h"

#include "text.h"

namespace obrivo::core {

std::string BuildLookupAddress(const LookupRequest& r) {
  const auto e = [](std::string_view v) { return EscapeForQuery(v); };
  std::string a(kVendorSite);
  if (!r.detailed) {
    a += "/cgi-bin/plusinfo.pl?program=" + e(r.programName);
    a += "&vendor=" + e(r.vendor);
    a += "&version=" + e(r.version);
    a += "&build=" + e(r.build);
    a += "&Type=" + std::to_string(r.type);
    a += "&Loc=" + e(r.language);
    a += "&ext=" + e(r.extension);
    return a;
  }
  a += "/cgi-bin/plusinfo12.pl?program=" + e(r.programName);
  a += "&vendor=" + e(r.vendor);
  a += "&build=" + e(r.build);
  a += "&Type=" + std::to_string(r.type);
  a += "&Loc=" + e(r.language.empty() ? std::string("en") : r.language);
  a += "&ext=" + e(r.extension);
  a += "&version=" + e(r.version);
  a += "&name=" + e(r.productName);
  a += "&copy=" + e(r.copyright);
  a += "&detail=" + e(r.description);
  a += "&created=" + e(r.created);
  a += "&detected=" + e(r.detected);
  a += "&fsize=" + e(r.fileSize);
  a += "&path=" + e(r.path);
  return a;
}

bool IsWebAddress(std::string_view address) {
  return StartsWithNoCase(address, "https://") || StartsWithNoCase(address, "http://");
}

std::string BuildVersionCheckAddress(std::string_view storedAddress, std::string_view build,
                                     std::string_view language) {
  std::string a = storedAddress.empty() ? std::string(kVendorSite) + "/cgi-bin/version.pl?"
                                        : std::string(storedAddress);
  a += "&build=" + EscapeForQuery(build);
  a += "&Loc=" + EscapeForQuery(language);
  return a;
}

}  // namespace obrivo::core
