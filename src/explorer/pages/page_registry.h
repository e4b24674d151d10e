// Every page of the sheet, one description each (one file per page in this folder).
#pragma once

#include "explorer/page.h"

namespace obrivo::explorer {

const PageDescription& StartupPage();
const PageDescription& DelayedStartPage();
const PageDescription& ActiveXPage();
const PageDescription& IEHelpersPage();
const PageDescription& ScheduledTasksPage();
const PageDescription& ServicesPage();
const PageDescription& ActiveTasksPage();
const PageDescription& CookiesPage();
const PageDescription& FileTypesPage();
const PageDescription& HiddenFilesPage();
const PageDescription& RecentPage();
const PageDescription& PlusPage();
const PageDescription& OptionsPage();

// The description of the page with `code`; the Startup Programs page for any other code.
const PageDescription& DescriptionFor(int code);

}  // namespace obrivo::explorer
