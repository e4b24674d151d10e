// The help pages.
#include "explorer/help.h"

#include <shellapi.h>

#include "common/online_lookup.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/wide.h"
#include "core/explorer_pages.h"
#include "core/online_lookup.h"

namespace obrivo::explorer {
namespace {
constexpr int kLanguageCodeId = 634;
}

HelpTarget HelpPageTarget(int pageCode) {
  std::string language = common::LoadText(kLanguageCodeId, 8);
  if (language.empty()) language = "us";
  const std::string file = core::HelpPageFileName(pageCode, language);
  const std::string local = common::ProgramFolder() + "\\" + file;
  if (win32::IsExistingFile(local)) return {true, local};
  return {false, std::string(core::kVendorSite) + "/" + file};
}

void OpenHelpPage(HWND owner, int pageCode) {
  const HelpTarget target = HelpPageTarget(pageCode);
  if (target.local) {
    ::ShellExecuteW(owner, L"open", win32::Wide(target.location).c_str(), nullptr, nullptr,
                    SW_SHOWNORMAL);
    return;
  }
  common::OpenWebAddress(owner, target.location);
}

}  // namespace obrivo::explorer
