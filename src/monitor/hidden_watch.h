// The Monitor's hidden-files check as the patrol runs it: a new hidden file is asked about with
// the New Hidden File alert (or answered by the hidden-alert options), and the tray shows the
// alert; a Delete that could not be done is said.
#pragma once

#include "files/hidden_check.h"

namespace obrivo::monitor {

files::HiddenCheckHooks MonitorHiddenHooks();

// The patrol's hidden-files category.
void VerifyHiddenFiles();

}  // namespace obrivo::monitor
