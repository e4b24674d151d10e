// Start-up initialisation of the store.
#include "common/initialise_store.h"

#include <windows.h>

#include "common/app.h"
#include "common/data_folder.h"
#include "common/items.h"
#include "common/options_store.h"
#include "common/shell_integration.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/registry.h"
#include "common/win32/system.h"
#include "core/settings_guard.h"
#include "core/text.h"

namespace obrivo::common {
namespace {

constexpr const char* kFirstRunKeys[] = {"Nuts",      "Cookies",  "Options", "Run",
                                         "IEHelpers", "HostFile", "Tasks"};
constexpr const char* kMainBaselines[] = {"Run", "IEHelpers", "Tasks"};

void Run(const std::function<void()>& hook) {
  if (hook) hook();
}

// The tail of the first run: baselines from the current system, no older registration, and the
// Monitor registered to start at logon.
void FirstRunTail(const BaselineHooks& hooks) {
  RebuildMainBaselines(hooks);
  Run(hooks.registerMonitor);
}

// The machine-wide values the settings guard compares, each taken once, when its copy is missing
// (the Automatic Updates copy also while it is 0: nothing was there to take before).
void RecordSystemBaselines() {
  if (ReadStoreSmallNumberAt(kProductKey, core::kAutoUpdateValue, HKEY_CURRENT_USER) == 0) {
    const int system =
        ReadStoreSmallNumberAt(core::kAutoUpdateKey, core::kAutoUpdateValue, HKEY_LOCAL_MACHINE);
    if (system != 0)
      WriteStoreDword(HKEY_CURRENT_USER, kProductKey, core::kAutoUpdateValue,
                      static_cast<DWORD>(system));
  }
  if (win32::GetOsVersion().major <= 5) return;
  for (std::string_view name : core::kUacNames) {
    if (ReadStoreSmallNumber(HKEY_CURRENT_USER, kProductKey, name) != -1) continue;
    // A missing system value is stored as 0xFFFFFFFF, so the copy counts as taken.
    const int system = ReadStoreSmallNumber(HKEY_LOCAL_MACHINE, core::kUacPolicyKey, name);
    WriteStoreDword(HKEY_CURRENT_USER, kProductKey, name, static_cast<DWORD>(system));
  }
}

void RecordSystemFiles(const BaselineHooks& hooks) {
  if (!hooks.recordSystemFiles) return;
  const std::string key = ProductSubkey("Sysfiles");
  if (!ReadStoreString(key, HKEY_LOCAL_MACHINE, "", core::kDateTimeCapacity + 40).empty()) return;
  win32::CreateKey(HKEY_LOCAL_MACHINE, key, KEY_WRITE);
  hooks.recordSystemFiles();
  WriteStoreString(HKEY_LOCAL_MACHINE, key, "", LocalDateTimeNow());
}

void CheckVersion(const BaselineHooks& hooks) {
  const std::string version = ReadStoreString(kProductKey, HKEY_CURRENT_USER, "Version", 128);
  if (!core::ContainsNoCase(version, kStoreLayoutVersion)) {
    // Another layout (or none marked yet): the marker follows, and the Monitor's registration
    // replaces an older one. The baselines stay: taken again now, they would accept unasked
    // whatever appeared since the last patrol.
    WriteStoreString(HKEY_CURRENT_USER, kProductKey, "Version", kStoreLayoutVersion);
    if (!version.empty()) Run(hooks.registerMonitor);
  }
  // Only the user's own request rebuilds the baselines, once: left set, it would rebuild them
  // again at the next start and accept, unasked, everything added in between.
  if (ReadOption("Cleanup", 0) != 0) {
    RebuildMainBaselines(hooks);
    WriteStoreString(HKEY_CURRENT_USER, kOptionsKey, "Cleanup", "0");
  }
}

}  // namespace

void RebuildMainBaselines(const BaselineHooks& hooks) {
  for (const char* name : kMainBaselines) {
    DeleteStoreTree(HKEY_CURRENT_USER, ProductSubkey(name));
    win32::CreateKey(HKEY_CURRENT_USER, ProductSubkey(name), KEY_WRITE);
  }
  Run(hooks.snapshotStartup);
  Run(hooks.snapshotIEHelpers);
  Run(hooks.snapshotTasks);
}

void InitialiseStore(const BaselineHooks& hooks) {
  AppContext& app = App();
  app.diagnostics = false;
  app.startTick = ::GetTickCount();
  SelectLanguage();
  if (ReadOption("Debug", 0) != 0) app.diagnostics = true;

  // Before anything writes history: an earlier build's file joins the data folder's.
  MoveDataFromProgramFolder();
  ClearItems();
  RecentItems().Clear();
  app.wow64Keys = StoreKeyExists(HKEY_LOCAL_MACHINE,
                                 "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run");

  if (ReadStoreString(kProductKey, HKEY_CURRENT_USER, "", 128).empty()) {
    for (const char* name : kFirstRunKeys)
      win32::CreateKey(HKEY_CURRENT_USER, ProductSubkey(name), KEY_WRITE);
    WriteStoreString(HKEY_CURRENT_USER, kProductKey, "", LocalDateTimeNow());
    FirstRunTail(hooks);
  }

  Run(hooks.initFirstDetected);
  Run(hooks.initIEHelpers);
  Run(hooks.initServices);
  Run(hooks.initTasks);
  Run(hooks.initHidden);
  Run(hooks.initActiveX);

  RecordSystemBaselines();
  RecordSystemFiles(hooks);
  CheckVersion(hooks);

  Run(hooks.initFileTypes);
  LoadOptions(app.options);

  SyncExplorerMenu(app.options.Get(core::OptionId::ExplorerMenu));
  app.monitorRegistered = hooks.monitorRegistered && hooks.monitorRegistered();
  if (hooks.countDelayed) hooks.countDelayed();
}

}  // namespace obrivo::common
