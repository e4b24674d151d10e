// The Cookies page: the cookie filters that remove matching cookies, and the cookie viewer.
// Its filters and viewer come with the cookie category.
#include "explorer/pages/page_registry.h"

#include "explorer_ids.h"

namespace obrivo::explorer {

const PageDescription& CookiesPage() {
  static const PageDescription page = [] {
    PageDescription d;
    d.code = 6028;
    d.dialogId = IDD_COOKIES_PAGE;
    d.bottomButtons = {IDC_ADD, IDC_REMOVE};
    d.monitor = MonitorPicture{"Nuts", {}};
    return d;
  }();
  return page;
}

}  // namespace obrivo::explorer
