// Every page of the sheet by its code.
#include "explorer/pages/page_registry.h"

namespace obrivo::explorer {

const PageDescription& DescriptionFor(int code) {
  switch (code) {
    case 6055:
      return DelayedStartPage();
    case 6056:
      return ActiveXPage();
    case 6040:
      return IEHelpersPage();
    case 6039:
      return ScheduledTasksPage();
    case 6038:
      return ServicesPage();
    case 6029:
      return ActiveTasksPage();
    case 6028:
      return CookiesPage();
    case 6042:
      return FileTypesPage();
    case 6052:
      return HiddenFilesPage();
    case 6060:
      return RecentPage();
    case 6027:
      return PlusPage();
    case 6033:
      return OptionsPage();
    default:
      return StartupPage();
  }
}

}  // namespace obrivo::explorer
