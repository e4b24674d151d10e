// The option table: every option the programs read, with its default, and the order in which
// the Explorer writes them back after a change on its Options page.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace obrivo::core {

enum class Program { Monitor, Explorer };

enum class OptionId {
  HideStartup, HideIEHelper, HideTasks, HideServices, HideActiveX, HideHidden, HideFileType,
  HideSystemFiles, HideHomePage, ShowAlerts, HideRunOnce, HideTavik, TrayIcon, Sound, History,
  ConfirmExit, ExplorerMenu, ShowAllStartup, HideMicrosoftServices, HideMicrosoftActiveX,
  IncludeKillBit, ActiveXListAll, LockFileTypes, ViewCookies, Browser, BrowserFailure, MaxCookie,
  PlusFormat, Format, NoteSize,
  // Patrol intervals, one per category.
  Start, IEHelpers, Tasks, Services, ActiveX, FileType, StartPage, HostFile, WinInit, Hidden,
  Cookies, Nuts,
  // Real-time watching, one per category.
  RealtimeStartup, RealtimeIEHelper, RealtimeSysFiles, RealtimeStartPage, RealtimeActiveX,
  RealtimeServices, RealtimeFileType, RealtimeHidden,
  StartTab,
  SortStartup, SortIEHelper, SortScheduledTask, SortActiveTask, SortService, SortActiveX,
  SortCookie, SortHidden, SortFileType, SortRecent, SortPrograms,
  Update, UpdateCookieFile, Cleanup, Debug, SendHistory, NoMicrosoftStartup, WindowSettings,
  Count_
};

inline constexpr std::size_t kOptionCount = static_cast<std::size_t>(OptionId::Count_);

// The registry value name of an option.
std::string_view OptionName(OptionId id);
std::optional<OptionId> OptionByName(std::string_view name);

// The default that applies when the value is missing or empty. Two depend on the program
// and platform: MaxCookie (315 in the Monitor) and TrayIcon (159 in the Monitor on Windows 9x).
int OptionDefault(OptionId id, Program program, bool ntFamily);

// The Explorer's write-back order after any change on its Options page.
std::span<const OptionId> OptionWriteBackOrder();

// The options as a program holds them while it runs.
class OptionSet {
 public:
  OptionSet(Program program, bool ntFamily);
  int Get(OptionId id) const { return values_[static_cast<std::size_t>(id)]; }
  void Set(OptionId id, int value) { values_[static_cast<std::size_t>(id)] = value; }

 private:
  std::array<int, kOptionCount> values_{};
};

}  // namespace obrivo::core
