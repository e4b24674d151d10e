// The categories that take part in the start-up initialisation. Each category adds its
// enumerator here when it exists; until then its baseline is simply not taken.
#include "common/first_detected.h"
#include "common/initialise_store.h"
#include "system/processes.h"

namespace obrivo::common {

BaselineHooks CategoryBaselineHooks() {
  BaselineHooks hooks;
  // Seeds are added as the categories' enumerators arrive. The seeding marks itself done even
  // while they are empty; an item it missed is dated when a check or page first sees it.
  hooks.initFirstDetected = [] {
    FirstDetectedSeeds seeds;
    seeds.runningProcesses = system::RunningProgramFiles;
    InitFirstDetected(seeds);
  };
  return hooks;
}

}  // namespace obrivo::common
