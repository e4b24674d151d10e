// An Explorer page's controls at a new page size: which anchor each control follows, and the
// bottom buttons' row.
#include "core/page_layout.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace obrivo::core {
namespace {

constexpr int kList = 1000, kTopPicture = 1130;

// Where each control went, by id; a control that got no place is missing.
std::map<int, Rect> Placed(const PageLayoutInput& page) {
  std::map<int, Rect> placed;
  for (const Placement& p : LayOutPage(page)) placed[page.controls.at(p.control).id] = p.rect;
  return placed;
}

std::string Text(const Rect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

// A list page made 400 x 300, with its buttons Info, Add, Enable (hidden) and Close.
PageLayoutInput ListPage(Size current) {
  PageLayoutInput page;
  page.created = {400, 300};
  page.current = current;
  page.listId = kList;
  page.topPictureId = kTopPicture;
  page.bottomButtons = {1008, 1064, 1065, 1004};
  page.controls = {
      {kTopPicture, {10, 10, 58, 58}},
      {1047, {70, 10, 300, 40}},   // heading
      {1077, {320, 10, 360, 50}},  // corner picture, in the right quarter
      {1134, {310, 52, 370, 62}},  // its label
      {kList, {10, 70, 390, 250}},
      {1200, {10, 255, 200, 265}},   // a check box below the list
      {1300, {0, 100, 8, 120}},      // beside the list, left
      {1301, {392, 100, 398, 120}},  // beside the list, right: not a corner control
      {1008, {10, 270, 80, 290}},
      {1064, {100, 270, 170, 290}},
      {1065, {200, 270, 270, 290}, false},
      {1004, {320, 270, 390, 290}},
  };
  return page;
}

TEST(PageLayout, EachControlFollowsItsAnchor) {
  const struct {
    Size size;
    std::map<int, Rect> expected;
  } cases[] = {
      // As created: everything where it was, the buttons spread over the list's width.
      {{400, 300},
       {{kTopPicture, {10, 10, 58, 58}},
        {1047, {70, 10, 300, 40}},
        {1077, {320, 10, 360, 50}},
        {1134, {310, 52, 370, 62}},
        {kList, {10, 70, 390, 250}},
        {1200, {10, 255, 200, 265}},
        {1300, {0, 100, 8, 120}},
        {1301, {392, 100, 398, 120}},
        {1008, {10, 270, 80, 290}},
        {1064, {165, 270, 235, 290}},
        {1004, {320, 270, 390, 290}}}},
      // 100 wider and 60 taller.
      {{500, 360},
       {{kTopPicture, {10, 10, 58, 58}},  // keeps its size
        {1047, {70, 10, 400, 40}},        // widens
        {1077, {420, 10, 460, 50}},       // moves right
        {1134, {410, 52, 470, 62}},
        {kList, {10, 70, 490, 310}},  // takes the growth
        {1200, {10, 315, 200, 325}},  // moves down
        {1300, {0, 100, 8, 120}},
        {1301, {392, 100, 398, 120}},
        {1008, {10, 330, 80, 350}},
        {1064, {215, 330, 285, 350}},
        {1004, {420, 330, 490, 350}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.size.width) + "x" + std::to_string(c.size.height));
    const std::map<int, Rect> placed = Placed(ListPage(c.size));
    EXPECT_EQ(placed.count(1065), 0u) << "a hidden button stays where it is";
    for (const auto& [id, rect] : c.expected) {
      ASSERT_EQ(placed.count(id), 1u) << id;
      EXPECT_EQ(placed.at(id), rect) << id << ": " << Text(placed.at(id));
    }
    EXPECT_EQ(placed.size(), c.expected.size());
  }
}

TEST(PageLayout, ButtonRowSpacing) {
  // A single button keeps its distance from the right edge.
  PageLayoutInput one = ListPage({450, 320});
  one.bottomButtons = {1004};
  EXPECT_EQ(Placed(one).at(1004), (Rect{370, 290, 440, 310}));

  // More buttons than the row holds: they overlap the edge rather than each other.
  PageLayoutInput many = ListPage({400, 300});
  many.controls.push_back({1066, {0, 270, 70, 290}});
  many.controls.push_back({1067, {0, 270, 70, 290}});
  many.bottomButtons = {1008, 1064, 1065, 1066, 1067, 1004};
  for (LayoutControl& c : many.controls) c.visible = true;
  const std::map<int, Rect> placed = Placed(many);
  EXPECT_EQ(placed.at(1064).left - placed.at(1008).right, 4);
  EXPECT_EQ(placed.at(1004).left, 10 + 5 * (70 + 4));
}

TEST(PageLayout, PageWithoutList) {
  // The Options page: check boxes and pictures, buttons spread from the first one's margin.
  PageLayoutInput page;
  page.created = {400, 300};
  page.current = {480, 340};
  page.listId = kList;
  page.topPictureId = kTopPicture;
  page.bottomButtons = {1008, 1004};
  page.controls = {
      {kTopPicture, {10, 10, 58, 58}}, {1047, {70, 10, 300, 40}},  // not widened without a list
      {1077, {320, 10, 360, 50}},                                  // right quarter: moves right
      {1500, {320, 200, 380, 220}},  // right quarter, low down: also moves right
      {1501, {20, 200, 200, 220}},   // stays
      {1008, {20, 270, 90, 290}},      {1004, {310, 270, 380, 290}},
  };
  const std::map<int, Rect> placed = Placed(page);
  EXPECT_EQ(placed.at(kTopPicture), (Rect{10, 10, 58, 58}));
  EXPECT_EQ(placed.at(1047), (Rect{70, 10, 300, 40}));
  EXPECT_EQ(placed.at(1077), (Rect{400, 10, 440, 50}));
  EXPECT_EQ(placed.at(1500), (Rect{400, 200, 460, 220}));
  EXPECT_EQ(placed.at(1501), (Rect{20, 200, 200, 220}));
  // Span 480 - 20 - 20 = 440 for two buttons of 70.
  EXPECT_EQ(placed.at(1008), (Rect{20, 310, 90, 330}));
  EXPECT_EQ(placed.at(1004), (Rect{390, 310, 460, 330}));
}

}  // namespace
}  // namespace obrivo::core
