// Interface language selection and override texts.
#include "language.h"

#include <algorithm>

#include "capacity.h"
#include "text.h"

namespace obrivo::core {
namespace {

struct LanguageRow {
  std::string_view code;
  std::uint16_t id;
};

constexpr LanguageRow kLanguages[] = {
    {"us", 9},  {"de", 7},  {"fr", 12}, {"es", 10}, {"it", 16}, {"se", 29}, {"как", 25},
    {"ru", 25}, {"pt", 22}, {"pl", 21}, {"no", 20}, {"gr", 8},  {"nl", 19}, {"br", 22},
    {"sq", 28}, {"tr", 31}, {"ar", 1},  {"fi", 11}, {"cn", 4},
};

}  // namespace

std::uint16_t LanguageIdFromCode(std::string_view code) {
  for (const auto& row : kLanguages)
    if (EqualsNoCase(row.code, code)) return row.id;
  return 0;
}

std::string ApplyTextOverride(std::string_view overrideText, std::size_t capacity) {
  std::string text = TruncateChars(overrideText, std::min(capacity, kOverrideCapacity));
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 'n') {
      out += '\n';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string_view WebLanguage(std::uint16_t languageId) {
  if (languageId == 7) return "de";
  if (languageId == 12) return "fr";
  return "en";
}

}  // namespace obrivo::core
