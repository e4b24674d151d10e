// The Monitor's file-type check and its answers.
#pragma once

#include "file_types/file_type_check.h"

namespace obrivo::monitor {

file_types::FileTypeCheckHooks MonitorFileTypeHooks();

// The patrol's check: the latest options first (the lock and the interval may just have changed
// on the Options page); nothing while the interval is off.
void PatrolFileTypes();

}  // namespace obrivo::monitor
