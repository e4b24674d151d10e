// The text helpers every parser stands on: cutting at capacities, case-insensitive tests and
// order, query escaping, numbers, lists, line ends, override texts, language codes and titles.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/capacity.h"
#include "core/item_list.h"
#include "core/language.h"
#include "core/list_sort.h"
#include "core/text.h"
#include "core/utf.h"
#include "fuzz_input.h"

using namespace obrivo::core;

namespace {

bool StartsWith(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

void CheckTruncate(std::string_view text, std::size_t capacity) {
  const std::string cut = TruncateChars(text, capacity);
  FUZZ_CHECK(StartsWith(text, cut));
  const std::size_t count = CharCount(text);
  if (capacity == 0)
    FUZZ_CHECK(cut.empty());
  else if (count < capacity)
    FUZZ_CHECK(cut == text);
  else
    FUZZ_CHECK(CharCount(cut) == capacity - 1);
  // Never inside a character: the rest decodes as it did in the whole.
  FUZZ_CHECK(CharCount(cut) + CharCount(text.substr(cut.size())) == count);
}

void CheckCase(std::string_view a, std::string_view b) {
  for (const char32_t c : DecodeUtf8(a)) FUZZ_CHECK(FoldCase(UpperCase(c)) == FoldCase(c));
  const std::string upper = ToUpper(a);
  FUZZ_CHECK(ToUpper(upper) == upper);
  FUZZ_CHECK(EqualsNoCase(upper, a));
  FUZZ_CHECK(CharCount(upper) == CharCount(a));
  FUZZ_CHECK(EqualsNoCase(a, b) == (CompareNoCase(a, b) == 0));
  FUZZ_CHECK(CompareNoCase(a, b) == -CompareNoCase(b, a));
  FUZZ_CHECK(CompareNoCase(upper, b) == CompareNoCase(a, b));
  FUZZ_CHECK(CompareCells(a, b, true) == -CompareCells(b, a, true));

  // Bytes that are not UTF-8 may read differently once joined to what follows them.
  if (!IsUtf8(a) || !IsUtf8(b)) return;
  const std::string joined = std::string(a) + std::string(b);
  FUZZ_CHECK(StartsWithNoCase(joined, upper));
  const std::size_t at = FindNoCase(joined, ToUpper(b));
  FUZZ_CHECK(at != std::string_view::npos && at <= a.size());
  FUZZ_CHECK(EqualsNoCase(std::string_view(joined).substr(at, b.size()), b));
  const bool contained = ContainsNoCase(joined, b);
  FUZZ_CHECK(contained == (!joined.empty() && CharCount(joined) < kSearchTextLimit));
}

void CheckEscape(std::string_view text) {
  const std::string escaped = EscapeForQuery(text);
  for (const char ch : escaped) {
    const auto c = static_cast<unsigned char>(ch);
    FUZZ_CHECK(c > 0x20 && c < 0x7F);
    FUZZ_CHECK(std::string_view("#&=?\"'<>\\^`{|} ").find(ch) == std::string_view::npos);
  }
  std::string back;
  FUZZ_CHECK(obrivo::fuzz::UnescapeQuery(escaped, back));
  FUZZ_CHECK(back == text);
}

void CheckNumbers(std::string_view text, std::int64_t number) {
  // Saturating: never past the int range, and exact while it fits.
  const int n = LeadingNumber(text);
  std::size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) i = 1;
  long double exact = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) exact = exact * 10 + (text[i] - '0');
  if (negative) exact = -exact;
  if (exact >= INT32_MIN && exact <= INT32_MAX)
    FUZZ_CHECK(n == static_cast<int>(exact));
  else
    FUZZ_CHECK(n == (exact < 0 ? INT32_MIN : INT32_MAX));

  std::string grouped = GroupThousands(number);
  std::string digits;
  for (std::size_t k = 0; k < grouped.size(); ++k) {
    if (grouped[k] == ',') {
      // Groups of three after the first.
      FUZZ_CHECK(grouped.size() - k - 1 >= 3 && (grouped.size() - k - 1) % 4 == 3);
    } else {
      digits += grouped[k];
    }
  }
  FUZZ_CHECK(digits == std::to_string(number));
}

void CheckLists(std::string_view text, char separator) {
  const std::vector<std::string> parts = SplitTrimmed(text, separator);
  std::size_t from = 0;
  for (const std::string& part : parts) {
    FUZZ_CHECK(!part.empty() && part.front() != ' ' && part.back() != ' ');
    FUZZ_CHECK(part.find(separator) == std::string::npos);
    // In the text, in order.
    const std::size_t at = text.find(part, from);
    FUZZ_CHECK(at != std::string_view::npos);
    from = at + part.size();
  }

  const std::string crlf = CrLfLineEnds(text);
  std::size_t lone = 0;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) ++lone;
  FUZZ_CHECK(crlf.size() == text.size() + lone);
  for (std::size_t i = 0; i < crlf.size(); ++i)
    if (crlf[i] == '\n') FUZZ_CHECK(i > 0 && crlf[i - 1] == '\r');
  FUZZ_CHECK(CrLfLineEnds(crlf) == crlf);
}

void CheckShownTexts(std::string_view text, std::string_view value, std::size_t capacity) {
  const std::string shown = ApplyTextOverride(text, capacity);
  const std::size_t limit = std::min(capacity, kOverrideCapacity);
  FUZZ_CHECK(limit == 0 ? shown.empty() : CharCount(shown) < limit);
  FUZZ_CHECK(shown.find("%n") == std::string::npos);

  const std::string formatted = FormatText(text, value);
  if (text.find("%s") == std::string_view::npos)
    FUZZ_CHECK(formatted == text);
  else
    FUZZ_CHECK(formatted.size() == text.size() - 2 + value.size());

  const std::uint16_t language = LanguageIdFromCode(text);
  FUZZ_CHECK(LanguageIdFromCode(ToUpper(text)) == language);
  const std::string_view web = WebLanguage(language);
  FUZZ_CHECK(web == "en" || web == "de" || web == "fr");

  // A NUL shows as a mark that takes its one place.
  const std::string visible = VisibleTitle(text);
  FUZZ_CHECK(visible.find('\0') == std::string::npos);
  FUZZ_CHECK(CharCount(visible) == CharCount(text));
  if (text.find('\0') == std::string_view::npos) FUZZ_CHECK(visible == text);

  const std::string title = TitleFromPath(text);
  FUZZ_CHECK(title.find('\\') == std::string::npos);
  FUZZ_CHECK(StartsWith(text.substr(FileNameOffset(text)), title));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const obrivo::fuzz::Fields in(data, size);
  const std::string_view a = in.Text(0), b = in.Text(1);
  const std::size_t capacity = static_cast<std::size_t>(in.NumberIn(2, 0, 2000));
  CheckTruncate(a, capacity);
  CheckCase(a, b);
  CheckEscape(a);
  CheckNumbers(a, static_cast<std::int64_t>(in.Number(3)) * in.Number(4));
  CheckLists(a, in.Text(5).empty() ? ';' : in.Text(5)[0]);
  CheckShownTexts(a, b, capacity);
  return 0;
}
