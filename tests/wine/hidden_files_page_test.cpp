// The Hidden Files page driven by control id: what its rows show (the file held open reads "File
// in Use", a system file "SYSTEM"), Unhide, Delete through the vault (refused and said when no
// copy can be kept), Delete File on Reboot; and the history viewer's undo of a deletion, which
// is offered only while the copy is kept and says when it cannot put the file back.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

#include "common/history.h"
#include "common/items.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/wide.h"
#include "core/history_codes.h"
#include "explorer/history_viewer.h"
#include "explorer/list_view.h"
#include "explorer/sheet.h"
#include "explorer_driver.h"
#include "explorer_ids.h"
#include "file_bytes.h"
#include "files/hidden_files.h"
#include "files/hidden_vault.h"
#include "hidden_fixtures.h"
#include "menu_ids.h"
#include "pending_deletions.h"
#include "test_process.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

constexpr DWORD kHidden = FILE_ATTRIBUTE_HIDDEN;

class HiddenFilesPage : public SandboxedTest {
 protected:
  void SetUp() override {
    SandboxedTest::SetUp();
    explorer::CreateSharedResources(common::App().instance);
    ASSERT_TRUE(common::ClearHistoryFile());
    // One level below the temporary folder, which the page walks one level deep.
    folder_ = std::make_unique<FixtureFolder>(TempFolderForFixtures() + "\\obrivo hidden page");
    ASSERT_TRUE(MakeFixtureFile(*folder_ / "plain hidden.txt", kHidden, "plain"));
    ASSERT_TRUE(MakeFixtureFile(*folder_ / "core.sys", kHidden | FILE_ATTRIBUTE_SYSTEM, "core"));
    ASSERT_TRUE(MakeFixtureFile(*folder_ / "held.dat", kHidden, "held"));
  }
  void TearDown() override {
    if (held_ != INVALID_HANDLE_VALUE) ::CloseHandle(held_);
    folder_.reset();
    RemoveFixtureTree(files::VaultFolder());
    common::ClearHistoryFile();
    explorer::ReleaseSharedResources();
  }

  // Held open with no sharing, as a running program may hold its file.
  void Hold(const std::string& name) {
    held_ = ::CreateFileW(win32::Wide(*folder_ / name).c_str(), GENERIC_READ, 0, nullptr,
                          OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held_, INVALID_HANDLE_VALUE);
  }

  static void Command(HWND page, int id) {
    ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(id, 0), 0);
  }

  std::unique_ptr<FixtureFolder> folder_;
  HANDLE held_ = INVALID_HANDLE_VALUE;
};

TEST_F(HiddenFilesPage, RowsShowNameFolderDatesAndType) {
  Hold("held.dat");
  const struct {
    const char* name;
    bool inUse;
    const char* type;
  } rows[] = {
      {"plain hidden.txt", false, ""},
      {"core.sys", false, "SYSTEM"},
      {"held.dat", true, ""},
  };
  RunSheet(6052, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    for (const auto& r : rows) {
      SCOPED_TRACE(r.name);
      const int row = RowOf(list, r.name);
      ASSERT_GE(row, 0);
      EXPECT_EQ(explorer::CellText(list, row, 1), folder_->path());
      EXPECT_FALSE(explorer::CellText(list, row, 2).empty()) << "first detected now";
      const std::string written = explorer::CellText(list, row, 3);
      if (r.inUse)
        EXPECT_EQ(written, "File in Use");
      else
        EXPECT_TRUE(!written.empty() && written != "File in Use") << written;
      EXPECT_EQ(explorer::CellText(list, row, 4), r.type);
    }
    SelectRows(list, {RowOf(list, "core.sys")});
    SaveDesktopScreenshot(L"explorer-hidden-files-page.bmp", ::GetParent(page));

    // Refresh looks through the folders again.
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(page, IDC_REFRESH)));
    ASSERT_TRUE(MakeFixtureFile(*folder_ / "later.tmp", kHidden));
    EXPECT_EQ(RowOf(list, "later.tmp"), -1);
    Click(page, IDC_REFRESH);
    EXPECT_GE(RowOf(list, "later.tmp"), 0);
  });
}

TEST_F(HiddenFilesPage, UnhideAndDeleteActOnTheSelectedFile) {
  RunSheet(6052, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    // Without a selection every action says that a row must be chosen first.
    for (int id : {IDC_UNHIDE, IDM_DELETE, IDM_DELETE_ON_REBOOT, IDM_VIEW_NOTEPAD}) {
      SCOPED_TRACE(id);
      SelectRows(list, {});
      Command(page, id);
      EXPECT_NE(DismissMessageBox(L"Obrivo Help").find(L"No selection has been made."),
                std::wstring::npos);
    }

    // Unhide asks nothing; the file stays, as an ordinary file, and leaves the list.
    SelectRows(list, {RowOf(list, "plain hidden.txt")});
    ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_UNHIDE, 0), 0);
    EXPECT_EQ(FixtureAttributes(*folder_ / "plain hidden.txt") & kHidden, 0u);
    EXPECT_EQ(RowOf(list, "plain hidden.txt"), -1);

    // Delete: No keeps the file; Yes deletes it, with its copy in the vault and a record.
    SelectRows(list, {RowOf(list, "core.sys")});
    Command(page, IDM_DELETE);
    EXPECT_NE(AnswerQuestion(IDNO, page).find(L"Are you sure you want this file deleted?"),
              std::wstring::npos);
    EXPECT_TRUE(FixtureExists(*folder_ / "core.sys"));
    SelectRows(list, {RowOf(list, "core.sys")});
    Command(page, IDM_DELETE);
    AnswerQuestion(IDYES, page);
    EXPECT_FALSE(FixtureExists(*folder_ / "core.sys"));
    EXPECT_EQ(RowOf(list, "core.sys"), -1) << "the list is refilled";
  });
  ASSERT_EQ(common::LoadHistory(), 1u);
  const core::Item record = common::Items().At(0);
  EXPECT_EQ(record.flag, core::history_event::kHiddenDeleteFile);
  EXPECT_EQ(record.path, *folder_ / "core.sys");
  EXPECT_EQ(FixtureContents(files::VaultFolder() + "\\" + record.key), "core");
}

// A file held open cannot be copied: it is not deleted, and the page says why.
TEST_F(HiddenFilesPage, ADeleteThatCannotKeepACopyIsRefusedAndSaid) {
  Hold("held.dat");
  std::wstring said;
  RunSheet(6052, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    SelectRows(list, {RowOf(list, "held.dat")});
    Command(page, IDM_DELETE);
    AnswerQuestion(IDYES, page);
    said = DismissMessageBox(L"Obrivo Help");
    EXPECT_GE(RowOf(list, "held.dat"), 0);
  });
  EXPECT_NE(said.find(L"was not deleted"), std::wstring::npos) << win32::Narrow(said);
  EXPECT_TRUE(FixtureExists(*folder_ / "held.dat"));
  EXPECT_EQ(common::LoadHistory(), 0u);
}

// A file that vanished after the list was filled: said, and the list refilled without it.
TEST_F(HiddenFilesPage, AFileThatVanishedIsSaid) {
  std::wstring said;
  RunSheet(6052, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    const struct {
      int id;
      const char* name;
    } cases[] = {{IDM_DELETE, "plain hidden.txt"}, {IDC_UNHIDE, "core.sys"}};
    for (const auto& c : cases) {
      SCOPED_TRACE(c.name);
      SelectRows(list, {RowOf(list, c.name)});
      // Gone between the listing and the command.
      RemoveFixtureTree(*folder_ / c.name);
      Command(page, c.id);
      if (c.id == IDM_DELETE) AnswerQuestion(IDYES, page);
      said = DismissMessageBox(L"Obrivo Help");
      EXPECT_NE(said.find(L"is no longer there"), std::wstring::npos) << win32::Narrow(said);
      EXPECT_EQ(RowOf(list, c.name), -1);
    }
  });
  EXPECT_EQ(common::LoadHistory(), 0u);
}

TEST_F(HiddenFilesPage, DeleteFileOnRebootSchedulesTheFile) {
  PendingDeletions pending;
  const std::string file = *folder_ / "plain hidden.txt";
  RunSheet(6052, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    SelectRows(list, {RowOf(list, "plain hidden.txt")});
    Command(page, IDM_DELETE_ON_REBOOT);
    AnswerQuestion(IDYES, page);
    if (HWND said = FindShownDialog(L"Obrivo Help")) {
      ADD_FAILURE() << win32::Narrow(WindowText(::GetDlgItem(said, 0xFFFF)));
      ::PostMessageW(said, WM_COMMAND, IDOK, 0);
    }
  });
  EXPECT_TRUE(pending.Lists(file));
}

// The history viewer's undo: offered while the copy is kept, puts the file back hidden; offered
// no more once used, and a double-click then says that nothing could be put back.
TEST_F(HiddenFilesPage, TheHistoryUndoPutsTheFileBackOrSaysWhyNot) {
  const std::string file = *folder_ / "core.sys";
  ASSERT_EQ(files::DeleteHiddenFile(file, "core.sys").outcome, files::HiddenDeletion::Deleted);
  std::thread driver([&] {
    HWND dialog = nullptr;
    WaitUntil([&] { return (dialog = ::FindWindowW(L"#32770", L"Obrivo History")) != nullptr; },
              10s);
    if (!dialog) {
      ADD_FAILURE() << "the history viewer did not open";
      return;
    }
    HWND list = ::GetDlgItem(dialog, IDC_PAGE_LIST);
    SelectRows(list, {0});
    Settle(dialog);
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_HISTORY_RESTORE)));
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_RESTORE, BN_CLICKED), 0);
    EXPECT_EQ(FixtureAttributes(file), kHidden);
    EXPECT_EQ(FixtureContents(file), "core");
    EXPECT_FALSE(common::ReadStoreString(files::HiddenBaselineKey(), HKEY_CURRENT_USER, file, 64)
                     .empty());
    SelectRows(list, {0});
    Settle(dialog);
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_HISTORY_RESTORE)))
        << "the copy is used up";
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  });
  explorer::ShowHistoryViewer(nullptr);
  driver.join();

  // The undo reaching the record anyway (a double-click acts on any row with an undo) says why
  // nothing happens, and leaves the file there alone.
  ASSERT_TRUE(files::DeleteHiddenFile(file, "core.sys").outcome == files::HiddenDeletion::Deleted);
  ASSERT_EQ(common::LoadHistory(), 2u);
  const core::Item record = common::Items().At(1);
  RemoveFixtureTree(files::VaultFolder());
  std::wstring said;
  WhileOpen([&] { explorer::HistoryRestoreFor(record.flag)(nullptr, record); },
            [&] { said = DismissMessageBox(L"Obrivo Help"); },
            [] { return FindShownDialog(L"Obrivo Help"); });
  EXPECT_NE(said.find(L"could not be brought back"), std::wstring::npos) << win32::Narrow(said);
  EXPECT_FALSE(FixtureExists(file));
}

}  // namespace
}  // namespace obrivo::test
