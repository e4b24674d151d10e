// Message boxes of the Explorer.
#include "explorer/messages.h"

#include "common/app.h"
#include "common/text_loader.h"
#include "common/win32/wide.h"
#include "string_ids.h"

namespace obrivo::explorer {
namespace {

constexpr int kNoSelectionId = 57;

int Box(HWND owner, std::string_view text, std::string_view caption, UINT type) {
  return ::MessageBoxExW(owner, win32::Wide(text).c_str(), win32::Wide(caption).c_str(),
                         type | MB_TOPMOST, common::App().languageId);
}

}  // namespace

void ShowMessage(HWND owner, int id, UINT icon) {
  ShowMessageText(owner, common::LoadText(id), icon);
}

void ShowMessageText(HWND owner, std::string_view text, UINT icon) {
  Box(owner, text, common::LoadText(IDS_HELP_TITLE, 128), MB_OK | icon);
}

void ShowNoSelection(HWND owner) { ShowMessage(owner, kNoSelectionId); }

bool AskYesNo(HWND owner, std::string_view text, UINT icon) {
  return Ask(owner, text, MB_YESNO, icon) == IDYES;
}

int Ask(HWND owner, std::string_view text, UINT buttons, UINT icon) {
  return Box(owner, text, common::LoadText(IDS_PROGRAM_TITLE, 128), buttons | icon);
}

}  // namespace obrivo::explorer
