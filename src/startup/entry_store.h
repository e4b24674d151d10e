// What the startup operations share: the machine-wide Disabled store (markers and stored
// copies) and the per-user startup baseline.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace obrivo::startup::detail {

// The HKLM key of a location whose entries are single values (252-254); empty otherwise.
std::string_view AdvancedValueKey(int code);

// Software\Tolvane\Obrivo\Disabled, or one of its subkeys.
std::string DisabledKey(std::string_view subkey = {});

// A string value read whole, exactly as stored (not expanded, not cut); nothing when missing.
std::optional<std::string> ReadExactString(HKEY hive, std::string_view subkey,
                                           std::string_view name);

// A command value as it stands, with its type: an expandable command stays expandable when it
// moves between its Run key and the Disabled store.
struct StoredCommand {
  std::string text;
  DWORD type = REG_SZ;
};
std::optional<StoredCommand> ReadCommandValue(HKEY hive, std::string_view subkey,
                                              std::string_view name);
bool WriteCommandValue(HKEY hive, std::string_view subkey, std::string_view name,
                       const StoredCommand& command);

// A marker holds a location code; a longer text is none.
inline constexpr std::size_t kMarkerCapacity = 16;

// Every marker at once, by entry name (compared without regard to case): for a listing, which
// asks for each of its entries, reading the key once instead of once an entry.
class DisabledMarkers {
 public:
  DisabledMarkers();
  bool Has(std::string_view name) const;
  int CodeOf(std::string_view name) const;  // 0 when the entry has no marker

 private:
  std::unordered_map<std::string, int> codes_;
};

bool WriteMarker(std::string_view title, int code);
bool DeleteMarker(std::string_view title);

// The startup baseline: `command` accepted with `code`, or forgotten. Both use the value-name
// form the check looks the entry up by.
void AcceptInBaseline(std::string_view command, int code);
void ForgetInBaseline(std::string_view name);

}  // namespace obrivo::startup::detail
