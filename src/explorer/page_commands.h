// Commands that several list pages share.
#pragma once

#include "explorer/page.h"

namespace obrivo::explorer {

// "Delete File on Reboot": after asking string 800 (the deletion cannot be undone), schedules
// the selected row's program file for deletion at the next start of Windows.
void DeleteSelectedOnReboot(Page& page);

}  // namespace obrivo::explorer
