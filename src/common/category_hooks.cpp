// The categories that take part in the start-up initialisation. Each category adds its
// enumerator here when it exists; until then its baseline is simply not taken.
#include "common/initialise_store.h"

namespace obrivo::common {

BaselineHooks CategoryBaselineHooks() { return BaselineHooks{}; }

}  // namespace obrivo::common
