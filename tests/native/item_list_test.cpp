// The item list every enumerator fills: its limits and the rules applied to each added item.
#include "core/item_list.h"

#include <gtest/gtest.h>

#include "core/history_codes.h"
#include "test_text.h"

#include <string>
#include <vector>

namespace obrivo::core {
namespace {

// Long forms as the system would give them for two short names; anything else is returned as is.
// Every path asked for is recorded.
struct FakeLongPath {
  std::vector<std::string> asked;
  ItemListEnv Env(int maxCookie = 4096) {
    ItemListEnv env;
    env.longPath = [this](std::string_view p) {
      asked.emplace_back(p);
      if (p == "C:\\PROGRA~1\\AGENTT~1.EXE")
        return std::string("C:\\Program Files\\Agent Tool.exe");
      if (p == "C:\\LINKS~1\\AGENT~1.LNK") return std::string("C:\\Links Folder\\Agent Tool.lnk");
      return std::string(p);
    };
    env.displayTitle = "Obrivo Display";
    env.maxCookie = maxCookie;
    return env;
  }
};

TEST(ItemList, RefusesTheItemAfterTheLimit) {
  FakeLongPath fake;
  const ItemListEnv env = fake.Env();
  ItemList list;
  for (std::size_t i = 0; i < kMaxItems; ++i)
    ASSERT_TRUE(list.Add("t", "C:\\x.exe", "", "", 0, 0, env)) << i;
  EXPECT_FALSE(list.Add("t", "C:\\x.exe", "", "", 0, 0, env));
  EXPECT_EQ(list.Count(), kMaxItems);
  EXPECT_TRUE(list.IsValid(kMaxItems - 1));
  EXPECT_FALSE(list.IsValid(kMaxItems));

  list.Clear();
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_TRUE(list.Add("t", "C:\\x.exe", "", "", 0, 0, env));
}

TEST(ItemList, CookieQuotaStopsCookiesOnly) {
  FakeLongPath fake;
  const ItemListEnv env = fake.Env(315);
  ItemList list;
  for (int i = 0; i < 315; ++i)
    ASSERT_TRUE(list.Add("c", "", "", "", item_type::kCookie, 0, env)) << i;
  EXPECT_FALSE(list.Add("c", "", "", "", item_type::kCookie, 0, env));
  EXPECT_TRUE(list.Add("p", "C:\\x.exe", "", "", 600, 0, env));
  EXPECT_EQ(list.Count(), 316u);

  ItemList none;
  EXPECT_FALSE(none.Add("c", "", "", "", item_type::kCookie, 0, fake.Env(0)));
}

TEST(ItemList, Titles) {
  const struct {
    std::string title, command, expected;
  } cases[] = {
      {"", "C:\\Tools\\agent.exe", "agent"},
      {"", "\"C:\\Tools\\agent.exe\"", "agent"},
      {"", "C:\\PROGRA~1\\AGENTT~1.EXE", "Agent Tool"},  // taken from the long form
      {"My Agent", "C:\\Tools\\agent.exe", "My Agent"},
      {"OBRIVO helper", "C:\\Tools\\agent.exe", "Obrivo Display"},
      {"", "C:\\Tools\\oBrIvO.exe", "Obrivo Display"},  // also a title taken from the path
      {Repeat("t", 200), "C:\\x.exe", Repeat("t", 127)},
      {Repeat("ж", 200), "C:\\x.exe", Repeat("ж", 127)},
      {"", "C:\\" + Repeat("n", 200) + ".exe", Repeat("n", 127)},
      // Cut first, then tested: a name beyond the 127th character no longer counts.
      {Repeat("t", 130) + "Obrivo", "C:\\x.exe", Repeat("t", 127)},
      // A NUL in a name is shown as a mark, one character for one, so namesakes stay apart.
      {std::string("Updater\0hidden", 14), "C:\\x.exe", "Updater\xE2\x90\x80hidden"},
      {std::string(1, '\0'), "C:\\Tools\\agent.exe", "\xE2\x90\x80"},
      {Repeat("t", 126) + std::string("\0\0", 2), "C:\\x.exe", Repeat("t", 126) + "\xE2\x90\x80"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title.substr(0, 20) + " / " + c.command.substr(0, 30));
    FakeLongPath fake;
    ItemList list;
    ASSERT_TRUE(list.Add(c.title, c.command, "", "", 0, 0, fake.Env()));
    EXPECT_EQ(list.At(0).title, c.expected);
    // What the entry is found by again stays as it was given.
    EXPECT_EQ(list.At(0).name, c.title);
    EXPECT_EQ(EntryName(list.At(0)), c.title.empty() ? c.expected : c.title);
  }
}

TEST(ItemList, PathAndKeyTakeTheLongFormOnlyForShortNamesInCommandsOfFourCharacters) {
  const struct {
    std::string command, key;
    bool longForm;
    std::string path, storedKey;
  } cases[] = {
      {"\"C:\\PROGRA~1\\AGENTT~1.EXE\"", "C:\\LINKS~1\\AGENT~1.LNK", true,
       "C:\\Program Files\\Agent Tool.exe", "C:\\Links Folder\\Agent Tool.lnk"},
      {"abcd", "C:\\LINKS~1\\AGENT~1.LNK", true, "abcd", "C:\\Links Folder\\Agent Tool.lnk"},
      {"abc", "C:\\LINKS~1\\AGENT~1.LNK", false, "abc", "C:\\LINKS~1\\AGENT~1.LNK"},
      // Counted without the quotes, and in characters rather than bytes.
      {"\"abc\"", "C:\\LINKS~1\\AGENT~1.LNK", false, "abc", "C:\\LINKS~1\\AGENT~1.LNK"},
      {"жжж", "C:\\LINKS~1\\AGENT~1.LNK", false, "жжж", "C:\\LINKS~1\\AGENT~1.LNK"},
      {"", "", false, "", ""},
      // Nothing with only long names in it needs the file system.
      {"C:\\Tools\\agent.exe -x", "C:\\Links\\agent.lnk", false, "C:\\Tools\\agent.exe -x",
       "C:\\Links\\agent.lnk"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    FakeLongPath fake;
    ItemList list;
    ASSERT_TRUE(list.Add("t", c.command, c.key, "", 0, 0, fake.Env()));
    EXPECT_EQ(list.At(0).path, c.path);
    EXPECT_EQ(list.At(0).key, c.storedKey);
    EXPECT_EQ(!fake.asked.empty(), c.longForm);
  }
}

TEST(ItemList, TextIsCutButPathsAndKeysAreKeptWhole) {
  const std::string longPath = "C:\\" + Repeat("d", 300) + "\\agent.exe";
  const std::string longKey = "HKLM\\" + Repeat("k", 400);
  FakeLongPath fake;
  ItemList list;
  ASSERT_TRUE(list.Add("t", longPath, longKey, Repeat("é", 2000), 3, 1, fake.Env()));
  const Item& item = list.At(0);
  EXPECT_EQ(item.path, longPath);
  EXPECT_EQ(item.key, longKey);
  EXPECT_EQ(item.text, Repeat("é", 1023));
  EXPECT_EQ(item.type, 3);
  EXPECT_EQ(item.flag, 1);

  ItemList noLongForm;  // without a long-form function the paths are stored as given
  ASSERT_TRUE(noLongForm.Add("", "\"C:\\Tools\\agent.exe\"", "k", "", 0, 0, ItemListEnv{}));
  EXPECT_EQ(noLongForm.At(0).path, "C:\\Tools\\agent.exe");
  EXPECT_EQ(noLongForm.At(0).title, "agent");
}

TEST(ItemList, RawRowsShowANulVisiblyAndKeepTheTitleAsTheirName) {
  const std::string withNul("Updater\0hidden", 14);
  const struct {
    std::string title, name;  // as the record gives them
    std::string shown, entryName;
  } cases[] = {
      {withNul, "", "Updater\xE2\x90\x80hidden", withNul},
      {"Updater", "", "Updater", "Updater"},
      // A row that has a name of its own keeps it.
      {withNul, "own name", "Updater\xE2\x90\x80hidden", "own name"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown + " / " + c.name);
    Item given;
    given.title = c.title;
    given.name = c.name;
    given.path = "C:\\x.exe";
    ItemList list;
    ASSERT_TRUE(list.AddRaw(given));
    EXPECT_EQ(list.At(0).title, c.shown);
    EXPECT_EQ(EntryName(list.At(0)), c.entryName);
    EXPECT_EQ(list.At(0).path, "C:\\x.exe");
  }
}

TEST(ItemList, TitleFromPath) {
  const struct {
    std::string path, title;
  } cases[] = {
      {"C:\\Tools\\agent.exe", "agent"}, {"agent.exe", "agent"},
      {"C:\\v1.2\\tool.exe", "tool"},    {"C:\\Tools\\archive.tar.gz", "archive.tar"},
      {"C:\\Tools\\noext", "noext"},
  };
  for (const auto& c : cases) EXPECT_EQ(TitleFromPath(c.path), c.title) << c.path;
}

TEST(RecentList, SameLimitAndTitleCapacity) {
  RecentList list;
  for (std::size_t i = 0; i < kMaxItems; ++i) ASSERT_TRUE(list.Add({"t", "p", 1, "k", 2, 3}));
  EXPECT_FALSE(list.Add({"t", "p", 1, "k", 2, 3}));
  EXPECT_EQ(list.Count(), kMaxItems);

  list.Clear();
  ASSERT_TRUE(list.Add({Repeat("r", 300), "p", 1, "k", 2, 3}));
  EXPECT_EQ(list.At(0).title, Repeat("r", 127));
}

}  // namespace
}  // namespace obrivo::core
