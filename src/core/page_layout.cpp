// Where an Explorer page's controls go at its current size.
#include "core/page_layout.h"

#include <algorithm>

namespace obrivo::core {
namespace {

bool IsBottomButton(const PageLayoutInput& page, int id) {
  return std::find(page.bottomButtons.begin(), page.bottomButtons.end(), id) !=
         page.bottomButtons.end();
}

Rect Offset(Rect r, int dx, int dy) {
  r.left += dx;
  r.right += dx;
  r.top += dy;
  r.bottom += dy;
  return r;
}

}  // namespace

std::vector<Placement> LayOutPage(const PageLayoutInput& page) {
  const int dx = page.current.width - page.created.width;
  const int dy = page.current.height - page.created.height;
  Rect list;
  bool haveList = false;
  for (const LayoutControl& c : page.controls) {
    if (c.id == page.listId) {
      list = c.created;
      haveList = true;
    }
  }

  std::vector<Placement> placements;
  const int rightZone = page.created.width * 3 / 4;
  for (std::size_t i = 0; i < page.controls.size(); ++i) {
    const LayoutControl& c = page.controls[i];
    if (IsBottomButton(page, c.id)) continue;
    Rect r = c.created;
    if (haveList && c.id == page.listId) {
      r.right += dx;
      r.bottom += dy;
    } else if (haveList && c.created.top >= list.bottom) {
      r = Offset(r, 0, dy);  // below the list: stays with the bottom edge
    } else if (c.created.left >= rightZone && (!haveList || c.created.bottom <= list.top)) {
      r = Offset(r, dx, 0);  // corner pictures and their labels stay at the right
    } else if (haveList && c.created.bottom <= list.top && c.id != page.topPictureId) {
      r.right += dx;  // headings widen with the page
    }
    placements.push_back({i, r});
  }

  // The bottom buttons that show, in their order, one row along the bottom edge.
  std::vector<std::size_t> buttons;
  for (int id : page.bottomButtons)
    for (std::size_t i = 0; i < page.controls.size(); ++i)
      if (page.controls[i].id == id && page.controls[i].visible) buttons.push_back(i);
  if (buttons.empty()) return placements;
  const Rect first = page.controls[buttons.front()].created;
  const int margin = haveList ? list.left : first.left;
  const int width = first.right - first.left;
  const int span = (haveList ? list.right + dx : page.current.width - margin) - margin;
  const int n = static_cast<int>(buttons.size());
  // Never closer than 4 pixels, even when the row is wider than the page.
  const int gap = n > 1 ? std::max(4, (span - n * width) / (n - 1)) : 0;
  for (int i = 0; i < n; ++i) {
    const std::size_t index = buttons[static_cast<std::size_t>(i)];
    Rect r = page.controls[index].created;
    const int height = r.bottom - r.top;
    // A single button keeps its distance from the right edge.
    r.left = n > 1 ? margin + i * (width + gap) : r.left + dx;
    r.right = r.left + width;
    r.top += dy;
    r.bottom = r.top + height;
    placements.push_back({index, r});
  }
  return placements;
}

}  // namespace obrivo::core
