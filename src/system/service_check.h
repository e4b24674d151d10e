// The services baseline and the Monitor's services check.
//
// The baseline, HKCU Software\Tolvane\Obrivo\Services, holds one REG_MULTI_SZ value per accepted
// service, named by its key name, whose lines are the type code ("700" or "701", first, so the
// value reads as its type), "Start=<n>", "ImagePath=<as stored>" and "ServiceDll=<as stored>".
// Its default value "P" and its value "/Layout" = "2" mark it taken in this layout (no service
// key name holds a slash); a store without both takes it again from the system.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "core/item_list.h"
#include "system/services.h"

namespace obrivo::system {

inline constexpr std::string_view kServicesBaselineName = "Services";

// One accepted service as the baseline holds it.
struct AcceptedService {
  int type = 0;
  std::optional<DWORD> start;
  std::string imagePath, serviceDll;
};

// The whole baseline, by key name in upper case; nothing when it is not taken in this layout.
std::optional<std::map<std::string, AcceptedService>> ReadServicesBaseline();

// The user changed the start type himself: a service the baseline holds is held with the new
// one, so that enabling a service he disabled is not taken for a rejected service coming back.
void FollowAcceptedStart(std::string_view keyName, DWORD start);

// Takes the baseline (every service, Microsoft's too) unless it is already taken in this layout.
void SnapshotServices();

// What the check needs from the Monitor.
struct ServiceCheckHooks {
  // A new service, or a rejected one whose start type was raised: 6 accept, 7 reject, 0 no
  // answer (asked again at the next check).
  std::function<int(const core::Item&)> askNewService;
  // An accepted service whose command changed (the commands as ServiceCommandText gives them):
  // 6 accept the new command, 7 put the old back.
  std::function<int(const core::Item&, const std::string& oldCommand,
                    const std::string& newCommand)>
      askChangedCommand;
  std::function<void()> showAlertIcon;
  // Something the user asked for could not be done; the text says what.
  std::function<void(const std::string&)> reportFailure;
};

// The item an alert shows for a service: title = display name, name = key name, path = its file,
// key = start-type text, command = ImagePath.
core::Item ServiceItem(const ServiceRecord& detailed);

// One patrol: every service the baseline does not hold, every rejected (disabled) service whose
// start type was raised and every accepted service whose command changed is asked about. With
// HideMicrosoftServices, Microsoft's services are accepted without asking.
void CheckServices(const ServiceCheckHooks& hooks);

}  // namespace obrivo::system
