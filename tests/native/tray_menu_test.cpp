// The Monitor's tray menu on both platform families.
#include "core/tray_menu.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace obrivo::core {
namespace {

using Menu = std::vector<std::pair<int, int>>;  // string id (0: separator), command id

Menu Entries(bool nt) {
  Menu out;
  for (const TrayMenuEntry& e : TrayMenuEntries(nt)) out.emplace_back(e.stringId, e.commandId);
  return out;
}

TEST(TrayMenu, WindowsNtShowsServicesButNoRestartCommands) {
  const Menu expected = {
      {501, 6027}, {610, 6033},  {0, 0},       {503, 6026}, {1020, 6055}, {697, 6040},
      {509, 6038}, {685, 6039},  {1067, 6056}, {0, 0},      {504, 6029},  {505, 6028},
      {510, 6042}, {1018, 6052}, {1192, 6060}, {0, 0},      {508, 6030},
  };
  EXPECT_EQ(Entries(true), expected);
}

TEST(TrayMenu, Windows9xShowsRestartCommandsButNoServices) {
  const Menu expected = {
      {501, 6027},  {610, 6033},  {0, 0},      {503, 6026}, {1020, 6055}, {697, 6040},
      {685, 6039},  {1067, 6056}, {0, 0},      {504, 6029}, {505, 6028},  {510, 6042},
      {1018, 6052}, {1192, 6060}, {507, 6034}, {0, 0},      {508, 6030},
  };
  EXPECT_EQ(Entries(false), expected);
}

}  // namespace
}  // namespace obrivo::core
