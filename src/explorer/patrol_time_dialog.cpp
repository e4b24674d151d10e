// The Set Patrol Time dialog.
#include "explorer/patrol_time_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <string>

#include "common/app.h"
#include "common/options_store.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/win32/wide.h"
#include "core/text.h"
#include "explorer/dialog_texts.h"
#include "explorer_ids.h"

namespace obrivo::explorer {
namespace {

constexpr int kSliderMax = 30;
constexpr int kSliderPage = 3;
constexpr int kMinutesDigits = 2;

struct TitleRow {
  std::string_view intervalOption;
  int titleId;
};

constexpr TitleRow kTitles[] = {
    {"Start", 784},    {"IEHelpers", 785}, {"Tasks", 786},    {"Cookies", 787},
    {"FileType", 788}, {"Nuts", 789},      {"WinInit", 790},  {"StartPage", 791},
    {"HostFile", 792}, {"Hidden", 924},    {"Services", 957}, {"ActiveX", 1157},
};

struct PatrolTimeState {
  std::string_view intervalOption;
  std::string_view realtimeOption;
  int realtimeAtStart = 0;
  bool realtimeClicked = false;
  bool settingEdit = false;  // the slider writes the edit: that change is not the user's typing
  int minutes = 0;
};

bool Checked(HWND dialog, int id) { return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// The edit's number; nothing when it holds no number (empty, a sign, letters).
std::optional<int> EditMinutes(HWND dialog) {
  BOOL ok = FALSE;
  const UINT value = ::GetDlgItemInt(dialog, IDC_PATROL_MINUTES, &ok, FALSE);
  if (!ok) return std::nullopt;
  return static_cast<int>(value);
}

void OnInit(HWND dialog, PatrolTimeState& s) {
  ApplyDialogTexts(dialog, IDD_PATROL_TIME);
  if (const int title = PatrolTimeTitleId(s.intervalOption))
    ::SetWindowTextW(dialog, win32::Wide(common::LoadText(title)).c_str());
  ::SendDlgItemMessageW(dialog, IDC_PATROL_MINUTES, EM_LIMITTEXT, kMinutesDigits, 0);
  HWND slider = ::GetDlgItem(dialog, IDC_PATROL_SLIDER);
  ::SendMessageW(slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, kSliderMax));
  ::SendMessageW(slider, TBM_SETPAGESIZE, 0, kSliderPage);

  const int minutes = std::max(0, common::ReadOptionOrDefault(s.intervalOption));
  s.settingEdit = true;
  ::SetDlgItemInt(dialog, IDC_PATROL_MINUTES, static_cast<UINT>(minutes), FALSE);
  s.settingEdit = false;
  ::SendMessageW(slider, TBM_SETPOS, TRUE, std::min(minutes, kSliderMax));
  ::EnableWindow(::GetDlgItem(dialog, IDC_PATROL_MINUTES), minutes != 0);

  const bool hasRealtime = !s.realtimeOption.empty();
  s.realtimeAtStart = hasRealtime ? common::ReadOptionOrDefault(s.realtimeOption) : 0;
  ::CheckDlgButton(dialog, IDC_PATROL_REAL_TIME, s.realtimeAtStart != 0 ? BST_CHECKED : 0);
  ::EnableWindow(::GetDlgItem(dialog, IDC_PATROL_REAL_TIME), hasRealtime);
}

void OnSlider(HWND dialog, PatrolTimeState& s) {
  const auto position =
      static_cast<int>(::SendDlgItemMessageW(dialog, IDC_PATROL_SLIDER, TBM_GETPOS, 0, 0));
  s.settingEdit = true;
  ::SetDlgItemInt(dialog, IDC_PATROL_MINUTES, static_cast<UINT>(position), FALSE);
  s.settingEdit = false;
  ::EnableWindow(::GetDlgItem(dialog, IDC_PATROL_MINUTES), position != 0);
}

// Typed minutes move the slider; beyond its end it stops there and the edit keeps the number.
void OnEdited(HWND dialog, const PatrolTimeState& s) {
  if (s.settingEdit) return;
  if (const auto minutes = EditMinutes(dialog))
    ::SendDlgItemMessageW(dialog, IDC_PATROL_SLIDER, TBM_SETPOS, TRUE,
                          std::min(*minutes, kSliderMax));
}

void StoreRealtime(HWND dialog, const PatrolTimeState& s) {
  if (!s.realtimeOption.empty())
    common::WriteOption(s.realtimeOption, Checked(dialog, IDC_PATROL_REAL_TIME) ? 1 : 0);
}

INT_PTR CALLBACK PatrolTimeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* s = reinterpret_cast<PatrolTimeState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      s = reinterpret_cast<PatrolTimeState*>(lParam);
      ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      OnInit(dialog, *s);
      return TRUE;
    case WM_HSCROLL:
      if (s && reinterpret_cast<HWND>(lParam) == ::GetDlgItem(dialog, IDC_PATROL_SLIDER))
        OnSlider(dialog, *s);
      return TRUE;
    case WM_COMMAND:
      if (!s) break;
      switch (LOWORD(wParam)) {
        case IDC_PATROL_MINUTES:
          if (HIWORD(wParam) == EN_CHANGE) OnEdited(dialog, *s);
          return TRUE;
        case IDC_PATROL_REAL_TIME:
          if (HIWORD(wParam) == BN_CLICKED) {
            s->realtimeClicked = true;
            StoreRealtime(dialog, *s);
          }
          return TRUE;
        case IDOK:
          StoreRealtime(dialog, *s);
          s->minutes = EditMinutes(dialog).value_or(0);  // no number: monitoring off
          ::EndDialog(dialog, IDOK);
          return TRUE;
        case IDCANCEL:
          if (s->realtimeClicked && !s->realtimeOption.empty())
            common::WriteOption(s->realtimeOption, s->realtimeAtStart);
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

int PatrolTimeTitleId(std::string_view intervalOption) {
  for (const TitleRow& row : kTitles)
    if (core::EqualsNoCase(row.intervalOption, intervalOption)) return row.titleId;
  return 0;
}

int ShowPatrolTimeDialog(HWND owner, std::string_view intervalOption,
                         std::string_view realtimeOption) {
  PatrolTimeState state;
  state.intervalOption = intervalOption;
  state.realtimeOption = realtimeOption;
  // A dialog that could not open counts as cancelled: it must not switch the patrol off.
  const INT_PTR result =
      ::DialogBoxParamW(common::App().instance, MAKEINTRESOURCEW(IDD_PATROL_TIME), owner,
                        PatrolTimeProc, reinterpret_cast<LPARAM>(&state));
  if (result != IDOK) return -1;
  common::WriteOption(intervalOption, state.minutes);
  return state.minutes;
}

}  // namespace obrivo::explorer
