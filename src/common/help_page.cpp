// The help pages.
#include "common/help_page.h"

#include <shellapi.h>

#include "common/online_lookup.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/wide.h"
#include "core/explorer_pages.h"
#include "core/language.h"
#include "core/online_lookup.h"

namespace obrivo::common {

HelpTarget HelpPageTarget(int pageCode) {
  std::string language = LoadText(core::kLanguageCodeStringId, 8);
  if (language.empty()) language = "us";
  const std::string file = core::HelpPageFileName(pageCode, language);
  const std::string local = ProgramFolder() + "\\" + file;
  if (win32::IsExistingFile(local)) return {true, local};
  return {false, std::string(core::kVendorSite) + "/" + file};
}

bool OpenHelpTarget(HWND owner, const HelpTarget& target) {
  if (!target.local) return OpenWebAddress(owner, target.location);
  const auto result = reinterpret_cast<INT_PTR>(::ShellExecuteW(
      owner, L"open", win32::Wide(target.location).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

bool OpenHelpPage(HWND owner, int pageCode) {
  return OpenHelpTarget(owner, HelpPageTarget(pageCode));
}

}  // namespace obrivo::common
