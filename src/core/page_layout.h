// Where the controls of an Explorer page go when the page changes size: each control keeps the
// place it was created at, anchored by where it lies. The list takes the growth, what lies below
// it moves with the bottom edge, the corner pictures and their labels move with the right edge,
// the headings above the list widen, and the bottom buttons spread in one row along the bottom.
#pragma once

#include <cstddef>
#include <vector>

#include "core/explorer_pages.h"

namespace obrivo::core {

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Rect&) const = default;
};

struct LayoutControl {
  int id = 0;
  Rect created;         // as created, in page client coordinates
  bool visible = true;  // only the bottom buttons that show take a place in their row
};

struct PageLayoutInput {
  Size created;  // the page's client size when its controls were created
  Size current;  // its client size now
  std::vector<LayoutControl> controls;
  std::vector<int> bottomButtons;  // ids, left to right
  int listId = 0;                  // the control that takes the growth
  int topPictureId = 0;            // the picture above the list, which keeps its size
};

struct Placement {
  std::size_t control;  // index into PageLayoutInput::controls
  Rect rect;
};

// A place for every control but the hidden bottom buttons, which stay where they are.
std::vector<Placement> LayOutPage(const PageLayoutInput& page);

}  // namespace obrivo::core
