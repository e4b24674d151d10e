// System libraries loaded by their full path in the system folder, so that a copy planted in the
// program's folder or the current folder is never loaded in their place.
#pragma once

#include <string_view>

#include "common/win32/unique.h"

namespace obrivo::win32 {

// `name` from the system folder; none when it is not there or does not load.
UniqueModule LoadSystemLibrary(std::string_view name);

// `name` from `folder`, its own imports looked for there and in the system folder only.
UniqueModule LoadLibraryFrom(std::string_view folder, std::string_view name);

}  // namespace obrivo::win32
