// The guard's comparisons and the limits of what it writes back.
#include "core/settings_guard.h"

#include "core/text.h"

namespace obrivo::core {
namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool InRange(const std::optional<std::int64_t>& value, std::int64_t low, std::int64_t high) {
  return !value || (*value >= low && *value <= high);
}

bool FellBelow(const std::optional<std::int64_t>& baseline,
               const std::optional<std::int64_t>& live) {
  return baseline && live && *live < *baseline;
}

}  // namespace

std::string FormatAlert(std::string_view pattern, std::string_view first, std::string_view second) {
  const std::size_t at = pattern.find("%s");
  if (at == std::string_view::npos) return std::string(pattern);
  return std::string(pattern.substr(0, at)) + std::string(first) +
         FormatText(pattern.substr(at + 2), second);
}

std::string_view WithoutTrailingSlash(std::string_view page) {
  if (!page.empty() && page.back() == '/') page.remove_suffix(1);
  return page;
}

bool SamePage(std::string_view a, std::string_view b) {
  return EqualsAsciiNoCase(WithoutTrailingSlash(a), WithoutTrailingSlash(b));
}

bool EqualsAsciiNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

bool IsRestorableAUOption(std::int64_t value) { return value >= 1 && value <= 4; }

int AUOptionTextId(std::int64_t value) {
  return IsRestorableAUOption(value) ? 1050 + static_cast<int>(value) : 1050;
}

bool IsPlainSchemePrefix(std::string_view prefix) {
  constexpr std::string_view kSeparator = "://";
  constexpr std::size_t kLongestScheme = 32;
  if (prefix.size() <= kSeparator.size() || !prefix.ends_with(kSeparator)) return false;
  const std::string_view scheme = prefix.substr(0, prefix.size() - kSeparator.size());
  if (scheme.size() > kLongestScheme) return false;
  const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  if (!letter(scheme.front())) return false;
  for (char c : scheme)
    if (!letter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') return false;
  return true;
}

bool UacProtectionLowered(const UacValues& baseline, const UacValues& live) {
  if (baseline.enableLua == 1 && live.enableLua == 0) return true;
  return FellBelow(baseline.consentPromptBehaviorAdmin, live.consentPromptBehaviorAdmin) ||
         FellBelow(baseline.promptOnSecureDesktop, live.promptOnSecureDesktop);
}

bool IsRestorableUac(const UacValues& values) {
  if (!values.consentPromptBehaviorAdmin && !values.enableLua && !values.promptOnSecureDesktop)
    return false;
  return InRange(values.consentPromptBehaviorAdmin, 0, 5) && InRange(values.enableLua, 0, 1) &&
         InRange(values.promptOnSecureDesktop, 0, 1);
}

int UacLevelTextId(const UacValues& values) {
  // Elevation without any prompt is as good as no User Account Control at all.
  if (values.enableLua == 0 || values.consentPromptBehaviorAdmin == 0) return 1074;
  if (values.promptOnSecureDesktop == 0) return 1075;
  if (values.consentPromptBehaviorAdmin == 1 || values.consentPromptBehaviorAdmin == 2)
    return 1077;
  return 1076;
}

std::string UacValuesText(const UacValues& values) {
  const auto number = [](const std::optional<std::int64_t>& v) {
    return v ? std::to_string(*v) : std::string("-");
  };
  return std::string(kUacNames[1]) + " " + number(values.enableLua) + ", " +
         std::string(kUacNames[0]) + " " + number(values.consentPromptBehaviorAdmin) + ", " +
         std::string(kUacNames[2]) + " " + number(values.promptOnSecureDesktop);
}

std::string BrowserProgramFromCommand(std::string_view command) {
  std::string program;
  for (char c : command) {
    if (c == '"') continue;
    if (c == '-') {
      if (!program.empty()) program.pop_back();
      break;
    }
    program.push_back(c);
  }
  return program;
}

std::string BrowserProgramFromAppPath(std::string_view path) {
  if (!path.empty() && path.back() == ';') path.remove_suffix(1);
  return std::string(path) + "\\IExplore.exe";
}

int ClassifyBrowser(std::string_view program) {
  namespace b = browser_code;
  static constexpr struct {
    std::string_view part;
    int code;
  } kOrder[] = {{"iexplore", b::kInternetExplorer}, {"netscp", b::kNetscape},
                {"maxthon", b::kMaxthon},           {"avant", b::kAvant},
                {"mozilla", b::kMozilla},           {"firefox", b::kFirefox}};
  for (const auto& row : kOrder)
    if (FindNoCase(program, row.part) != std::string::npos) return row.code;
  return b::kInternetExplorer;
}

}  // namespace obrivo::core
