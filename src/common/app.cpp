// Process-wide state.
#include "common/app.h"

#include "common/win32/system.h"

namespace obrivo::common {

AppContext& App() {
  static AppContext context;
  return context;
}

void InitApp(core::Program program, HINSTANCE instance) {
  AppContext& app = App();
  app = AppContext{};
  app.program = program;
  app.instance = instance;
  app.ntFamily = win32::IsNtFamily();
  app.options = core::OptionSet(program, app.ntFamily);
}

}  // namespace obrivo::common
