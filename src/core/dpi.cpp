// Pixel sizes at another DPI.
#include "core/dpi.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace obrivo::core {

int ScaleToDpi(int value, int dpi, int fromDpi) {
  if (dpi <= 0 || fromDpi <= 0) return value;
  const std::int64_t scaled = static_cast<std::int64_t>(value) * dpi;
  const std::int64_t magnitude = ((scaled < 0 ? -scaled : scaled) + fromDpi / 2) / fromDpi;
  const std::int64_t rounded = scaled < 0 ? -magnitude : magnitude;
  return static_cast<int>(std::clamp<std::int64_t>(rounded, INT_MIN, INT_MAX));
}

}  // namespace obrivo::core
