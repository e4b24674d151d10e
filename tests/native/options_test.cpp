// The option table: names, defaults per program and platform, and the write-back order.
#include "core/options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "core/text.h"

namespace obrivo::core {
namespace {

OptionId Id(std::size_t i) { return static_cast<OptionId>(i); }

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return out;
}

TEST(Options, EveryNameFindsItsOptionInAnyCase) {
  std::set<std::string> seen;
  for (std::size_t i = 0; i < kOptionCount; ++i) {
    const std::string_view name = OptionName(Id(i));
    SCOPED_TRACE(std::string(name));
    ASSERT_FALSE(name.empty());
    EXPECT_TRUE(seen.insert(Lower(name)).second) << "name used twice";
    EXPECT_EQ(OptionByName(name), Id(i));
    EXPECT_EQ(OptionByName(Lower(name)), Id(i));
    EXPECT_EQ(OptionByName(ToUpper(name)), Id(i));
  }
  // The Options page writes the host-file interval under this spelling.
  EXPECT_EQ(OptionByName("HOSTFile"), OptionId::HostFile);
  EXPECT_EQ(OptionByName("StartTa"), std::nullopt);
  EXPECT_EQ(OptionByName("StartTabs"), std::nullopt);
  EXPECT_EQ(OptionByName(""), std::nullopt);
}

TEST(Options, Defaults) {
  // clang-format off
  const struct {
    std::vector<std::string_view> names;
    int value;
  } groups[] = {
      {{"HideStartup", "HideIEHelper", "HideTasks", "HideServices", "HideActiveX", "HideHidden",
        "HideFileType", "HideSystemFiles", "HideHomePage", "HideRunOnce", "HideTavik",
        "ConfirmExit", "ShowAllStartup", "HideMicrosoftActiveX", "IncludeKillBit",
        "ActiveXListAll", "LockFileTypes", "ViewCookies", "BrowserFailure", "PlusFormat", "Format",
        "Update", "UpdateCookieFile", "Cleanup", "Debug", "SendHistory", "NoMicrosoftStartup"},
       0},
      {{"ShowAlerts", "Sound", "History", "ExplorerMenu", "HideMicrosoftServices", "Browser",
        "WindowSettings"},
       1},
      {{"TrayIcon"}, 101},
      {{"MaxCookie"}, 4096},
      {{"NoteSize"}, 14},
      {{"StartTab"}, 6026},
      {{"Start", "IEHelpers", "StartPage"}, 2},
      {{"Tasks"}, 11},
      {{"Services"}, 7},
      {{"ActiveX"}, 4},
      {{"FileType"}, 10},
      {{"HostFile"}, 3},
      {{"WinInit"}, 5},
      {{"Hidden", "Cookies", "Nuts"}, 0},
      {{"RealtimeStartup", "RealtimeIEHelper", "RealtimeSysFiles", "RealtimeStartPage",
        "RealtimeActiveX", "RealtimeServices"},
       1},
      {{"RealtimeFileType", "RealtimeHidden"}, 0},
      {{"SortStartup", "SortIEHelper", "SortScheduledTask", "SortActiveTask", "SortService",
        "SortActiveX", "SortCookie", "SortHidden", "SortFileType", "SortRecent", "SortPrograms"},
       0},
  };
  // clang-format on
  std::size_t listed = 0;
  for (const auto& group : groups) {
    for (std::string_view name : group.names) {
      SCOPED_TRACE(std::string(name));
      const auto id = OptionByName(name);
      ASSERT_TRUE(id.has_value());
      EXPECT_EQ(OptionDefault(*id, Program::Explorer, true), group.value);
      ++listed;
    }
  }
  EXPECT_EQ(listed, kOptionCount) << "every option has its default listed here";
}

TEST(Options, DefaultsThatDependOnProgramAndPlatform) {
  const struct {
    Program program;
    bool nt;
    int maxCookie, trayIcon;
  } cases[] = {
      {Program::Monitor, true, 315, 101},
      {Program::Monitor, false, 315, 159},
      {Program::Explorer, true, 4096, 101},
      {Program::Explorer, false, 4096, 101},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.program == Program::Monitor ? "Monitor" : "Explorer") +
                 (c.nt ? " NT" : " 9x"));
    EXPECT_EQ(OptionDefault(OptionId::MaxCookie, c.program, c.nt), c.maxCookie);
    EXPECT_EQ(OptionDefault(OptionId::TrayIcon, c.program, c.nt), c.trayIcon);

    // A fresh working set holds exactly the defaults.
    OptionSet set(c.program, c.nt);
    for (std::size_t i = 0; i < kOptionCount; ++i)
      EXPECT_EQ(set.Get(Id(i)), OptionDefault(Id(i), c.program, c.nt)) << OptionName(Id(i));
  }
}

TEST(Options, SetChangesOneOptionOnly) {
  OptionSet set(Program::Monitor, true);
  set.Set(OptionId::HideTavik, 1);
  EXPECT_EQ(set.Get(OptionId::HideTavik), 1);
  EXPECT_EQ(set.Get(OptionId::HideTasks), 0);
  EXPECT_EQ(set.Get(OptionId::TrayIcon), 101);
}

TEST(Options, WriteBackOrder) {
  // clang-format off
  const std::vector<std::string_view> expected = {
      "SendHistory", "HideTavik", "HideStartup", "HideIEHelper", "HideActiveX", "HideServices",
      "HideFileType", "HideTasks", "HideHidden", "HideSystemFiles", "HideHomePage", "Format",
      "ConfirmExit", "Sound", "History", "HideMicrosoftServices", "HideMicrosoftActiveX",
      "IncludeKillBit", "ActiveXListAll", "PlusFormat", "LockFileTypes", "ShowAllStartup",
      "NoMicrosoftStartup", "Start", "Cookies", "Nuts", "Tasks", "IEHelpers", "FileType",
      "StartPage", "HostFile", "WinInit", "Services", "Hidden", "ViewCookies", "ActiveX",
      "RealtimeStartup", "RealtimeIEHelper", "RealtimeSysFiles", "RealtimeFileType",
      "RealtimeStartPage", "RealtimeHidden", "RealtimeActiveX", "RealtimeServices",
      "ExplorerMenu", "ShowAlerts", "HideRunOnce"};
  // clang-format on
  std::vector<std::string_view> actual;
  for (OptionId id : OptionWriteBackOrder()) actual.push_back(OptionName(id));
  EXPECT_EQ(actual, expected);

  // Written only where they change, or never: none of them may be rewritten wholesale.
  for (std::string_view name :
       {"MaxCookie", "TrayIcon", "StartTab", "NoteSize", "Browser", "Debug", "WindowSettings",
        "SortStartup", "SortPrograms", "Update", "Cleanup"}) {
    EXPECT_EQ(std::count(actual.begin(), actual.end(), name), 0) << name;
  }
}

}  // namespace
}  // namespace obrivo::core
