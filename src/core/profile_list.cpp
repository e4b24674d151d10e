// win.ini program lists.
#include "profile_list.h"

#include "text.h"

namespace obrivo::core {

std::string AppendListEntry(std::string_view list, std::string_view entry) {
  std::string out(list);
  // No empty token: neither first in a list that was empty, nor after the ";" a removal leaves.
  if (!out.empty() && out.back() != ';') out += ';';
  out += entry;
  return out;
}

std::string RemoveListEntry(std::string_view list, std::string_view entry) {
  std::string out;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(';', start);
    if (end == std::string_view::npos) end = list.size();
    const std::string_view token = list.substr(start, end - start);
    if (!token.empty() && !EqualsNoCase(token, entry)) {
      out += token;
      out += ';';
    }
    start = end + 1;
  }
  return out;
}

}  // namespace obrivo::core
