// The advanced-removal warning.
#include "explorer/advanced_warning.h"

#include <string>

#include "common/app.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/wide.h"
#include "common/window_place.h"
#include "core/text.h"
#include "explorer/dialog_texts.h"
#include "explorer_ids.h"

namespace obrivo::explorer {
namespace {

constexpr int kSystemFileId = 909;
constexpr common::WindowPositionNames kWarningPosition = {"xDefaultWarning", "yDefaultWarning",
                                                          "dxDefaultWarning", "dyDefaultWarning"};

struct WarningContext {
  std::string title, path;
};

// A file that carries Microsoft's copyright is most likely part of Windows itself: the warning
// says so instead of naming the entry.
std::string TitleLine(const WarningContext& c) {
  const auto version = common::ReadVersionInfo(c.path);
  if (version && core::ContainsNoCase(version->legalCopyright, "Microsoft"))
    return core::FormatText(common::LoadText(kSystemFileId), c.title);
  return c.title;
}

void Place(HWND dialog) { common::PlaceWindow(dialog, kWarningPosition); }

void Close(HWND dialog, bool confirmed) {
  common::SaveWindowPosition(dialog, kWarningPosition);
  ::EndDialog(dialog, confirmed ? 1 : 0);
}

INT_PTR CALLBACK WarningProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto* c = reinterpret_cast<const WarningContext*>(lParam);
      ApplyDialogTexts(dialog, IDD_DEFAULT_WARNING);
      ::SetDlgItemTextW(dialog, IDC_WARNING_PATH, win32::Wide(c->path).c_str());
      ::SetDlgItemTextW(dialog, IDC_WARNING_TITLE, win32::Wide(TitleLine(*c)).c_str());
      Place(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          Close(dialog, ::IsDlgButtonChecked(dialog, IDC_WARNING_CONFIRM) == BST_CHECKED);
          return TRUE;
        case IDCANCEL:
          Close(dialog, false);
          return TRUE;
        default:
          break;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

bool ShowAdvancedWarning(HWND owner, std::string_view title, std::string_view path) {
  const WarningContext context{std::string(title), std::string(path)};
  return ::DialogBoxParamW(common::App().instance, MAKEINTRESOURCEW(IDD_DEFAULT_WARNING), owner,
                           WarningProc, reinterpret_cast<LPARAM>(&context)) == 1;
}

startup::AdvancedRemovalConfirm AdvancedWarningConfirm(HWND owner) {
  return [owner](int, std::string_view title, std::string_view path) {
    return ShowAdvancedWarning(owner, title, path);
  };
}

}  // namespace obrivo::explorer
