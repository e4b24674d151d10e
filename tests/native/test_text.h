// Text builders shared by the native tests.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace obrivo::core {

// `unit` repeated `times` times (a long name, a long path, text of many multi-byte characters).
inline std::string Repeat(std::string_view unit, std::size_t times) {
  std::string out;
  for (std::size_t i = 0; i < times; ++i) out += unit;
  return out;
}

}  // namespace obrivo::core
