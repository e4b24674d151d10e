// The registry script a settings export is written as: the text that the system's registry
// editor imports back into the same keys, values and bytes. Version 5 of the format, UTF-16LE
// with a byte-order mark. Platform-free: the caller reads the registry and hands over each key's
// full path and each value's name, type number and raw data.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace obrivo::core {

inline constexpr std::u16string_view kRegScriptHeader =
    u"Windows Registry Editor Version 5.00\r\n\r\n";

// The registry's value types the script writes in a form of their own.
inline constexpr std::uint32_t kRegString = 1, kRegExpandString = 2, kRegBinary = 3,
                               kRegDword = 4, kRegMultiString = 7;

// "[path]" and its line break, after an empty line unless `first`. `path` names the hive in full
// ("HKEY_CURRENT_USER\Software\...").
std::u16string RegKeyLines(std::u16string_view path, bool first);

// Whether a key or value name can be written: the format has no escape for a NUL, a carriage
// return or a line feed inside a name.
bool RegNameWritable(std::u16string_view name);

// One value's line(s), ending in a line break: the default value (empty name) as @, any other name
// quoted with \ and " escaped. A REG_SZ that reads back exactly as a quoted string (one closing
// NUL, no other NUL, no line break) is written that way; a four-byte REG_DWORD as dword:; every
// other value as hex: (REG_BINARY) or hex(<type>): bytes, wrapped as the editor wraps them.
// Nothing when the name cannot be written (RegNameWritable).
std::optional<std::u16string> RegValueLines(std::u16string_view name, std::uint32_t type,
                                            const std::vector<std::uint8_t>& data);

// The bytes of the file: the byte-order mark, then `text` in UTF-16LE.
std::string RegScriptBytes(std::u16string_view text);

}  // namespace obrivo::core
