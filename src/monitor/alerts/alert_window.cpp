// What every alert window shares.
#include "monitor/alerts/alert_window.h"

#include <shellapi.h>

#include <optional>
#include <utility>
#include <vector>

#include "common/app.h"
#include "common/online_lookup.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/dpi.h"
#include "common/win32/system.h"
#include "common/win32/wide.h"
#include "common/window_place.h"
#include "core/text.h"
#include "monitor/monitor_state.h"

namespace obrivo::monitor {
namespace {

// Face, height at 96 DPI, weight, underline of the alert dialogs' fonts.
struct AlertFont {
  const wchar_t* face;
  int height, weight;
  bool underline;
};
constexpr AlertFont kFonts[] = {
    {L"Verdana", 14, 400, true},        {L"Verdana", 18, 600, true},  {L"Arial", 18, 500, false},
    {L"MS Sans Serif", 14, 600, false}, {L"Verdana", 10, 600, false}, {L"Arial", 14, 400, false},
    {L"MS Sans Serif", 12, 500, false},
};
constexpr std::size_t kNameFont = 2;     // Arial 18, weight 500
constexpr std::size_t kMessageFont = 3;  // MS Sans Serif 14, weight 600

constexpr common::WindowPositionNames kAlertPosition{"xPosAlert", "yPosAlert", "dxAlert",
                                                     "dyAlert"};

void SetFont(HWND dialog, int control, std::size_t font) {
  HFONT handle = State().fonts.Get(font, win32::WindowDpi(dialog));
  if (handle)
    ::SendDlgItemMessageW(dialog, control, WM_SETFONT, reinterpret_cast<WPARAM>(handle), FALSE);
}

void SetIfKnown(HWND dialog, int control, const std::string& text) {
  if (control != 0 && !text.empty()) SetControlText(dialog, control, text);
}

// StartTab := "0"; writing an option also sets Update := "1", so the Monitor reloads its options
// at its next tick.
void AskForOptionReload() { common::WriteOption("StartTab", 0); }

}  // namespace

ShownProgram ShowProgram(HWND dialog, const ProgramFieldIds& ids, std::string_view command) {
  ShownProgram shown;
  if (ids.command != 0) SetControlText(dialog, ids.command, command);
  std::string file = common::CommandToProgramPath(core::StripQuotes(command));
  if (file.empty() || !common::FileExists(file)) return shown;
  shown.file = common::LongPathName(file);
  if (ids.icon != 0) {
    shown.icon = win32::ExtractFileIcon(shown.file, 0, false);
    if (shown.icon)
      ::SendDlgItemMessageW(dialog, ids.icon, BM_SETIMAGE, IMAGE_ICON,
                            reinterpret_cast<LPARAM>(shown.icon.get()));
  }
  const std::optional<common::VersionInfo> version = common::ReadVersionInfo(shown.file);
  if (!version) return shown;
  shown.productName = version->productName;
  shown.description = version->fileDescription;
  SetIfKnown(dialog, ids.name, version->productName);
  SetIfKnown(dialog, ids.version, version->productVersion);
  SetIfKnown(dialog, ids.company, version->companyName);
  SetIfKnown(dialog, ids.description, version->fileDescription);
  SetIfKnown(dialog, ids.copyright, version->legalCopyright);
  return shown;
}

void CreateAlertFonts() {
  std::vector<win32::FontDescription> descriptions;
  for (const AlertFont& f : kFonts)
    descriptions.push_back({f.face, f.height, f.weight, f.underline, ANSI_CHARSET, FF_SWISS});
  State().fonts.SetDescriptions(std::move(descriptions));
}

void FollowAlertDpiChange(HWND dialog, WPARAM wParam, LPARAM lParam) {
  win32::RefontControls(dialog, State().fonts, win32::DpiOfDpiChanged(wParam));
  win32::MoveToSuggestedRect(dialog, lParam);
}

void SetNameFont(HWND dialog, int control) { SetFont(dialog, control, kNameFont); }
void SetMessageFont(HWND dialog, int control) { SetFont(dialog, control, kMessageFont); }

void SetControlText(HWND dialog, int control, std::string_view text) {
  const std::wstring wide = win32::Wide(core::CrLfLineEnds(text));
  if (control == 0)
    ::SetWindowTextW(dialog, wide.c_str());
  else
    ::SetDlgItemTextW(dialog, control, wide.c_str());
}

void SetStringText(HWND dialog, int control, int stringId) {
  SetControlText(dialog, control, common::LoadText(stringId));
}

void LookUpAlertProgram(HWND dialog, std::string_view command) {
  const MonitorState& s = State();
  common::LookUpProgramOnline(dialog, s.alertType + 1000, command, s.alertTitle);
  ::SetWindowPos(dialog, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void ClearAlertContext() {
  MonitorState& s = State();
  s.alertPath.clear();
  s.alertTitle.clear();
  s.alertKey.clear();
}

void RestoreAlertPosition(HWND window) { RestoreAlertPosition(window, kAlertPosition); }

void SaveAlertPosition(HWND window) { SaveAlertPosition(window, kAlertPosition); }

void RestoreAlertPosition(HWND window, const common::WindowPositionNames& names) {
  AskForOptionReload();
  common::PlaceWindow(window, names);
}

void SaveAlertPosition(HWND window, const common::WindowPositionNames& names) {
  common::SaveWindowPosition(window, names);
  AskForOptionReload();
}

}  // namespace obrivo::monitor
