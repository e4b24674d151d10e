// The program-wide item list.
#include "common/items.h"

#include "common/app.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "string_ids.h"

namespace obrivo::common {

core::ItemList& Items() {
  static core::ItemList list;
  return list;
}

core::RecentList& RecentItems() {
  static core::RecentList list;
  return list;
}

void ClearItems() { Items().Clear(); }

core::ItemListEnv ItemEnv() {
  core::ItemListEnv env;
  env.longPath = [](std::string_view p) { return LongPathName(p); };
  env.displayTitle = LoadText(IDS_PROGRAM_TITLE, core::kTitleCapacity);
  env.maxCookie = App().options.Get(core::OptionId::MaxCookie);
  return env;
}

bool AddItem(std::string_view title, std::string_view command, std::string_view key,
             std::string_view text, int type, int flag) {
  return AddItem(title, command, key, text, type, flag, ItemEnv());
}

bool AddItem(std::string_view title, std::string_view command, std::string_view key,
             std::string_view text, int type, int flag, const core::ItemListEnv& env) {
  return Items().Add(title, command, key, text, type, flag, env);
}

std::size_t ItemCount() { return Items().Count(); }

core::Item& LastItem() { return Items().At(Items().Count() - 1); }

namespace {

template <typename Field>
auto FieldOf(std::size_t index, Field field) -> decltype(field(Items().At(0))) {
  if (!Items().IsValid(index)) return {};
  return field(Items().At(index));
}

}  // namespace

std::string ItemTitle(std::size_t i) {
  return FieldOf(i, [](const core::Item& it) { return it.title; });
}
std::string ItemPath(std::size_t i) {
  return FieldOf(i, [](const core::Item& it) { return it.path; });
}
std::string ItemKey(std::size_t i) {
  return FieldOf(i, [](const core::Item& it) { return it.key; });
}
std::string ItemText(std::size_t i) {
  return FieldOf(i, [](const core::Item& it) { return it.text; });
}
int ItemType(std::size_t i) {
  return FieldOf(i, [](const core::Item& it) { return it.type; });
}
int ItemFlag(std::size_t i) {
  return FieldOf(i, [](const core::Item& it) { return it.flag; });
}

}  // namespace obrivo::common
