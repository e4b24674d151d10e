// The patrol cycle driven tick by tick against a fake Monitor that records what it was asked to
// do: when passes run and which half, which checks each pass runs, the real-time check and its
// gates, the option reload, the tray and the restart-commands question.
#include "core/patrol_cycle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace obrivo::core {
namespace {

constexpr std::uint32_t kTickMs = 2000;

// The Monitor as the cycle sees it. Every effect is logged with the tick it happened on.
class FakeMonitor {
 public:
  struct Event {
    int tick;
    std::string what;
  };

  explicit FakeMonitor(bool ntFamily = true, std::map<std::string, int> stored = {})
      : stored_(std::move(stored)), options_(Program::Monitor, ntFamily) {
    env.ntFamily = ntFamily;
    env.options = &options_;
    env.tickMs = [this] { return clock; };
    env.readOption = [this](std::string_view name, int fallback) {
      const auto it = stored_.find(std::string(name));
      return it == stored_.end() ? fallback : it->second;
    };
    env.clearUpdateFlag = [this] {
      stored_["Update"] = 0;
      Log("update 0");
    };
    env.reloadOptions = [this] {
      Load();
      Log("reload");
    };
    env.trace = [this](std::string_view category, std::string_view text) {
      Log("trace " + std::string(category) + ": " + std::string(text));
    };
    env.traceElapsed = [this] { Log("elapsed"); };
    env.showTrayStatus = [this](int tip, int icon) {
      Log("status " + std::to_string(tip) + " " + std::to_string(icon));
    };
    env.refreshTrayIcon = [this] { Log("refresh"); };
    env.modifyTrayIcon = [this](int icon, int tip) {
      Log("modify " + std::to_string(icon) + " " + std::to_string(tip));
    };
    env.suppressCriticalErrors = [this] {
      Log("error mode");
      return 7u;  // the mode the process had before
    };
    env.restoreErrorMode = [this](std::uint32_t mode) {
      Log("error mode back " + std::to_string(mode));
    };
    env.sleepMs = [this](int ms) { Log("sleep " + std::to_string(ms)); };
    env.enumActiveTasks = [this] {
      Log("enum tasks");
      return processes;
    };
    env.recordRunningPrograms = [this] { Log("record programs"); };
    env.clearItems = [this] { Log("clear items"); };
    env.clearCookies = [this] { Log("clear cookies"); };
    env.launcherStep = [this] { Log("launcher"); };
    env.askYesNo = [this](int id) {
      Log("ask " + std::to_string(id) + (state.alertOpen ? " (alert open)" : ""));
      return answerYes;
    };
    env.showRestartCommands = [this] { Log("viewer"); };
    for (int order = 1; order <= kPatrolCategoryCount; ++order)
      env.checks[static_cast<std::size_t>(order - 1)] = [this, order] {
        Log("check " + std::to_string(order));
        if (auto it = during.find(order); it != during.end()) it->second();
        return order == kRestartCommandsCategory && commandsWaiting;
      };
    Load();
    LoadPatrolSchedule(state, options_);
    state.lastVerifyStart = clock;
  }

  void Store(const std::string& name, int value) { stored_[name] = value; }
  int Stored(const std::string& name) const {
    const auto it = stored_.find(name);
    return it == stored_.end() ? -1 : it->second;
  }
  const OptionSet& Options() const { return options_; }

  // One WM_TIMER, `kTickMs` after the last.
  void Tick() {
    ++tick;
    clock += kTickMs;
    OnTimerTick(state, env);
  }
  // The notifier's signal, then its settle timer `kSettleMs` later; the call's result.
  std::uint32_t SignalAndSettle(bool placeChanged = true) {
    state.changePending = 1;
    if (placeChanged) state.placesChanged = 1;
    clock += kSettleMs;
    return OnChangeSettled(state, env);
  }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) Tick();
  }
  // Ticks until the next pass has run (whatever its outcome).
  void TickToPass() {
    const std::size_t before = Count("trace VERIFY: Enter Verify function");
    while (Count("trace VERIFY: Enter Verify function") == before) Tick();
  }

  std::size_t Count(const std::string& what) const {
    return static_cast<std::size_t>(
        std::count_if(log.begin(), log.end(), [&](const Event& e) { return e.what == what; }));
  }
  std::vector<int> TicksOf(const std::string& what) const {
    std::vector<int> ticks;
    for (const Event& e : log)
      if (e.what == what) ticks.push_back(e.tick);
    return ticks;
  }
  // The checks run since the log was last cleared, in order.
  std::vector<int> ChecksRun() const {
    std::vector<int> orders;
    for (const Event& e : log)
      if (e.what.rfind("check ", 0) == 0) orders.push_back(std::stoi(e.what.substr(6)));
    return orders;
  }
  std::vector<std::string> Whats() const {
    std::vector<std::string> out;
    for (const Event& e : log) out.push_back(e.what);
    return out;
  }

  PatrolState state;
  PatrolEnv env;
  std::vector<Event> log;
  std::uint32_t clock = 50000;
  int tick = 0;
  std::size_t processes = 12;
  bool commandsWaiting = false;
  bool answerYes = false;
  std::map<int, std::function<void()>> during;  // what a check does while it runs

 private:
  void Log(std::string what) { log.push_back({tick, std::move(what)}); }
  void Load() {
    for (std::size_t i = 0; i < kOptionCount; ++i) {
      const auto id = static_cast<OptionId>(i);
      const auto it = stored_.find(std::string(OptionName(id)));
      if (it != stored_.end()) options_.Set(id, it->second);
    }
  }

  std::map<std::string, int> stored_;
  OptionSet options_;
};

TEST(PatrolCycle, ScheduleOrderHalvesOptionsAndTraceNames) {
  const struct {
    PatrolHalf half;
    std::string_view interval;
    int intervalDefault;
    std::string_view realtime;
    int realtimeDefault;
    std::string_view traceName;
  } rows[] = {
      {PatrolHalf::A, "Start", 2, "RealtimeStartup", 1, "Startup Programs"},
      {PatrolHalf::A, "IEHelpers", 2, "RealtimeIEHelper", 1, "IE Helpers"},
      {PatrolHalf::A, "Hidden", 0, "RealtimeHidden", 0, "Hidden Files"},
      {PatrolHalf::A, "ActiveX", 4, "RealtimeActiveX", 1, "ActiveX Files"},
      {PatrolHalf::A, "HostFile", 3, "RealtimeSysFiles", 1, "Verify System Files"},
      {PatrolHalf::A, "StartPage", 2, "RealtimeStartPage", 1, "IE Start/Search Page"},
      {PatrolHalf::A, "FileType", 10, "RealtimeFileType", 0, "File Types"},
      {PatrolHalf::B, "Tasks", 11, "", 0, "Scheduled Tasks"},
      {PatrolHalf::B, "WinInit", 5, "", 0, "Win INIT file"},
      {PatrolHalf::B, "Services", 7, "RealtimeServices", 1, "Check for change to Services"},
      {PatrolHalf::B, "Nuts", 0, "", 0, "Filter Cookies"},
      {PatrolHalf::B, "", 0, "", 0, "Filter Mozilla Cookies"},
      {PatrolHalf::B, "Cookies", 0, "", 0, "Check for New Cookies"},
  };
  const auto schedule = PatrolSchedule();
  ASSERT_EQ(schedule.size(), std::size(rows));
  for (std::size_t i = 0; i < schedule.size(); ++i) {
    const PatrolCategory& c = schedule[i];
    SCOPED_TRACE(std::string(c.traceName));
    EXPECT_EQ(c.order, static_cast<int>(i + 1));
    EXPECT_EQ(c.half, rows[i].half);
    EXPECT_EQ(c.traceName, rows[i].traceName);
    EXPECT_EQ(c.interval ? OptionName(*c.interval) : "", rows[i].interval);
    EXPECT_EQ(c.realtime ? OptionName(*c.realtime) : "", rows[i].realtime);
    for (bool nt : {true, false}) {
      if (c.interval) {
        EXPECT_EQ(OptionDefault(*c.interval, Program::Monitor, nt), rows[i].intervalDefault);
      }
      if (c.realtime) {
        EXPECT_EQ(OptionDefault(*c.realtime, Program::Monitor, nt), rows[i].realtimeDefault);
      }
    }
  }
}

TEST(PatrolCycle, PassEverySeventeenTicksAlternatingHalves) {
  FakeMonitor m;
  m.Ticks(16);
  EXPECT_EQ(m.Count("trace VERIFY: Enter Verify function"), 0u) << "nothing before tick 17";
  m.Ticks(68 - 16);
  EXPECT_EQ(m.TicksOf("trace VERIFY: Enter Verify function"), (std::vector<int>{17, 34, 51, 68}));
  EXPECT_EQ(m.TicksOf("status 821 157"), (std::vector<int>{17, 51})) << "half A";
  EXPECT_EQ(m.TicksOf("status 824 158"), (std::vector<int>{34, 68})) << "half B";
  EXPECT_EQ(m.TicksOf("trace VERIFY: Exit Normal Verify"), (std::vector<int>{17, 34, 51, 68}));
  EXPECT_EQ(m.TicksOf("launcher").size(), 68u) << "the launcher's step on every tick";
  EXPECT_EQ(m.state.tickCount, 0);
}

TEST(PatrolCycle, OnePassInOrder) {
  // The fourth half-A pass with the default intervals runs categories 1, 2, 4 and 6.
  FakeMonitor m;
  for (int i = 0; i < 6; ++i) m.TickToPass();
  m.Ticks(16);
  m.log.clear();
  m.Tick();
  // clang-format off
  const std::vector<std::string> expected = {
      "launcher",
      "trace VERIFY: Enter Verify function", "elapsed",
      "clear items",
      "error mode",
      "status 821 157",
      "trace VERIFY: Startup Programs", "check 1", "elapsed",
      "trace VERIFY: IE Helpers", "check 2", "elapsed",
      "trace VERIFY: ActiveX Files", "check 4", "elapsed",
      "trace VERIFY: IE Start/Search Page", "check 6", "elapsed",
      "clear items", "clear cookies",
      "modify 101 820",
      "error mode back 7",
      "trace VERIFY: Exit Normal Verify", "elapsed",
  };
  // clang-format on
  EXPECT_EQ(m.Whats(), expected);
}

// For each category, the passes of its half (1st, 2nd, ...) in which its check runs.
std::map<int, std::vector<int>> ChecksByPassOfHalf(FakeMonitor& m, int passesPerHalf) {
  std::map<int, std::vector<int>> runs;
  for (int pass = 0; pass < 2 * passesPerHalf; ++pass) {
    m.log.clear();
    m.TickToPass();
    for (int order : m.ChecksRun()) runs[order].push_back(pass / 2 + 1);
  }
  return runs;
}

TEST(PatrolCycle, IntervalsCountPassesOfTheirHalf) {
  const std::vector<int> evens = {2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22};
  std::vector<int> all;
  for (int i = 1; i <= 22; ++i) all.push_back(i);
  // clang-format off
  const struct {
    const char* name;
    bool nt;
    std::map<std::string, int> stored;
    std::map<int, std::vector<int>> expected;
  } cases[] = {
      {"defaults on NT: Start = 2 first runs on the second half-A pass",
       true,
       {},
       {{1, evens},
        {2, evens},
        {4, {4, 8, 12, 16, 20}},
        {5, {3, 6, 9, 12, 15, 18, 21}},
        {6, evens},
        {7, {10, 20}},
        {8, {11, 22}},
        {10, {7, 14, 21}},
        {12, all}}},
      {"restart commands off the NT family",
       false,
       {{"Start", 0}, {"IEHelpers", 0}, {"ActiveX", 0}, {"HostFile", 0}, {"StartPage", 0},
        {"FileType", 0}, {"Tasks", 0}, {"Services", 0}},
       {{9, {5, 10, 15, 20}}, {12, all}}},
      {"every category at interval 1 or 6",
       true,
       {{"Start", 1}, {"IEHelpers", 1}, {"Hidden", 1}, {"ActiveX", 1}, {"HostFile", 1},
        {"StartPage", 1}, {"FileType", 1}, {"Tasks", 6}, {"Services", 1}, {"Nuts", 1},
        {"Cookies", 6}, {"WinInit", 1}},
       {{1, all}, {2, all}, {3, all}, {4, all}, {5, all}, {6, all}, {7, all},
        {8, {6, 12, 18}}, {10, all}, {11, all}, {12, all}, {13, {6, 12, 18}}}},
      {"negative intervals are off too",
       true,
       {{"Start", -3}, {"Services", -1}},
       {{2, evens}, {4, {4, 8, 12, 16, 20}}, {5, {3, 6, 9, 12, 15, 18, 21}}, {6, evens},
        {7, {10, 20}}, {8, {11, 22}}, {12, all}}},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeMonitor m(c.nt, c.stored);
    EXPECT_EQ(ChecksByPassOfHalf(m, 22), c.expected);
  }
}

TEST(PatrolCycle, EveryCategoryIsTracedWhenItRunsEvenWithoutACheck) {
  FakeMonitor m(false, {{"Start", 1}, {"IEHelpers", 1}, {"Hidden", 1}, {"ActiveX", 1},
                        {"HostFile", 1}, {"StartPage", 1}, {"FileType", 1}, {"Tasks", 1},
                        {"WinInit", 1}, {"Services", 1}, {"Nuts", 1}, {"Cookies", 1}});
  m.env.checks = {};  // no category has its check yet
  m.TickToPass();
  m.TickToPass();
  std::vector<std::string> traced;
  for (const std::string& what : m.Whats())
    if (what.rfind("trace VERIFY: ", 0) == 0) traced.push_back(what.substr(14));
  for (const PatrolCategory& c : PatrolSchedule())
    EXPECT_NE(std::find(traced.begin(), traced.end(), c.traceName), traced.end()) << c.traceName;
  EXPECT_EQ(m.Count("trace VERIFY: Exit Normal Verify"), 2u);
}

TEST(PatrolCycle, ExpressBootHoldsPassesAndRealtimeChecksButNotTheLauncher) {
  const struct {
    int holdOff;
    int signalTick;
    std::vector<int> realtimeTicks;  // real-time checks within the first 60 ticks
    std::vector<int> passTicks;
  } cases[] = {
      {0, 3, {3}, {4, 21, 38, 55}},  // the changed process count pulls the pass forward
      {8, 3, {8}, {9, 26, 43, 60}},  // the signal waits for the end of the hold-off
      {45, 10, {}, {45}},            // the first pass, due since tick 17, takes the signal
      {45, 0, {}, {45}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("hold-off " + std::to_string(c.holdOff));
    FakeMonitor m;
    m.state.expressBootTicks = c.holdOff;
    for (int t = 1; t <= 60; ++t) {
      if (t == c.signalTick) m.state.changePending = 1;
      m.Tick();
      if (t < c.holdOff) {
        EXPECT_EQ(m.Count("trace VERIFY: Enter Verify function"), 0u) << t;
      }
    }
    EXPECT_EQ(m.TicksOf("trace * * * VERIFY TASKS: Check for Task Change"), c.realtimeTicks);
    const auto passes = m.TicksOf("trace VERIFY: Enter Verify function");
    ASSERT_GE(passes.size(), 1u);
    EXPECT_EQ(std::vector<int>(passes.begin(),
                               passes.begin() + std::min(passes.size(), c.passTicks.size())),
              c.passTicks);
    EXPECT_EQ(m.TicksOf("launcher").size(), 60u);
    EXPECT_EQ(m.state.expressBootTicks, 0);
  }
}

TEST(PatrolCycle, PassesStartAtLeastOneSecondApart) {
  const struct {
    std::uint32_t lastStart, now;
    int result;
  } cases[] = {
      {10000, 10999, 0},
      {10000, 10000, 0},
      {10000, 11000, 1},
      {10000, 40000, 1},
      {0xFFFFFE00u, 0x00000100u, 0},  // 768 ms across the wrap of the tick counter
      {0xFFFFF000u, 0x00000100u, 1},  // 4352 ms across the wrap
      {0xFFFFFFFFu, 0x000003E7u, 1},  // exactly 1000 ms across the wrap
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.lastStart) + " -> " + std::to_string(c.now));
    FakeMonitor m;
    m.clock = c.now;
    m.state.lastVerifyStart = c.lastStart;
    m.state.secondHalf = 1;
    EXPECT_EQ(VerifyPass(m.state, m.env), c.result);
    EXPECT_EQ(m.state.lastVerifyStart, c.now) << "moved to this attempt either way";
    EXPECT_EQ(m.state.verifyRunning, 0);
    EXPECT_EQ(m.Count("trace VERIFY: Exit Early because we recently did a verify"),
              c.result == 0 ? 1u : 0u);
    EXPECT_EQ(m.Count("status 824 158"), c.result == 1 ? 1u : 0u);
    EXPECT_EQ(m.state.secondHalf, c.result == 1 ? 0 : 1) << "a refused pass keeps its half";
    EXPECT_EQ(m.Count("error mode"), m.Count("error mode back 7"));
  }
}

TEST(PatrolCycle, RefusedPassStillResetsTheTickCount) {
  FakeMonitor m;
  m.TickToPass();  // tick 17, half A
  // Timer messages that queued up behind a long alert arrive back to back.
  m.state.tickCount = kPassDueTicks;
  m.clock -= kTickMs - 300;  // the next tick comes 300 ms after the pass started
  m.state.changePending = 1;
  m.Tick();
  EXPECT_EQ(m.TicksOf("trace VERIFY: Exit Early because we recently did a verify"),
            (std::vector<int>{18}));
  EXPECT_EQ(m.state.tickCount, 0);
  EXPECT_EQ(m.state.changePending, 0);
  EXPECT_EQ(m.state.secondHalf, 1);
  EXPECT_EQ(m.state.verifyRunning, 0);
  m.Ticks(16);
  EXPECT_EQ(m.Count("trace VERIFY: Enter Verify function"), 2u) << "not due again before 17";
  m.Tick();
  EXPECT_EQ(m.TicksOf("status 824 158"), (std::vector<int>{35})) << "the next pass runs half B";
}

TEST(PatrolCycle, LongPassMovesTheSpacingToItsEnd) {
  FakeMonitor m(true, {{"Start", 1}});
  m.during[1] = [&] { m.clock += 1500; };  // the startup check takes 1.5 s
  m.TickToPass();
  EXPECT_EQ(m.Count("trace CATCH: MonitorTimer > 1000"), 1u);
  EXPECT_EQ(m.state.lastVerifyStart, m.clock);
  // A pass starting 900 ms after that end is refused, although 2.4 s passed since the start.
  m.clock += 900;
  EXPECT_EQ(VerifyPass(m.state, m.env), 0);

  FakeMonitor quick(true, {{"Start", 1}});
  quick.during[1] = [&] { quick.clock += 1000; };
  quick.TickToPass();
  EXPECT_EQ(quick.Count("trace CATCH: MonitorTimer > 1000"), 0u) << "1000 ms is not longer";
}

TEST(PatrolCycle, RealtimeSignalsInARowAreOnlyTracedEveryFourth) {
  // '*' marks a tick with a change signal; the result per tick: Q real-time check, R traced
  // only, '.' nothing. The number of running programs does not change, so no pass is pulled.
  const struct {
    std::string signals;
    std::string expected;
  } cases[] = {
      {"********", "QQQRQQQR"},
      {"***.****", "QQQ.QQQR"},
      {"**.**.**", "QQ.QQ.QQ"},
      {"*******.*", "QQQRQQQ.Q"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.signals);
    FakeMonitor m;
    m.state.processCount = static_cast<int>(m.processes);
    std::string outcome;
    for (char s : c.signals) {
      m.log.clear();
      if (s == '*') m.state.changePending = 1;
      m.Tick();
      const bool quick = m.Count("trace * * * VERIFY TASKS: Check for Task Change") == 1;
      const bool rid = m.Count("trace RID: Possible System Conflict") == 1;
      outcome += quick ? (rid ? '?' : 'Q') : (rid ? 'R' : '.');
      EXPECT_EQ(m.Count("sleep 50"), rid ? 1u : 0u);
      EXPECT_EQ(m.state.changePending, 0);
    }
    EXPECT_EQ(outcome, c.expected);
    EXPECT_EQ(m.Count("trace VERIFY: Enter Verify function"), 0u);
  }
}

TEST(PatrolCycle, RealtimeCheckPullsHalfAForwardWhenProgramsChange) {
  FakeMonitor m;
  m.TickToPass();  // tick 17: half A; the next pass would be half B
  m.Ticks(3);
  m.log.clear();
  m.state.processCount = 12;
  m.processes = 12;
  m.state.changePending = 1;
  m.Tick();  // tick 21: same number of programs
  EXPECT_EQ(m.Whats(),
            (std::vector<std::string>{"launcher", "trace * * * VERIFY TASKS: Check for Task Change",
                                      "enum tasks", "elapsed", "clear items"}));
  EXPECT_EQ(m.state.tickCount, 4);

  m.processes = 13;  // a program started
  m.state.changePending = 1;
  m.Tick();  // tick 22
  EXPECT_EQ(m.state.processCount, 13);
  EXPECT_EQ(m.state.tickCount, kPassDueTicks);
  m.log.clear();
  m.Tick();  // tick 23 runs half A, with every category watched in real time due
  EXPECT_EQ(m.Count("status 821 157"), 1u);
  EXPECT_EQ(m.ChecksRun(), (std::vector<int>{1, 2, 4, 5, 6}));
  EXPECT_EQ(m.Count("record programs"), 0u) << "the signal was handled on tick 22";
  // Back on their intervals: the next half-A pass (two passes on) runs none of them.
  m.TickToPass();
  m.log.clear();
  m.TickToPass();
  EXPECT_EQ(m.ChecksRun(), (std::vector<int>{}));
}

TEST(PatrolCycle, AChangedStartupPlaceAloneAlsoPullsTheWatchedCategoriesForward) {
  // A Run value written by a program that has already ended leaves the number of running
  // programs as it was; the notifier's word that a watched key changed is enough.
  FakeMonitor m;
  m.TickToPass();
  m.Ticks(3);
  m.state.processCount = 12;
  m.processes = 12;
  m.state.changePending = 1;
  m.state.placesChanged = 1;
  m.Tick();
  EXPECT_EQ(m.state.tickCount, kPassDueTicks);
  EXPECT_EQ(m.state.placesChanged, 0) << "handled";
  m.log.clear();
  m.Tick();
  EXPECT_EQ(m.ChecksRun(), (std::vector<int>{1, 2, 4, 5, 6}));

  // The next signal of running programs only, with the count unchanged, changes nothing.
  m.Ticks(2);
  m.state.changePending = 1;
  const int before = m.state.tickCount;
  m.Tick();
  EXPECT_EQ(m.state.tickCount, before + 1);
}

TEST(PatrolCycle, IntervalZeroRunsOnceAfterARealtimeSignal) {
  FakeMonitor m(true, {{"Hidden", 0}, {"RealtimeHidden", 1}, {"FileType", 0},
                       {"RealtimeFileType", 0}, {"Tasks", 0}});
  const auto runsOf = [&](int order) {
    const auto runs = m.ChecksRun();
    return std::count(runs.begin(), runs.end(), order);
  };
  for (int i = 0; i < 6; ++i) m.TickToPass();
  EXPECT_EQ(runsOf(3), 0) << "switched off";
  m.state.changePending = 1;  // with 12 programs against 0 counted so far
  m.Tick();
  m.TickToPass();
  EXPECT_EQ(runsOf(3), 1) << "run once after the signal";
  EXPECT_EQ(runsOf(7), 0) << "not watched in real time";
  EXPECT_EQ(runsOf(8), 0) << "no real-time option";
  EXPECT_EQ(m.state.countdowns[2], 0);
  for (int i = 0; i < 6; ++i) m.TickToPass();
  EXPECT_EQ(runsOf(3), 1) << "and off again";
}

TEST(PatrolCycle, AlertsAndPassesDoNotNest) {
  // An alert inside a check pumps messages: the timer keeps ticking and signals arrive.
  FakeMonitor m(true, {{"Start", 1}});
  m.during[1] = [&] {
    m.state.alertOpen = true;
    for (int i = 0; i < 20; ++i) {
      m.state.changePending = 1;
      m.Tick();
    }
    m.state.alertOpen = false;
  };
  m.TickToPass();
  EXPECT_EQ(m.Count("check 1"), 1u) << "no nested pass";
  EXPECT_EQ(m.Count("trace * * * VERIFY TASKS: Check for Task Change"), 0u);
  // The pass's own tick had not reset the count yet, so the first nested tick is due at once.
  EXPECT_EQ(m.TicksOf("trace VERIFY: Enter Verify function"), (std::vector<int>{17, 18, 35}))
      << "the nested due ticks only tried";
  EXPECT_EQ(m.Count("trace VERIFY: Exit Normal Verify"), 1u);
  EXPECT_EQ(m.state.verifyRunning, 0);
  EXPECT_EQ(m.Count("record programs"), 1u) << "the pending signal is recorded after the pass";

  // The same while only verifyRunning holds them back (no alert up).
  FakeMonitor busy(true, {{"Start", 1}});
  busy.during[1] = [&] {
    for (int i = 0; i < 20; ++i) {
      busy.state.changePending = 1;
      busy.Tick();
    }
  };
  busy.TickToPass();
  EXPECT_EQ(busy.Count("check 1"), 1u);
  EXPECT_EQ(busy.Count("trace * * * VERIFY TASKS: Check for Task Change"), 0u);

  // An alert outside a pass: the due pass is refused without counting, the signal waits.
  FakeMonitor alert;
  alert.state.alertOpen = true;
  alert.Ticks(16);
  alert.state.changePending = 1;
  alert.Tick();
  EXPECT_EQ(alert.Count("trace VERIFY: Enter Verify function"), 1u);
  EXPECT_EQ(alert.Count("clear items"), 0u);
  EXPECT_EQ(alert.state.passCount, 0);
  EXPECT_EQ(alert.state.tickCount, 0);
  alert.state.changePending = 1;
  alert.Tick();
  EXPECT_EQ(alert.state.changePending, 1) << "kept for later";
  EXPECT_EQ(alert.Count("trace * * * VERIFY TASKS: Check for Task Change"), 0u);
  alert.state.alertOpen = false;
  alert.Tick();
  EXPECT_EQ(alert.TicksOf("trace * * * VERIFY TASKS: Check for Task Change"),
            (std::vector<int>{19}));
}

TEST(PatrolCycle, LoadingSetsCountdownsButOnlyRaisesTheRestartCommands) {
  const struct {
    int restartCountdown, winInit, expected;
  } cases[] = {
      {0, 5, 5},  // held at 0 after a suppressed run: the reload lets it run again
      {2, 5, 5},
      {7, 5, 7},
      {99999, 5, 99999},  // commands reported: quiet for the rest of the run
      {3, 0, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.restartCountdown);
    OptionSet options(Program::Monitor, false);
    options.Set(OptionId::WinInit, c.winInit);
    options.Set(OptionId::Start, 6);
    PatrolState state;
    state.restartCountdown = c.restartCountdown;
    state.countdowns[0] = 1;
    state.secondHalf = 1;
    LoadPatrolSchedule(state, options);
    EXPECT_EQ(state.restartCountdown, c.expected);
    EXPECT_EQ(state.intervals[8], c.winInit);
    EXPECT_EQ(state.countdowns[0], 6) << "lowered as well as raised";
    EXPECT_EQ(state.intervals[0], 6);
    EXPECT_EQ(state.secondHalf, 0);
  }
}

TEST(PatrolCycle, UpdateFlagReloadsOnAChangedProgramCount) {
  const struct {
    int update;
    bool reloaded;
  } cases[] = {{1, true}, {0, false}, {5, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.update);
    FakeMonitor m(false);
    m.state.restartCountdown = kRestartCommandsReported;
    m.Store("Update", c.update);
    m.Store("Tasks", 3);
    m.Store("WinInit", 2);
    m.state.changePending = 1;
    m.Tick();
    EXPECT_EQ(m.Count("reload"), c.reloaded ? 1u : 0u);
    EXPECT_EQ(m.Stored("Update"), c.reloaded ? 0 : c.update);
    EXPECT_EQ(m.Options().Get(OptionId::Tasks), c.reloaded ? 3 : 11);
    EXPECT_EQ(m.state.countdowns[7], c.reloaded ? 3 : 11);
    EXPECT_EQ(m.state.restartCountdown, kRestartCommandsReported) << "the raised countdown stays";
  }
  // The same number of programs: the flag waits for a check that finds a change.
  FakeMonitor m;
  m.state.processCount = static_cast<int>(m.processes);
  m.Store("Update", 1);
  m.state.changePending = 1;
  m.Tick();
  EXPECT_EQ(m.Count("reload"), 0u);
  EXPECT_EQ(m.Stored("Update"), 1);
}

TEST(PatrolCycle, RestartCommandsQuestion) {
  const struct {
    const char* name;
    bool waiting, yes;
    int showAlerts;
    bool suppressed;  // the tasks check (same half, before it) sets alertSuppress = 2
    std::vector<std::string> expected;
    int countdownAfter;
  } cases[] = {
      {"nothing waiting", false, false, 0, false, {"check 9"}, 1},
      {"waiting, No", true, false, 0, false, {"check 9", "ask 28 (alert open)"}, 99999},
      {"waiting, Yes", true, true, 0, false, {"check 9", "ask 28 (alert open)", "viewer"}, 99999},
      {"suppressed", true, true, 0, true, {}, 0},
      {"suppressed but every alert shown", true, true, 1, true,
       {"check 9", "ask 28 (alert open)", "viewer"}, 99999},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeMonitor m(false, {{"WinInit", 1}, {"Tasks", 1}, {"ShowAlerts", c.showAlerts}});
    m.commandsWaiting = c.waiting;
    m.answerYes = c.yes;
    if (c.suppressed) m.during[8] = [&] { m.state.alertSuppress = 2; };
    m.TickToPass();
    m.log.clear();
    m.TickToPass();  // half B
    std::vector<std::string> seen;
    bool traced = false;
    for (const std::string& what : m.Whats()) {
      if (what == "trace VERIFY: Win INIT file") traced = true;
      if (what == "check 9" || what.rfind("ask", 0) == 0 || what == "viewer") seen.push_back(what);
    }
    EXPECT_TRUE(traced);
    EXPECT_EQ(seen, c.expected);
    EXPECT_EQ(m.state.restartCountdown, c.countdownAfter);
    EXPECT_FALSE(m.state.alertOpen);
    EXPECT_EQ(m.state.alertSuppress, 0) << "cleared after the timer's pass";

    // Two half-B passes later: runs again only when it reported nothing.
    m.log.clear();
    m.TickToPass();
    m.TickToPass();
    EXPECT_EQ(m.Count("check 9"), c.countdownAfter == 1 ? 1u : 0u);
  }
  // The NT family has no restart commands: never traced, never asked.
  FakeMonitor nt(true, {{"WinInit", 1}});
  nt.commandsWaiting = true;
  for (int i = 0; i < 4; ++i) nt.TickToPass();
  EXPECT_EQ(nt.Count("trace VERIFY: Win INIT file"), 0u);
  EXPECT_EQ(nt.Count("check 9"), 0u);
}

TEST(PatrolCycle, SuppressedPromptRules) {
  const struct {
    int alertSuppress, showAlerts;
    bool restartRuns, cookiePrompt;
  } cases[] = {
      {0, 0, true, true},
      {0, 1, true, true},
      {1, 0, true, false},
      {2, 0, false, false},
      {2, 1, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.alertSuppress) + "/" + std::to_string(c.showAlerts));
    PatrolState state;
    state.alertSuppress = c.alertSuppress;
    EXPECT_EQ(RestartCommandsMayRun(state, c.showAlerts), c.restartRuns);
    EXPECT_EQ(NewCookiePromptAllowed(state, c.showAlerts), c.cookiePrompt);
  }
}

TEST(PatrolCycle, TrayIconAfterEveryPassAndRefreshedEverySixtyPasses) {
  const struct {
    bool nt;
    std::map<std::string, int> stored;
    std::string modify;  // expected tray update at the end of a pass; empty: none
  } cases[] = {
      {true, {}, "modify 101 820"},
      {false, {}, "modify 159 820"},
      {true, {{"TrayIcon", 159}}, "modify 159 820"},
      {true, {{"HideTavik", 1}}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.modify);
    FakeMonitor m(c.nt, c.stored);
    for (int i = 0; i < 130; ++i) m.TickToPass();
    const bool hidden = c.modify.empty();
    EXPECT_EQ(m.Count(hidden ? "modify 101 820" : c.modify), hidden ? 0u : 130u);
    EXPECT_EQ(m.TicksOf("refresh"),
              hidden ? std::vector<int>{} : (std::vector<int>{62 * 17, 124 * 17}));
    EXPECT_EQ(m.state.passCount, 130 - 124) << "counted from each refresh, shown or not";
  }
  // TrayIcon is read afresh for every pass.
  FakeMonitor m;
  m.TickToPass();
  m.Store("TrayIcon", 159);
  m.TickToPass();
  EXPECT_EQ(m.Count("modify 101 820"), 1u);
  EXPECT_EQ(m.Count("modify 159 820"), 1u);
}

TEST(PatrolCycle, PendingSignalRecordsTheRunningProgramsAfterThePass) {
  FakeMonitor m;
  m.Ticks(16);
  m.state.changePending = 1;  // arrives just before the due tick
  m.Tick();
  EXPECT_EQ(m.TicksOf("record programs"), (std::vector<int>{17}));
  EXPECT_EQ(m.state.changePending, 0);
  m.TickToPass();
  EXPECT_EQ(m.Count("record programs"), 1u) << "nothing pending at the second pass";
}

TEST(PatrolCycle, PassesKeepTheirPaceAcrossTheTickCounterWrap) {
  FakeMonitor m;
  m.clock = 0xFFFFFFFFu - 20 * kTickMs;  // wraps during the second pass interval
  m.state.lastVerifyStart = m.clock;
  for (int i = 0; i < 4; ++i) m.TickToPass();
  EXPECT_EQ(m.TicksOf("trace VERIFY: Exit Normal Verify"), (std::vector<int>{17, 34, 51, 68}));
  EXPECT_EQ(m.Count("trace VERIFY: Exit Early because we recently did a verify"), 0u);
  EXPECT_EQ(m.Count("trace CATCH: MonitorTimer > 1000"), 0u);
}

// A settled signal from a watched place runs the real-time check and the pass it makes due at
// once, instead of on the next tick and the tick after it.
TEST(PatrolCycle, ASettledSignalRunsTheCheckAndItsPassAtOnce) {
  FakeMonitor m;
  m.TickToPass();  // tick 17: half A
  m.Ticks(3);
  m.clock += 1000;
  m.state.processCount = static_cast<int>(m.processes);
  m.log.clear();
  EXPECT_EQ(m.SignalAndSettle(), 0u);
  EXPECT_EQ(m.Count("trace * * * VERIFY TASKS: Check for Task Change"), 1u);
  EXPECT_EQ(m.Count("status 821 157"), 1u) << "half A, whichever half was next";
  EXPECT_EQ(m.ChecksRun(), (std::vector<int>{1, 2, 4, 5, 6}));
  EXPECT_EQ(m.TicksOf("check 1"), (std::vector<int>{20})) << "before any further tick";
  EXPECT_EQ(m.state.changePending, 0);
  EXPECT_EQ(m.state.tickCount, 0) << "the timed passes keep their spacing from this one";
  m.log.clear();
  m.Ticks(16);
  EXPECT_EQ(m.Count("trace VERIFY: Enter Verify function"), 0u);
  m.Tick();
  EXPECT_EQ(m.Count("trace VERIFY: Enter Verify function"), 1u);

  // Only the running programs signalled and their number is the same: the check, no pass.
  m.clock += 5000;
  m.log.clear();
  EXPECT_EQ(m.SignalAndSettle(false), 0u);
  EXPECT_EQ(m.Count("enum tasks"), 1u);
  EXPECT_EQ(m.Count("trace VERIFY: Enter Verify function"), 0u);
}

TEST(PatrolCycle, SettledSignalsKeepTheSpacingOfPassesAndChecks) {
  // Milliseconds since the last pass (or settled check) when the signal settles, and what the
  // call does: wait the rest of the second, or run.
  const struct {
    std::uint32_t sincePass;
    std::uint32_t sinceCheck;  // 0: no settled check has run yet
    std::uint32_t wait;
  } cases[] = {
      {200, 0, 800}, {999, 0, 1}, {1000, 0, 0}, {5000, 300, 700}, {5000, 1000, 0}, {400, 100, 900},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.sincePass) + " " + std::to_string(c.sinceCheck));
    FakeMonitor m;
    m.state.lastVerifyStart = m.clock - c.sincePass + kSettleMs;
    if (c.sinceCheck != 0) {
      m.state.settledCheckRan = true;
      m.state.lastSettledCheck = m.clock - c.sinceCheck + kSettleMs;
    }
    EXPECT_EQ(m.SignalAndSettle(), c.wait);
    EXPECT_EQ(m.Count("enum tasks"), c.wait == 0 ? 1u : 0u);
    EXPECT_EQ(m.state.changePending, c.wait == 0 ? 0 : 1) << "a waiting signal stays pending";
  }

  // A notifier that never stops: one check and one pass per spacing, however many signals.
  FakeMonitor busy;
  busy.clock += 5000;
  int passes = 0;
  constexpr int kSignals = static_cast<int>(15000 / kSettleMs);  // one per settle for 15 seconds
  for (int signal = 0; signal < kSignals; ++signal) {
    busy.log.clear();
    busy.SignalAndSettle();
    passes += static_cast<int>(busy.Count("trace VERIFY: Enter Verify function"));
  }
  EXPECT_GE(passes, 13);
  EXPECT_LE(passes, 15);
}

TEST(PatrolCycle, SettledSignalsWaitForAlertsPassesAndTheHoldOff) {
  const struct {
    const char* name;
    bool alertOpen;
    int verifyRunning;
    int expressBootTicks;
  } cases[] = {
      {"alert", true, 0, 0},
      {"pass", false, 1, 0},
      {"hold-off", false, 0, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeMonitor m;
    m.clock += 5000;
    m.state.alertOpen = c.alertOpen;
    m.state.verifyRunning = c.verifyRunning;
    m.state.expressBootTicks = c.expressBootTicks;
    EXPECT_EQ(m.SignalAndSettle(), 0u) << "nothing to retry: the ticks take it from here";
    EXPECT_TRUE(m.log.empty());
    EXPECT_EQ(m.state.changePending, 1);
    EXPECT_EQ(m.state.placesChanged, 1);
  }
  FakeMonitor quiet;
  EXPECT_EQ(OnChangeSettled(quiet.state, quiet.env), 0u);
  EXPECT_TRUE(quiet.log.empty()) << "no signal, nothing to do";
}

}  // namespace
}  // namespace obrivo::core
