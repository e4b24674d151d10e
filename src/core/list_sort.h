// Sorting of the Explorer's lists: one direction flag per column, and the comparisons.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace obrivo::core {

// Case-insensitive order of two texts (character by character after case folding):
// negative, 0 or positive.
int CompareNoCase(std::string_view a, std::string_view b);

// Text cells compare case-insensitively, numeric cells (a type or a count) by value.
int CompareCells(std::string_view a, std::string_view b, bool numeric);

// Each column keeps its own direction, starting ascending; a click sorts in the column's
// current direction and then flips it.
class ColumnSortState {
 public:
  // The direction for a click on `column` (true = descending), flipping it for the next click.
  bool Click(int column);
  bool Descending(int column) const;
  void SetDescending(int column, bool descending);

 private:
  std::vector<bool> descending_;
};

}  // namespace obrivo::core
