// The list views of the Explorer's pages: columns sized by the page's rule, rows that carry
// their item-list index, icons, selection and cell texts.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <string_view>

namespace obrivo::explorer {

// Inserts column `index` with `text`, sized by the page's width rule or its stored
// `Column<page code><index>` option.
void InsertPageColumn(HWND list, std::string_view text, int pageCode, int index);
// Stores every column's width as the page's `Column<page code><index>` options.
void SaveColumnWidths(HWND list, int pageCode);

// The item-list index of the first selected row, or -1.
int SelectedRow(HWND list);
// The list row (not the item index) of the first selected row, or -1.
int SelectedRowPosition(HWND list);
// Clears every selection, then selects, focuses and shows `row`.
void SelectRow(HWND list, int row);

// Adds icon `iconIndex` of `path` to `images` and returns its image index; a missing file, or
// one without that icon, gives the missing-file icon.
int AddRowIcon(HIMAGELIST images, std::string_view path, int iconIndex);
// A small-icon image list whose entry 0 is the program's icon.
HIMAGELIST CreateRowImageList();
// Empties `images` down to that entry 0.
void ResetRowImages(HIMAGELIST images);

// Inserts a row at the end whose lParam is `itemIndex`; returns its row position.
int InsertRow(HWND list, int itemIndex, std::string_view title, int image);
void SetCellText(HWND list, int row, int column, std::string_view text);
std::string CellText(HWND list, int row, int column);
// The item-list index that a row carries.
int RowItemIndex(HWND list, int row);
int RowCount(HWND list);
// Sorts the rows by the texts of `column` (case-insensitively, or by value when `numeric`).
void SortRows(HWND list, int column, bool numeric, bool descending);
int ColumnCount(HWND list);

}  // namespace obrivo::explorer
