// The ";"-separated program lists of win.ini's "load" and "run" keys.
#include "core/profile_list.h"

#include <gtest/gtest.h>

#include <string>

namespace obrivo::core {
namespace {

TEST(ProfileList, Append) {
  EXPECT_EQ(AppendListEntry("a.exe;b.exe", "C:\\c.exe"), "a.exe;b.exe;C:\\c.exe");
  EXPECT_EQ(AppendListEntry("", "c.exe"), "c.exe");
  // After a removal every kept token ends with ";": no empty token in between.
  EXPECT_EQ(AppendListEntry("a.exe;", "c.exe"), "a.exe;c.exe");
}

TEST(ProfileList, RemoveDropsEveryEqualTokenIgnoringCase) {
  const struct {
    std::string list, entry, expected;
  } cases[] = {
      {"a.exe;B.EXE;c.exe", "b.exe", "a.exe;c.exe;"},
      {"x;x;y;X", "X", "y;"},
      {"ab;a;ba", "a", "ab;ba;"},  // whole tokens only, never a part of one
      {"Жук.exe;x", "жУК.EXE", "x;"},
      {"a;;b;", "c", "a;b;"},  // empty tokens are dropped
      {"a", "a", ""},
      {"a", "b", "a;"},
      {"", "a", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.list + " - " + c.entry);
    EXPECT_EQ(RemoveListEntry(c.list, c.entry), c.expected);
  }
}

}  // namespace
}  // namespace obrivo::core
