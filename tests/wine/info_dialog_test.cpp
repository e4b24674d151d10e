// The Info window driven by control id: Previous and Next wrap around the list, a missing file
// still opens with empty version fields, Kill Task ends a running program, notes are created
// and saved, Expand Info changes the height.
#include "explorer/info_dialog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "common/notes.h"
#include "common/win32/files.h"
#include "common/win32/system.h"
#include "common/win32/wide.h"
#include "explorer/explorer_state.h"
#include "explorer_ids.h"
#include "system/processes.h"
#include "test_process.h"
#include "wine_test_env.h"

namespace obrivo::explorer {
namespace {

using namespace std::chrono_literals;
using test::WaitUntil;

HWND WaitForInfo(const wchar_t* title) {
  HWND found = nullptr;
  // Visible only once its initialisation has filled every field.
  WaitUntil(
      [&] {
        found = ::FindWindowW(L"#32770", title);
        return found && ::IsWindowVisible(found);
      },
      10s);
  return found;
}

void Click(HWND dialog, int id) {
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

std::wstring Text(HWND dialog, int id) { return test::WindowText(::GetDlgItem(dialog, id)); }

class InfoWindow : public test::SandboxedTest {
 protected:
  void SetUp() override {
    SandboxedTest::SetUp();
    CreateSharedResources(common::App().instance);
    helper_ = win32::Narrow(test::HostToWine(test::EnvVar(L"OBRIVO_BIN_DIR"))) +
              "\\obrivo_test_helper.exe";
    self_ = helper_;  // an existing program file with an icon
  }
  void TearDown() override { ReleaseSharedResources(); }

  void Add(const std::string& title, const std::string& path, int type = 1) {
    core::Item item;
    item.title = title;
    item.path = path;
    item.type = type;
    items_.AddRaw(item);
  }

  // Opens the window on `index` on this thread while `drive` runs on another.
  std::vector<std::size_t> Run(std::size_t index, const std::function<void()>& drive) {
    std::vector<std::size_t> shown;
    InfoContext context;
    context.items = &items_;
    context.index = index;
    context.expanded = true;
    context.onShow = [&shown](std::size_t i) { shown.push_back(i); };
    std::thread driver(drive);
    ShowItemInfo(nullptr, context);
    driver.join();
    return shown;
  }

  core::ItemList items_;
  std::string self_, helper_;
};

TEST_F(InfoWindow, PreviousAndNextWrapAroundTheList) {
  Add("Alpha", self_);
  Add("Beta", "C:\\nowhere at all\\gone.exe");
  Add("Gamma", self_);
  const auto shown = Run(2, [] {
    HWND dialog = WaitForInfo(L"Gamma");
    ASSERT_NE(dialog, nullptr);
    Click(dialog, IDC_INFO_NEXT);  // last -> first
    EXPECT_NE(WaitForInfo(L"Alpha"), nullptr);
    Click(dialog, IDC_INFO_PREVIOUS);  // first -> last
    EXPECT_NE(WaitForInfo(L"Gamma"), nullptr);
    Click(dialog, IDC_INFO_PREVIOUS);
    EXPECT_NE(WaitForInfo(L"Beta"), nullptr);
    // A file that is not there still opens, with empty version fields.
    EXPECT_EQ(Text(dialog, IDC_INFO_STATUS), L"Local File not found.");
    EXPECT_EQ(Text(dialog, IDC_INFO_PRODUCT), L"");
    EXPECT_EQ(Text(dialog, IDC_INFO_COMPANY), L"");
    EXPECT_EQ(Text(dialog, IDC_INFO_DESCRIPTION), L"Beta") << "the title stands in";
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dialog, IDC_INFO_RUN)));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dialog, IDC_INFO_KILL)));
    Click(dialog, IDC_INFO_NEXT);
    EXPECT_NE(WaitForInfo(L"Gamma"), nullptr);
    test::SaveDesktopScreenshot(L"explorer-info-dialog.bmp", dialog);
    Click(dialog, IDCANCEL);
  });
  EXPECT_EQ(shown, (std::vector<std::size_t>{2, 0, 2, 1, 2}));
}

// A browser add-on's location is its whole registration: the key of its kind and its own name.
TEST_F(InfoWindow, AnAddOnsLocationIsItsRegistration) {
  const struct {
    const char* title;
    int type;
    const wchar_t* location;
  } cases[] = {
      {"Helper", 900,
       L"Location: HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper "
       L"Objects\\{00000000-0000-4000-8000-000000000001}"},
      {"Bar", 901,
       L"Location: HKLM\\SOFTWARE\\Microsoft\\Internet "
       L"Explorer\\Toolbar\\{00000000-0000-4000-8000-000000000001}"},
      {"Button", 902,
       L"Location: HKLM\\SOFTWARE\\Microsoft\\Internet "
       L"Explorer\\Extensions\\{00000000-0000-4000-8000-000000000001}"},
  };
  for (const auto& c : cases) {
    core::Item item;
    item.title = c.title;
    item.path = self_;
    item.key = "{00000000-0000-4000-8000-000000000001}";
    item.type = c.type;
    items_.AddRaw(item);
  }
  Run(0, [&] {
    HWND dialog = nullptr;
    for (const auto& c : cases) {
      SCOPED_TRACE(c.title);
      dialog = WaitForInfo(win32::Wide(c.title).c_str());
      ASSERT_NE(dialog, nullptr);
      EXPECT_EQ(Text(dialog, IDC_INFO_LOCATION), c.location);
      Click(dialog, IDC_INFO_NEXT);
    }
    Click(dialog, IDCANCEL);
  });
}

// A file-type row without a note names its extension, not its class.
TEST_F(InfoWindow, AFileTypesNotesNameTheExtension) {
  core::Item item;
  item.title = "Text Document";
  item.path = self_;
  item.key = "txtfile";
  item.text = ".TXT";
  item.type = 400;
  item.flag = 1;
  items_.AddRaw(item);
  Run(0, [&] {
    HWND dialog = WaitForInfo(L"Text Document");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Text(dialog, IDC_INFO_NOTES), L"File Type Extension: .TXT");
    Click(dialog, IDCANCEL);
  });
}

TEST_F(InfoWindow, KillTaskEndsTheRunningProgram) {
  // Started as the item's command names it: the program alone, without arguments.
  const std::string lingering =
      helper_.substr(0, helper_.rfind('\\')) + "\\obrivo_lingering_program.exe";
  test::Process running(win32::Wide(lingering), L"");
  ASSERT_TRUE(running.started());
  // The window tells "Running" by the same search.
  ASSERT_TRUE(WaitUntil([&] { return system::FindProcessByPath(lingering) != 0; }, 5s));
  Add("Helper", lingering);
  Run(0, [&] {
    HWND dialog = WaitForInfo(L"Helper");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Text(dialog, IDC_INFO_STATUS), L"Running");
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(dialog, IDC_INFO_KILL)));
    Click(dialog, IDC_INFO_KILL);
    EXPECT_TRUE(WaitUntil(
        [&] {
          return Text(dialog, IDC_INFO_STATUS) == L"Ready" &&
                 ::IsWindowVisible(::GetDlgItem(dialog, IDC_INFO_RUN));
        },
        5s))
        << "the program ended and can be run again";
    Click(dialog, IDCANCEL);
  });
  EXPECT_NE(running.WaitForExit(5s), static_cast<DWORD>(STILL_ACTIVE)) << "the program ended";
}

// An entry as an installer may write it, unquoted, in a folder with a space: Windows would try
// "...\Run.exe" first. Run starts the program the window shows, with the entry's arguments.
TEST_F(InfoWindow, RunStartsTheProgramShownWhateverSpacesItsFolderHas) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring root = std::wstring(temp) + L"obrivo-info-run";
  const std::wstring folder = root + L"\\Run Test";
  ::CreateDirectoryW(root.c_str(), nullptr);
  ::CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring helper = win32::Wide(helper_);
  ASSERT_TRUE(::CopyFileW(helper.c_str(), (folder + L"\\tool.exe").c_str(), FALSE));
  ASSERT_TRUE(::CopyFileW(helper.c_str(), (root + L"\\Run.exe").c_str(), FALSE));
  Add("Tool", win32::Narrow(folder) + "\\tool.exe wait");
  Run(0, [&] {
    HWND dialog = WaitForInfo(L"Tool");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(::IsWindowVisible(::GetDlgItem(dialog, IDC_INFO_RUN)));
    Click(dialog, IDC_INFO_RUN);
    // "wait" keeps the started program running: it got its argument.
    EXPECT_TRUE(WaitUntil([&] { return !test::ProcessesIn(folder, L"tool.exe").empty(); }, 5s));
    EXPECT_TRUE(test::ProcessesIn(root, L"Run.exe").empty()) << "the wrong program started";
    Click(dialog, IDCANCEL);
  });
  test::KillProcessesIn(root);
  ::DeleteFileW((folder + L"\\tool.exe").c_str());
  ::DeleteFileW((root + L"\\Run.exe").c_str());
  ::RemoveDirectoryW(folder.c_str());
  ::RemoveDirectoryW(root.c_str());
}

TEST_F(InfoWindow, NotesAreCreatedAndSaved) {
  Add("Self", self_);
  const std::string note = common::NoteFilePath(self_);
  ASSERT_FALSE(note.empty());
  ::DeleteFileW(win32::Wide(note).c_str());
  Run(0, [&] {
    HWND dialog = WaitForInfo(L"Self");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Text(dialog, IDC_INFO_NOTE), L"&Create Note");
    Click(dialog, IDC_INFO_NOTE);
    EXPECT_TRUE(WaitUntil([&] { return Text(dialog, IDC_INFO_NOTE) == L"&Save Note"; }, 5s));
    EXPECT_NE(Text(dialog, IDC_INFO_NOTES).find(L"Self\r\n"), std::wstring::npos);
    ::SendMessageW(::GetDlgItem(dialog, IDC_INFO_NOTES), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(L"Seen on the old laptop too.\r\nЗаметка"));
    Click(dialog, IDC_INFO_NOTE);
    EXPECT_TRUE(WaitUntil(
        [&] {
          const auto text = common::ReadNote(note);
          return text && *text == "Seen on the old laptop too.\r\nЗаметка";
        },
        5s));
    Click(dialog, IDCANCEL);
  });
  EXPECT_TRUE(common::NoteExists(self_));
  ::DeleteFileW(win32::Wide(note).c_str());
}

TEST_F(InfoWindow, ExpandInfoShrinksAndHidesTheDetails) {
  Add("Self", self_);
  Run(0, [&] {
    HWND dialog = WaitForInfo(L"Self");
    ASSERT_NE(dialog, nullptr);
    RECT expanded{};
    ::GetWindowRect(dialog, &expanded);
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(dialog, IDC_INFO_NOTES)));
    Click(dialog, IDC_INFO_EXPAND);
    RECT shrunk{};
    EXPECT_TRUE(WaitUntil(
        [&] {
          ::GetWindowRect(dialog, &shrunk);
          return shrunk.bottom - shrunk.top < expanded.bottom - expanded.top;
        },
        5s));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dialog, IDC_INFO_NOTES)));
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dialog, IDC_INFO_DETECTED)));
    Click(dialog, IDC_INFO_EXPAND);
    EXPECT_TRUE(
        WaitUntil([&] { return ::IsWindowVisible(::GetDlgItem(dialog, IDC_INFO_NOTES)); }, 5s));
    Click(dialog, IDCANCEL);
  });
}

}  // namespace
}  // namespace obrivo::explorer
