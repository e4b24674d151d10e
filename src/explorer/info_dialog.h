// The Info window: one item of a page's list in detail (version information, dates, size,
// first detection, notes), with Previous/Next through the list, Run and Kill Task.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>

#include "core/item_list.h"

namespace obrivo::explorer {

class Page;

// How the window tells whether an item's program runs, and ends it (Kill Task), by item index.
// Left empty, the item's path is taken for the command line that started the program.
struct ProgramControl {
  std::function<bool(std::size_t)> running;
  std::function<void(HWND, std::size_t)> stop;  // the owner of any question, the item
};

struct InfoContext {
  const core::ItemList* items = nullptr;
  std::size_t index = 0;
  bool expanded = false;
  // Called with each item index the window shows (the page selects its row).
  std::function<void(std::size_t)> onShow;
  // The item's location text, when its category names one (e.g. a startup location).
  std::function<std::string(const core::Item&)> locationText;
  // The notes box's text for an item without a note file, when its category gives one (a
  // scheduled task's status and comment); otherwise the item's own text.
  std::function<std::string(const core::Item&)> notesText;
  ProgramControl program;
};

// Modal over `owner`; returns when the window closes.
void ShowItemInfo(HWND owner, InfoContext context);

// The Info window for item `index` of the page's items.
void ShowProgramInfo(Page& page, std::size_t index, bool expanded);

}  // namespace obrivo::explorer
