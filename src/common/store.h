// The settings store: every setting, baseline and remembered state lives in the registry under
// one product key per hive. Every function opens and closes its own key; nothing is cached, so
// each program sees the other's writes the next time it reads.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "obrivo_version.h"

namespace obrivo::common {

inline constexpr std::string_view kVendorKey = "Software\\Tolvane";
inline constexpr std::string_view kProductKey = "Software\\Tolvane\\Obrivo";
inline constexpr std::string_view kOptionsKey = "Software\\Tolvane\\Obrivo\\Options";
inline constexpr std::string_view kDetectedKey = "Software\\Tolvane\\Detected";
inline constexpr std::string_view kProductVersion = OBRIVO_VERSION_TEXT;
// The store's `Version` marker: the layout the store is written in. It changes only with the
// layout, never with the product's version, so that an upgrade keeps every baseline.
inline constexpr std::string_view kStoreLayoutVersion = "16.0.2009.5";

// kProductKey + "\" + sub.
std::string ProductSubkey(std::string_view sub);

// A string value, expanded when it is REG_EXPAND_SZ. Missing key or value, a value of another
// type, or a text that does not fit `capacity` (terminator included; 1023 characters at most)
// all read as empty: an empty value reads exactly like a missing one.
std::string ReadStoreString(std::string_view subkey, HKEY hive, std::string_view valueName,
                            std::size_t capacity);

// The first two data bytes as byte0 + 256 * byte1, each a signed 8-bit number; serves the
// REG_DWORD copies of system settings. -1 when the value is missing.
int ReadStoreSmallNumber(HKEY hive, std::string_view subkey, std::string_view valueName);
// The same, but 0 when the key or value is missing.
int ReadStoreSmallNumberAt(std::string_view subkey, std::string_view valueName, HKEY hive);

// REG_SZ (terminator included); the key is created when it cannot be opened.
bool WriteStoreString(HKEY hive, std::string_view subkey, std::string_view valueName,
                      std::string_view text);
bool WriteStoreDword(HKEY hive, std::string_view subkey, std::string_view valueName, DWORD value);
// True when a value was deleted.
bool DeleteStoreValue(HKEY hive, std::string_view subkey, std::string_view valueName);
// Deletes a key with all its subkeys; a missing key counts as deleted.
bool DeleteStoreTree(HKEY hive, std::string_view path);
bool StoreKeyExists(HKEY hive, std::string_view path);

// An option of the Options key: `defaultValue` when missing or empty, else its leading number.
int ReadOption(std::string_view name, int defaultValue);
// Writes the option as decimal text and then sets Update to "1" so the Monitor reloads.
void WriteOption(std::string_view name, int value);

}  // namespace obrivo::common
