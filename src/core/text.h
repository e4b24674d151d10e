// Text functions over UTF-8 strings: character counting and cutting at capacities, case-insensitive
// tests, and the small path and name helpers every category uses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace obrivo::core {

// Number of characters (code points) in `text`.
std::size_t CharCount(std::string_view text);

// `text` cut so that it fits a buffer of `capacity` characters including the terminator
// (at most capacity - 1 characters), never inside a character.
std::string TruncateChars(std::string_view text, std::size_t capacity);

// Simple case folding of one character (ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic).
char32_t FoldCase(char32_t c);
char32_t UpperCase(char32_t c);
std::string ToUpper(std::string_view text);

bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
// Byte offset of the first case-insensitive occurrence of `part`, or npos.
std::size_t FindNoCase(std::string_view text, std::string_view part);
// The substring test used for switches and names: false when `text` is empty, has
// kSearchTextLimit characters or more, or is shorter than `part`.
bool ContainsNoCase(std::string_view text, std::string_view part);

// Text after the last backslash; empty when there is none.
std::string FileNamePart(std::string_view path);
// Byte offset of the character after the last backslash; 0 when there is none.
std::size_t FileNameOffset(std::string_view path);
// Text after the first dot, when there is one.
std::optional<std::string> ExtensionAfterFirstDot(std::string_view name);
std::string SkipLeadingSpaces(std::string_view text);
std::string StripQuotes(std::string_view text);
// A path as a baseline value name: every "=" becomes ":".
std::string ValueNameForm(std::string_view text);
std::string AddTrailingBackslash(std::string_view path);
// Removes a final backslash, except the one of a drive root ("C:\").
std::string RemoveTrailingBackslash(std::string_view path);

// A value for a web query: a space becomes "%20" and "&" becomes "+"; every other character
// that would change the address (# % ? = + quotes, control and non-ASCII characters...) is
// percent-encoded as UTF-8.
std::string EscapeForQuery(std::string_view text);

// Decimal text with "," before every group of three digits counted from the right.
std::string GroupThousands(std::int64_t number);

// `pattern` with its first "%s" replaced by `value` (a string-table text with one placeholder).
std::string FormatText(std::string_view pattern, std::string_view value);

// Every lone line feed as CR LF, as edit controls show line breaks.
std::string CrLfLineEnds(std::string_view text);

// Decimal conversion of the leading digits (an optional sign first); text without digits gives 0.
int LeadingNumber(std::string_view text);

// The parts of `text` between `separator`s, without the spaces around them; empty parts left out.
std::vector<std::string> SplitTrimmed(std::string_view text, char separator);

}  // namespace obrivo::core
