// The start-up initialisation both programs run before their first window: language, options,
// the first-run layout and the baselines of every category.
#pragma once

#include <functional>

namespace obrivo::common {

// What each category contributes to the start-up initialisation (the programs fill them in
// app/category_hooks.cpp). A category whose enumerator does not exist yet leaves its entry empty,
// and then no baseline is recorded for it (its key stays empty and unmarked, so the category
// takes its baseline once it exists).
struct BaselineHooks {
  std::function<void()> snapshotStartup;     // into the empty Run baseline
  std::function<void()> snapshotIEHelpers;   // into the empty IEHelpers baseline
  std::function<void()> snapshotTasks;       // into the empty Tasks baseline
  std::function<void()> initFirstDetected;   // seed first-detected dates
  // Takes the IEHelpers baseline once when a store made before it was kept by identity has
  // none: the first run of such a store took no baseline of add-ons at all.
  std::function<void()> initIEHelpers;
  std::function<void()> initServices;        // each keeps its own "initialised" marker
  std::function<void()> initTasks;           // a Tasks baseline never taken is taken once
  std::function<void()> initHidden;
  std::function<void()> initActiveX;
  std::function<void()> recordSystemFiles;   // HOSTS, Autoexec.bat, Config.sys snapshot
  std::function<void()> initFileTypes;
  std::function<int()> countDelayed;         // entries of the delayed-start list
  // The Monitor's own start at logon, which the startup category keeps.
  std::function<void()> registerMonitor;     // first run, new version: replaces an older entry
  std::function<bool()> monitorRegistered;   // read into App().monitorRegistered
};

// The initialisation itself; results land in App() (language, options, registration...).
void InitialiseStore(const BaselineHooks& hooks);

// Deletes the Run, IEHelpers and Tasks baselines and takes them again from the system.
void RebuildMainBaselines(const BaselineHooks& hooks);

}  // namespace obrivo::common
