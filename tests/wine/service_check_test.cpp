// The services baseline and the Monitor's services check over service keys in the sandboxed
// machine hive, with the answers given through the check's hooks: which services are asked
// about, what each answer leaves in the system and the baseline, and what is said when an
// answer could not be carried out.
#include "system/service_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/category_hooks.h"
#include "common/first_detected.h"
#include "common/history.h"
#include "common/store.h"
#include "common/utilities.h"
#include "core/alert_rules.h"
#include "core/text.h"
#include "history_events.h"
#include "services_test_env.h"
#include "system/service_actions.h"
#include "test_process.h"

namespace obrivo::test {
namespace {

using Value = ServiceValue;

// What the check asked and said, and the answers it is given.
struct Asked {
  std::vector<std::string> newServices;  // key names
  struct Changed {
    std::string key, before, now;
  };
  std::vector<Changed> changed;
  std::vector<std::string> failures;
  int answer = core::kAlertYes;
  std::function<void()> beforeAnswer;

  system::ServiceCheckHooks Hooks() {
    system::ServiceCheckHooks hooks;
    hooks.askNewService = [this](const core::Item& item) {
      newServices.push_back(item.name);
      if (beforeAnswer) beforeAnswer();
      return answer;
    };
    hooks.askChangedCommand = [this](const core::Item& item, const std::string& before,
                                     const std::string& now) {
      changed.push_back({item.name, before, now});
      return answer;
    };
    hooks.reportFailure = [this](const std::string& text) { failures.push_back(text); };
    return hooks;
  }
};

class ServiceCheck : public ServiceKeysTest {
 protected:
  void SetUp() override {
    ServiceKeysTest::SetUp();
    common::DeleteFileForce(common::HistoryFilePath());
    Write({"FixAccepted",
           {{"ImagePath", REG_SZ, "C:\\fix\\accepted.exe"}, {"Start", REG_DWORD, "3"}}});
    Write({"FixHostedAccepted",
           {{"ImagePath", REG_EXPAND_SZ, "%SystemRoot%\\system32\\svchost.exe -k fix"},
            {"Start", REG_DWORD, "2"}},
           {{"ServiceDll", REG_EXPAND_SZ, "%SystemRoot%\\system32\\fixaccepted.dll"}}});
    system::SnapshotServices();
  }
  void TearDown() override { common::DeleteFileForce(common::HistoryFilePath()); }

  static std::optional<system::AcceptedService> Accepted(const std::string& keyName) {
    const auto baseline = system::ReadServicesBaseline();
    if (!baseline) return std::nullopt;
    const auto found = baseline->find(core::ToUpper(keyName));
    if (found == baseline->end()) return std::nullopt;
    return found->second;
  }
};

TEST_F(ServiceCheck, BaselineIsTakenOnceByKeyNameWithTypeCommandAndStart) {
  const auto hosted = Accepted("FixHostedAccepted");
  ASSERT_TRUE(hosted);
  EXPECT_EQ(hosted->type, 701);
  EXPECT_EQ(hosted->start, std::optional<DWORD>(2));
  EXPECT_EQ(hosted->imagePath, "%SystemRoot%\\system32\\svchost.exe -k fix");
  EXPECT_EQ(hosted->serviceDll, "%SystemRoot%\\system32\\fixaccepted.dll");
  // The value reads as its type code wherever a reader takes its first line.
  auto key = win32::OpenKey(HKEY_CURRENT_USER, common::ProductSubkey("Services"), KEY_READ);
  ASSERT_TRUE(key);
  EXPECT_EQ(win32::StringFromValue(*win32::QueryValue(key.get(), "FixAccepted")), "700");

  // Taken once: a service installed later is not slipped into it at the next start.
  Write({"FixLater", {{"ImagePath", REG_SZ, "C:\\fix\\later.exe"}, {"Start", REG_DWORD, "2"}}});
  system::SnapshotServices();
  EXPECT_FALSE(Accepted("FixLater"));
}

// The programs' start-up: the first one to find no services baseline takes it, and the first
// run dates every service whose file exists.
TEST_F(ServiceCheck, StartUpTakesTheMissingBaselineAndDatesTheServices) {
  const std::string program = win32::Narrow(HostToWine(EnvVar(L"OBRIVO_BIN_DIR"))) +
                              "\\obrivo_test_service.exe";
  Write({"FixDated", {{"ImagePath", REG_SZ, "\"" + program + "\" -run"}, {"Start", REG_DWORD, "2"}}});
  ASSERT_TRUE(common::DeleteStoreTree(HKEY_CURRENT_USER, common::ProductSubkey("Services")));
  const common::BaselineHooks hooks = app::CategoryBaselineHooks();
  ASSERT_TRUE(hooks.initServices && hooks.initFirstDetected);
  hooks.initServices();
  EXPECT_TRUE(Accepted("FixDated"));
  EXPECT_TRUE(Accepted("FixAccepted"));
  hooks.initFirstDetected();
  EXPECT_EQ(common::LookupFirstDetected(700, program),
            core::TruncateChars(common::LocalDateTimeNow(), 24));
}

TEST_F(ServiceCheck, AnEarlierLayoutIsTakenAgain) {
  const struct {
    const char* marker;
    bool layout;
  } cases[] = {{"P", false}, {"", true}, {"", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "marker '" << c.marker << "' layout " << c.layout);
    ASSERT_TRUE(common::DeleteStoreTree(HKEY_CURRENT_USER, common::ProductSubkey("Services")));
    // By display name, as stores of earlier versions held it.
    common::WriteStoreString(HKEY_CURRENT_USER, common::ProductSubkey("Services"), "Fix Old Title",
                             "700");
    common::WriteStoreString(HKEY_CURRENT_USER, common::ProductSubkey("Services"), "", c.marker);
    if (c.layout)
      common::WriteStoreString(HKEY_CURRENT_USER, common::ProductSubkey("Services"), "/Layout",
                               "2");
    EXPECT_FALSE(system::ReadServicesBaseline());
    system::SnapshotServices();
    EXPECT_TRUE(Accepted("FixAccepted"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, common::ProductSubkey("Services"),
                             "Fix Old Title"));
  }
}

TEST_F(ServiceCheck, NewServiceIsAskedAboutAndTheAnswerHolds) {
  const struct {
    int answer;
    bool acceptedAfter;
    DWORD startAfter;
    bool askedAgain;
    std::vector<std::string> events;
  } cases[] = {
      {core::kAlertYes, true, 2, false, {}},
      // Rejected: disabled, and held as disabled.
      {core::kAlertNo, true, 4, false, {"SERVICE_Disabled"}},
      // No answer (the alert could not be shown): nothing decided, asked again.
      {0, false, 2, true, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    const std::string name = "FixNew" + std::to_string(c.answer);
    Write({name, {{"ImagePath", REG_SZ, "C:\\fix\\new.exe"}, {"Start", REG_DWORD, "2"}}});
    common::DeleteFileForce(common::HistoryFilePath());
    Asked asked;
    asked.answer = c.answer;
    system::CheckServices(asked.Hooks());
    EXPECT_EQ(asked.newServices, std::vector<std::string>{name});
    EXPECT_TRUE(asked.changed.empty());
    EXPECT_TRUE(asked.failures.empty());
    EXPECT_EQ(Accepted(name).has_value(), c.acceptedAfter);
    EXPECT_EQ(StartOf(name), std::optional<DWORD>(c.startAfter));
    EXPECT_EQ(HistoryEvents(), c.events);

    Asked again;
    system::CheckServices(again.Hooks());
    EXPECT_EQ(!again.newServices.empty(), c.askedAgain);
  }
}

// A rejected service that something sets to start again is asked about again; an accepted one
// whose start type moves within what was accepted is not.
TEST_F(ServiceCheck, RejectedServiceIsAskedAgainWhenItsStartTypeIsRaised) {
  Write({"FixRejected", {{"ImagePath", REG_SZ, "C:\\fix\\rejected.exe"}, {"Start", REG_DWORD, "3"}}});
  Asked first;
  first.answer = core::kAlertNo;
  system::CheckServices(first.Hooks());
  ASSERT_EQ(StartOf("FixRejected"), std::optional<DWORD>(4));

  const struct {
    const char* key;
    const char* start;
    bool asked;
  } cases[] = {
      {"FixRejected", "2", true},
      {"FixRejected", "3", true},
      {"FixAccepted", "2", false},  // accepted as manual, now automatic
      {"FixAccepted", "4", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " " + c.start);
    Put(KeyPath(c.key), {"Start", REG_DWORD, c.start});
    Asked asked;
    asked.answer = 0;  // leaves the rejected service raised for the next case
    system::CheckServices(asked.Hooks());
    const bool wasAsked = std::find(asked.newServices.begin(), asked.newServices.end(), c.key) !=
                          asked.newServices.end();
    EXPECT_EQ(wasAsked, c.asked);
    if (!c.asked) {
      EXPECT_EQ(Accepted(c.key)->start, std::optional<DWORD>(std::stoul(c.start)));
    }
  }
}

TEST_F(ServiceCheck, ChangedCommandOfAnAcceptedServiceIsAskedWithTheOldOne) {
  const struct {
    const char* key;
    const char* value;
    const char* sub;
    const char* changedTo;
    const char* original;
    const char* oldText;
    const char* newText;
  } cases[] = {
      {"FixAccepted", "ImagePath", "", "C:\\elsewhere\\other.exe", "C:\\fix\\accepted.exe",
       "C:\\fix\\accepted.exe", "C:\\elsewhere\\other.exe"},
      {"FixHostedAccepted", "ServiceDll", "Parameters", "C:\\elsewhere\\other.dll",
       "%SystemRoot%\\system32\\fixaccepted.dll",
       "%SystemRoot%\\system32\\fixaccepted.dll (%SystemRoot%\\system32\\svchost.exe -k fix)",
       "C:\\elsewhere\\other.dll (%SystemRoot%\\system32\\svchost.exe -k fix)"},
  };
  for (const auto& c : cases) {
    for (const int answer : {core::kAlertNo, core::kAlertYes}) {
      SCOPED_TRACE(std::string(c.key) + (answer == core::kAlertYes ? " yes" : " no"));
      const std::string path = KeyPath(c.key) + (*c.sub ? std::string("\\") + c.sub : "");
      Put(path, {c.value, REG_EXPAND_SZ, c.changedTo});
      common::DeleteFileForce(common::HistoryFilePath());
      Asked asked;
      asked.answer = answer;
      system::CheckServices(asked.Hooks());
      ASSERT_EQ(asked.changed.size(), 1u);
      EXPECT_EQ(asked.changed[0].key, c.key);
      EXPECT_EQ(asked.changed[0].before, c.oldText);
      EXPECT_EQ(asked.changed[0].now, c.newText);
      EXPECT_TRUE(asked.newServices.empty());
      EXPECT_TRUE(asked.failures.empty());
      // No puts the accepted command back; Yes keeps the new one, and it is accepted.
      EXPECT_EQ(StringOf(c.key, c.value, c.sub),
                answer == core::kAlertNo ? c.original : c.changedTo);
      EXPECT_EQ(HistoryEvents(), answer == core::kAlertNo
                                     ? std::vector<std::string>{"SERVICE_CommandRestored"}
                                     : std::vector<std::string>{});
      Asked again;
      system::CheckServices(again.Hooks());
      EXPECT_TRUE(again.changed.empty() && again.newServices.empty());
    }
  }
}

TEST_F(ServiceCheck, AnswerThatCannotBeCarriedOutIsSaidAndNotRecorded) {
  Write({"FixVanishing", {{"ImagePath", REG_SZ, "C:\\fix\\vanishing.exe"}, {"Start", REG_DWORD, "2"}}});
  Asked asked;
  asked.answer = core::kAlertNo;
  // Gone between the listing and the answer: there is nothing left to disable.
  asked.beforeAnswer = [] {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, win32::Wide(KeyPath("FixVanishing")).c_str());
  };
  system::CheckServices(asked.Hooks());
  ASSERT_EQ(asked.failures.size(), 1u);
  EXPECT_NE(asked.failures[0].find("could not be changed"), std::string::npos) << asked.failures[0];
  EXPECT_EQ(HistoryEvents(), std::vector<std::string>{});
}

}  // namespace
}  // namespace obrivo::test
