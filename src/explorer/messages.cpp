// Message boxes of the Explorer.
#include "explorer/messages.h"

#include "common/app.h"
#include "common/text_loader.h"
#include "common/win32/wide.h"

namespace obrivo::explorer {
namespace {

constexpr int kHelpCaptionId = 31;
constexpr int kNoSelectionId = 57;
constexpr int kProgramTitleId = 2;

int Box(HWND owner, std::string_view text, std::string_view caption, UINT type) {
  return ::MessageBoxExW(owner, win32::Wide(text).c_str(), win32::Wide(caption).c_str(),
                         type | MB_TOPMOST, common::App().languageId);
}

}  // namespace

void ShowMessage(HWND owner, int id, UINT icon) {
  ShowMessageText(owner, common::LoadText(id), icon);
}

void ShowMessageText(HWND owner, std::string_view text, UINT icon) {
  Box(owner, text, common::LoadText(kHelpCaptionId, 128), MB_OK | icon);
}

void ShowNoSelection(HWND owner) { ShowMessage(owner, kNoSelectionId); }

bool AskYesNo(HWND owner, std::string_view text, UINT icon) {
  return Box(owner, text, common::LoadText(kProgramTitleId, 128), MB_YESNO | icon) == IDYES;
}

}  // namespace obrivo::explorer
