// The categories that take part in the start-up initialisation. Each category adds its
// enumerator here when it exists; until then its baseline is simply not taken.
#include "app/category_hooks.h"

#include <string>
#include <vector>

#include "browser/ie_helper_check.h"
#include "common/first_detected.h"
#include "common/items.h"
#include "common/utilities.h"
#include "file_types/associations.h"
#include "startup/monitor_registration.h"
#include "startup/startup_check.h"
#include "startup/startup_locations.h"
#include "system/processes.h"
#include "system/service_check.h"
#include "system/services.h"
#include "system/task_baseline.h"

namespace obrivo::app {

common::BaselineHooks CategoryBaselineHooks() {
  common::BaselineHooks hooks;
  hooks.snapshotStartup = startup::SnapshotStartup;
  // Taken on the first start that finds it missing, however old the store.
  hooks.initServices = system::SnapshotServices;
  hooks.snapshotTasks = system::SnapshotTasks;
  hooks.initTasks = system::EnsureTaskBaseline;
  hooks.snapshotIEHelpers = browser::SnapshotIEHelpers;
  hooks.initIEHelpers = [] { browser::EnsureIEHelperBaseline(); };
  // At every start: its own mark says whether the baseline was taken.
  hooks.initFileTypes = file_types::InitFileTypeBaseline;
  // Seeds are added as the categories' enumerators arrive. The seeding marks itself done even
  // while they are empty; an item it missed is dated when a check or page first sees it.
  hooks.initFirstDetected = [] {
    common::FirstDetectedSeeds seeds;
    // Startup entries are dated under their command, as the check and the page look them up.
    seeds.startup = [] {
      std::vector<std::string> commands;
      for (std::size_t i = 0, n = startup::EnumStartup(false); i < n; ++i)
        commands.push_back(common::ItemPath(i));
      return commands;
    };
    seeds.ieHelpers = browser::IEHelperPaths;
    seeds.runningProcesses = system::RunningProgramFiles;
    // Services are dated under their file, as the check and the page look them up.
    seeds.services = [] {
      std::vector<std::string> files;
      const core::SystemFolders folders = common::CurrentSystemFolders();
      for (const system::ServiceRecord& r : system::ReadServices(false))
        files.push_back(system::ServiceFile(r, folders));
      return files;
    };
    seeds.tasks = system::TaskPrograms;
    seeds.fileTypes = file_types::FileTypeCommands;
    common::InitFirstDetected(seeds);
  };
  hooks.registerMonitor = [] {
    startup::RemoveOlderMonitorEntry();
    startup::RegisterMonitorAtLogon(true);
  };
  hooks.monitorRegistered = startup::IsMonitorRegistered;
  return hooks;
}

void InitialiseStore() { common::InitialiseStore(CategoryBaselineHooks()); }

}  // namespace obrivo::app
