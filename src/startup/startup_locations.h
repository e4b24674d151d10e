// Every place Windows starts a program from at boot or logon, listed as items of the shared item
// list: the Run keys, the Startup folders, win.ini, the disabled entries, Winlogon and the
// advanced locations.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace obrivo::startup {

// Clears the shared item list and fills it with every startup entry in location order.
// `pageMode` true is the Explorer page's listing, which shows the Winlogon and advanced
// locations only while the ShowAllStartup option is above 0; false lists everything (baselines,
// the Monitor, reports). Returns the number of items.
std::size_t EnumStartup(bool pageMode);

// The long label of an item's location; a disabled entry's label (the item as listed from the
// Disabled store) starts with the disabled prefix. Also serves other categories' codes (scheduled tasks, IE helpers); empty for codes
// without a label.
std::string LocationLabel(int code, bool disabled);

}  // namespace obrivo::startup
