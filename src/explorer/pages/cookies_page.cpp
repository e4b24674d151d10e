// The Cookies page: the cookie filters ("nuts") that remove matching cookies at each filter
// patrol, the browser whose cookies are meant, its cookie folder, and the cookie viewer.
#include "explorer/pages/page_registry.h"

#include <commdlg.h>

#include <iterator>
#include <string>

#include "browser/cookies.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/win32/wide.h"
#include "core/history_codes.h"
#include "core/text.h"
#include "explorer/cookie_viewer.h"
#include "explorer/explorer_state.h"
#include "explorer/messages.h"
#include "explorer_ids.h"
#include "string_ids.h"

namespace obrivo::explorer {
namespace {

constexpr int kTooManyNutsId = 729;
constexpr int kNoFilterSelectedId = 58;
constexpr int kFirefoxTooNewId = 1184;
constexpr int kFilterColumnId = 967;
constexpr int kInternetExplorerCode = 1;  // what the radio buttons store as the Browser option
constexpr int kMozillaCode = 6;

bool Checked(HWND page, int id) { return ::IsDlgButtonChecked(page, id) == BST_CHECKED; }

std::vector<browser::Nut> UserNuts() {
  std::vector<browser::Nut> nuts;
  for (browser::Nut& nut : browser::LoadNuts())
    if (nut.data != browser::kOneTimeNut) nuts.push_back(std::move(nut));
  return nuts;
}

void Fill(Page& page) {
  for (const browser::Nut& nut : UserNuts()) {
    core::Item item;
    item.title = nut.text;
    item.type = core::item_type::kNuts;
    page.items().AddRaw(std::move(item));
    const std::size_t index = page.items().Count() - 1;
    page.AddRow(index, page.items().At(index).title, {});
  }
}

void ShowFolder(Page& page) {
  const int browserCode = browser::ChosenBrowser();
  ::SetDlgItemTextW(
      page.window(), IDC_COOKIE_FOLDER,
      win32::Wide(browser::CookieFolderText(core::CookieModeFor(browserCode), browserCode))
          .c_str());
}

void Add(Page& page) {
  HWND edit = ::GetDlgItem(page.window(), IDC_COOKIE_FILTER_EDIT);
  const int length = ::GetWindowTextLengthW(edit);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  ::GetWindowTextW(edit, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  if (text.empty()) return;
  if (UserNuts().size() >= core::kMaxNuts) {
    ShowMessage(page.window(), kTooManyNutsId, MB_ICONEXCLAMATION);
    return;
  }
  if (!browser::AddNut(win32::Narrow(text))) {
    ShowMessage(page.window(), IDS_NUT_NOT_ADDED, MB_ICONWARNING);
    return;
  }
  ::SetWindowTextW(edit, L"");
  page.Fill();
}

void Remove(Page& page) {
  const int index = page.SelectedItem();
  if (index < 0) {
    ShowMessage(page.window(), kNoFilterSelectedId, MB_ICONINFORMATION);
    return;
  }
  // The filter's own name: the row shows a NUL as a visible mark.
  browser::RemoveNut(core::EntryName(page.items().At(static_cast<std::size_t>(index))));
  page.Fill();
}

// Enter reaches the page as its Info command: in the filter field it adds the filter.
void OnEnter(Page& page) {
  if (::GetFocus() == ::GetDlgItem(page.window(), IDC_COOKIE_FILTER_EDIT)) Add(page);
}

void ChooseBrowser(Page& page, int browserCode) {
  if (browser::ChosenBrowser() != browserCode) common::WriteOption("Browser", browserCode);
  ShowFolder(page);
}

// Another folder, chosen by a file in it; stored for the browser family the page shows.
void ChooseFolder(Page& page) {
  wchar_t file[MAX_PATH * 4] = {};
  static constexpr wchar_t kFilter[] = L"All Folder (*.*)\0*.*\0";
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = page.window();
  ofn.lpstrFilter = kFilter;
  ofn.lpstrFile = file;
  ofn.nMaxFile = static_cast<DWORD>(std::size(file));
  ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
  if (!::GetOpenFileNameW(&ofn)) return;
  const std::string chosen = win32::Narrow(file);
  const std::size_t slash = chosen.rfind('\\');
  if (slash == std::string::npos) return;
  const bool mozilla = core::CookieModeFor(browser::ChosenBrowser()) == core::CookieMode::Mozilla;
  common::WriteStoreString(HKEY_CURRENT_USER, common::kProductKey,
                           mozilla ? "CookieFolder" : "IECookieFolder",
                           chosen.substr(0, slash + 1));
  ShowFolder(page);
}

void Init(Page& page) {
  HWND window = page.window();
  // One column: the filter text takes the list's whole width.
  ::SendMessageW(page.list(), LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE_USEHEADER);
  ::SendDlgItemMessageW(window, IDC_COOKIE_FILTER_EDIT, EM_LIMITTEXT, core::kNutChars, 0);
  ::CheckDlgButton(window, IDC_ALWAYS_VIEW_COOKIES,
                   common::ReadOption("ViewCookies", 0) != 0 ? BST_CHECKED : BST_UNCHECKED);
  const bool mozilla = core::CookieModeFor(browser::ChosenBrowser()) == core::CookieMode::Mozilla;
  ::CheckRadioButton(window, IDC_COOKIES_IE, IDC_COOKIES_MOZILLA,
                     mozilla ? IDC_COOKIES_MOZILLA : IDC_COOKIES_IE);
  if (!browser::MozillaCookiesSupported()) {
    HWND radio = ::GetDlgItem(window, IDC_COOKIES_MOZILLA);
    if (browser::FirefoxMajorVersion() >= 3) {
      ::SetWindowTextW(radio, win32::Wide(common::LoadText(kFirefoxTooNewId)).c_str());
      ::EnableWindow(radio, FALSE);
    } else {
      ::ShowWindow(radio, SW_HIDE);
    }
  }
  const std::string& folder = mozilla ? Explorer().mozillaProfileFolder : Explorer().ieCookieFolder;
  if (!folder.empty())
    ::SetDlgItemTextW(window, IDC_COOKIE_FOLDER, win32::Wide(folder).c_str());
  else
    ShowFolder(page);
  // Opened for its cookie list, or the user always wants to see it: the viewer follows at once.
  if (Explorer().viewCookiesAtOnce || common::ReadOption("ViewCookies", 0) != 0)
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_VIEW_COOKIES, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(window, IDC_VIEW_COOKIES)));
}

}  // namespace

const PageDescription& CookiesPage() {
  static const PageDescription page = [] {
    PageDescription d;
    d.code = 6028;
    d.dialogId = IDD_COOKIES_PAGE;
    d.columns = {{kFilterColumnId}};
    d.sortOption = "SortCookie";
    d.bottomButtons = {IDC_ADD, IDC_REMOVE};
    d.monitor = MonitorPicture{"Nuts", {}};
    d.fill = Fill;
    d.init = Init;
    d.commands = {
        {IDC_ADD, Add},
        {IDC_REMOVE, Remove},
        {IDC_INFO, OnEnter},
        {IDC_VIEW_COOKIES, [](Page& p) { ShowCookieViewer(p.window()); }},
        {IDC_ALWAYS_VIEW_COOKIES,
         [](Page& p) {
           common::WriteOption("ViewCookies", Checked(p.window(), IDC_ALWAYS_VIEW_COOKIES));
         }},
        {IDC_COOKIES_IE, [](Page& p) { ChooseBrowser(p, kInternetExplorerCode); }},
        {IDC_COOKIES_MOZILLA, [](Page& p) { ChooseBrowser(p, kMozillaCode); }},
        {IDC_COOKIE_FOLDER_BROWSE, ChooseFolder},
    };
    return d;
  }();
  return page;
}

}  // namespace obrivo::explorer
