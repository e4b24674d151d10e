// Pixel sizes chosen at the standard 96 DPI, at the DPI a window is shown at.
#pragma once

namespace obrivo::core {

inline constexpr int kStandardDpi = 96;

// `value` pixels at `fromDpi`, at `dpi`: rounded to the nearest pixel, halves away from zero, so
// a negative font height (a character height) scales exactly like its positive size. A DPI that
// is not positive (not known) leaves the value as it is.
int ScaleToDpi(int value, int dpi, int fromDpi = kStandardDpi);

}  // namespace obrivo::core
