// The item list.
#include "item_list.h"

#include "capacity.h"
#include "history_codes.h"
#include "text.h"

namespace obrivo::core {

std::string TitleFromPath(std::string_view path) {
  std::string name(path.substr(FileNameOffset(path)));
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

std::string VisibleTitle(std::string_view title) {
  std::string out;
  out.reserve(title.size());
  for (const char c : title) {
    if (c == '\0')
      out += kNulMark;
    else
      out += c;
  }
  return out;
}

bool ItemList::Add(std::string_view title, std::string_view command, std::string_view key,
                   std::string_view text, int type, int flag, const ItemListEnv& env) {
  if (items_.size() >= kMaxItems) return false;
  if (type == item_type::kCookie &&
      items_.size() >= static_cast<std::size_t>(env.maxCookie < 0 ? 0 : env.maxCookie))
    return false;

  Item item;
  item.path = StripQuotes(command);
  const bool longForm = CharCount(item.path) >= 4 && env.longPath;
  // Only a path with a short (8.3) name in it has another long form; asking the file system
  // for every other one cost more than the rest of an enumeration.
  const auto hasShortName = [](std::string_view p) {
    return p.find('~') != std::string_view::npos;
  };
  if (longForm && hasShortName(item.path)) item.path = env.longPath(item.path);

  item.name = std::string(title);
  item.title = TruncateChars(VisibleTitle(title), kTitleCapacity);
  if (item.title.empty()) item.title = TruncateChars(TitleFromPath(item.path), kTitleCapacity);
  if (ContainsNoCase(item.title, "Obrivo")) item.title = env.displayTitle;

  item.key = (longForm && hasShortName(key)) ? env.longPath(key) : std::string(key);
  item.text = TruncateChars(text, kTextCapacity);
  item.type = type;
  item.flag = flag;
  items_.push_back(std::move(item));
  return true;
}

bool ItemList::AddRaw(Item item) {
  if (items_.size() >= kMaxItems) return false;
  if (item.title.find('\0') != std::string::npos) {
    if (item.name.empty()) item.name = item.title;
    item.title = VisibleTitle(item.title);
  }
  items_.push_back(std::move(item));
  return true;
}

bool RecentList::Add(RecentItem item) {
  if (items_.size() >= kMaxItems) return false;
  item.title = TruncateChars(item.title, kTitleCapacity);
  items_.push_back(std::move(item));
  return true;
}

}  // namespace obrivo::core
