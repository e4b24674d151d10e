// The shared machinery of the Explorer's pages. A page is a small declarative description
// (dialog, columns, menu entries, fill function, commands); one window procedure serves them
// all: texts, columns, sorting, the right-click menu, the corner pictures, the layout on resize,
// position keeping and the Info dialog.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/item_list.h"
#include "core/list_sort.h"
#include "core/picture_states.h"
#include "core/row_menu.h"
#include "explorer/page_layout.h"

namespace obrivo::explorer {

class Page;
using PageAction = std::function<void(Page&)>;

struct PageColumn {
  int stringId;
  bool numeric = false;  // compares by value
  bool sortable = true;
};

struct PageCommand {
  int id;
  PageAction run;
};

// The patrol-time picture of a category page.
struct MonitorPicture {
  std::string_view intervalOption;  // patrol interval: 0 means the check is off
  std::string_view realtimeOption;  // real-time watching, empty when the category has none
};

// A patrol picture of the page's own beside the corner one (the Options page has them): it
// shows and sets its category's patrol like the Monitor picture does.
struct PatrolPicture {
  int control;
  MonitorPicture patrol;
};

struct PageDescription {
  int code = 0;
  int dialogId = 0;
  std::vector<PageColumn> columns;       // none: the page has no list
  std::vector<core::RowMenuEntry> menu;  // right-click entries before the common tail
  std::string_view sortOption;           // e.g. "SortStartup"; empty when not kept
  std::vector<int> bottomButtons;        // left to right, spread along the bottom edge
  std::optional<MonitorPicture> monitor;
  std::vector<PatrolPicture> patrolPictures;
  PageAction fill;                    // enumerates and adds rows; none: list stays empty
  std::vector<PageCommand> commands;  // the page's own buttons and menu commands
  PageAction init;                    // extra work at creation
  PageAction activate;                // extra work each time the page is shown
  PageAction selectionChanged;        // the selected rows changed: buttons and status follow
  // The right-click entries for the row of `item`, where they depend on the row; otherwise
  // `menu` serves every row.
  std::function<std::vector<core::RowMenuEntry>(const core::Item&)> menuFor;
  // The location text the Info window shows for an item, when the category names one.
  std::function<std::string(const core::Item&)> locationText;
  // The Info window's notes for an item without a note file, when the category gives them.
  std::function<std::string(const core::Item&)> notesText;
  // Whether item `index`'s program runs, and ending it, for the Info window's status and Kill
  // Task, where the category knows its programs better than by the item's path.
  std::function<bool(Page&, std::size_t)> programRunning;
  std::function<void(Page&, HWND, std::size_t)> stopProgram;
};

// One page window while it exists.
class Page {
 public:
  Page(HWND window, const PageDescription& description);
  ~Page();
  Page(const Page&) = delete;
  Page& operator=(const Page&) = delete;

  HWND window() const { return window_; }
  // The DPI the page is drawn and laid out at.
  int dpi() const { return dpi_; }
  HWND list() const { return list_; }
  const PageDescription& description() const { return description_; }
  // The items behind the rows: the page's own copy of what its enumerator found.
  core::ItemList& items() { return items_; }

  // Clears and refills the list with the page's enumerator, then repeats the stored sort.
  void Fill();
  // Adds a row for item `index` of items() with its program's icon; returns the row position.
  int AddRow(std::size_t index, std::string_view title, std::string_view iconPath,
             int iconIndex = 0);
  void SortBy(int column, bool descending);
  // Sorts by `column` in the direction its next header click would take, without flipping it.
  void SortInClickDirection(int column);
  // The direction the next header click on `column` sorts in.
  void SetClickDirection(int column, bool descending);
  // The item index of the first selected row, or -1.
  int SelectedItem() const;
  // The item indexes of every selected row, in row order.
  std::vector<std::size_t> SelectedItems() const;
  // The same; none after telling the user that a row must be chosen first.
  std::vector<std::size_t> SelectedItemsOrSay() const;

  // True when the page acts on `id` (its own command or a shared one).
  bool Handles(int id) const;
  void Run(int id);

 private:
  friend INT_PTR CALLBACK PageProc(HWND, UINT, WPARAM, LPARAM);
  void OnInit();
  void OnSetActive();
  void OnColumnClick(int column);
  void OnContextMenu();
  void OnDestroy();
  void OnDpiChanged(int dpi);
  // The pictures and the corner pictures' labels (page_pictures.cpp).
  void InitPictures();
  void OnMouse(UINT message, POINT clientPoint);
  HWND PictureAt(POINT clientPoint) const;
  void ShowPictureImage(HWND picture, core::PictureLook look);
  void RefreshMonitorPicture();
  // The patrol a picture control shows (the corner Monitor picture or one of patrolPictures).
  const MonitorPicture* PatrolOf(int control) const;
  void SetPatrolTime(int control);
  void DrawLabel(const DRAWITEMSTRUCT& item);

  HWND window_;
  HWND list_ = nullptr;
  const PageDescription& description_;
  HIMAGELIST images_ = nullptr;
  // Image index by program file and icon, for the current fill: many rows often start the
  // same program, and reading an icon from a file is slow.
  std::map<std::string, int> iconImages_;
  core::ItemList items_;
  core::ColumnSortState sort_;
  bool filled_ = false;
  int dpi_ = 96;
  core::PictureStates pictures_;  // the corner picture under the mouse and the one pressed
  PageLayout layout_;
};

INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Private page message: lay out the controls for the page's current size.
inline constexpr UINT kLayoutMessage = 6049;

}  // namespace obrivo::explorer
