// The Explorer's sheet as data.
#include "explorer_pages.h"

#include <algorithm>

#include "core/dpi.h"

#include "explorer_ids.h"
#include "icon_ids.h"
#include "string_ids.h"

namespace obrivo::core {
namespace {

// clang-format off
constexpr PageInfo kPages[] = {
    {6026, IDS_PAGE_STARTUP, IDD_STARTUP_PAGE, IDI_PAGE_STARTUP, false},
    {6055, IDS_PAGE_DELAYED, IDD_DELAYED_PAGE, IDI_PAGE_DELAYED, false},
    {6056, IDS_PAGE_ACTIVEX, IDD_ACTIVEX_PAGE, IDI_PAGE_ACTIVEX, false},
    {6040, IDS_PAGE_IE_HELPERS, IDD_IE_HELPERS_PAGE, IDI_PAGE_IE_HELPERS, false},
    {6039, IDS_PAGE_SCHEDULED_TASKS, IDD_SCHEDULED_TASKS_PAGE, IDI_PAGE_SCHEDULED_TASKS, false},
    {6038, IDS_PAGE_SERVICES, IDD_SERVICES_PAGE, IDI_PAGE_SERVICES, true},
    {6029, IDS_PAGE_ACTIVE_TASKS, IDD_ACTIVE_TASKS_PAGE, IDI_PAGE_ACTIVE_TASKS, false},
    {6028, IDS_PAGE_COOKIES, IDD_COOKIES_PAGE, IDI_PAGE_COOKIES, false},
    {6042, IDS_PAGE_FILE_TYPES, IDD_FILE_TYPES_PAGE, IDI_PAGE_FILE_TYPES, false},
    {6052, IDS_PAGE_HIDDEN_FILES, IDD_HIDDEN_FILES_PAGE, IDI_PAGE_HIDDEN_FILES, false},
    {6060, IDS_PAGE_RECENT, IDD_RECENT_PAGE, IDI_PAGE_RECENT, false},
    {6027, IDS_PAGE_PLUS, IDD_PLUS_PAGE, IDI_PAGE_PLUS, false},
    {6033, IDS_PAGE_OPTIONS, IDD_OPTIONS_PAGE, IDI_PAGE_OPTIONS, false},
};

struct ColumnRule {
  int pageCode;
  bool lessScrollBar;
  std::initializer_list<double> fractions;
};

const ColumnRule kColumnRules[] = {
    {6026, true, {0.30, 0.16, 0.18, 0.15, 0.20}},
    {6028, true, {0.60, 0.39}},
    {6029, true, {0.25, 0.35, 0.20, 0.20}},
    {6038, true, {0.30, 0.18, 0.18, 0.09, 0.10, 0.20}},
    {6039, false, {0.28, 0.16, 0.18, 0.18, 0.18}},
    {6040, false, {0.30, 0.20, 0.20, 0.09, 0.20}},
    {6041, true, {0.35, 0.22, 0.22, 0.38}},
    {6042, true, {0.30, 0.17, 0.20, 0.12, 0.08, 0.10}},
    {6044, true, {0.40, 0.20, 0.10, 0.20, 0.09}},
    {6052, true, {0.23, 0.30, 0.20, 0.20, 0.12}},
    {6055, true, {0.35, 0.30, 0.15, 0.20}},
    {6056, false, {0.30, 0.20, 0.20, 0.10, 0.19, 0.25}},
    {6060, false, {0.30, 0.18, 0.18, 0.12, 0.21}},
};

struct HelpPage {
  int pageCode;
  std::string_view file;
};
constexpr HelpPage kHelpPages[] = {
    {6026, "startup.html"}, {6028, "cookies.html"},   {6029, "tasks.html"},
    {6033, "options.html"}, {6038, "services.html"},  {6039, "scheduler.html"},
    {6040, "bho.html"},     {6042, "filetype.html"},  {6051, "helpme.html"},
    {6052, "hidden.html"},  {6055, "delay.html"},     {6056, "activex.html"},
};
// clang-format on

// Pixel sizes of the Info dialog at 96 dpi.
constexpr InfoDialogLayout kExpanded{421, 350};
constexpr InfoDialogLayout kShrunken{246, 185};

}  // namespace

std::span<const PageInfo> AllSheetPages() { return kPages; }

std::vector<PageInfo> SheetPagesFor(bool ntFamily) {
  std::vector<PageInfo> pages;
  for (const PageInfo& p : kPages)
    if (ntFamily || !p.ntOnly) pages.push_back(p);
  return pages;
}

std::size_t StartPageIndex(std::span<const PageInfo> pages, int code) {
  for (std::size_t i = 0; i < pages.size(); ++i)
    if (pages[i].code == code) return i;
  return 0;
}

bool IsSheetPageCode(int code) {
  return std::any_of(std::begin(kPages), std::end(kPages),
                     [code](const PageInfo& p) { return p.code == code; });
}

int ColumnWidth(int pageCode, int column, int listWidth, int scrollBarWidth, int storedWidth) {
  if (storedWidth > 0) return storedWidth;
  for (const ColumnRule& rule : kColumnRules) {
    if (rule.pageCode != pageCode) continue;
    if (column < 0 || static_cast<std::size_t>(column) >= rule.fractions.size()) break;
    const int base = rule.lessScrollBar ? listWidth - scrollBarWidth : listWidth;
    const double fraction = *(rule.fractions.begin() + column);
    return std::max(0, static_cast<int>(base * fraction));
  }
  // A page or column the table does not size gets a fifth of the width.
  return std::max(0, (listWidth - scrollBarWidth) / 5);
}

std::string HelpPageFileName(int pageCode, std::string_view languageCode) {
  std::string_view file = "features.html";
  for (const HelpPage& h : kHelpPages)
    if (h.pageCode == pageCode) file = h.file;
  if (languageCode == "us") return std::string(file);
  return std::string(languageCode) + "_" + std::string(file);
}

SheetPlacement PullBackSheet(Point stored, Size storedSize, const ScreenMetrics& screen) {
  // Outside the virtual screen on either side: the monitor it was on is gone.
  auto inRange = [](int value, int origin, int extent) {
    return value >= origin && value <= origin + extent;
  };
  SheetPlacement p{stored, storedSize};
  if (!inRange(p.position.x, screen.virtualLeft, screen.virtualWidth)) p.position.x = 0;
  if (!inRange(p.position.y, screen.virtualTop, screen.virtualHeight)) p.position.y = 0;
  if (p.size.width > screen.virtualWidth || p.size.width < 0) p.size.width = 0;
  if (p.size.height > screen.virtualHeight || p.size.height < 0) p.size.height = 0;
  return p;
}

std::size_t WrapIndex(std::size_t current, std::size_t count, int step) {
  if (count == 0) return 0;
  if (step < 0) return current == 0 || current >= count ? count - 1 : current - 1;
  return current + 1 >= count ? 0 : current + 1;
}

InfoDialogLayout InfoLayoutFor(bool expanded, int dpiY) {
  const InfoDialogLayout base = expanded ? kExpanded : kShrunken;
  return {ScaleToDpi(base.height, dpiY), ScaleToDpi(base.buttonY, dpiY)};
}

}  // namespace obrivo::core
