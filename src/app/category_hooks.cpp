// The categories that take part in the start-up initialisation. Each category adds its
// enumerator here when it exists; until then its baseline is simply not taken.
#include "app/category_hooks.h"

#include <string>
#include <vector>

#include "browser/activex_check.h"
#include "browser/ie_helper_check.h"
#include "common/app.h"
#include "common/first_detected.h"
#include "common/items.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/wide.h"
#include "core/text.h"
#include "file_types/associations.h"
#include "files/hidden_files.h"
#include "files/sys_files.h"
#include "startup/monitor_registration.h"
#include "startup/startup_check.h"
#include "startup/startup_locations.h"
#include "string_ids.h"
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
  // Marked by its own "P", so a store made before the category existed takes it once.
  hooks.initActiveX = [] { browser::SnapshotActiveX(); };
  // Taken once, by the first start that finds it missing.
  hooks.initHidden = [] { files::EnsureHiddenBaseline(); };
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
    seeds.activeX = browser::ActiveXKeys;
    seeds.hiddenFiles = files::HiddenFilePaths;
    seeds.fileTypes = file_types::FileTypeCommands;
    common::InitFirstDetected(seeds);
  };
  // A file whose copy could not be saved is still watched, but a change to it cannot be undone:
  // the user hears of it now rather than when a Reject fails.
  hooks.recordSystemFiles = [] {
    for (const std::string& name : files::RecordSysFiles()) {
      const std::string text = core::FormatText(common::LoadText(IDS_SYSFILE_BACKUP_FAILED), name);
      ::MessageBoxExW(nullptr, win32::Wide(text).c_str(),
                      win32::Wide(common::LoadText(IDS_PROGRAM_TITLE, 128)).c_str(),
                      MB_OK | MB_ICONWARNING | MB_TOPMOST, common::App().languageId);
    }
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
