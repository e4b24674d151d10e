// Services against Wine's real service control manager, with the fixture service installed by
// each test and removed after it: the listing, the stop, each start type by key name, the
// undo's record, and the check's rejection; a service claiming Microsoft from C:\ProgramData.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "common/history.h"
#include "common/items.h"
#include "common/store.h"
#include "common/utilities.h"
#include "core/alert_rules.h"
#include "core/text.h"
#include "system/processes.h"
#include "system/service_actions.h"
#include "system/service_check.h"
#include "system/service_control.h"
#include "system/services.h"
#include "history_events.h"
#include "services_test_env.h"
#include "test_process.h"
#include "test_service.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

class RealServices : public SandboxedTest {
 protected:
  void SetUp() override {
    SandboxedTest::SetUp();
    // The services database is the machine's own: only the user's store stays sandboxed.
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    bin_ = win32::Narrow(HostToWine(EnvVar(L"OBRIVO_BIN_DIR")));
    id_ = std::to_string(::GetCurrentProcessId());
    common::DeleteFileForce(common::HistoryFilePath());
  }
  void TearDown() override { common::DeleteFileForce(common::HistoryFilePath()); }

  std::unique_ptr<TestService> Install(const std::string& key, const std::string& display,
                                       DWORD start = SERVICE_DEMAND_START,
                                       const std::string& program = {}) {
    auto service = std::make_unique<TestService>(
        program.empty() ? bin_ + "\\obrivo_test_service.exe" : program, win32::Wide(key),
        win32::Wide(display), start);
    EXPECT_TRUE(service->created()) << key;
    return service;
  }

  static std::optional<core::Item> Listed(std::string_view keyName, bool hideMicrosoft) {
    system::EnumServices(hideMicrosoft);
    const core::ItemList& items = common::Items();
    for (std::size_t i = 0; i < items.Count(); ++i)
      if (items.At(i).name == keyName) return items.At(i);
    return std::nullopt;
  }

  std::string bin_, id_;
};

TEST_F(RealServices, ListsStopsAndSetsEachStartTypeByKeyName) {
  const std::string key = "ObrivoFixture" + id_, display = "Fixture Service " + id_;
  auto service = Install(key, display);
  ASSERT_TRUE(service->created());

  const auto listed = Listed(key, true);
  ASSERT_TRUE(listed) << "listed under its key name";
  EXPECT_EQ(listed->title, display);
  EXPECT_EQ(listed->type, 700);
  EXPECT_EQ(listed->key, "Manual");
  EXPECT_TRUE(core::EqualsNoCase(listed->path, bin_ + "\\obrivo_test_service.exe")) << listed->path;

  const system::ServiceRef ref{key, display, listed->path, 700};
  ASSERT_TRUE(service->Start());
  EXPECT_EQ(system::StopServiceRecorded(ref), system::ServiceActionResult::Done);
  EXPECT_TRUE(service->WaitFor(SERVICE_STOPPED));
  EXPECT_EQ(system::StopServiceRecorded(ref), system::ServiceActionResult::NothingToDo)
      << "a stopped service is not stopped again, nor recorded";
  EXPECT_EQ(HistoryEvents(), (std::vector<std::string>{"SERVICE__from_Disabled", "SERVICE_Stop"}));

  const struct {
    DWORD start;
    const char* text;
    const char* event;
    DWORD earlier;
  } cases[] = {
      {SERVICE_AUTO_START, "Automatic", "SERVICE_Automatic", SERVICE_DEMAND_START},
      {SERVICE_DISABLED, "Disabled", "SERVICE_Disabled", SERVICE_AUTO_START},
      {SERVICE_DEMAND_START, "Manual", "SERVICE_Manual", SERVICE_DISABLED},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    common::DeleteFileForce(common::HistoryFilePath());
    EXPECT_EQ(system::SetServiceStartRecorded(ref, c.start), system::ServiceActionResult::Done);
    EXPECT_EQ(system::QueryServiceStartType(key, system::NameKind::Key), c.start);
    EXPECT_EQ(Listed(key, true)->key, c.text);
    ASSERT_EQ(HistoryEvents(), std::vector<std::string>{c.event});
    // The record names the start type before it and the key name, for the undo.
    const std::string line = HistoryLines()[0];
    const auto record = system::ParseStartRecord(line.substr(line.rfind('\t') + 1));
    ASSERT_TRUE(record) << line;
    EXPECT_EQ(record->earlierStart, c.earlier);
    EXPECT_EQ(record->keyName, key);
    EXPECT_EQ(system::SetServiceStartRecorded(ref, c.start),
              system::ServiceActionResult::NothingToDo);
  }
}

// One service's display name is another's key name: acting by key name reaches the right one,
// where a lookup by display name would reach the first.
TEST_F(RealServices, StartTypeChangesActOnTheKeyNameNeverTheDisplayName) {
  const std::string named = "ObrivoFixtureNamed" + id_, other = "ObrivoFixtureOther" + id_;
  auto first = Install(other, named);  // displays as the key name of the second
  auto second = Install(named, "Fixture Second " + id_);
  ASSERT_TRUE(first->created() && second->created());
  EXPECT_EQ(system::SetServiceStartRecorded(system::ServiceRef{named, named, "", 700},
                                            SERVICE_DISABLED),
            system::ServiceActionResult::Done);
  EXPECT_EQ(system::QueryServiceStartType(named, system::NameKind::Key),
            static_cast<DWORD>(SERVICE_DISABLED));
  EXPECT_EQ(system::QueryServiceStartType(other, system::NameKind::Key),
            static_cast<DWORD>(SERVICE_DEMAND_START))
      << "the service displayed under that name is left alone";
}

TEST_F(RealServices, RejectedByTheCheckIsStoppedAndDisabled) {
  system::SnapshotServices();
  const std::string key = "ObrivoFixtureNew" + id_;
  auto service = Install(key, "Fixture New " + id_, SERVICE_AUTO_START);
  ASSERT_TRUE(service->Start());

  std::vector<std::string> asked, failures;
  system::ServiceCheckHooks hooks;
  hooks.askNewService = [&](const core::Item& item) {
    asked.push_back(item.name);
    return item.name == key ? core::kAlertNo : core::kAlertYes;
  };
  hooks.reportFailure = [&](const std::string& text) { failures.push_back(text); };
  system::CheckServices(hooks);

  EXPECT_NE(std::find(asked.begin(), asked.end(), key), asked.end());
  EXPECT_TRUE(failures.empty()) << failures.front();
  EXPECT_TRUE(service->WaitFor(SERVICE_STOPPED));
  EXPECT_EQ(system::QueryServiceStartType(key, system::NameKind::Key),
            static_cast<DWORD>(SERVICE_DISABLED));
  EXPECT_EQ(HistoryEvents(), (std::vector<std::string>{"SERVICE__from_Disabled", "SERVICE_Stop",
                                                       "SERVICE_Disabled"}));

  // Set to start again behind the user's back: asked about again.
  ASSERT_TRUE(system::SetServiceStartType(key, SERVICE_AUTO_START));
  asked.clear();
  hooks.askNewService = [&](const core::Item& item) {
    asked.push_back(item.name);
    return 0;
  };
  system::CheckServices(hooks);
  EXPECT_EQ(asked, std::vector<std::string>{key});
}

// The command of an accepted service pointed at another program through the service manager: No
// puts the accepted command back where the manager and the registry keep it.
TEST_F(RealServices, ChangedCommandIsPutBackThroughTheServiceManager) {
  const std::string key = "ObrivoFixtureChanged" + id_;
  auto service = Install(key, "Fixture Changed " + id_);
  ASSERT_TRUE(service->created());
  system::SnapshotServices();
  const std::string accepted = "\"" + bin_ + "\\obrivo_test_service.exe\"";
  const std::string other = "\"" + bin_ + "\\obrivo_claiming_service.exe\"";
  ASSERT_TRUE(system::SetServiceCommand(key, other));
  ASSERT_TRUE(service->Start()) << "running the other program";

  std::vector<std::string> changed, failures;
  system::ServiceCheckHooks hooks;
  hooks.askChangedCommand = [&](const core::Item& item, const std::string& before,
                                const std::string& now) {
    changed.push_back(item.name + ": " + before + " -> " + now);
    return core::kAlertNo;
  };
  hooks.reportFailure = [&](const std::string& text) { failures.push_back(text); };
  system::CheckServices(hooks);
  EXPECT_EQ(changed, std::vector<std::string>{key + ": " + accepted + " -> " + other});
  EXPECT_TRUE(failures.empty());
  EXPECT_TRUE(service->WaitFor(SERVICE_STOPPED)) << "the other program is stopped";
  const auto record = system::ReadService(key, false);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->imagePath, accepted);
  // The manager starts the accepted program again.
  ASSERT_TRUE(service->Start());
  EXPECT_TRUE(WaitUntil([&] {
    for (const auto& p : system::RunningProgramFiles())
      if (core::EqualsNoCase(p, bin_ + "\\obrivo_test_service.exe")) return true;
    return false;
  })) << "the accepted program runs";
  EXPECT_EQ(HistoryEvents(),
            (std::vector<std::string>{"SERVICE_CommandRestored", "SERVICE__from_Disabled",
                                      "SERVICE_Stop"}));
}

// A service whose file claims Microsoft as its company but runs from C:\ProgramData is listed
// and asked about with the default HideMicrosoftServices.
TEST_F(RealServices, ClaimingMicrosoftOutsideTheWindowsFolderIsListedAndAsked) {
  const PlacedCopy copy(bin_ + "\\obrivo_claiming_service.exe",
                        "C:\\ProgramData\\ObrivoFixture" + id_ + "\\claims.exe");
  ASSERT_TRUE(copy.copied());
  const std::string& program = copy.path();
  ASSERT_TRUE(common::ReadVersionInfo(program));
  ASSERT_EQ(common::ReadVersionInfo(program)->companyName, "Microsoft Corporation");

  system::SnapshotServices();
  const std::string key = "ObrivoFixtureClaims" + id_;
  {
    auto service = Install(key, "Fixture Claims " + id_, SERVICE_AUTO_START, program);
    ASSERT_TRUE(service->created());
    ASSERT_EQ(common::ReadOption("HideMicrosoftServices", 1), 1);
    EXPECT_TRUE(Listed(key, true));
    std::vector<std::string> asked;
    system::ServiceCheckHooks hooks;
    hooks.askNewService = [&](const core::Item& item) {
      asked.push_back(item.name);
      return core::kAlertYes;
    };
    system::CheckServices(hooks);
    EXPECT_NE(std::find(asked.begin(), asked.end(), key), asked.end());
  }
}

}  // namespace
}  // namespace obrivo::test
