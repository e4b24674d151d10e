// The Explorer's sheet as data: page order, column widths, help pages, placement, sorting and
// the row menu.
#include "core/explorer_pages.h"

#include <gtest/gtest.h>

#include "core/list_sort.h"
#include "core/row_menu.h"

namespace obrivo::core {
namespace {

std::vector<int> Codes(const std::vector<PageInfo>& pages) {
  std::vector<int> codes;
  for (const PageInfo& p : pages) codes.push_back(p.code);
  return codes;
}

TEST(SheetPages, OrderAndServicesOnlyOnNt) {
  const std::vector<int> nt = {6026, 6055, 6056, 6040, 6039, 6038, 6029,
                               6028, 6042, 6052, 6060, 6027, 6033};
  EXPECT_EQ(Codes(SheetPagesFor(true)), nt);
  std::vector<int> nine = nt;
  nine.erase(nine.begin() + 5);
  EXPECT_EQ(Codes(SheetPagesFor(false)), nine);
  // Options sits after Services on NT and one place earlier without it.
  EXPECT_EQ(StartPageIndex(SheetPagesFor(true), 6033), 12u);
  EXPECT_EQ(StartPageIndex(SheetPagesFor(false), 6033), 11u);
  EXPECT_EQ(StartPageIndex(SheetPagesFor(false), 6038), 0u);  // absent: the first page
  EXPECT_EQ(StartPageIndex(SheetPagesFor(true), 6045), 0u);
}

TEST(SheetPages, PageCodesAreOnlyPages) {
  for (int code : {6026, 6027, 6028, 6029, 6033, 6038, 6039, 6040, 6042, 6052, 6055, 6056, 6060})
    EXPECT_TRUE(IsSheetPageCode(code)) << code;
  for (int code : {0, 6025, 6030, 6031, 6034, 6045, 6048, 6053, 6061})
    EXPECT_FALSE(IsSheetPageCode(code)) << code;
}

TEST(ColumnWidths, FractionsOverridesAndScrollBar) {
  const struct {
    int page, column, width, scroll, stored, expected;
  } cases[] = {
      {6026, 0, 1017, 17, 0, 300},  // 0.30 of the width less the scroll bar
      {6026, 4, 1017, 17, 0, 200},
      {6039, 0, 1000, 17, 0, 280},  // full width: the scroll bar is not subtracted
      {6056, 5, 1000, 17, 0, 250},
      {6041, 3, 517, 17, 0, 190},     // the history viewer
      {6026, 0, 1017, 17, 123, 123},  // a stored width wins
      {6026, 0, 1017, 17, -5, 300},   // zero or negative leaves the computed width
      {6042, 5, 1017, 17, 0, 100},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ColumnWidth(c.page, c.column, c.width, c.scroll, c.stored), c.expected)
        << c.page << "/" << c.column;
  // A column beyond the table still gets a usable width.
  EXPECT_GT(ColumnWidth(6026, 9, 1017, 17, 0), 0);
}

TEST(HelpPages, FileNameAndLanguagePrefix) {
  EXPECT_EQ(HelpPageFileName(6026, "us"), "startup.html");
  EXPECT_EQ(HelpPageFileName(6039, "us"), "scheduler.html");
  EXPECT_EQ(HelpPageFileName(6051, "us"), "helpme.html");
  EXPECT_EQ(HelpPageFileName(6060, "us"), "features.html");  // no page of its own
  EXPECT_EQ(HelpPageFileName(6027, "de"), "de_features.html");
  EXPECT_EQ(HelpPageFileName(6033, "fr"), "fr_options.html");
}

TEST(SheetPlacement, StoredPositionsBeyondTheVirtualScreenComeBack) {
  ScreenMetrics screen;
  screen.virtualLeft = -1280;
  screen.virtualWidth = 1280 + 1024;
  screen.virtualHeight = 768;
  screen.screenWidth = 1024;
  screen.screenHeight = 768;
  const struct {
    Point stored;
    Size size;
    Point position;
    Size expectedSize;
  } cases[] = {
      {{100, 50}, {600, 400}, {100, 50}, {600, 400}},
      {{5000, 50}, {600, 400}, {0, 50}, {600, 400}},
      {{100, 9000}, {600, 400}, {100, 0}, {600, 400}},
      {{-1000, 10}, {600, 400}, {-1000, 10}, {600, 400}},  // a monitor to the left
      {{-3000, 10}, {600, 400}, {0, 10}, {600, 400}},      // a monitor that is gone
      {{10, 10}, {9000, 9000}, {10, 10}, {0, 0}},          // too large: keep the sheet's size
  };
  for (const auto& c : cases) {
    const SheetPlacement p = PullBackSheet(c.stored, c.size, screen);
    EXPECT_EQ(p.position.x, c.position.x) << c.stored.x;
    EXPECT_EQ(p.position.y, c.position.y) << c.stored.y;
    EXPECT_EQ(p.size.width, c.expectedSize.width);
    EXPECT_EQ(p.size.height, c.expectedSize.height);
  }
}

TEST(InfoDialog, PreviousAndNextWrap) {
  EXPECT_EQ(WrapIndex(2, 3, +1), 0u);
  EXPECT_EQ(WrapIndex(0, 3, -1), 2u);
  EXPECT_EQ(WrapIndex(1, 3, +1), 2u);
  EXPECT_EQ(WrapIndex(1, 3, -1), 0u);
  EXPECT_EQ(WrapIndex(0, 1, +1), 0u);
  EXPECT_EQ(WrapIndex(0, 0, +1), 0u);
  EXPECT_EQ(WrapIndex(7, 3, -1), 2u);  // an index the list no longer has
}

TEST(InfoDialog, HeightsScaleWithDpi) {
  EXPECT_EQ(InfoLayoutFor(true, 96).height, 421);
  EXPECT_EQ(InfoLayoutFor(true, 96).buttonY, 350);
  EXPECT_EQ(InfoLayoutFor(false, 96).height, 246);
  EXPECT_EQ(InfoLayoutFor(false, 96).buttonY, 185);
  EXPECT_EQ(InfoLayoutFor(true, 144).height, 632);
  EXPECT_EQ(InfoLayoutFor(false, 192).buttonY, 370);
}

TEST(ListSort, CaseInsensitiveOrderAndNumbers) {
  EXPECT_EQ(CompareNoCase("alpha", "ALPHA"), 0);
  EXPECT_LT(CompareNoCase("alpha", "Beta"), 0);
  EXPECT_GT(CompareNoCase("beta", "Alpha"), 0);
  EXPECT_LT(CompareNoCase("abc", "abcd"), 0);
  EXPECT_EQ(CompareNoCase("Журнал", "ЖУРНАЛ"), 0);
  EXPECT_LT(CompareNoCase("Zeta", "Ärger"), 0);  // by code point after folding
  EXPECT_LT(CompareCells("9", "10", true), 0);   // numeric cells by value, not text
  EXPECT_GT(CompareCells("9", "10", false), 0);
}

TEST(ListSort, EachColumnKeepsItsOwnDirection) {
  ColumnSortState state;
  EXPECT_FALSE(state.Click(2));  // ascending first
  EXPECT_TRUE(state.Click(2));   // then descending
  EXPECT_FALSE(state.Click(0));  // another column starts ascending
  EXPECT_FALSE(state.Click(2));
  state.SetDescending(4, true);
  EXPECT_TRUE(state.Click(4));
  EXPECT_FALSE(state.Descending(4));
}

TEST(RowMenu, EntriesThenTheCommonTail) {
  using E = RowMenuEntry;
  const E entries[] = {E::Info, E::ViewNote, E::Remove, E::Separator, E::Refresh};
  const auto withNote = BuildRowMenu(entries, true, false);
  const std::vector<std::pair<int, int>> expected = {{301, 1008}, {971, 1164}, {302, 1003},
                                                     {0, 0},      {305, 1006}, {0, 0},
                                                     {641, 1067}, {310, 9},    {31, 1077}};
  ASSERT_EQ(withNote.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(withNote[i].stringId, expected[i].first) << i;
    EXPECT_EQ(withNote[i].commandId, expected[i].second) << i;
  }
  const auto noNote = BuildRowMenu(entries, false, false);
  EXPECT_EQ(noNote.size(), expected.size() - 1);
  for (const MenuLine& line : noNote) EXPECT_NE(line.stringId, 971);
  // The Cookies page has no "Obrivo Log".
  for (const MenuLine& line : BuildRowMenu(entries, false, true)) EXPECT_NE(line.commandId, 9);
}

}  // namespace
}  // namespace obrivo::core
