// The program-wide item list that every enumerator empties and fills, and that checks, pages and
// reports read by index. One enumeration runs at a time, on the window's thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/item_list.h"

namespace obrivo::common {

core::ItemList& Items();
core::RecentList& RecentItems();

void ClearItems();
// Adds by the list's rules: long path form, title from the file name, the program's own
// title for anything named Obrivo, the cookie quota of the MaxCookie option.
bool AddItem(std::string_view title, std::string_view command, std::string_view key,
             std::string_view text, int type, int flag);
// The same with the rules' inputs read once, for an enumerator that adds many items.
core::ItemListEnv ItemEnv();
bool AddItem(std::string_view title, std::string_view command, std::string_view key,
             std::string_view text, int type, int flag, const core::ItemListEnv& env);
std::size_t ItemCount();
// The item added last, for the fields AddItem does not set; only after an AddItem that succeeded.
core::Item& LastItem();

// Fields by index; an index outside the list reads as empty text or 0.
std::string ItemTitle(std::size_t index);
std::string ItemPath(std::size_t index);
std::string ItemKey(std::size_t index);
std::string ItemText(std::size_t index);
int ItemType(std::size_t index);
int ItemFlag(std::size_t index);

}  // namespace obrivo::common
