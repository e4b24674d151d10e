// The PLUS page: the product's own page, with the vendor's news, the version check and a
// search for any program by its file name.
#include "explorer/pages/page_registry.h"

#include <string>

#include "common/app.h"
#include "common/online_lookup.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/win32/wide.h"
#include "core/history_codes.h"
#include "core/language.h"
#include "core/online_lookup.h"
#include "explorer/explorer_state.h"
#include "explorer_ids.h"
#include "icon_ids.h"

namespace obrivo::explorer {
namespace {

constexpr std::size_t kSearchCapacity = 260;

std::string PlusTitle() { return "Obrivo PLUS v " + std::string(common::kProductVersion); }

void Init(Page& page) {
  HWND w = page.window();
  ::SetDlgItemTextW(w, IDC_PLUS_TITLE, win32::Wide(PlusTitle()).c_str());
  ::SendDlgItemMessageW(w, IDC_PLUS_TITLE, WM_SETFONT,
                        reinterpret_cast<WPARAM>(SharedFont(Font::Title, page.dpi())), FALSE);
  ::SendDlgItemMessageW(w, IDC_NEWS_LINK, WM_SETFONT,
                        reinterpret_cast<WPARAM>(SharedFont(Font::Link, page.dpi())), FALSE);
  ::SendDlgItemMessageW(w, IDC_PRODUCT_PICTURE, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(SharedBitmap(IDB_PRODUCT)));
  ::SendDlgItemMessageW(w, IDC_SEARCH_EDIT, EM_LIMITTEXT, kSearchCapacity - 1, 0);
}

void OpenNews(Page& page) {
  common::OpenWebAddress(page.window(), std::string(core::kVendorSite) + "/news.html");
}

void CheckVersion(Page& page) {
  const std::string stored =
      common::ReadStoreString(common::kProductKey, HKEY_LOCAL_MACHINE, "GetVersion", 1024);
  common::OpenWebAddress(
      page.window(), core::BuildVersionCheckAddress(stored, common::kProductVersion,
                                                    core::WebLanguage(common::App().languageId)));
}

void Search(Page& page) {
  wchar_t text[kSearchCapacity] = {};
  ::GetDlgItemTextW(page.window(), IDC_SEARCH_EDIT, text, static_cast<int>(kSearchCapacity));
  const std::string name = win32::Narrow(text);
  if (name.empty()) return;
  common::LookUpProgramOnline(page.window(), core::item_type::kSearch, name, name);
}

}  // namespace

const PageDescription& PlusPage() {
  static const PageDescription page = [] {
    PageDescription d;
    d.code = 6027;
    d.dialogId = IDD_PLUS_PAGE;
    d.init = Init;
    d.commands = {
        {IDC_NEWS_LINK, OpenNews}, {IDC_VERSION_CHECK, CheckVersion}, {IDC_SEARCH, Search}};
    return d;
  }();
  return page;
}

}  // namespace obrivo::explorer
