// Interface language: the language code a translation installs as string 634, the language
// identifier it selects, and how an override text replaces a string-table text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace obrivo::core {

inline constexpr std::uint16_t kLanguageEnglish = 9;
inline constexpr int kLanguageCodeStringId = 634;
// Overrides exist for string ids 0 to this one.
inline constexpr int kLastOverridableStringId = 1165;
// Override values longer than this many characters are ignored.
inline constexpr std::size_t kOverrideCapacity = 772;

// The primary language identifier for a language code ("us" 9, "de" 7, ...); 0 when unknown.
std::uint16_t LanguageIdFromCode(std::string_view code);

// An override text as shown: cut to the caller's capacity (771 characters at most), every "%n"
// turned into a line feed.
std::string ApplyTextOverride(std::string_view overrideText, std::size_t capacity);

// The "Loc" value of web addresses: "de" for a German, "fr" for a French interface, else "en".
std::string_view WebLanguage(std::uint16_t languageId);

}  // namespace obrivo::core
