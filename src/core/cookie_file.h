// The cookie file of the Mozilla-based browsers (one cookie per line, seven tab-separated fields:
// domain, include-subdomains, path, secure, expiry, name, value) and the filter texts ("nuts")
// that remove cookies by a part of their text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace obrivo::core {

// Most characters of a cookie's title, and of a filter text.
inline constexpr std::size_t kCookieTitleChars = 256;
inline constexpr std::size_t kNutChars = 512;
// Most filters the user may enter.
inline constexpr std::size_t kMaxNuts = 256;

// One line of the file as it stands: `raw` with its line end, so a rewrite copies it exactly.
struct CookieLine {
  std::string_view raw;
  bool comment = false;  // begins with "#"
  // A cookie line has seven fields at least (more tabs stay in the value); anything else, a
  // comment, a blank line or a line too short, is no cookie and is kept as it stands.
  bool cookie = false;
  std::string_view domain, includeSubdomains, path, secure, expiry, name;
  std::string_view value;  // without a carriage return before the line feed
  std::string title;       // empty for anything but a cookie
};

// "domain - name", the domain without its leading dot, at most kCookieTitleChars characters, as
// valid UTF-8 (bytes of another encoding are taken as Windows-1252), so that the title names
// the same registry value when it is written and when it is read back.
std::string CookieTitle(std::string_view domain, std::string_view name);

// Splits at "\n" and each line at tabs. Views point into `text`.
std::vector<CookieLine> ParseCookieFile(std::string_view text);

// Whether the secure field marks the cookie for encrypted connections only.
bool IsSecureCookie(const CookieLine& line);
// The expiry field as Unix seconds; nothing when it is not a decimal number.
std::optional<std::int64_t> CookieExpiry(std::string_view field);

// The filter texts, matched as parts of a text without regard to case.
class NutList {
 public:
  NutList() = default;
  explicit NutList(const std::vector<std::string>& nuts);
  bool Empty() const { return nuts_.empty(); }
  // True when any filter text occurs in `text`.
  bool Matches(std::string_view text) const;

 private:
  std::vector<std::u32string> nuts_;  // case-folded, empty texts left out
  std::vector<std::string> asciiNuts_;  // the same in lower case, while all are ASCII
  bool allAscii_ = true;
};

// The file without the cookie lines `remove` picks; every other line (comments, blank and short
// lines, cookies not picked) is copied byte for byte, in its order.
std::string FilterCookieFile(std::string_view text,
                             const std::function<bool(const CookieLine&)>& remove);

// The rule of the filtered pass: a cookie goes when its line holds a filter text or its title is
// named in `namedTitles` (the one-time filters the viewer adds for the cookies it removes).
bool CookieIsFiltered(const CookieLine& line, const NutList& nuts,
                      const std::function<bool(std::string_view title)>& named);

}  // namespace obrivo::core

namespace obrivo::core {

// The two cookie stores: one file per cookie in a folder, or one cookie file in a profile.
enum class CookieMode { InternetExplorer = 1, Mozilla = 3 };

// Internet Explorer and the browsers built on it keep IE cookies; the others a cookie file.
// `browserCode` is one of core::browser_code (settings_guard.h).
CookieMode CookieModeFor(int browserCode);

}  // namespace obrivo::core
