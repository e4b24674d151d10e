// The layout of a page's controls: the two headings fitted at creation, and the controls kept
// at their anchors whenever the page changes size (message 6049).
#pragma once

#include <windows.h>

#include <vector>

#include "core/page_layout.h"

namespace obrivo::explorer {

// Two headings share the space above the list: the first starts without its spacing blank
// line, the second follows the first wherever the first ends, and gives up its own spacing
// blank line when both would not fit otherwise.
void FitHeadings(HWND page);

class PageLayout {
 public:
  // Records where every control of `page` is at the page's current size, made at `dpi`.
  void Capture(HWND page, int dpi);
  // Moves the controls for the page's current size, the places as created scaled to `dpi`;
  // `bottomButtons` spread along the bottom.
  void Apply(HWND page, const std::vector<int>& bottomButtons, int dpi) const;

 private:
  struct Anchor {
    HWND control;
    core::Rect rect;  // as created, in page client coordinates
  };
  std::vector<Anchor> anchors_;
  core::Size created_;
  int createdDpi_ = 0;
};

}  // namespace obrivo::explorer
