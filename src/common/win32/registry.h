// Registry access through the W functions: keys owned per call, values read whole whatever their
// size, names and texts as UTF-8.
#pragma once

#include <windows.h>

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

UniqueKey OpenKey(HKEY root, std::string_view path, REGSAM access, LONG* error = nullptr);
// Opens or creates the key (and every missing key above it).
UniqueKey CreateKey(HKEY root, std::string_view path, REGSAM access, LONG* error = nullptr);

// The value's type and data, however large. Missing value: nothing (error set when given).
std::optional<RegValue> QueryValue(HKEY key, std::string_view name, LONG* error = nullptr);

// The text of a string value (REG_SZ, REG_EXPAND_SZ unexpanded, first string of REG_MULTI_SZ).
// Data that is unterminated, has an odd byte count or embeds a NUL is read up to the first NUL
// or the end. Other types give nothing.
std::optional<std::string> StringFromValue(const RegValue& value);

bool SetStringValue(HKEY key, std::string_view name, std::string_view text,
                    DWORD type = REG_SZ);
bool SetDwordValue(HKEY key, std::string_view name, DWORD value);
LONG DeleteValue(HKEY key, std::string_view name);

// Names of every value / subkey. Buffers grow on ERROR_MORE_DATA and an entry that cannot be
// read is skipped, so one bad name never ends the enumeration.
std::vector<std::string> EnumValueNames(HKEY key);
std::vector<std::string> EnumSubkeyNames(HKEY key);
// The subkey name at `index`, or nothing when enumeration ends there.
std::optional<std::string> SubkeyNameAt(HKEY key, DWORD index);

// %NAME% references expanded from the environment.
std::string ExpandEnvironment(std::string_view text);

}  // namespace obrivo::win32
