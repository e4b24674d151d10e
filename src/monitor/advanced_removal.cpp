// The Monitor's advanced-removal confirmation.
#include "monitor/advanced_removal.h"

#include <windows.h>

#include <string>

#include "common/app.h"
#include "common/text_loader.h"
#include "common/win32/wide.h"
#include "core/options.h"
#include "core/text.h"
#include "string_ids.h"

namespace obrivo::monitor {
namespace {

bool Confirm(std::string_view title, std::string_view path) {
  if (common::App().options.Get(core::OptionId::HideStartup) != 0) return true;
  const std::string question =
      core::FormatText(common::LoadText(IDS_REMOVE_STARTUP_QUESTION), path.empty() ? title : path);
  return ::MessageBoxExW(nullptr, win32::Wide(question).c_str(),
                         win32::Wide(common::LoadText(IDS_PROGRAM_TITLE, 128)).c_str(),
                         MB_YESNO | MB_ICONEXCLAMATION | MB_TOPMOST,
                         common::App().languageId) == IDYES;
}

}  // namespace

startup::AdvancedRemovalConfirm AdvancedRemovalConfirmation() {
  return [](int, std::string_view title, std::string_view path) { return Confirm(title, path); };
}

}  // namespace obrivo::monitor
