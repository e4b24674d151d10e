// Cookies on fixture folders and files: where the cookie folders are found, the filters, the IE
// pass over a folder with odd entries, the Mozilla cookie file with bad input read whole and
// rewritten without losing a line no filter picks, and the rewrite that waits while a Mozilla
// window is open.
#include "browser/cookies.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "browser/settings_guard.h"
#include "common/items.h"
#include "common/store.h"
#include "common/win32/files.h"
#include "common/win32/registry.h"
#include "core/history_codes.h"
#include "cookie_test_env.h"

namespace obrivo::test {
namespace {

using core::CookieMode;

std::set<std::string> ListedTitles() {
  std::set<std::string> titles;
  for (std::size_t i = 0; i < common::ItemCount(); ++i)
    titles.insert(core::EntryName(common::Items().At(i)));
  return titles;
}

std::set<std::string> List(CookieMode mode, int browserCode = 6) {
  common::ClearItems();
  browser::ScanCookies(mode, false, browserCode);
  return ListedTitles();
}

class Cookies : public CookieTest {};

TEST_F(Cookies, TheIECookieFolderIsTheFirstCandidateWithAnIndex) {
  const std::string chosen = MakeFolder("Chosen");
  const std::string shell = MakeFolder("Shell Cookies");
  MakeFile(shell + "\\index.dat");
  const struct {
    const char* what;
    std::string chosenValue, shellValue;
    std::optional<std::string> expected;
  } cases[] = {
      {"the choice has no index.dat: the shell's folder", chosen, shell, shell + "\\"},
      {"the choice with a trailing backslash", shell + "\\", "", shell + "\\"},
      {"a drive letter alone is no folder", "C:", "", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, common::kProductKey, "IECookieFolder",
                                         c.chosenValue));
    ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, kShellFoldersKey, "Cookies",
                                         c.shellValue));
    const auto found = browser::FindIECookieFolder();
    // Without a candidate the Windows folder's own may still be found on this system.
    if (!c.expected) {
      EXPECT_TRUE(!found || found->find(scratch_) == std::string::npos) << *found;
      continue;
    }
    EXPECT_EQ(found, c.expected);
  }
  ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, common::kProductKey, "IECookieFolder",
                                       chosen));
  MakeFile(chosen + "\\index.dat");
  EXPECT_EQ(browser::FindIECookieFolder(), chosen + "\\");
  EXPECT_EQ(browser::CookieFolderText(CookieMode::InternetExplorer, 1), chosen + "\\");
}

TEST_F(Cookies, TheMozillaProfileFolder) {
  EXPECT_FALSE(browser::FindMozillaProfileFolder(3));
  const std::string profiles = MakeFolder("AppData\\Mozilla\\FireFox\\Profiles");
  MakeFolder("AppData\\Mozilla\\FireFox\\Profiles\\x1.default");
  MakeFile(profiles + "\\y.default");  // a file is no profile
  EXPECT_EQ(browser::FindMozillaProfileFolder(3), profiles + "\\x1.default\\");
  MakeFolder("AppData\\Mozilla\\FireFox\\Profiles\\default.z9");
  EXPECT_EQ(browser::FindMozillaProfileFolder(6), profiles + "\\default.z9\\");
  // Netscape keeps its own default profile; a folder beginning with a dot is none.
  const std::string netscape = MakeFolder("AppData\\Mozilla\\Profiles\\default");
  MakeFolder("AppData\\Mozilla\\Profiles\\default\\.hidden");
  MakeFolder("AppData\\Mozilla\\Profiles\\default\\abc.slt");
  EXPECT_EQ(browser::FindMozillaProfileFolder(2), netscape + "\\abc.slt\\");
  // The user's choice comes first.
  ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, common::kProductKey, "CookieFolder",
                                       scratch_));
  EXPECT_EQ(browser::FindMozillaProfileFolder(3), scratch_ + "\\");
  // Without Firefox registered, a Mozilla folder in AppData is enough.
  EXPECT_TRUE(browser::MozillaCookiesSupported());
}

TEST_F(Cookies, FiltersAreNamedExactlyAndMatchWithoutRegardToCase) {
  const std::string longest(512, 'n');
  const std::string nul("ad\0s", 4);
  for (const std::string& nut : {std::string("ads"), longest, std::string("жук"), nul})
    EXPECT_TRUE(browser::AddNut(nut)) << nut.size();
  EXPECT_FALSE(browser::AddNut(std::string(513, 'n')));
  EXPECT_FALSE(browser::AddNut(""));
  EXPECT_TRUE(browser::AddNut("one.example - once", browser::kOneTimeNut));

  EXPECT_TRUE(browser::IsNut("x.ADS.example"));
  EXPECT_TRUE(browser::IsNut("ЖУК.example"));
  EXPECT_TRUE(browser::IsNut("a" + longest));
  EXPECT_FALSE(browser::IsNut("a d s"));
  std::set<std::string> names;
  for (const browser::Nut& nut : browser::LoadNuts()) names.insert(nut.text);
  EXPECT_EQ(names, (std::set<std::string>{"ads", longest, "жук", nul, "one.example - once"}));

  // The filter with a NUL in its name goes alone; "ad" (its name cut at the NUL) was never one.
  EXPECT_FALSE(browser::RemoveNut("ad"));
  EXPECT_TRUE(browser::RemoveNut(nul));
  EXPECT_EQ(browser::PurgeOneTimeNuts(), 1);
  names.clear();
  for (const browser::Nut& nut : browser::LoadNuts()) names.insert(nut.text);
  EXPECT_EQ(names, (std::set<std::string>{"ads", longest, "жук"}));
}

TEST_F(Cookies, TheIEPassListsAndFiltersOnlyTheFolderItself) {
  // A user whose folder's path holds the filter text: only file names count.
  const std::string folder = MakeIECookieFolder("Mads\\Cookies");
  MakeFile(folder + "user@example[1].txt");
  MakeFile(folder + "user@ADSERVER[2].txt");
  MakeFile(folder + "user@пример[1].txt");
  MakeFile(folder + "readonly@ads[1].txt");
  ::SetFileAttributesW(win32::Wide(folder + "readonly@ads[1].txt").c_str(), FILE_ATTRIBUTE_READONLY);
  MakeFile(folder + "system@ads[1].txt");
  ::SetFileAttributesW(win32::Wide(folder + "system@ads[1].txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
  MakeFile(folder + "notes.dat");
  MakeFolder("Mads\\Cookies\\Low");
  MakeFile(folder + "Low\\user@ads[3].txt");
  MakeFolder("Mads\\Cookies\\folder.txt");

  EXPECT_EQ(List(CookieMode::InternetExplorer),
            (std::set<std::string>{"user@example[1].txt", "user@ADSERVER[2].txt",
                                   "user@пример[1].txt", "readonly@ads[1].txt"}));
  ASSERT_TRUE(common::ItemCount() > 0);
  EXPECT_EQ(common::ItemType(0), core::item_type::kCookie);

  ASSERT_TRUE(browser::AddNut("ads"));
  ASSERT_TRUE(browser::AddNut("ПРИМ"));
  EXPECT_EQ(browser::ScanCookies(CookieMode::InternetExplorer, true, 1).cookies, 3);
  EXPECT_EQ(List(CookieMode::InternetExplorer), (std::set<std::string>{"user@example[1].txt"}));
  // What the pass never touches: system files, files in subfolders.
  EXPECT_TRUE(win32::IsExistingFile(folder + "system@ads[1].txt"));
  EXPECT_TRUE(win32::IsExistingFile(folder + "Low\\user@ads[3].txt"));
}

// A cookie file with every kind of bad input, and what must come out of it.
struct BadCookieFile {
  std::string text, expectedAfterFilter;
  std::set<std::string> listed;
};

// `lines` more cookies make the file larger than the item list holds.
BadCookieFile MakeBadCookieFile(int lines) {
  BadCookieFile f;
  const std::string header = "# Netscape HTTP Cookie File\r\n# ads live here\r\n\r\n";
  const std::string crlf = CookieLine(".crlf.example", "sid", "abc", "\r\n");
  const std::string gone = CookieLine(".ads.example", "track", "1", "\r\n");
  const std::string shortLine = "short.example\tTRUE\t/\tads\n";
  const std::string big = CookieLine("big.example", "b", std::string(10000, 'q'));
  const std::string nul = CookieLine("nul.example", std::string("a\0b", 3), "x");
  const std::string badExpiry = CookieLine("never.example", "n", "v", "\n", "never", "TRUE");
  std::string many;
  for (int i = 0; i < lines; ++i)
    many += CookieLine("h" + std::to_string(i) + ".example", "n", "0123456789");
  const std::string last = CookieLine("last.example", "z", "v", "");
  f.text = header + crlf + gone + shortLine + big + nul + badExpiry + many + last;
  f.expectedAfterFilter = header + crlf + shortLine + big + nul + badExpiry + many + last;
  f.listed = {"crlf.example - sid", "ads.example - track", "big.example - b",
              std::string("nul.example - a\0b", 17), "never.example - n", "last.example - z"};
  for (int i = 0; i < lines; ++i) f.listed.insert("h" + std::to_string(i) + ".example - n");
  return f;
}

TEST_F(Cookies, TheMozillaFileIsReadWholeAndItsRewriteLosesNothingNoFilterPicks) {
  const BadCookieFile small = MakeBadCookieFile(10);
  const std::string profile = MakeMozillaProfile(small.text);
  EXPECT_EQ(List(CookieMode::Mozilla), small.listed);
  // The fields of two rows.
  for (std::size_t i = 0; i < common::ItemCount(); ++i) {
    const core::Item& item = common::Items().At(i);
    EXPECT_EQ(item.type, core::item_type::kMozillaCookie);
    if (item.name == "crlf.example - sid") {
      EXPECT_EQ(item.key, "abc");
      EXPECT_EQ(item.path, "/");
      EXPECT_FALSE(item.text.empty()) << "an expiry date";
      EXPECT_EQ(item.flag, 0);
    }
    if (item.name == "never.example - n") {
      EXPECT_EQ(item.text, "");
      EXPECT_EQ(item.flag, 1);
    }
  }

  // Every line of a large file is read: the rewrite keeps all of them.
  const BadCookieFile f = MakeBadCookieFile(100000);
  ASSERT_GT(f.text.size(), 268288u * 10);
  ASSERT_TRUE(WriteBytes(profile + "cookies.txt", f.text));
  ASSERT_TRUE(browser::AddNut("ADS"));
  const browser::ScanResult pass = browser::ScanCookies(CookieMode::Mozilla, true, 6);
  EXPECT_EQ(pass.cookies, 1);
  EXPECT_EQ(Contents(profile + "cookies.txt"), f.text) << "the original waits";
  EXPECT_EQ(Contents(profile + "cookiesnew.txt"), f.expectedAfterFilter);
  EXPECT_EQ(StoredOptionText("UpdateCookieFile"), "1");
  EXPECT_FALSE(win32::IsExistingFile(profile + "cookiesnew.txt.tmp"));
}

TEST_F(Cookies, AnEmptyOrMissingCookieFileChangesNothing) {
  const std::string profile = MakeMozillaProfile("");
  ASSERT_TRUE(browser::AddNut("a"));
  EXPECT_FALSE(browser::ScanCookies(CookieMode::Mozilla, true, 6).done);
  EXPECT_TRUE(List(CookieMode::Mozilla).empty());
  ::DeleteFileW(win32::Wide(profile + "cookies.txt").c_str());
  EXPECT_FALSE(browser::ScanCookies(CookieMode::Mozilla, true, 6).done);
  EXPECT_FALSE(win32::IsExistingFile(profile + "cookiesnew.txt"));
  EXPECT_EQ(StoredOptionText("UpdateCookieFile"), "");
}

// A window of the class Mozilla browsers' windows have, in this process.
class MozillaWindow {
 public:
  MozillaWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"MozillaWindowClass";
    ::RegisterClassW(&wc);
    window_ = ::CreateWindowExW(0, wc.lpszClassName, L"browser", WS_OVERLAPPED, 0, 0, 10, 10,
                                nullptr, nullptr, wc.hInstance, nullptr);
  }
  ~MozillaWindow() { Close(); }
  void Close() {
    if (window_) ::DestroyWindow(window_);
    window_ = nullptr;
  }
  explicit operator bool() const { return window_ != nullptr; }

 private:
  HWND window_ = nullptr;
};

TEST_F(Cookies, TheRewriteWaitsWhileAMozillaWindowIsOpenAndThenReplacesTheFile) {
  const std::string keep = CookieLine("keep.example", "k");
  const std::string once = CookieLine("once.example", "o");
  const std::string profile = MakeMozillaProfile("# comment\n" + keep + once);
  ASSERT_TRUE(browser::AddNut("once.example - o", browser::kOneTimeNut));
  ASSERT_TRUE(browser::AddNut("user filter"));
  ASSERT_EQ(browser::ScanCookies(CookieMode::Mozilla, true, 6).cookies, 1);
  const std::string original = Contents(profile + "cookies.txt");

  {
    MozillaWindow browserWindow;
    ASSERT_TRUE(browserWindow);
    EXPECT_TRUE(browser::MozillaWindowOpen());
    EXPECT_FALSE(browser::ApplyMozillaCookieFileAndPurge(6));
    EXPECT_EQ(Contents(profile + "cookies.txt"), original);
    EXPECT_EQ(StoredOptionText("UpdateCookieFile"), "1");
    EXPECT_EQ(browser::LoadNuts().size(), 2u);
  }
  EXPECT_FALSE(browser::MozillaWindowOpen());
  // Meanwhile the browser wrote a cookie of its own: it stays.
  const std::string fresh = CookieLine("fresh.example", "f");
  ASSERT_TRUE(WriteBytes(profile + "cookies.txt", fresh, true));

  EXPECT_TRUE(browser::ApplyMozillaCookieFileAndPurge(6));
  EXPECT_EQ(Contents(profile + "cookies.txt"), "# comment\n" + keep + fresh);
  EXPECT_FALSE(win32::IsExistingFile(profile + "cookiesnew.txt"));
  EXPECT_EQ(StoredOptionText("UpdateCookieFile"), "");
  ASSERT_EQ(browser::LoadNuts().size(), 1u) << "the one-time filter is gone";
  EXPECT_EQ(browser::LoadNuts()[0].text, "user filter");
  // Nothing waits any more.
  EXPECT_FALSE(browser::ApplyMozillaCookieFileAndPurge(6));
}

TEST_F(Cookies, ReplacingAFileLeavesTheOldOrTheWholeNewOne) {
  const std::string file = MakeFile(scratch_ + "\\target.txt", "old");
  // The side file cannot be made (a folder stands in its place): the file stays as it was.
  MakeFolder("target.txt.tmp");
  EXPECT_FALSE(win32::WriteWholeFileReplacing(file, "new"));
  EXPECT_EQ(Contents(file), "old");
  ::RemoveDirectoryW(win32::Wide(file + ".tmp").c_str());
  const std::string big(3 << 20, 'n');
  EXPECT_TRUE(win32::WriteWholeFileReplacing(file, big));
  EXPECT_EQ(Contents(file), big);
  EXPECT_FALSE(win32::IsExistingFile(file + ".tmp"));
}

TEST_F(Cookies, TheViewersRemoveCommandsInBothModes) {
  const std::string a = CookieLine("a.example", "1"), b = CookieLine("b.example", "2"),
                    c = CookieLine("c.example", "3");
  const std::string profile = MakeMozillaProfile(a + b + c);
  const std::vector<browser::CookieChoice> rows = {
      {"a.example - 1", "/", true}, {"b.example - 2", "/", false}, {"c.example - 3", "/", true}};

  // Remove Checked: the checked cookies go, the unchecked one stays and gets no keep-mark.
  EXPECT_TRUE(browser::RemoveCookies(CookieMode::Mozilla, 6, rows, true).empty());
  EXPECT_EQ(List(CookieMode::Mozilla), (std::set<std::string>{"b.example - 2"}));
  ASSERT_TRUE(browser::ApplyMozillaCookieFileAndPurge(6));
  EXPECT_EQ(Contents(profile + "cookies.txt"), b);
  EXPECT_TRUE(browser::KeptCookieTitles().empty());

  // Remove Unchecked: the unchecked go, the checked are kept.
  ASSERT_TRUE(WriteBytes(profile + "cookies.txt", a + b + c));
  EXPECT_TRUE(browser::RemoveCookies(CookieMode::Mozilla, 6, rows, false).empty());
  ASSERT_TRUE(browser::ApplyMozillaCookieFileAndPurge(6));
  EXPECT_EQ(Contents(profile + "cookies.txt"), a + c);
  EXPECT_EQ(browser::KeptCookieTitles(), (std::vector<std::string>{"a.example - 1", "c.example - 3"}));

  // IE: the files go; without a cookie folder a one-time filter stands in.
  const std::string folder = MakeIECookieFolder();
  const std::string kept = MakeFile(folder + "u@kept[1].txt");
  const std::string doomed = MakeFile(folder + "u@doomed[1].txt");
  ::SetFileAttributesW(win32::Wide(doomed).c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(browser::RemoveCookies(CookieMode::InternetExplorer, 1,
                                     {{"u@kept[1].txt", kept, true},
                                      {"u@doomed[1].txt", doomed, false}},
                                     false)
                  .empty());
  EXPECT_TRUE(win32::IsExistingFile(kept));
  EXPECT_FALSE(win32::IsExistingFile(doomed));
  EXPECT_TRUE(browser::IsKeptCookie("u@kept[1].txt"));
  ASSERT_TRUE(common::DeleteFileForce(folder + "index.dat"));
  EXPECT_TRUE(browser::RemoveCookies(CookieMode::InternetExplorer, 1,
                                     {{"u@kept[1].txt", kept, true}}, true)
                  .empty());
  EXPECT_FALSE(browser::IsKeptCookie("u@kept[1].txt"));
  EXPECT_TRUE(win32::IsExistingFile(kept));
  ASSERT_EQ(browser::LoadNuts().size(), 1u);
  EXPECT_EQ(browser::LoadNuts()[0].data, browser::kOneTimeNut);
}

TEST_F(Cookies, TheNewCookieCheckFindsTheFirstCookieNotKept) {
  const std::string profile =
      MakeMozillaProfile("# c\n" + CookieLine("a.example", "1") + CookieLine("b.example", "2"));
  EXPECT_EQ(browser::FirstUnkeptCookie(CookieMode::Mozilla, 6), "a.example - 1");
  browser::SetKeptCookie("a.example - 1", true);
  EXPECT_EQ(browser::FirstUnkeptCookie(CookieMode::Mozilla, 6), "b.example - 2");
  browser::SetKeptCookie("b.example - 2", true);
  EXPECT_EQ(browser::FirstUnkeptCookie(CookieMode::Mozilla, 6), std::nullopt);
  // A cookie on its way out (a one-time filter names it) is no new cookie.
  ASSERT_TRUE(WriteBytes(profile + "cookies.txt", CookieLine("c.example", "3"), true));
  ASSERT_TRUE(browser::AddNut("c.example - 3", browser::kOneTimeNut));
  EXPECT_EQ(browser::FirstUnkeptCookie(CookieMode::Mozilla, 6), std::nullopt);
  // No IE cookie folder: nothing to ask about.
  EXPECT_EQ(browser::FirstUnkeptCookie(CookieMode::InternetExplorer, 1), std::nullopt);
}

TEST_F(Cookies, TheDefaultBrowserDecidesTheCookieStore) {
  constexpr char kCommandKey[] = "SOFTWARE\\Classes\\HTTP\\shell\\open\\command";
  const struct {
    const char* command;
    int code;
  } cases[] = {
      {"\"C:\\Program Files\\Mozilla Firefox\\firefox.exe\" -osint -url \"%1\"", 6},
      {"C:\\Apps\\firefox.exe -url %1", 3},
      {"\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" -nohome", 1},
      {"C:\\Maxthon\\maxthon.exe %1", 4},
      // A switch at once: nothing left, so App Paths' Internet Explorer counts.
      {"-mozilla", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    ASSERT_TRUE(common::WriteStoreString(HKEY_LOCAL_MACHINE, kCommandKey, "", c.command));
    EXPECT_EQ(browser::DetectDefaultBrowser(), c.code);
  }
}

}  // namespace
}  // namespace obrivo::test
