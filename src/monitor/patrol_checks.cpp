// The category checks of the patrol, registered in one place. A category adds its line here when
// its check exists; until then the pass still counts it down and traces it.
#include "monitor/patrol.h"

#include "monitor/activex_watch.h"
#include "monitor/cookie_watch.h"
#include "monitor/file_type_watch.h"
#include "monitor/hidden_watch.h"
#include "monitor/ie_helper_watch.h"
#include "monitor/service_watch.h"
#include "monitor/settings_guard_watch.h"
#include "monitor/startup_watch.h"
#include "monitor/sys_file_watch.h"
#include "monitor/task_watch.h"
#include "startup/restart_commands.h"

namespace obrivo::monitor {
namespace {

// Category 5: the watched system files, then the system settings.
bool PatrolSystemFilesAndSettings() {
  PatrolSysFiles();
  PatrolSystemSettings();
  return false;
}

}  // namespace

void RegisterPatrolChecks() {
  // 1 startup, 2 IE helpers, 3 hidden files, 4 ActiveX, 5 system files and settings, 6 browser
  // pages, 7 file types; 8 scheduled tasks, 9 restart commands (true when commands are waiting),
  // 10 services, 11 cookie filter, 12 the other browser's cookie filter, 13 new cookies.
  SetPatrolCheck(1, [] {
    PatrolStartup();
    return false;
  });
  SetPatrolCheck(2, [] {
    PatrolIEHelpers();
    return false;
  });
  SetPatrolCheck(3, [] {
    VerifyHiddenFiles();
    return false;
  });
  SetPatrolCheck(4, [] {
    PatrolActiveX();
    return false;
  });
  SetPatrolCheck(5, PatrolSystemFilesAndSettings);
  SetPatrolCheck(6, [] {
    PatrolHomePages();
    return false;
  });
  SetPatrolCheck(7, [] {
    PatrolFileTypes();
    return false;
  });
  SetPatrolCheck(8, [] {
    VerifyScheduledTasks();
    return false;
  });
  // The pass runs it only off the NT family, where wininit.ini's commands are carried out.
  SetPatrolCheck(9, [] { return startup::RestartCommandsWaiting(); });
  SetPatrolCheck(10, [] {
    VerifyServices();
    return false;
  });
  SetPatrolCheck(11, [] {
    FilterCookies();
    return false;
  });
  SetPatrolCheck(12, [] {
    ApplyWaitingCookieFile();
    return false;
  });
  SetPatrolCheck(13, [] {
    CheckNewCookies(MonitorNewCookieHooks());
    return false;
  });
}

}  // namespace obrivo::monitor
