// The ";"-separated program lists of win.ini's [windows] "load" and "run" keys.
#pragma once

#include <string>
#include <string_view>

namespace obrivo::core {

// The list with `entry` appended.
std::string AppendListEntry(std::string_view list, std::string_view entry);

// The list without any token equal (case-insensitively) to `entry`; every kept token is
// followed by ";".
std::string RemoveListEntry(std::string_view list, std::string_view entry);

}  // namespace obrivo::core
