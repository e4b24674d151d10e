// Class identifiers as registry names.
#include "core/class_id.h"

#include <cstddef>

#include "core/text.h"

namespace obrivo::core {
namespace {

constexpr std::size_t kBareLength = 36;

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool IsDashPosition(std::size_t i) { return i == 8 || i == 13 || i == 18 || i == 23; }

std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<std::string> CanonicalClassId(std::string_view text) {
  text = TrimSpaces(text);
  const bool opens = !text.empty() && text.front() == '{';
  const bool closes = !text.empty() && text.back() == '}';
  if (opens != closes) return std::nullopt;
  if (opens) text = text.substr(1, text.size() - 2);
  if (text.size() != kBareLength) return std::nullopt;
  std::string canonical = "{";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (IsDashPosition(i)) {
      if (c != '-') return std::nullopt;
    } else if (!IsHexDigit(c)) {
      return std::nullopt;
    }
    canonical += (c >= 'a' && c <= 'f') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  canonical += '}';
  return canonical;
}

std::string ClassIdentity(std::string_view key) {
  const std::optional<std::string> canonical = CanonicalClassId(key);
  return canonical ? *canonical : "?" + std::string(key);
}

std::string AddOnIdentity(int type, std::string_view key) {
  return std::to_string(type) + " " + ClassIdentity(key);
}

bool SameClass(std::string_view a, std::string_view b) {
  const std::optional<std::string> first = CanonicalClassId(a);
  const std::optional<std::string> second = CanonicalClassId(b);
  if (first || second) return first && second && *first == *second;
  return EqualsNoCase(a, b);
}

std::string ClassRegistrationName(std::string_view key) {
  if (!key.empty() && key.front() == '{') return std::string(key);
  return "{" + std::string(key) + "}";
}

}  // namespace obrivo::core
