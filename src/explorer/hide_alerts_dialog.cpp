// The Hide Alerts dialog.
#include "explorer/hide_alerts_dialog.h"

#include <string_view>

#include "common/app.h"
#include "common/options_store.h"
#include "common/store.h"
#include "explorer/dialog_texts.h"
#include "explorer_ids.h"

namespace obrivo::explorer {
namespace {

// A category's hide option: 0 the alert is shown, 1 hidden and the change allowed, 2 hidden and
// the change prevented (the Monitor prevents for any value but 0 and 1).
constexpr int kShown = 0, kAllow = 1, kPrevent = 2;

struct AlertRow {
  int check, allow, prevent;
  std::string_view option;
};

constexpr AlertRow kRows[] = {
    {IDC_HIDE_STARTUP, IDC_ALLOW_STARTUP, IDC_PREVENT_STARTUP, "HideStartup"},
    {IDC_HIDE_IE_HELPERS, IDC_ALLOW_IE_HELPERS, IDC_PREVENT_IE_HELPERS, "HideIEHelper"},
    {IDC_HIDE_TASKS, IDC_ALLOW_TASKS, IDC_PREVENT_TASKS, "HideTasks"},
    {IDC_HIDE_SERVICES, IDC_ALLOW_SERVICES, IDC_PREVENT_SERVICES, "HideServices"},
    {IDC_HIDE_ACTIVEX, IDC_ALLOW_ACTIVEX, IDC_PREVENT_ACTIVEX, "HideActiveX"},
    {IDC_HIDE_HIDDEN, IDC_ALLOW_HIDDEN, IDC_PREVENT_HIDDEN, "HideHidden"},
    {IDC_HIDE_FILE_TYPES, IDC_ALLOW_FILE_TYPES, IDC_PREVENT_FILE_TYPES, "HideFileType"},
    {IDC_HIDE_SYSTEM_FILES, IDC_ALLOW_SYSTEM_FILES, IDC_PREVENT_SYSTEM_FILES, "HideSystemFiles"},
    {IDC_HIDE_HOME_PAGE, IDC_ALLOW_HOME_PAGE, IDC_PREVENT_HOME_PAGE, "HideHomePage"},
};

// The two check boxes that simply switch their option between 0 and 1.
struct SwitchRow {
  int check;
  std::string_view option;
};

constexpr SwitchRow kSwitches[] = {
    {IDC_SHOW_ALL_ALERTS, "ShowAlerts"},
    {IDC_HIDE_RUN_ONCE, "HideRunOnce"},
};

void Check(HWND dialog, int id, bool on) {
  ::CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

// Every row as the store has it now.
void ShowRows(HWND dialog) {
  for (const AlertRow& row : kRows) {
    const int value = common::ReadOptionOrDefault(row.option);
    const bool hidden = value != kShown;
    Check(dialog, row.check, hidden);
    Check(dialog, row.allow, value == kAllow);
    Check(dialog, row.prevent, hidden && value != kAllow);
    ::EnableWindow(::GetDlgItem(dialog, row.allow), hidden);
    ::EnableWindow(::GetDlgItem(dialog, row.prevent), hidden);
  }
  for (const SwitchRow& row : kSwitches)
    Check(dialog, row.check, common::ReadOptionOrDefault(row.option) != 0);
}

// True when `id` is one of the dialog's rows; stores what the click means.
bool OnClick(int id) {
  for (const AlertRow& row : kRows) {
    if (id == row.check) {
      common::WriteOption(row.option,
                          common::ReadOptionOrDefault(row.option) != kShown ? kShown : kAllow);
      return true;
    }
    if (id == row.allow || id == row.prevent) {
      common::WriteOption(row.option, id == row.allow ? kAllow : kPrevent);
      return true;
    }
  }
  for (const SwitchRow& row : kSwitches) {
    if (id == row.check) {
      common::WriteOption(row.option, common::ReadOptionOrDefault(row.option) != 0 ? 0 : 1);
      return true;
    }
  }
  return false;
}

INT_PTR CALLBACK HideAlertsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      ApplyDialogTexts(dialog, IDD_HIDE_ALERTS);
      ShowRows(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        ::EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (HIWORD(wParam) == BN_CLICKED && OnClick(LOWORD(wParam))) {
        ShowRows(dialog);
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

void ShowHideAlertsDialog(HWND owner) {
  ::DialogBoxParamW(common::App().instance, MAKEINTRESOURCEW(IDD_HIDE_ALERTS), owner,
                    HideAlertsProc, 0);
}

}  // namespace obrivo::explorer
