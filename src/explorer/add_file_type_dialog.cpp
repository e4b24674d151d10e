#include "explorer/add_file_type_dialog.h"

#include "common/app.h"
#include "common/text_loader.h"
#include "common/window_place.h"
#include "common/win32/wide.h"
#include "explorer/dialog_texts.h"
#include "explorer/messages.h"
#include "explorer_ids.h"
#include "file_types/associations.h"

namespace obrivo::explorer {
namespace {

constexpr common::WindowPositionNames kPlace{"xPosAddFileType", "yPosAddFileType",
                                             "dxPosAddFileType", "dyPosAddFileType"};
constexpr int kExtensionChars = 255;

std::string TypedText(HWND dialog) {
  HWND edit = ::GetDlgItem(dialog, IDC_ADD_FILE_TYPE_EDIT);
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(edit)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
  return win32::Narrow(text);
}

void Close(HWND dialog, INT_PTR result) {
  common::SaveWindowPosition(dialog, kPlace);
  ::EndDialog(dialog, result);
}

INT_PTR CALLBACK AddFileTypeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      ApplyDialogTexts(dialog, IDD_ADD_FILE_TYPE);
      ::SendDlgItemMessageW(dialog, IDC_ADD_FILE_TYPE_EDIT, EM_LIMITTEXT, kExtensionChars, 0);
      common::PlaceWindow(dialog, kPlace);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          if (const int refusal = file_types::AddMonitoredFileType(TypedText(dialog));
              refusal != 0) {
            ShowMessageText(dialog, common::LoadText(refusal), MB_ICONINFORMATION);
            ::SetFocus(::GetDlgItem(dialog, IDC_ADD_FILE_TYPE_EDIT));
            return TRUE;
          }
          Close(dialog, IDOK);
          return TRUE;
        case IDCANCEL:
          Close(dialog, IDCANCEL);
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

bool ShowAddFileTypeDialog(HWND owner) {
  return ::DialogBoxParamW(common::App().instance, MAKEINTRESOURCEW(IDD_ADD_FILE_TYPE), owner,
                           AddFileTypeProc, 0) == IDOK;
}

}  // namespace obrivo::explorer
