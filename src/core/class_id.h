// Class identifiers as registry names give them: with or without braces, in any case, or not one
// at all. Browser add-ons are known by their kind and class identifier, so two spellings of one
// identifier must meet, and a name that is no identifier must meet nothing but itself.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace obrivo::core {

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case, from the 36 characters with or without
// their braces, in any case, spaces around them ignored. Nothing when the text is anything else
// (another length, a brace on one side only, a character that is no hex digit, misplaced dashes).
std::optional<std::string> CanonicalClassId(std::string_view text);

// A class's identity by its name alone: the canonical class identifier, or a name that is no
// class identifier as it stands behind a "?" that no canonical identifier starts with.
std::string ClassIdentity(std::string_view key);

// An add-on's identity: its type code, a space and its canonical class identifier; a name that
// is no class identifier stands as it is, behind a "?" that no canonical identifier starts with.
std::string AddOnIdentity(int type, std::string_view key);

// True when both names are one class: the same canonical identifier, or, for names that are no
// identifier, the same text (case-insensitive, as the registry compares names).
bool SameClass(std::string_view a, std::string_view b);

// The name a class is registered under below CLSID: braces added when the name lacks the
// opening one, otherwise the name as it stands.
std::string ClassRegistrationName(std::string_view key);

}  // namespace obrivo::core
