// The Mozilla cookie file and the cookie filters.
#include "cookie_file.h"

#include "settings_guard.h"
#include "text.h"
#include "utf.h"

namespace obrivo::core {
namespace {

bool IsAscii(std::string_view text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return out;
}

std::u32string Folded(std::string_view text) {
  std::u32string chars = DecodeUtf8(text);
  for (char32_t& c : chars) c = FoldCase(c);
  return chars;
}

// The next tab-separated field of `rest`, which then holds what follows the tab.
std::string_view NextField(std::string_view& rest, bool& more) {
  const std::size_t tab = rest.find('\t');
  more = tab != std::string_view::npos;
  const std::string_view field = rest.substr(0, tab);
  rest = more ? rest.substr(tab + 1) : std::string_view();
  return field;
}

// A line that is no cookie: kept as it stands.
CookieLine Uncounted(std::string_view raw) {
  CookieLine line;
  line.raw = raw;
  return line;
}

CookieLine ParseLine(std::string_view raw) {
  CookieLine line;
  line.raw = raw;
  std::string_view text = raw;
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  line.comment = !text.empty() && text.front() == '#';
  if (line.comment) return line;
  std::string_view* fields[] = {&line.domain, &line.includeSubdomains, &line.path,
                                &line.secure, &line.expiry,            &line.name};
  std::string_view rest = text;
  bool more = true;
  for (std::string_view* field : fields) {
    if (!more) return Uncounted(raw);
    *field = NextField(rest, more);
  }
  if (!more) return Uncounted(raw);
  line.value = rest;
  line.cookie = true;
  line.title = CookieTitle(line.domain, line.name);
  return line;
}

}  // namespace

std::string CookieTitle(std::string_view domain, std::string_view name) {
  if (!domain.empty() && domain.front() == '.') domain.remove_prefix(1);
  std::string title;
  title.reserve(domain.size() + 3 + name.size());
  title.append(domain).append(" - ").append(name);
  // Most titles are short ASCII, which needs neither re-encoding nor a cut.
  if (title.size() <= kCookieTitleChars && IsAscii(title)) return title;
  return TruncateChars(EncodeUtf8(DecodeUtf8(title)), kCookieTitleChars + 1);
}

std::vector<CookieLine> ParseCookieFile(std::string_view text) {
  std::vector<CookieLine> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
    lines.push_back(ParseLine(text.substr(start, next - start)));
    start = next;
  }
  return lines;
}

bool IsSecureCookie(const CookieLine& line) {
  return line.secure.find("TRUE") != std::string_view::npos;
}

std::optional<std::int64_t> CookieExpiry(std::string_view field) {
  if (field.empty() || field.size() > 18) return std::nullopt;
  std::int64_t value = 0;
  for (const char c : field) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

NutList::NutList(const std::vector<std::string>& nuts) {
  for (const std::string& nut : nuts) {
    if (nut.empty()) continue;
    nuts_.push_back(Folded(nut));
    if (IsAscii(nut))
      asciiNuts_.push_back(AsciiLower(nut));
    else
      allAscii_ = false;
  }
}

bool NutList::Matches(std::string_view text) const {
  if (nuts_.empty()) return false;
  // ASCII against ASCII: folding is lower-casing, and the bytes can be searched as they are.
  if (allAscii_ && IsAscii(text)) {
    const std::string lowered = AsciiLower(text);
    for (const std::string& nut : asciiNuts_)
      if (lowered.find(nut) != std::string::npos) return true;
    return false;
  }
  const std::u32string folded = Folded(text);
  for (const std::u32string& nut : nuts_)
    if (folded.find(nut) != std::u32string::npos) return true;
  return false;
}

bool CookieIsFiltered(const CookieLine& line, const NutList& nuts,
                      const std::function<bool(std::string_view title)>& named) {
  if (!line.cookie) return false;
  return nuts.Matches(line.raw) || (named && named(line.title));
}

std::string FilterCookieFile(std::string_view text,
                             const std::function<bool(const CookieLine&)>& remove) {
  std::string out;
  out.reserve(text.size());
  for (const CookieLine& line : ParseCookieFile(text))
    if (!line.cookie || !remove(line)) out.append(line.raw);
  return out;
}

}  // namespace obrivo::core

namespace obrivo::core {

CookieMode CookieModeFor(int browserCode) {
  namespace b = browser_code;
  return browserCode == b::kNetscape || browserCode == b::kFirefox || browserCode == b::kMozilla
             ? CookieMode::Mozilla
             : CookieMode::InternetExplorer;
}

}  // namespace obrivo::core
