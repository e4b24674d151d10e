// The Delay Options dialog.
#include "explorer/delay_options_dialog.h"

#include <algorithm>
#include <string>

#include "common/app.h"
#include "common/text_loader.h"
#include "common/win32/wide.h"
#include "common/win32/window.h"
#include "core/delayed_start.h"
#include "core/text.h"
#include "explorer/dialog_texts.h"
#include "explorer/messages.h"
#include "explorer_ids.h"
#include "string_ids.h"

namespace obrivo::explorer {
namespace {

// "Normal Window", "Minimized", "Maximized", in the order of the stored window modes.
constexpr int kOpenAsTextIds[] = {1138, 1139, 1140};
constexpr int kSecondsChoices = 6;  // "0", "10" ... "50"
constexpr WPARAM kFieldCharacters = 256;

struct DelayOptionsState {
  startup::DelayedEntry entry;
  startup::DelayOptions options;
  bool applied = false;
};

void AddChoice(HWND dialog, int combo, const std::string& text) {
  ::SendDlgItemMessageW(dialog, combo, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(win32::Wide(text).c_str()));
}

void Choose(HWND dialog, int combo, int index) {
  ::SendDlgItemMessageW(dialog, combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int Chosen(HWND dialog, int combo) {
  return std::max(0, static_cast<int>(::SendDlgItemMessageW(dialog, combo, CB_GETCURSEL, 0, 0)));
}

void SetField(HWND dialog, int edit, const std::string& text) {
  ::SendDlgItemMessageW(dialog, edit, EM_LIMITTEXT, kFieldCharacters, 0);
  ::SetDlgItemTextW(dialog, edit, win32::Wide(text).c_str());
}

std::string Field(HWND dialog, int edit) {
  return win32::Narrow(win32::WindowTextW(::GetDlgItem(dialog, edit)));
}

void OnInit(HWND dialog, const DelayOptionsState& s) {
  ApplyDialogTexts(dialog, IDD_DELAY_OPTIONS);
  ::SetDlgItemTextW(dialog, IDC_DELAY_PROGRAM, win32::Wide(s.entry.name).c_str());
  for (int minutes = 0; minutes <= core::kLongestDelayMinutes; ++minutes)
    AddChoice(dialog, IDC_DELAY_MINUTES, std::to_string(minutes));
  for (int step = 0; step < kSecondsChoices; ++step)
    AddChoice(dialog, IDC_DELAY_SECONDS, std::to_string(step * core::kDelayStepSeconds));
  for (int id : kOpenAsTextIds) AddChoice(dialog, IDC_OPEN_AS, common::LoadText(id, 64));

  const core::DelayPreset preset = core::PresetForDelay(s.options.seconds);
  Choose(dialog, IDC_DELAY_MINUTES, preset.minutes);
  Choose(dialog, IDC_DELAY_SECONDS, preset.secondsIndex);
  Choose(dialog, IDC_OPEN_AS, s.options.openAs);
  SetField(dialog, IDC_DELAY_PARAMETERS, s.options.parameters);
  SetField(dialog, IDC_DELAY_TITLE, s.options.title);
}

void OnApply(HWND dialog, DelayOptionsState& s) {
  s.options.seconds =
      core::DelayForPreset({Chosen(dialog, IDC_DELAY_MINUTES), Chosen(dialog, IDC_DELAY_SECONDS)});
  s.options.openAs = Chosen(dialog, IDC_OPEN_AS);
  s.options.parameters = Field(dialog, IDC_DELAY_PARAMETERS);
  s.options.title = Field(dialog, IDC_DELAY_TITLE);
  if (startup::WriteDelayOptions(s.entry, s.options)) {
    s.applied = true;
    return;
  }
  const std::string name =
      s.options.title.empty() ? std::string(core::FileNamePart(s.entry.name)) : s.options.title;
  ShowMessageText(dialog, core::FormatText(common::LoadText(IDS_DELAY_OPTIONS_FAILED), name),
                  MB_ICONWARNING);
}

INT_PTR CALLBACK DelayOptionsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* s = reinterpret_cast<DelayOptionsState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      s = reinterpret_cast<DelayOptionsState*>(lParam);
      ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      OnInit(dialog, *s);
      return TRUE;
    case WM_COMMAND:
      if (!s) break;
      switch (LOWORD(wParam)) {
        case IDOK:
          OnApply(dialog, *s);
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

bool ShowDelayOptionsDialog(HWND owner, const startup::DelayedEntry& entry) {
  const auto options = startup::ReadDelayOptions(entry);
  if (!options) return false;
  DelayOptionsState state{entry, *options};
  ::DialogBoxParamW(common::App().instance, MAKEINTRESOURCEW(IDD_DELAY_OPTIONS), owner,
                    DelayOptionsProc, reinterpret_cast<LPARAM>(&state));
  return state.applied;
}

}  // namespace obrivo::explorer
