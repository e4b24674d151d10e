// Registry access through the W functions: keys owned per call, values read whole whatever their
// size, names and texts as UTF-8, and every value name a counted string (a NUL inside included).
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/win32/unique.h"

namespace obrivo::win32 {

struct RegValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

// A value as enumeration finds it: its exact name and its contents.
struct NamedValue {
  std::string name;
  RegValue value;
};

UniqueKey OpenKey(HKEY root, std::string_view path, REGSAM access, LONG* error = nullptr);
// Opens or creates the key (and every missing key above it).
UniqueKey CreateKey(HKEY root, std::string_view path, REGSAM access, LONG* error = nullptr);

// The functions that take a value name act on the value of exactly that name. A name with a NUL
// in it (which the native API can create, and the W functions would cut at the NUL and so reach
// another value) goes through the native calls; `key` must then be an opened key, not one of the
// predefined roots.

// The value's type and data, however large. Missing value: nothing (error set when given).
std::optional<RegValue> QueryValue(HKEY key, std::string_view name, LONG* error = nullptr);

// The text of a string value (REG_SZ, REG_EXPAND_SZ unexpanded, first string of REG_MULTI_SZ).
// Data that is unterminated, has an odd byte count or embeds a NUL is read up to the first NUL
// or the end. Other types give nothing.
std::optional<std::string> StringFromValue(const RegValue& value);

bool SetStringValue(HKEY key, std::string_view name, std::string_view text, DWORD type = REG_SZ);
bool SetDwordValue(HKEY key, std::string_view name, DWORD value);
// Writes the type and data exactly as given (a copy of a value read with QueryValue/EnumValues).
LONG SetRawValue(HKEY key, std::string_view name, const RegValue& value);
LONG DeleteValue(HKEY key, std::string_view name);

// Every value with its type and data, each read in the same call as its name: a listing never
// has to find a value again by a name the by-name functions might not reach.
std::vector<NamedValue> EnumValues(HKEY key);
// Names of every value / subkey. A buffer that is too small grows and the same entry is read
// again; any other answer (no more entries, the key deleted meanwhile, access refused) ends the
// listing with what was read so far.
std::vector<std::string> EnumValueNames(HKEY key);
std::vector<std::string> EnumSubkeyNames(HKEY key);
// The subkey name at `index`, or nothing when enumeration ends there.
std::optional<std::string> SubkeyNameAt(HKEY key, DWORD index);

// The listings above over a given enumeration call (RegEnumValueW without its reserved
// argument, RegEnumKeyExW without its last four), so a test can count the calls or change the
// key between them.
using EnumValueCall = std::function<LONG(HKEY key, DWORD index, wchar_t* name, DWORD* nameChars,
                                         DWORD* type, BYTE* data, DWORD* dataBytes)>;
using EnumKeyCall = std::function<LONG(HKEY key, DWORD index, wchar_t* name, DWORD* nameChars)>;
std::vector<NamedValue> EnumValuesThrough(HKEY key, const EnumValueCall& call);
std::vector<std::string> EnumSubkeyNamesThrough(HKEY key, const EnumKeyCall& call);

// %NAME% references expanded from the environment.
std::string ExpandEnvironment(std::string_view text);

}  // namespace obrivo::win32
