// Digests of files the product keeps copies of (the system files' backups, the hidden files'
// vault), so that a copy swapped behind the product's back is noticed before it is written back.
// Copies live in the user's data folder, where any program the user runs can replace them; the
// digest is kept where such a program cannot write it (under HKEY_LOCAL_MACHINE), keyed by the
// user whose copy it describes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace obrivo::common {

// SHA-256 of `bytes`, as 64 lower-case hexadecimal digits; nothing when the system's hashing
// provider cannot be used.
std::optional<std::string> DigestOfBytes(std::string_view bytes);

// SHA-256 of a file's whole contents; nothing when the file cannot be read.
std::optional<std::string> FileDigest(std::string_view path);

// True only when both are known and equal (case-insensitive, so a digest typed in upper case
// still meets): an empty or missing digest vouches for nothing.
bool DigestsMatch(std::string_view expected, const std::optional<std::string>& actual);

// The current user's security identifier as text ("S-1-5-21-..."), by which a digest stored for
// all users is kept per user; "user" when it cannot be read.
std::string CurrentUserId();

// The name of the value that holds the current user's digest of a copy: `prefix` + " " + the
// user's identifier.
std::string DigestValueName(std::string_view prefix);

}  // namespace obrivo::common
