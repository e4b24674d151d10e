// Text capacities that are behaviour: where a text is cut, counted in characters including the
// terminator the old fixed buffers had, so a capacity of 128 holds at most 127 characters.
#pragma once

#include <cstddef>

namespace obrivo::core {

inline constexpr std::size_t kPathCapacity = 260;
inline constexpr std::size_t kTitleCapacity = 128;
inline constexpr std::size_t kTextCapacity = 1024;
inline constexpr std::size_t kVersionFieldCapacity = 128;
inline constexpr std::size_t kDateCapacity = 12;
inline constexpr std::size_t kDateTimeCapacity = 24;
// Texts of this many characters or more never match a substring test.
inline constexpr std::size_t kSearchTextLimit = 773;
// Store strings longer than this many characters read as missing, whatever the caller's capacity.
inline constexpr std::size_t kStoreStringMaxChars = 1023;

}  // namespace obrivo::core
