// The system-file change alert. The check fills alertKey with the record's name ("HOSTS") and
// alertPath with the watched file's path.
#pragma once

namespace obrivo::monitor {

// 1 when the change was accepted or rejected; 0 when that failed (the user has been told) or
// the dialog could not be shown. Closing the alert does not answer it: it stays open.
int ShowSysFileAlert();

}  // namespace obrivo::monitor
