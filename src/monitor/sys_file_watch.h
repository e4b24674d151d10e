// The Monitor's check of the watched system files as the patrol runs it: a change shows the
// alert icon and the File Change Alert (or is answered by the hide options).
#pragma once

#include "files/sys_files.h"

namespace obrivo::monitor {

files::SysFileCheckHooks MonitorSysFileHooks();

// The patrol's system-files category.
void PatrolSysFiles();

}  // namespace obrivo::monitor
