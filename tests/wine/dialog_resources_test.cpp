// The Explorer's dialog templates and bitmaps against the text table and the string table: every
// dialog is created for real, so an id typed wrong on either side shows up as a missing control,
// a text that never arrives or a string that does not exist.
#include "explorer/dialog_texts.h"

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "common/text_loader.h"
#include "common/win32/unique.h"
#include "core/row_menu.h"
#include "explorer_ids.h"
#include "icon_ids.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

using explorer::ApplyDialogTexts;
using explorer::DialogTexts;

enum class Kind { Page, Popup };
enum class Selection { None, Single, Multiple };  // of the list; None: the dialog has no list

constexpr SIZE kPageSize{400, 250};

struct DialogCase {
  const char* name;
  int id;
  Kind kind;
  Selection selection;
  bool monitorPicture = false;
  std::vector<int> ownTexts = {};  // controls whose text the dialog sets from what it shows
  std::vector<int> hidden = {};    // controls the dialog shows only when they apply
  SIZE size = kPageSize;           // client size in dialog units
};

void PrintTo(const DialogCase& dialog, std::ostream* out) { *out << dialog.name; }

constexpr auto kPage = Kind::Page;
constexpr auto kOne = Selection::Single;
constexpr auto kMany = Selection::Multiple;
constexpr auto kNoList = Selection::None;

const DialogCase kDialogs[] = {
    {"Startup", IDD_STARTUP_PAGE, kPage, kMany, true},
    {"Delayed", IDD_DELAYED_PAGE, kPage, kMany},
    {"ActiveX", IDD_ACTIVEX_PAGE, kPage, kMany, true},
    {"IeHelpers", IDD_IE_HELPERS_PAGE, kPage, kOne, true},
    {"ScheduledTasks", IDD_SCHEDULED_TASKS_PAGE, kPage, kOne, true},
    {"Services", IDD_SERVICES_PAGE, kPage, kOne, true},
    {"ActiveTasks", IDD_ACTIVE_TASKS_PAGE, kPage, kMany},
    {"Cookies", IDD_COOKIES_PAGE, kPage, kOne, true},
    {"FileTypes", IDD_FILE_TYPES_PAGE, kPage, kOne, true},
    {"HiddenFiles", IDD_HIDDEN_FILES_PAGE, kPage, kOne, true},
    {"Recent",
     IDD_RECENT_PAGE,
     kPage,
     kMany,
     false,
     {IDC_RECENT_ACTION},
     {IDC_RECENT_ACTION, IDC_INFO}},
    {"Plus", IDD_PLUS_PAGE, kPage, kNoList, false, {IDC_PLUS_TITLE}},
    {"Options", IDD_OPTIONS_PAGE, kPage, kNoList},
    {"ProgramInfo",
     IDD_PROGRAM_INFO,
     Kind::Popup,
     kNoList,
     false,
     {IDC_INFO_PRODUCT, IDC_INFO_DESCRIPTION, IDC_INFO_PATH, IDC_INFO_COMPANY, IDC_INFO_VERSION,
      IDC_INFO_COPYRIGHT, IDC_INFO_LOCATION, IDC_INFO_STATUS, IDC_INFO_SERVICE_STATUS,
      IDC_INFO_CREATED, IDC_INFO_LAST_SAVED, IDC_INFO_SIZE, IDC_INFO_DETECTED},
     {IDC_INFO_KILL, IDC_INFO_RUN, IDC_INFO_START_TYPE_LABEL, IDC_INFO_START_TYPE,
      IDC_INFO_SERVICE_STATUS_LABEL, IDC_INFO_SERVICE_STATUS, IDC_INFO_SERVICE_STOP,
      IDC_INFO_SERVICE_APPLY},
     {300, 236}},
    {"History", IDD_HISTORY, Kind::Popup, kOne, false, {}, {}, {360, 186}},
    {"PatrolTime", IDD_PATROL_TIME, Kind::Popup, kNoList, false, {}, {}, {200, 116}},
    // The radios stand under their column headings without a text of their own.
    {"HideAlerts",
     IDD_HIDE_ALERTS,
     Kind::Popup,
     kNoList,
     false,
     {IDC_ALLOW_STARTUP, IDC_PREVENT_STARTUP, IDC_ALLOW_IE_HELPERS, IDC_PREVENT_IE_HELPERS,
      IDC_ALLOW_TASKS, IDC_PREVENT_TASKS, IDC_ALLOW_SERVICES, IDC_PREVENT_SERVICES,
      IDC_ALLOW_ACTIVEX, IDC_PREVENT_ACTIVEX, IDC_ALLOW_HIDDEN, IDC_PREVENT_HIDDEN,
      IDC_ALLOW_FILE_TYPES, IDC_PREVENT_FILE_TYPES, IDC_ALLOW_SYSTEM_FILES,
      IDC_PREVENT_SYSTEM_FILES, IDC_ALLOW_HOME_PAGE, IDC_PREVENT_HOME_PAGE},
     {},
     {300, 222}},
    {"DefaultWarning",
     IDD_DEFAULT_WARNING,
     Kind::Popup,
     kNoList,
     false,
     {IDC_WARNING_PATH, IDC_WARNING_TITLE},
     {},
     {260, 132}},
    {"DelayOptions",
     IDD_DELAY_OPTIONS,
     Kind::Popup,
     kNoList,
     false,
     {IDC_DELAY_PROGRAM},
     {},
     {230, 131}},
    {"StartupType", IDD_STARTUP_TYPE, Kind::Popup, kNoList, false, {}, {}, {220, 92}},
    {"CookieViewer", IDD_COOKIE_VIEWER, Kind::Popup, kOne, false, {}, {}, {380, 228}},
};

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return name;
}

std::string TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return win32::Narrow(text);
}

LONG StyleOf(HWND window) { return static_cast<LONG>(::GetWindowLongPtrW(window, GWL_STYLE)); }

bool IsPicture(HWND control) {
  const LONG type = StyleOf(control) & SS_TYPEMASK;
  return ClassOf(control) == L"Static" && (type == SS_BITMAP || type == SS_ICON);
}

// Buttons and text statics show a text; pictures, edits, combo boxes and lists do not.
bool ShowsText(HWND control) {
  const std::wstring cls = ClassOf(control);
  return cls == L"Button" || (cls == L"Static" && !IsPicture(control));
}

std::vector<HWND> Children(HWND dialog) {
  std::vector<HWND> children;
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

RECT RectInDialog(HWND dialog, HWND control) {
  RECT rect{};
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

class DialogResourcesTest : public SandboxedTest, public ::testing::WithParamInterface<DialogCase> {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
  }

  void SetUp() override {
    SandboxedTest::SetUp();
    host_ = ::CreateWindowExW(0, L"Static", L"host", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                              nullptr, nullptr);
    ASSERT_NE(host_, nullptr);
    dialog_ = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(GetParam().id),
                                   host_, PlainDialogProc, 0);
    ASSERT_NE(dialog_, nullptr) << "dialog " << GetParam().id << ", error " << ::GetLastError();
  }

  void TearDown() override {
    if (dialog_) ::DestroyWindow(dialog_);
    if (host_) ::DestroyWindow(host_);
  }

  bool IsPage() const { return GetParam().kind == Kind::Page; }

  RECT DialogUnits(int left, int top, int width, int height) const {
    RECT rect{left, top, left + width, top + height};
    ::MapDialogRect(dialog_, &rect);
    return rect;
  }

  HWND host_ = nullptr;
  HWND dialog_ = nullptr;
};

TEST_P(DialogResourcesTest, HasTheSizeAndStyleOfItsKind) {
  RECT client{};
  ::GetClientRect(dialog_, &client);
  const RECT expected = DialogUnits(0, 0, GetParam().size.cx, GetParam().size.cy);
  EXPECT_EQ(client.right, expected.right);
  EXPECT_EQ(client.bottom, expected.bottom);
  const LONG style = StyleOf(dialog_);
  if (IsPage()) {
    EXPECT_TRUE(style & WS_CHILD) << "a property page is a child of the sheet";
  } else {
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_TRUE(style & WS_SYSMENU) << "closable from its title bar";
  }
}

TEST_P(DialogResourcesTest, EveryTableEntryNamesAControlAndAString) {
  const auto texts = DialogTexts(GetParam().id);
  ASSERT_FALSE(texts.empty()) << "the table has no texts for this dialog";
  std::set<int> seen;
  for (const auto& entry : texts) {
    EXPECT_TRUE(seen.insert(entry.control).second) << "control " << entry.control << " twice";
    if (entry.control != 0) {
      EXPECT_NE(::GetDlgItem(dialog_, entry.control), nullptr)
          << "control " << entry.control << " is not in the template";
    }
    EXPECT_FALSE(common::LoadText(entry.stringId).empty())
        << "string " << entry.stringId << " (control " << entry.control << ") does not exist";
  }
}

TEST_P(DialogResourcesTest, TemplatesCarryNoTextAndTheTableFillsEveryOne) {
  for (HWND control : Children(dialog_))
    EXPECT_EQ(::GetWindowTextLengthW(control), 0)
        << "control " << ::GetDlgCtrlID(control) << " has a text of its own in the template";

  ApplyDialogTexts(dialog_, GetParam().id);
  for (const auto& entry : DialogTexts(GetParam().id)) {
    HWND target = entry.control == 0 ? dialog_ : ::GetDlgItem(dialog_, entry.control);
    if (!target) continue;  // reported by the test above
    EXPECT_EQ(TextOf(target), common::LoadText(entry.stringId)) << "control " << entry.control;
  }

  // A control that shows a text but gets none from the table stays blank for good, unless the
  // dialog fills it from the item it shows.
  const auto& own = GetParam().ownTexts;
  for (HWND control : Children(dialog_)) {
    const int id = ::GetDlgCtrlID(control);
    if (!ShowsText(control) || std::count(own.begin(), own.end(), id)) continue;
    EXPECT_GT(::GetWindowTextLengthW(control), 0) << "control " << id << " never gets a text";
  }
}

TEST_P(DialogResourcesTest, ControlIdsAreUniqueAndControlsLieInsideTheDialog) {
  RECT client{};
  ::GetClientRect(dialog_, &client);
  std::map<int, int> count;
  for (HWND control : Children(dialog_)) {
    const int id = ::GetDlgCtrlID(control);
    ++count[id];
    const RECT r = RectInDialog(dialog_, control);
    EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
        << "control " << id << " reaches outside the dialog";
  }
  for (const auto& [id, n] : count) EXPECT_EQ(n, 1) << "id " << id << " is used " << n << " times";
}

TEST_P(DialogResourcesTest, VisibleControlsDoNotOverlap) {
  std::vector<HWND> visible;
  for (HWND control : Children(dialog_)) {
    const bool groupBox =
        ClassOf(control) == L"Button" && (StyleOf(control) & BS_TYPEMASK) == BS_GROUPBOX;
    if ((StyleOf(control) & WS_VISIBLE) && !groupBox) visible.push_back(control);
  }
  for (std::size_t i = 0; i < visible.size(); ++i) {
    for (std::size_t j = i + 1; j < visible.size(); ++j) {
      const RECT a = RectInDialog(dialog_, visible[i]);
      const RECT b = RectInDialog(dialog_, visible[j]);
      RECT both{};
      EXPECT_FALSE(::IntersectRect(&both, &a, &b))
          << "controls " << ::GetDlgCtrlID(visible[i]) << " and " << ::GetDlgCtrlID(visible[j]);
    }
  }
}

TEST_P(DialogResourcesTest, ControlsShownOnlyWhenTheyApplyStartHidden) {
  for (int id : GetParam().hidden) {
    HWND control = ::GetDlgItem(dialog_, id);
    ASSERT_NE(control, nullptr) << "control " << id;
    EXPECT_FALSE(StyleOf(control) & WS_VISIBLE) << "control " << id;
  }
}

TEST_P(DialogResourcesTest, ListIsAReportWithTheSelectionThePageActsOn) {
  HWND list = ::GetDlgItem(dialog_, IDC_PAGE_LIST);
  if (GetParam().selection == kNoList) {
    EXPECT_EQ(list, nullptr);
    return;
  }
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(ClassOf(list), WC_LISTVIEWW);
  const LONG style = StyleOf(list);
  EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_TRUE(style & LVS_SHOWSELALWAYS);
  EXPECT_TRUE(style & WS_TABSTOP);
  EXPECT_EQ((style & LVS_SINGLESEL) != 0, GetParam().selection == kOne);
}

INSTANTIATE_TEST_SUITE_P(Explorer, DialogResourcesTest, ::testing::ValuesIn(kDialogs),
                         [](const auto& info) { return std::string(info.param.name); });

// The property pages only.
class PageResourcesTest : public DialogResourcesTest {};

std::vector<DialogCase> Pages() {
  std::vector<DialogCase> pages;
  for (const DialogCase& dialog : kDialogs)
    if (dialog.kind == Kind::Page) pages.push_back(dialog);
  return pages;
}

TEST_P(PageResourcesTest, HasTheSharedAnatomy) {
  for (int id : {IDC_TOP_PICTURE, IDC_HELP_PICTURE}) {
    HWND picture = ::GetDlgItem(dialog_, id);
    ASSERT_NE(picture, nullptr) << "picture " << id;
    EXPECT_TRUE(IsPicture(picture)) << "picture " << id;
  }
  // Without SS_NOTIFY the picture lets the mouse through to the page, which shows its hover
  // and pressed images and runs its command.
  EXPECT_FALSE(StyleOf(::GetDlgItem(dialog_, IDC_HELP_PICTURE)) & SS_NOTIFY)
      << "the page, not the Help picture, takes the mouse";
  EXPECT_NE(::GetDlgItem(dialog_, IDC_HELP_LABEL), nullptr);

  HWND monitor = ::GetDlgItem(dialog_, IDC_MONITOR_PICTURE);
  EXPECT_EQ(monitor != nullptr, GetParam().monitorPicture);
  EXPECT_EQ(::GetDlgItem(dialog_, IDC_MONITOR_LABEL) != nullptr, GetParam().monitorPicture);
  if (monitor) {
    EXPECT_TRUE(IsPicture(monitor));
    EXPECT_FALSE(StyleOf(monitor) & SS_NOTIFY)
        << "the page, not the Monitor picture, takes the mouse";
  }
}

INSTANTIATE_TEST_SUITE_P(Explorer, PageResourcesTest, ::testing::ValuesIn(Pages()),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- The right-click menu against the pages ---------------------------------------------------

// The pages with a list, which have the right-click menu.
class ListPageResourcesTest : public DialogResourcesTest {};

std::vector<DialogCase> ListPages() {
  std::vector<DialogCase> pages;
  for (const DialogCase& page : Pages())
    if (page.selection != kNoList) pages.push_back(page);
  return pages;
}

// A page runs a menu command as it runs the control of that id, so an entry may only send the id
// of the control that does the same thing. Any other control of its id would be pressed instead:
// an entry that shared the Close button's id would close the Explorer. Every entry is checked on
// every page, used there yet or not.
TEST_P(ListPageResourcesTest, MenuCommandsPressOnlyTheControlThatDoesTheSame) {
  using E = core::RowMenuEntry;
  const std::map<E, int> sameAs = {
      {E::Info, IDC_INFO},       {E::View, IDC_INFO},          {E::Add, IDC_ADD},
      {E::Remove, IDC_REMOVE},   {E::Enable, IDC_ENABLE},      {E::Disable, IDC_DISABLE},
      {E::Refresh, IDC_REFRESH}, {E::KillTask, IDC_KILL_TASK}, {E::DelayOptions, IDC_DELAY_OPTIONS},
  };
  for (int i = 0; i < static_cast<int>(E::Separator); ++i) {
    const E entry[] = {static_cast<E>(i)};
    const int command = core::BuildRowMenu(entry, true, false).front().commandId;
    if (!::GetDlgItem(dialog_, command)) continue;
    const auto same = sameAs.find(entry[0]);
    EXPECT_TRUE(same != sameAs.end() && same->second == command)
        << "entry " << i << " sends " << command << ", the id of another control of the page";
  }
  // The common tail: Help runs what the Help picture runs; the others are no control at all.
  for (const core::MenuLine& line : core::BuildRowMenu({}, false, false)) {
    if (line.separator() || line.commandId == IDC_HELP_PICTURE) continue;
    EXPECT_EQ(::GetDlgItem(dialog_, line.commandId), nullptr)
        << "the tail's " << line.stringId << " sends the id of control " << line.commandId;
  }
}

INSTANTIATE_TEST_SUITE_P(Explorer, ListPageResourcesTest, ::testing::ValuesIn(ListPages()),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Bitmaps ----------------------------------------------------------------------------------

struct PictureCase {
  int dialog;
  int control;
  std::vector<int> bitmaps;  // every image the picture shows in one state or another
};

const std::vector<int> kHelpImages = {IDB_HELP_NORMAL, IDB_HELP_HOVER, IDB_HELP_PRESSED};
const std::vector<int> kPatrolImages = {IDB_PATROL_OFF, IDB_PATROL_PRESSED, IDB_PATROL_ON,
                                        IDB_PATROL_REAL_TIME};

const PictureCase kPictures[] = {
    {IDD_STARTUP_PAGE, IDC_TOP_PICTURE, {IDB_PAGE_TOP}},
    {IDD_STARTUP_PAGE, IDC_HELP_PICTURE, kHelpImages},
    {IDD_STARTUP_PAGE, IDC_MONITOR_PICTURE, kPatrolImages},
    {IDD_OPTIONS_PAGE, IDC_TOP_PICTURE, {IDB_OPTIONS_TOP}},
    {IDD_OPTIONS_PAGE, IDC_START_PAGES_PICTURE, kPatrolImages},
    {IDD_OPTIONS_PAGE, IDC_HOSTS_PICTURE, kPatrolImages},
    {IDD_OPTIONS_PAGE, IDC_RESTART_FILE_PICTURE, kPatrolImages},
    {IDD_PLUS_PAGE, IDC_TOP_PICTURE, {IDB_INFORMATION_TOP}},
    {IDD_PLUS_PAGE, IDC_PRODUCT_PICTURE, {IDB_PRODUCT}},
};

class BitmapResourcesTest : public SandboxedTest {
 protected:
  static win32::UniqueGdiObject Load(int id) {
    return win32::UniqueGdiObject(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                               IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  }
};

// The pictures keep their size and centre the image (SS_CENTERIMAGE), filling the rest with the
// image's corner colour: an image larger than its control would be cut, and images whose corners
// differ would leave a visible seam where the fill meets them.
TEST_F(BitmapResourcesTest, EveryImageFitsItsPictureAndSharesOneBackground) {
  HWND host = ::CreateWindowExW(0, L"Static", L"host", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(host, nullptr);
  std::set<COLORREF> corners;
  for (const auto& picture : kPictures) {
    HWND page = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(picture.dialog),
                                     host, PlainDialogProc, 0);
    ASSERT_NE(page, nullptr);
    HWND control = ::GetDlgItem(page, picture.control);
    ASSERT_NE(control, nullptr) << "dialog " << picture.dialog << " control " << picture.control;
    EXPECT_TRUE(StyleOf(control) & SS_CENTERIMAGE) << "control " << picture.control;
    RECT box{};
    ::GetClientRect(control, &box);
    for (int id : picture.bitmaps) {
      SCOPED_TRACE("bitmap " + std::to_string(id));
      auto bitmap = Load(id);
      ASSERT_TRUE(bitmap);
      BITMAP info{};
      ASSERT_TRUE(::GetObjectW(bitmap.get(), sizeof(info), &info));
      EXPECT_EQ(info.bmBitsPixel, 24);
      EXPECT_GE(info.bmWidth, 28);
      EXPECT_LE(info.bmWidth, box.right) << "wider than control " << picture.control;
      EXPECT_LE(info.bmHeight, box.bottom) << "taller than control " << picture.control;

      HDC screen = ::GetDC(nullptr);
      HDC dc = ::CreateCompatibleDC(screen);
      HGDIOBJ old = ::SelectObject(dc, bitmap.get());
      for (POINT p : {POINT{0, 0}, POINT{info.bmWidth - 1, 0}, POINT{0, info.bmHeight - 1},
                      POINT{info.bmWidth - 1, info.bmHeight - 1}})
        corners.insert(::GetPixel(dc, p.x, p.y));
      ::SelectObject(dc, old);
      ::DeleteDC(dc);
      ::ReleaseDC(nullptr, screen);
    }
    ::DestroyWindow(page);
  }
  ::DestroyWindow(host);
  EXPECT_EQ(corners.size(), 1u) << "the images' corners differ in colour";
}

}  // namespace
}  // namespace obrivo::test
