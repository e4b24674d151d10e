// The Services page and the Info window's service controls, opened in the test process over the
// machine's real services database with fixture services installed by the test, driven by
// control id: the columns, the non-Microsoft-only box, and the start type, Stop and Apply with
// their history records and failure messages.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/history.h"
#include "common/items.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/system.h"
#include "common/win32/wide.h"
#include "core/text.h"
#include "explorer/explorer_state.h"
#include "explorer/info_dialog.h"
#include "explorer/list_view.h"
#include "explorer/sheet.h"
#include "explorer_ids.h"
#include "system/service_control.h"
#include "system/services.h"
#include "test_process.h"
#include "test_service.h"
#include "explorer_driver.h"
#include "history_events.h"
#include "services_test_env.h"
#include "wine_test_env.h"

namespace obrivo::explorer {
namespace {

using namespace std::chrono_literals;
using test::WaitUntil;

constexpr int kTitle = 0, kCommand = 1, kCompany = 2, kStatus = 3, kStartup = 4, kDetected = 5;

void Click(HWND window, int id) {
  ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(window, id)));
}

std::wstring Text(HWND dialog, int id) { return test::WindowText(::GetDlgItem(dialog, id)); }

bool Visible(HWND dialog, int id) { return ::IsWindowVisible(::GetDlgItem(dialog, id)) != FALSE; }
bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }

int RowOf(HWND list, const std::string& title) {
  for (int row = 0; row < RowCount(list); ++row)
    if (CellText(list, row, kTitle) == title) return row;
  return -1;
}

class ServicesPage : public test::SandboxedTest {
 protected:
  void SetUp() override {
    SandboxedTest::SetUp();
    // The services database is the machine's own: only the user's store stays sandboxed.
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    CreateSharedResources(common::App().instance);
    common::ClearHistoryFile();
    bin_ = win32::Narrow(test::HostToWine(test::EnvVar(L"OBRIVO_BIN_DIR")));
    id_ = std::to_string(::GetCurrentProcessId());
    key_ = "ObrivoPageFixture" + id_;
    title_ = "Fixture Page Service " + id_;
    service_ = std::make_unique<test::TestService>(bin_ + "\\obrivo_test_service.exe",
                                                   win32::Wide(key_), win32::Wide(title_));
    ASSERT_TRUE(service_->created());
  }
  void TearDown() override {
    service_.reset();
    common::ClearHistoryFile();
    ReleaseSharedResources();
  }

  // The Info window on the fixture service's item, on this thread while `drive` works it.
  void OnInfo(const std::function<void(HWND dialog)>& drive) {
    system::EnumServices(false);
    const core::ItemList items = common::Items();
    InfoContext context;
    context.items = &items;
    for (std::size_t i = 0; i < items.Count(); ++i)
      if (items.At(i).name == key_) context.index = i;
    ASSERT_EQ(items.At(context.index).name, key_);
    test::WhileOpen([&] { ShowItemInfo(nullptr, context); },
                    [&] {
                      HWND dialog = test::WaitForDialog(win32::Wide(title_).c_str());
                      if (!dialog) {
                        ADD_FAILURE() << "the Info window did not open";
                        return;
                      }
                      drive(dialog);
                      Click(dialog, IDCANCEL);
                    },
                    [] { return test::FindDialogOf(::GetCurrentProcessId()); });
  }

  std::string bin_, id_, key_, title_;
  std::unique_ptr<test::TestService> service_;
};

TEST_F(ServicesPage, ListsServicesWithTheirColumnsAndTheMicrosoftBoxFilters) {
  // The claiming program inside the Windows folder counts as Microsoft's and is hidden while the
  // box is checked.
  const test::PlacedCopy program(bin_ + "\\obrivo_claiming_service.exe",
                                 win32::WindowsDirectory() + "\\ObrivoPageFixture" + id_ +
                                     "\\claims.exe");
  ASSERT_TRUE(program.copied());
  const std::string msTitle = "Fixture Page Microsoft " + id_;
  test::TestService microsoft(program.path(), win32::Wide("ObrivoPageMicrosoft" + id_),
                              win32::Wide(msTitle));
  ASSERT_TRUE(microsoft.created());
  ASSERT_TRUE(service_->Start());
  common::App().options.Set(core::OptionId::HideMicrosoftServices, 1);

  test::RunSheet(6038, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ColumnCount(list), 6);
    const int row = RowOf(list, title_);
    ASSERT_GE(row, 0) << "the fixture service has its row";
    EXPECT_EQ(CellText(list, row, kCommand), "obrivo_test_service.exe") << "as the command spells it";
    EXPECT_EQ(CellText(list, row, kCompany), " ") << "a file without a company";
    EXPECT_EQ(CellText(list, row, kStatus), "Running");
    EXPECT_EQ(CellText(list, row, kStartup), "Manual");
    EXPECT_EQ(CellText(list, row, kDetected),
              core::TruncateChars(common::LocalDateTimeNow(), 24));
    for (int r = 0; r < RowCount(list); ++r) {
      const std::string command = CellText(list, r, kCommand);
      EXPECT_FALSE(command.empty() || command.find('\\') != std::string::npos) << command;
    }
    EXPECT_EQ(RowOf(list, msTitle), -1);
    EXPECT_EQ(::SendDlgItemMessageW(page, IDC_HIDE_MICROSOFT, BM_GETCHECK, 0, 0), BST_CHECKED);
    test::SaveDesktopScreenshot(L"explorer-services-page.bmp", ::GetParent(page));

    // Unchecked: Microsoft's services are listed too, and the choice is stored.
    ::SendDlgItemMessageW(page, IDC_HIDE_MICROSOFT, BM_SETCHECK, BST_UNCHECKED, 0);
    Click(page, IDC_HIDE_MICROSOFT);
    EXPECT_TRUE(WaitUntil([&] { return RowOf(list, msTitle) >= 0; }, 10s));
    EXPECT_EQ(common::ReadOption("HideMicrosoftServices", 1), 0);
    EXPECT_EQ(CellText(list, RowOf(list, msTitle), kCompany), "Microsoft Corporation");
    EXPECT_EQ(CellText(list, RowOf(list, msTitle), kStatus), "Stopped");
    ::SendDlgItemMessageW(page, IDC_HIDE_MICROSOFT, BM_SETCHECK, BST_CHECKED, 0);
    Click(page, IDC_HIDE_MICROSOFT);
    EXPECT_TRUE(WaitUntil([&] { return RowOf(list, msTitle) < 0; }, 10s));
    EXPECT_EQ(common::ReadOption("HideMicrosoftServices", 0), 1);
    EXPECT_GE(RowOf(list, title_), 0);
  });
}

TEST_F(ServicesPage, InfoWindowStopsAndAppliesTheStartTypeWithHistory) {
  ASSERT_TRUE(service_->Start());
  OnInfo([&](HWND dialog) {
    for (int id : {IDC_INFO_START_TYPE, IDC_INFO_SERVICE_STATUS, IDC_INFO_SERVICE_STOP,
                   IDC_INFO_SERVICE_APPLY})
      EXPECT_TRUE(Visible(dialog, id)) << id;
    for (int id : {IDC_INFO_STATUS, IDC_INFO_KILL, IDC_INFO_RUN})
      EXPECT_FALSE(Visible(dialog, id)) << id;
    EXPECT_EQ(Text(dialog, IDC_INFO_START_TYPE), L"Manual");
    EXPECT_EQ(Text(dialog, IDC_INFO_SERVICE_STATUS), L"Running");
    EXPECT_TRUE(Enabled(dialog, IDC_INFO_SERVICE_STOP));
    EXPECT_FALSE(Enabled(dialog, IDC_INFO_SERVICE_APPLY)) << "nothing chosen yet";

    Click(dialog, IDC_INFO_SERVICE_STOP);
    EXPECT_TRUE(service_->WaitFor(SERVICE_STOPPED));
    EXPECT_TRUE(WaitUntil([&] { return Text(dialog, IDC_INFO_SERVICE_STATUS) == L"Stopped"; }, 10s));
    EXPECT_FALSE(Enabled(dialog, IDC_INFO_SERVICE_STOP)) << "a stopped service accepts no control";

    // Each start type in turn, by the combo box and Apply.
    const struct {
      int selection;
      DWORD start;
      const char* event;
    } cases[] = {{0, SERVICE_AUTO_START, "SERVICE_Automatic"},
                 {2, SERVICE_DISABLED, "SERVICE_Disabled"},
                 {1, SERVICE_DEMAND_START, "SERVICE_Manual"}};
    for (const auto& c : cases) {
      SCOPED_TRACE(c.event);
      ::SendDlgItemMessageW(dialog, IDC_INFO_START_TYPE, CB_SETCURSEL, c.selection, 0);
      ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_INFO_START_TYPE, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDC_INFO_START_TYPE)));
      EXPECT_TRUE(WaitUntil([&] { return Enabled(dialog, IDC_INFO_SERVICE_APPLY); }, 5s));
      Click(dialog, IDC_INFO_SERVICE_APPLY);
      EXPECT_TRUE(WaitUntil(
          [&] { return system::QueryServiceStartType(key_, system::NameKind::Key) == c.start; },
          10s));
      EXPECT_TRUE(WaitUntil([&] { return !Enabled(dialog, IDC_INFO_SERVICE_APPLY); }, 5s));
      EXPECT_EQ(test::HistoryEvents().back(), c.event);
    }
  });
  EXPECT_EQ(test::HistoryEvents(),
            (std::vector<std::string>{"SERVICE__from_Disabled", "SERVICE_Stop", "SERVICE_Automatic",
                                      "SERVICE_Disabled", "SERVICE_Manual"}));
}

// A service whose key may not be read is left out, and the status line says how many were.
TEST_F(ServicesPage, RefusedServiceKeysAreCountedInTheStatusLine) {
  const test::RefusedKey refused(std::string(system::kServicesKey) + "\\" + key_);
  ASSERT_TRUE(refused.refused());
  test::RunSheet(6038, [&](HWND, HWND page) {
    HWND list = ::GetDlgItem(page, IDC_PAGE_LIST);
    EXPECT_GT(RowCount(list), 0) << "the others are listed";
    EXPECT_EQ(RowOf(list, title_), -1);
    wchar_t text[256] = {};
    ::SendMessageW(SheetStatusBar(), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(std::wstring(text), L"Services left out, access to their keys refused: 1");
  });
}

// The service is deleted while its Info window is open: Apply says it could not be done and
// nothing is recorded as done.
TEST_F(ServicesPage, InfoWindowSaysWhenTheStartTypeCannotBeChanged) {
  OnInfo([&](HWND dialog) {
    service_.reset();  // stopped and deleted
    ::SendDlgItemMessageW(dialog, IDC_INFO_START_TYPE, CB_SETCURSEL, 0, 0);
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_INFO_START_TYPE, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDC_INFO_START_TYPE)));
    EXPECT_TRUE(WaitUntil([&] { return Enabled(dialog, IDC_INFO_SERVICE_APPLY); }, 5s));
    Click(dialog, IDC_INFO_SERVICE_APPLY);
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
          box = test::FindDialogOf(::GetCurrentProcessId());
          return box && box != dialog && ::IsWindowVisible(box);
        },
        10s));
    EXPECT_NE(test::WindowText(::GetDlgItem(box, 0xFFFF)).find(L"could not be changed"),
              std::wstring::npos);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(box); }, 5s));
    EXPECT_TRUE(Enabled(dialog, IDC_INFO_SERVICE_APPLY)) << "the choice is still to be applied";
  });
  EXPECT_EQ(test::HistoryEvents(), std::vector<std::string>{});
}

}  // namespace
}  // namespace obrivo::explorer
