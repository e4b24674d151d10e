// Options in the store.
#include "common/options_store.h"

#include "common/app.h"
#include "common/store.h"

namespace obrivo::common {

void LoadOptions(core::OptionSet& options) {
  for (std::size_t i = 0; i < core::kOptionCount; ++i) {
    const auto id = static_cast<core::OptionId>(i);
    options.Set(id, ReadOption(core::OptionName(id),
                               core::OptionDefault(id, App().program, App().ntFamily)));
  }
}

void WriteBackOptions(const core::OptionSet& options) {
  for (core::OptionId id : core::OptionWriteBackOrder())
    WriteOption(core::OptionName(id), options.Get(id));
}

bool TakeOptionsUpdate() {
  if (ReadOption("Update", 0) == 0) return false;
  WriteStoreString(HKEY_CURRENT_USER, kOptionsKey, "Update", "0");
  return true;
}

int ReadOptionOrDefault(std::string_view name) {
  const auto id = core::OptionByName(name);
  const int fallback = id ? core::OptionDefault(*id, App().program, App().ntFamily) : 0;
  return ReadOption(name, fallback);
}

}  // namespace obrivo::common
