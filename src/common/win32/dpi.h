// Following the DPI a window is shown at: reading it, fonts made from pixel sizes chosen at
// 96 DPI, and what a window does when the system moves it to another DPI (WM_DPICHANGED).
#pragma once

#include <windows.h>

#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "common/win32/unique.h"

namespace obrivo::win32 {

// The DPI `window` is shown at: its own where the system keeps one per window (GetDpiForWindow,
// from Windows 10 on), else that of the window's display; 96 when neither can be read.
int WindowDpi(HWND window);

// The DPI a WM_DPICHANGED message announces.
inline int DpiOfDpiChanged(WPARAM wParam) { return HIWORD(wParam); }

struct FontDescription {
  std::wstring face;
  int height;  // character height in pixels at 96 DPI
  int weight;
  bool underline;
  BYTE charSet;
  BYTE pitchAndFamily;
};

// A program's fonts: each made at the DPI it is first asked for and kept until cleared, so
// windows shown at different DPIs share one set and a window that moves to another DPI finds
// its fonts again.
class DpiFonts {
 public:
  // Forgets every font made so far.
  void SetDescriptions(std::vector<FontDescription> descriptions);
  void Clear();
  // Font `index` at `dpi`; nullptr when there is no such font or it cannot be made.
  HFONT Get(std::size_t index, int dpi);
  // Which font `font` is, at whichever DPI it was made; none when it is not one of the set.
  std::optional<std::size_t> IndexOf(HFONT font) const;

 private:
  mutable std::mutex mutex_;  // tests read the fonts from a thread of their own
  std::vector<FontDescription> descriptions_;
  std::map<int, std::vector<UniqueGdiObject>> made_;  // by DPI, one slot per FontDescription
};

// Gives every control of `window`, at any depth, that shows a font of `fonts` the same font at
// `dpi`, and redraws them.
void RefontControls(HWND window, DpiFonts& fonts, int dpi);

// Moves a top-level window to the rectangle WM_DPICHANGED suggests (its `lParam`).
void MoveToSuggestedRect(HWND window, LPARAM lParam);

}  // namespace obrivo::win32
