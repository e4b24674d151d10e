// Lossless UTF-16 <-> UTF-8 conversion. Unpaired surrogates (which Windows allows in registry
// and file names) are carried as three-byte sequences (WTF-8), so every name read from the system
// converts back to exactly the same UTF-16 and can still be opened or deleted.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace obrivo::core {

std::string Utf16ToUtf8(std::u16string_view text);

// Bytes that are not valid UTF-8 (for instance ANSI text from an older file) are taken as
// Windows-1252 characters rather than dropped.
std::u16string Utf8ToUtf16(std::string_view text);

// Decodes UTF-8 into characters; a byte that starts no well-formed sequence decodes as one
// Windows-1252 character. `offsets`, when given, receives the byte offset of each character.
std::u32string DecodeUtf8(std::string_view text, std::vector<std::size_t>* offsets = nullptr);
std::string EncodeUtf8(std::u32string_view text);

// True when `text` is well-formed UTF-8 (surrogate sequences from Utf16ToUtf8 included).
bool IsUtf8(std::string_view text);

// Every byte taken as one Windows-1252 character, for text known to be ANSI as a whole.
std::string Cp1252ToUtf8(std::string_view text);

}  // namespace obrivo::core
