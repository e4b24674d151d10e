// The service control against Wine's service control manager, with a small service program of
// our own: its state and start type, stop and disable, by display name and by key name; and the
// new-service alert that stops and disables a service the user rejects.
#include "system/service_control.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "alert_test_env.h"
#include "common/history.h"
#include "common/win32/unique.h"
#include "monitor/alerts/alerts.h"
#include "monitor_ids.h"
#include "test_service.h"

namespace obrivo::test {
namespace {

class ServiceControl : public AlertTest {
 protected:
  void SetUp() override {
    AlertTest::SetUp();
    const std::string id = std::to_string(::GetCurrentProcessId());
    name_ = "ObrivoTestService" + id;
    display_ = "Obrivo Test Service " + id;
    service_ = std::make_unique<TestService>(bin_ + "\\obrivo_test_service.exe", win32::Wide(name_),
                                             win32::Wide(display_));
    ASSERT_TRUE(service_->created());
  }
  void TearDown() override {
    service_.reset();
    AlertTest::TearDown();
  }

  std::string name_, display_;
  std::unique_ptr<TestService> service_;
};

TEST_F(ServiceControl, QueriesStopsAndDisablesByEitherName) {
  for (const std::string* name : {&display_, &name_}) {
    SCOPED_TRACE(*name);
    ASSERT_TRUE(service_->Start());
    EXPECT_EQ(system::QueryServiceState(*name), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(system::QueryServiceStartType(*name), static_cast<DWORD>(SERVICE_DEMAND_START));
    EXPECT_TRUE(system::StopServiceByName(*name));
    EXPECT_TRUE(service_->WaitFor(SERVICE_STOPPED));
    EXPECT_FALSE(system::StopServiceByName(*name)) << "a stopped service refuses the stop";
    EXPECT_TRUE(system::DisableServiceByName(*name));
    EXPECT_EQ(system::QueryServiceStartType(*name), static_cast<DWORD>(SERVICE_DISABLED));
    ASSERT_TRUE(service_->StartOnDemand()) << "enabled again for the next name";
  }
}

TEST_F(ServiceControl, AnUnknownServiceIsNotFound) {
  for (const char* name : {"No Such Obrivo Service", ""}) {
    EXPECT_FALSE(system::QueryServiceState(name).has_value()) << name;
    EXPECT_FALSE(system::QueryServiceStartType(name).has_value()) << name;
    EXPECT_FALSE(system::StopServiceByName(name)) << name;
    EXPECT_FALSE(system::DisableServiceByName(name)) << name;
  }
}

TEST_F(ServiceControl, RejectedServiceIsStoppedAndDisabledByTheAlert) {
  const struct {
    bool running;
    bool closeBox;  // the close box rejects as No does
    std::vector<std::string> events;
    const wchar_t* settings;
  } cases[] = {
      {true,
       false,
       {"SERVICE__from_Disabled", "SERVICE_Stop", "SERVICE_Disabled"},
       L"Startup Status: Manual\r\nActive Status: Running."},
      {true,
       true,
       {"SERVICE__from_Disabled", "SERVICE_Stop", "SERVICE_Disabled"},
       L"Startup Status: Manual\r\nActive Status: Running."},
      {false, false, {"SERVICE_Disabled"}, L"Startup Status: Manual\r\nActive Status: Stopped."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "running " << c.running << " close " << c.closeBox);
    if (c.running) {
      ASSERT_TRUE(service_->Start());
    }
    const std::string history = common::HistoryFilePath();
    common::DeleteFileForce(history);
    SetContext(bin_ + "\\obrivo_test_service.exe", display_, 700);
    std::wstring upper, lower, name;
    const int result = Open([] { return monitor::ShowAlert(monitor::AlertKind::Service); },
                            [&](HWND dialog) {
                              upper = ControlText(dialog, IDC_ALERT_UPPER_MESSAGE);
                              lower = ControlText(dialog, IDC_ALERT_LOWER_MESSAGE);
                              name = ControlText(dialog, IDC_ALERT_NAME);
                              if (c.closeBox)
                                CloseBox(dialog);
                              else
                                Click(dialog, IDC_ALERT_NO);
                            });
    EXPECT_EQ(result, 7);
    EXPECT_EQ(upper.rfind(L"Tavik the Windows Watchdog is on patrol and has detected a new "
                          L"Window Services",
                          0),
              0u);
    EXPECT_EQ(lower.rfind(c.settings, 0), 0u) << win32::Narrow(lower);
    EXPECT_EQ(name, win32::Wide(display_)) << "a file without a product name shows the title";
    EXPECT_TRUE(service_->WaitFor(SERVICE_STOPPED));
    EXPECT_EQ(system::QueryServiceStartType(name_), static_cast<DWORD>(SERVICE_DISABLED));

    std::vector<std::string> events;
    const std::string text = common::ReadTextFile(history, false).value_or("");
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t end = text.find("\r\n", at);
      const std::string line = text.substr(at, end - at);
      const std::size_t first = line.find('\t');
      const std::size_t second = line.find('\t', first + 1);
      events.push_back(line.substr(first + 1, second - first - 1));
      EXPECT_NE(
          line.find("\tSERVICE_EXE\t" + display_ + "\t" + bin_ + "\\obrivo_test_service.exe\t"),
          std::string::npos)
          << line;
      at = end == std::string::npos ? text.size() : end + 2;
    }
    EXPECT_EQ(events, c.events);
    common::DeleteFileForce(history);
    ASSERT_TRUE(service_->StartOnDemand()) << "enabled again for the next case";
  }
}

// An accepted service whose command changed: the alert shows the command before and now, and No
// leaves the putting back to the check (the service is neither stopped nor disabled here).
TEST_F(ServiceControl, ChangedCommandAlertShowsBothCommandsAndLeavesTheService) {
  ASSERT_TRUE(service_->Start());
  const std::string history = common::HistoryFilePath();
  common::DeleteFileForce(history);
  SetContext("C:\\elsewhere\\other.exe -run", display_, 700);
  monitor::MonitorState& s = monitor::State();
  s.alertKey = name_;
  s.alertPath2 = "C:\\fixture\\service.exe";
  std::wstring upper, lower;
  const int result = Open([] { return monitor::ShowAlert(monitor::AlertKind::Service); },
                          [&](HWND dialog) {
                            upper = ControlText(dialog, IDC_ALERT_UPPER_MESSAGE);
                            lower = ControlText(dialog, IDC_ALERT_LOWER_MESSAGE);
                            Click(dialog, IDC_ALERT_NO);
                          });
  s.alertKey.clear();
  s.alertPath2.clear();
  EXPECT_EQ(result, 7);
  EXPECT_NE(upper.find(L"the command of an accepted Windows Service has changed"),
            std::wstring::npos)
      << win32::Narrow(upper);
  EXPECT_EQ(lower.rfind(L"Before: C:\\fixture\\service.exe\r\nNow: C:\\elsewhere\\other.exe -run", 0),
            0u)
      << win32::Narrow(lower);
  EXPECT_EQ(system::QueryServiceState(name_, system::NameKind::Key),
            static_cast<DWORD>(SERVICE_RUNNING));
  EXPECT_EQ(system::QueryServiceStartType(name_, system::NameKind::Key),
            static_cast<DWORD>(SERVICE_DEMAND_START));
  EXPECT_FALSE(common::ReadTextFile(history, false).has_value()) << "nothing was done";
}

}  // namespace
}  // namespace obrivo::test
