// User-visible text: the string table, overridden per id by a translation stored in the
// machine hive ("LString<id>" values), and the interface language that decides which is used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/capacity.h"

namespace obrivo::common {

// The text of string `id` cut to `capacity` (terminator included); empty when it has none.
std::string LoadText(int id, std::size_t capacity = core::kTextCapacity);

// Loads the language code (string 634, through the override) and sets App().languageId.
void SelectLanguage();

// When the interface is not English: deletes every language override and every stored window
// position, so the next start shows English text and windows at their default places.
void ResetLanguage();
// Deletes every language override and every stored window position, whatever the language.
void DeleteOverridesAndPositions();

// The 28 window-position values of the seven window families.
const char* const* WindowPositionValueNames(std::size_t* count);

}  // namespace obrivo::common
