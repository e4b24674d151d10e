// The Info window's service controls: the start type with Apply, the state with Stop. Shown in
// the status line's place for service items only; every action goes by the service's key name.
#pragma once

#include <windows.h>

#include "core/item_list.h"

namespace obrivo::explorer {

struct ServiceControlsState {
  int startReference = -1;  // the combo box entry the service had when shown or last applied
};

// True when the item is a service (and the controls are shown); otherwise they are hidden.
bool ShowServiceControls(HWND dialog, const core::Item& item, ServiceControlsState& state);

// The combo box selection changed: Apply follows whether it differs from the reference.
void OnServiceStartTypeChanged(HWND dialog, const ServiceControlsState& state);
// Stop and Apply; a failure is said in a message box and recorded nowhere.
void OnServiceStop(HWND dialog, const core::Item& item, ServiceControlsState& state);
void OnServiceApply(HWND dialog, const core::Item& item, ServiceControlsState& state);

}  // namespace obrivo::explorer
