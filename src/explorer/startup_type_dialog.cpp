// The Startup Program Type dialog.
#include "explorer/startup_type_dialog.h"

#include "common/app.h"
#include "explorer/dialog_texts.h"
#include "explorer_ids.h"

namespace obrivo::explorer {
namespace {

// Apart from IDCANCEL and from what DialogBoxParam returns when the dialog cannot open.
constexpr INT_PTR kAllUsers = 100;
constexpr INT_PTR kCurrentUser = 101;

INT_PTR CALLBACK StartupTypeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      ApplyDialogTexts(dialog, IDD_STARTUP_TYPE);
      // The narrower choice is offered first: a program for everyone needs a deliberate click.
      ::CheckRadioButton(dialog, IDC_ALL_USERS, IDC_CURRENT_USER, IDC_CURRENT_USER);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          ::EndDialog(dialog, ::IsDlgButtonChecked(dialog, IDC_ALL_USERS) == BST_CHECKED
                                  ? kAllUsers
                                  : kCurrentUser);
          return TRUE;
        case IDCANCEL:
          ::EndDialog(dialog, IDCANCEL);
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

std::optional<startup::DelayHive> AskStartupType(HWND owner) {
  const INT_PTR answer = ::DialogBoxParamW(
      common::App().instance, MAKEINTRESOURCEW(IDD_STARTUP_TYPE), owner, StartupTypeProc, 0);
  // A dialog that could not open adds nothing, like Cancel.
  if (answer == kAllUsers) return startup::DelayHive::Machine;
  if (answer == kCurrentUser) return startup::DelayHive::User;
  return std::nullopt;
}

}  // namespace obrivo::explorer
