// The list views of the Explorer's pages.
#include "explorer/list_view.h"

#include <shellapi.h>

#include <vector>

#include "common/app.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/system.h"
#include "common/win32/wide.h"
#include "core/explorer_pages.h"
#include "core/list_sort.h"
#include "icon_ids.h"

namespace obrivo::explorer {
namespace {

std::string ColumnOptionName(int pageCode, int index) {
  return "Column" + std::to_string(pageCode) + std::to_string(index);
}

win32::UniqueIcon LoadSmallIcon(int id) {
  return win32::UniqueIcon(static_cast<HICON>(::LoadImageW(
      common::App().instance, MAKEINTRESOURCEW(id), IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
      ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
}

struct SortContext {
  std::vector<std::string> textByItem;  // the sorted column's text, by item index
  bool numeric;
  bool descending;
};

int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM context) {
  const auto& c = *reinterpret_cast<const SortContext*>(context);
  auto text = [&c](LPARAM index) -> std::string_view {
    const auto i = static_cast<std::size_t>(index);
    return i < c.textByItem.size() ? std::string_view(c.textByItem[i]) : std::string_view();
  };
  const int order = core::CompareCells(text(a), text(b), c.numeric);
  return c.descending ? -order : order;
}

}  // namespace

void InsertPageColumn(HWND list, std::string_view text, int pageCode, int index) {
  RECT r{};
  ::GetWindowRect(list, &r);
  const int width =
      core::ColumnWidth(pageCode, index, r.right - r.left, ::GetSystemMetrics(SM_CXVSCROLL),
                        common::ReadOption(ColumnOptionName(pageCode, index), 0));
  std::wstring wide = win32::Wide(text);
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.cx = width;
  column.pszText = wide.data();
  column.iSubItem = index;
  ::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&column));
}

void SaveColumnWidths(HWND list, int pageCode) {
  const int count = ColumnCount(list);
  for (int i = 0; i < count; ++i) {
    const int width = static_cast<int>(::SendMessageW(list, LVM_GETCOLUMNWIDTH, i, 0));
    if (width > 0) common::WriteOption(ColumnOptionName(pageCode, i), width);
  }
}

int SelectedRowPosition(HWND list) {
  return static_cast<int>(
      ::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

int SelectedRow(HWND list) {
  const int row = SelectedRowPosition(list);
  return row < 0 ? -1 : RowItemIndex(list, row);
}

void SelectRow(HWND list, int row) {
  LVITEMW clear{};
  clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  clear.state = 0;
  ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
  LVITEMW select{};
  select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  select.state = LVIS_SELECTED | LVIS_FOCUSED;
  ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&select));
  ::SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

void ResetRowImages(HIMAGELIST images) {
  if (!images) return;
  ::ImageList_Remove(images, -1);
  if (const win32::UniqueIcon icon = LoadSmallIcon(IDI_PROGRAM))
    ::ImageList_ReplaceIcon(images, -1, icon.get());
}

HIMAGELIST CreateRowImageList() {
  HIMAGELIST images =
      ::ImageList_Create(::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                         ILC_COLOR32 | ILC_MASK, 1, 1);
  ResetRowImages(images);
  return images;
}

int AddRowIcon(HIMAGELIST images, std::string_view path, int iconIndex) {
  win32::UniqueIcon icon;
  std::string file = common::CommandToProgramPath(path);
  if (!file.empty() && common::FileExists(file))
    icon = win32::ExtractFileIcon(file, iconIndex, true);
  if (!icon) icon = LoadSmallIcon(IDI_MISSING_FILE);
  if (!icon) return 0;
  const int image = ::ImageList_ReplaceIcon(images, -1, icon.get());
  return image < 0 ? 0 : image;
}

int InsertRow(HWND list, int itemIndex, std::string_view title, int image) {
  std::wstring wide = win32::Wide(title);
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
  item.iItem = RowCount(list);
  item.pszText = wide.data();
  item.iImage = image;
  item.lParam = itemIndex;
  return static_cast<int>(
      ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void SetCellText(HWND list, int row, int column, std::string_view text) {
  std::wstring wide = win32::Wide(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = wide.data();
  ::SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::string CellText(HWND list, int row, int column) {
  std::vector<wchar_t> buffer(1024);
  for (;;) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    const auto length = static_cast<std::size_t>(::SendMessageW(
        list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
    if (length + 1 < buffer.size() || buffer.size() >= 65536)
      return win32::NarrowBuffer(buffer.data(), length);
    buffer.resize(buffer.size() * 4);
  }
}

int RowItemIndex(HWND list, int row) {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!::SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return -1;
  return static_cast<int>(item.lParam);
}

int RowCount(HWND list) { return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

int ColumnCount(HWND list) {
  HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
  return header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

void SortRows(HWND list, int column, bool numeric, bool descending) {
  SortContext context{{}, numeric, descending};
  const int rows = RowCount(list);
  for (int row = 0; row < rows; ++row) {
    const int item = RowItemIndex(list, row);
    if (item < 0) continue;
    if (static_cast<std::size_t>(item) >= context.textByItem.size())
      context.textByItem.resize(static_cast<std::size_t>(item) + 1);
    context.textByItem[static_cast<std::size_t>(item)] = CellText(list, row, column);
  }
  ::SendMessageW(list, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&context),
                 reinterpret_cast<LPARAM>(CompareRows));
}

}  // namespace obrivo::explorer
