// The item list: what every enumerator fills and every check, page and report reads by index.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace obrivo::core {

inline constexpr std::size_t kMaxItems = 4096;

struct Item {
  std::string title;  // display name, at most 127 characters
  std::string path;   // the program file (or other primary path)
  std::string key;    // secondary path or registry name (shortcut file, CLSID, value name)
  int type = 0;       // category and location code
  int flag = 0;       // category-specific (startup: 1 when run through RUNDLL32.EXE)
  std::string text;   // description, command line or version, at most 1023 characters
  // The title exactly as its location gave it: a Run value's name, kept whole and never
  // replaced by the display rules above, because it is the name the entry is disabled,
  // removed and looked up by.
  std::string name;
  // Startup entries: the command exactly as its location holds it (unexpanded, RUNDLL32 host and
  // quotes included), so that its program can be told apart from others of the same file.
  std::string command;
  // Startup entries: listed from the product's Disabled store or folder rather than from a live
  // location. Set by the enumerator; the store stays the record of the state.
  bool disabled = false;
};

// The name to act on an item by: its own name, or its title where it has none.
inline const std::string& EntryName(const Item& item) {
  return item.name.empty() ? item.title : item.name;
}

// A title as it may be shown: a NUL, which a value name can hold but a window would take for the
// end of the text, becomes a visible mark (U+2400), so that "Updater<NUL>hidden" never shows as
// a second "Updater". The mark replaces one character by one, so capacities count the same.
inline constexpr std::string_view kNulMark = "\xE2\x90\x80";
std::string VisibleTitle(std::string_view title);

// What adding an item needs from the system.
struct ItemListEnv {
  std::function<std::string(std::string_view)> longPath;  // long form of a path
  std::string displayTitle;  // replaces any title that names the program itself
  int maxCookie = 4096;      // cookie items accepted at most
};

class ItemList {
 public:
  void Clear() { items_.clear(); }
  std::size_t Count() const { return items_.size(); }
  const Item& At(std::size_t index) const { return items_.at(index); }
  // For the enumerator that completes what it has just added.
  Item& At(std::size_t index) { return items_.at(index); }
  bool IsValid(std::size_t index) const { return index < items_.size(); }

  // Adds one item by the list's rules; false when the list (or the cookie quota) is full.
  // Paths and keys are kept whole: they name files and registry values that must still be
  // found, removed or deleted, whatever their length.
  bool Add(std::string_view title, std::string_view command, std::string_view key,
           std::string_view text, int type, int flag, const ItemListEnv& env);
  // Adds the item as given, for rows that show what a record holds (the history): no long path
  // form, no title rules. Only a title with a NUL in it is shown visibly, the title as given then
  // kept as the item's name. False when the list is full.
  bool AddRaw(Item item);

 private:
  std::vector<Item> items_;
};

// Programs gathered for the Recent page: the same limit, its own count.
struct RecentItem {
  std::string title;
  std::string path;
  int category = 0;
  std::string key;
  int value1 = 0;
  int value2 = 0;
};

class RecentList {
 public:
  void Clear() { items_.clear(); }
  std::size_t Count() const { return items_.size(); }
  const RecentItem& At(std::size_t index) const { return items_.at(index); }
  bool Add(RecentItem item);

 private:
  std::vector<RecentItem> items_;
};

// The title shown for a program file without a title of its own: its file name without the
// extension ("C:\Tools\agent.exe" gives "agent").
std::string TitleFromPath(std::string_view path);

}  // namespace obrivo::core
