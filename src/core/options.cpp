// The option table.
#include "options.h"

#include "icon_ids.h"
#include "text.h"

namespace obrivo::core {
namespace {

struct OptionRow {
  OptionId id;
  std::string_view name;
  int defaultValue;
};

using O = OptionId;

// In OptionId order; checked below.
constexpr OptionRow kOptions[] = {
    {O::HideStartup, "HideStartup", 0},
    {O::HideIEHelper, "HideIEHelper", 0},
    {O::HideTasks, "HideTasks", 0},
    {O::HideServices, "HideServices", 0},
    {O::HideActiveX, "HideActiveX", 0},
    {O::HideHidden, "HideHidden", 0},
    {O::HideFileType, "HideFileType", 0},
    {O::HideSystemFiles, "HideSystemFiles", 0},
    {O::HideHomePage, "HideHomePage", 0},
    {O::ShowAlerts, "ShowAlerts", 1},
    {O::HideRunOnce, "HideRunOnce", 0},
    {O::HideTavik, "HideTavik", 0},
    {O::TrayIcon, "TrayIcon", IDI_PROGRAM},
    {O::Sound, "Sound", 1},
    {O::History, "History", 1},
    {O::ConfirmExit, "ConfirmExit", 0},
    {O::ExplorerMenu, "ExplorerMenu", 1},
    {O::ShowAllStartup, "ShowAllStartup", 0},
    {O::HideMicrosoftServices, "HideMicrosoftServices", 1},
    {O::HideMicrosoftActiveX, "HideMicrosoftActiveX", 0},
    {O::IncludeKillBit, "IncludeKillBit", 0},
    {O::ActiveXListAll, "ActiveXListAll", 0},
    {O::LockFileTypes, "LockFileTypes", 0},
    {O::ViewCookies, "ViewCookies", 0},
    {O::Browser, "Browser", 1},
    {O::BrowserFailure, "BrowserFailure", 0},
    {O::MaxCookie, "MaxCookie", 4096},
    {O::PlusFormat, "PlusFormat", 0},
    {O::Format, "Format", 0},
    {O::NoteSize, "NoteSize", 14},
    {O::Start, "Start", 2},
    {O::IEHelpers, "IEHelpers", 2},
    {O::Tasks, "Tasks", 11},
    {O::Services, "Services", 7},
    {O::ActiveX, "ActiveX", 4},
    {O::FileType, "FileType", 10},
    {O::StartPage, "StartPage", 2},
    {O::HostFile, "HostFile", 3},
    {O::WinInit, "WinInit", 5},
    {O::Hidden, "Hidden", 0},
    {O::Cookies, "Cookies", 0},
    {O::Nuts, "Nuts", 0},
    {O::RealtimeStartup, "RealtimeStartup", 1},
    {O::RealtimeIEHelper, "RealtimeIEHelper", 1},
    {O::RealtimeSysFiles, "RealtimeSysFiles", 1},
    {O::RealtimeStartPage, "RealtimeStartPage", 1},
    {O::RealtimeActiveX, "RealtimeActiveX", 1},
    {O::RealtimeServices, "RealtimeServices", 1},
    {O::RealtimeFileType, "RealtimeFileType", 0},
    {O::RealtimeHidden, "RealtimeHidden", 0},
    {O::StartTab, "StartTab", 6026},
    {O::SortStartup, "SortStartup", 0},
    {O::SortIEHelper, "SortIEHelper", 0},
    {O::SortScheduledTask, "SortScheduledTask", 0},
    {O::SortActiveTask, "SortActiveTask", 0},
    {O::SortService, "SortService", 0},
    {O::SortActiveX, "SortActiveX", 0},
    {O::SortCookie, "SortCookie", 0},
    {O::SortHidden, "SortHidden", 0},
    {O::SortFileType, "SortFileType", 0},
    {O::SortRecent, "SortRecent", 0},
    {O::SortPrograms, "SortPrograms", 0},
    {O::Update, "Update", 0},
    {O::UpdateCookieFile, "UpdateCookieFile", 0},
    {O::Cleanup, "Cleanup", 0},
    {O::Debug, "Debug", 0},
    {O::SendHistory, "SendHistory", 0},
    {O::NoMicrosoftStartup, "NoMicrosoftStartup", 0},
    {O::WindowSettings, "WindowSettings", 1},
};

static_assert(std::size(kOptions) == kOptionCount, "one row per option");

constexpr bool RowsInOrder() {
  for (std::size_t i = 0; i < std::size(kOptions); ++i)
    if (static_cast<std::size_t>(kOptions[i].id) != i) return false;
  return true;
}
static_assert(RowsInOrder(), "rows follow the OptionId order");

constexpr OptionId kWriteBackOrder[] = {
    O::SendHistory, O::HideTavik, O::HideStartup, O::HideIEHelper, O::HideActiveX,
    O::HideServices, O::HideFileType, O::HideTasks, O::HideHidden, O::HideSystemFiles,
    O::HideHomePage, O::Format, O::ConfirmExit, O::Sound, O::History, O::HideMicrosoftServices,
    O::HideMicrosoftActiveX, O::IncludeKillBit, O::ActiveXListAll, O::PlusFormat,
    O::LockFileTypes, O::ShowAllStartup, O::NoMicrosoftStartup, O::Start, O::Cookies, O::Nuts,
    O::Tasks, O::IEHelpers, O::FileType, O::StartPage, O::HostFile, O::WinInit, O::Services,
    O::Hidden, O::ViewCookies, O::ActiveX, O::RealtimeStartup, O::RealtimeIEHelper,
    O::RealtimeSysFiles, O::RealtimeFileType, O::RealtimeStartPage, O::RealtimeHidden,
    O::RealtimeActiveX, O::RealtimeServices, O::ExplorerMenu, O::ShowAlerts, O::HideRunOnce,
};

}  // namespace

std::string_view OptionName(OptionId id) {
  return kOptions[static_cast<std::size_t>(id)].name;
}

std::optional<OptionId> OptionByName(std::string_view name) {
  for (const auto& row : kOptions)
    if (EqualsNoCase(row.name, name)) return row.id;
  return std::nullopt;
}

int OptionDefault(OptionId id, Program program, bool ntFamily) {
  if (id == O::MaxCookie && program == Program::Monitor) return 315;
  if (id == O::TrayIcon && program == Program::Monitor && !ntFamily) return IDI_TRAY_ORIGINAL;
  return kOptions[static_cast<std::size_t>(id)].defaultValue;
}

std::span<const OptionId> OptionWriteBackOrder() { return kWriteBackOrder; }

OptionSet::OptionSet(Program program, bool ntFamily) {
  for (const auto& row : kOptions)
    values_[static_cast<std::size_t>(row.id)] = OptionDefault(row.id, program, ntFamily);
}

}  // namespace obrivo::core
