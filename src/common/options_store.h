// Loading the options into the program's working set, and the Explorer's write-back.
#pragma once

#include <string_view>

#include "core/options.h"

namespace obrivo::common {

// Reads every option of the table into `options` (defaults for missing or empty values).
void LoadOptions(core::OptionSet& options);

// Rewrites the options in the Explorer's write-back order; each write sets Update to "1".
void WriteBackOptions(const core::OptionSet& options);

// The stored value of an option of the table (its default when missing or empty); a name
// outside the table defaults to 0.
int ReadOptionOrDefault(std::string_view name);

// True when the other program asked for a reload (Update = "1"); clears the flag.
bool TakeOptionsUpdate();

}  // namespace obrivo::common
