// Report texts: whatever a machine name holds, its HTML form opens no tag, ends no attribute and
// starts no entity of its own and holds no control character; its tab-separated form stays one
// column on one line; and a CSV line of such fields reads back, by the RFC's rules, as the same
// fields (a NUL shown as "\0", a formula behind an apostrophe).
#include <string>
#include <string_view>
#include <vector>

#include "core/report_format.h"
#include "fuzz_input.h"

using namespace obrivo::core;

namespace {

// Reads one CSV record ended by CR LF, by RFC 4180; false when the text is not one record.
bool ReadRecord(std::string_view text, std::vector<std::string>& fields) {
  fields.assign(1, std::string());
  std::size_t i = 0;
  while (i < text.size()) {
    std::string& field = fields.back();
    if (text[i] == '"' && field.empty()) {
      ++i;
      while (true) {
        if (i >= text.size()) return false;
        if (text[i] == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            field += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        field += text[i++];
      }
      if (i >= text.size()) return false;
    }
    if (text[i] == ',') {
      fields.emplace_back();
      ++i;
    } else if (text.substr(i) == "\r\n") {
      return true;
    } else if (text[i] == '"' || text[i] == '\r' || text[i] == '\n') {
      return false;
    } else {
      fields.back() += text[i++];
    }
  }
  return false;
}

std::string Expected(std::string_view in) {
  std::string out;
  for (const char c : in) {
    if (c == '\0')
      out += "\\0";
    else
      out += c;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const obrivo::fuzz::Fields in(data, size);

  const std::string html = HtmlEscape(in.All());
  for (std::size_t i = 0; i < html.size(); ++i) {
    const auto c = static_cast<unsigned char>(html[i]);
    FUZZ_CHECK(c != '<' && c != '>' && c != '"' && c != '\'' && c >= 0x20 && c != 0x7F);
    if (c == '&') {
      const std::string_view rest = std::string_view(html).substr(i);
      FUZZ_CHECK(rest.starts_with("&amp;") || rest.starts_with("&lt;") ||
                 rest.starts_with("&gt;") || rest.starts_with("&quot;") ||
                 rest.starts_with("&#39;"));
    }
  }

  const std::string tab = TabField(in.All());
  for (const char c : tab) FUZZ_CHECK(c != '\t' && c != '\r' && c != '\n' && c != '\0');

  std::vector<std::string> fields;
  for (std::size_t i = 0; !in.Text(i).empty() || i == 0; ++i) fields.emplace_back(in.Text(i));
  std::vector<std::string> read;
  FUZZ_CHECK(ReadRecord(CsvLine(fields), read));
  FUZZ_CHECK(read.size() == fields.size());
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::string expected = Expected(fields[i]);
    const std::size_t blanks = expected.find_first_not_of(' ');
    const bool formula =
        (blanks != std::string::npos && std::string_view("=+-@").find(expected[blanks]) !=
                                            std::string_view::npos) ||
        (!expected.empty() && (expected[0] == '\t' || expected[0] == '\r'));
    FUZZ_CHECK(read[i] == (formula ? "'" + expected : expected));
  }
  return 0;
}
