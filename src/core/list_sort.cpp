// Sorting of the Explorer's lists.
#include "list_sort.h"

#include "text.h"
#include "utf.h"

namespace obrivo::core {

int CompareNoCase(std::string_view a, std::string_view b) {
  const std::u32string x = DecodeUtf8(a), y = DecodeUtf8(b);
  const std::size_t n = x.size() < y.size() ? x.size() : y.size();
  for (std::size_t i = 0; i < n; ++i) {
    const char32_t p = FoldCase(x[i]), q = FoldCase(y[i]);
    if (p != q) return p < q ? -1 : 1;
  }
  if (x.size() == y.size()) return 0;
  return x.size() < y.size() ? -1 : 1;
}

int CompareCells(std::string_view a, std::string_view b, bool numeric) {
  if (!numeric) return CompareNoCase(a, b);
  const int x = LeadingNumber(SkipLeadingSpaces(a)), y = LeadingNumber(SkipLeadingSpaces(b));
  return x < y ? -1 : (x > y ? 1 : 0);
}

bool ColumnSortState::Click(int column) {
  const bool descending = Descending(column);
  SetDescending(column, !descending);
  return descending;
}

bool ColumnSortState::Descending(int column) const {
  return column >= 0 && static_cast<std::size_t>(column) < descending_.size() &&
         descending_[static_cast<std::size_t>(column)];
}

void ColumnSortState::SetDescending(int column, bool descending) {
  if (column < 0) return;
  if (static_cast<std::size_t>(column) >= descending_.size())
    descending_.resize(static_cast<std::size_t>(column) + 1, false);
  descending_[static_cast<std::size_t>(column)] = descending;
}

}  // namespace obrivo::core
