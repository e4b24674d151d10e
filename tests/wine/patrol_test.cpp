// The patrol cycle as the Monitor binds it: the schedule from the stored options, the checks
// registered by category, the error mode around a pass, the option reload and the prompt rule.
#include "monitor/patrol.h"

#include <string>
#include <vector>

#include "common/options_store.h"
#include "common/store.h"
#include "monitor/monitor_state.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

using monitor::State;

class PatrolTest : public SandboxedTest {
 protected:
  void SetUp() override {
    common::InitApp(core::Program::Monitor, ::GetModuleHandleW(nullptr));
    static_cast<core::PatrolState&>(State()) = core::PatrolState{};
    for (int order = 1; order <= core::kPatrolCategoryCount; ++order)
      monitor::SetPatrolCheck(order, {});
  }

  static void SetOption(const char* name, const char* value) {
    ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, common::kOptionsKey, name, value));
  }

  // As the Monitor starts it after the store's start-up, some seconds into the run.
  static void Start() {
    common::LoadOptions(common::App().options);
    common::App().startTick = ::GetTickCount() - 5000;
    monitor::StartPatrol();
  }

  // The ticks up to and including the next pass, which the spacing of passes lets run.
  static void TickToPass() {
    State().lastVerifyStart = ::GetTickCount() - 5000;
    for (int i = 0; i <= core::kPassDueTicks; ++i) monitor::OnPatrolTick();
  }
};

TEST_F(PatrolTest, RegisteredChecksRunInTheirPassWithCriticalErrorBoxesOff) {
  SetOption("Start", "1");
  SetOption("IEHelpers", "2");
  SetOption("Services", "1");
  Start();
  EXPECT_EQ(State().lastVerifyStart, common::App().startTick);

  std::vector<int> runs;
  UINT modeInCheck = 0;
  const auto record = [&](int order) {
    return [&runs, &modeInCheck, order] {
      runs.push_back(order);
      modeInCheck = ::GetErrorMode();
      return false;
    };
  };
  for (int order : {0, 1, 2, 10, 14}) monitor::SetPatrolCheck(order, record(order));

  ::SetErrorMode(0);
  TickToPass();
  EXPECT_EQ(runs, (std::vector<int>{1})) << "half A; IE helpers not due yet";
  EXPECT_NE(modeInCheck & SEM_FAILCRITICALERRORS, 0u);
  EXPECT_EQ(::GetErrorMode(), 0u) << "restored after the pass";
  EXPECT_EQ(State().secondHalf, 1);
  EXPECT_EQ(State().tickCount, 0);

  TickToPass();
  EXPECT_EQ(runs, (std::vector<int>{1, 10})) << "half B";
  TickToPass();
  EXPECT_EQ(runs, (std::vector<int>{1, 10, 1, 2}));
  EXPECT_EQ(State().passCount, 3);
}

TEST_F(PatrolTest, UpdateFlagReloadsTheOptionsAndTheSchedule) {
  SetOption("Start", "2");
  Start();
  EXPECT_EQ(core::Countdown(State(), 1), 2);
  State().restartCountdown = core::kRestartCommandsReported;

  SetOption("Start", "4");
  EXPECT_FALSE(monitor::ReloadOptionsIfUpdated()) << "no flag, no reload";
  EXPECT_EQ(common::App().options.Get(core::OptionId::Start), 2);

  SetOption("Update", "1");
  State().secondHalf = 1;
  EXPECT_TRUE(monitor::ReloadOptionsIfUpdated());
  EXPECT_EQ(common::App().options.Get(core::OptionId::Start), 4);
  EXPECT_EQ(core::Countdown(State(), 1), 4);
  EXPECT_EQ(State().restartCountdown, core::kRestartCommandsReported);
  EXPECT_EQ(State().secondHalf, 0);
  EXPECT_EQ(common::ReadStoreString(common::kOptionsKey, HKEY_CURRENT_USER, "Update", 128), "0");
  EXPECT_FALSE(monitor::ReloadOptionsIfUpdated());
}

TEST_F(PatrolTest, NewCookiePromptFollowsTheLoadedShowAlerts) {
  const struct {
    const char* showAlerts;
    int alertSuppress;
    bool allowed;
  } cases[] = {{"0", 0, true}, {"0", 2, false}, {"1", 2, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.showAlerts) + "/" + std::to_string(c.alertSuppress));
    SetOption("ShowAlerts", c.showAlerts);
    Start();
    State().alertSuppress = c.alertSuppress;
    EXPECT_EQ(monitor::NewCookiePromptAllowed(), c.allowed);
  }
}

}  // namespace
}  // namespace obrivo::test
