// The Info window's service controls.
#include "explorer/info_service_controls.h"

#include <string>

#include "common/text_loader.h"
#include "common/win32/wide.h"
#include "core/history_codes.h"
#include "core/text.h"
#include "explorer/messages.h"
#include "explorer_ids.h"
#include "string_ids.h"
#include "system/service_actions.h"
#include "system/service_check.h"
#include "system/service_control.h"
#include "system/services.h"

namespace obrivo::explorer {
namespace {

constexpr int kServiceIds[] = {IDC_INFO_START_TYPE_LABEL,     IDC_INFO_START_TYPE,
                               IDC_INFO_SERVICE_STATUS_LABEL, IDC_INFO_SERVICE_STATUS,
                               IDC_INFO_SERVICE_STOP,         IDC_INFO_SERVICE_APPLY};
// The ordinary status line and its buttons, whose place the service controls take.
constexpr int kProgramIds[] = {IDC_INFO_STATUS, IDC_INFO_KILL, IDC_INFO_RUN};
constexpr int kAutomaticId = 664;  // 664-666: the combo box's entries, start types 2-4

bool IsService(const core::Item& item) {
  return item.type == core::item_type::kServiceExe ||
         item.type == core::item_type::kServiceSvchost;
}

system::ServiceRef RefOf(const core::Item& item) {
  return system::ServiceRef{core::EntryName(item), item.title, item.path, item.type};
}

int Selection(HWND dialog) {
  return static_cast<int>(::SendDlgItemMessageW(dialog, IDC_INFO_START_TYPE, CB_GETCURSEL, 0, 0));
}

void ShowState(HWND dialog, const core::Item& item) {
  const auto status = system::QueryServiceStatusOf(core::EntryName(item), system::NameKind::Key);
  ::SetDlgItemTextW(
      dialog, IDC_INFO_SERVICE_STATUS,
      win32::Wide(status ? system::RunStateText(status->dwCurrentState) : std::string()).c_str());
  ::EnableWindow(::GetDlgItem(dialog, IDC_INFO_SERVICE_STOP),
                 status && status->dwControlsAccepted != 0);
}

}  // namespace

bool ShowServiceControls(HWND dialog, const core::Item& item, ServiceControlsState& state) {
  const bool service = IsService(item);
  for (int id : kServiceIds) ::ShowWindow(::GetDlgItem(dialog, id), service ? SW_SHOW : SW_HIDE);
  if (!service) {
    // Back from a service to a program: its status line shows again (its buttons follow it).
    ::ShowWindow(::GetDlgItem(dialog, IDC_INFO_STATUS), SW_SHOW);
    return false;
  }
  for (int id : kProgramIds) ::ShowWindow(::GetDlgItem(dialog, id), SW_HIDE);
  HWND combo = ::GetDlgItem(dialog, IDC_INFO_START_TYPE);
  ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < 3; ++i)
    ::SendMessageW(combo, CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(win32::Wide(common::LoadText(kAutomaticId + i)).c_str()));
  // The start type it has now, which may no longer be the one listed.
  const auto start = system::ServiceStartType(core::EntryName(item));
  state.startReference =
      start && *start >= SERVICE_AUTO_START && *start <= SERVICE_DISABLED
          ? static_cast<int>(*start - SERVICE_AUTO_START)
          : -1;
  ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(state.startReference), 0);
  ::EnableWindow(::GetDlgItem(dialog, IDC_INFO_SERVICE_APPLY), FALSE);
  ShowState(dialog, item);
  return true;
}

void OnServiceStartTypeChanged(HWND dialog, const ServiceControlsState& state) {
  const int selection = Selection(dialog);
  ::EnableWindow(::GetDlgItem(dialog, IDC_INFO_SERVICE_APPLY),
                 selection >= 0 && selection != state.startReference);
}

void OnServiceStop(HWND dialog, const core::Item& item, ServiceControlsState&) {
  if (system::StopServiceRecorded(RefOf(item)) == system::ServiceActionResult::Failed)
    ShowMessageText(dialog, core::FormatText(common::LoadText(IDS_SERVICE_STOP_FAILED), item.title),
                    MB_ICONERROR);
  ShowState(dialog, item);
}

void OnServiceApply(HWND dialog, const core::Item& item, ServiceControlsState& state) {
  const int selection = Selection(dialog);
  if (selection < 0 || selection == state.startReference) return;
  const DWORD start = SERVICE_AUTO_START + static_cast<DWORD>(selection);
  if (system::SetServiceStartRecorded(RefOf(item), start) == system::ServiceActionResult::Failed) {
    ShowMessageText(dialog,
                    core::FormatText(common::LoadText(IDS_SERVICE_START_FAILED), item.title),
                    MB_ICONERROR);
    return;
  }
  // The user's own choice: the Monitor takes it as accepted.
  system::FollowAcceptedStart(core::EntryName(item), start);
  state.startReference = selection;
  OnServiceStartTypeChanged(dialog, state);
  ShowState(dialog, item);
}

}  // namespace obrivo::explorer
