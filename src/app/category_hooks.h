// What binds the categories into the programs' start-up: the hooks through which each category
// takes part in the store's initialisation. This sits above every category, so that the store
// itself never has to know them.
#pragma once

#include "common/initialise_store.h"

namespace obrivo::app {

// The hooks of every category this build has, the Monitor's own registration included.
common::BaselineHooks CategoryBaselineHooks();

// The start-up initialisation both programs run before their first window, with those hooks.
void InitialiseStore();

}  // namespace obrivo::app
