// The Monitor's change alerts, as the checks raise them. A check fills the alert context of
// MonitorState (alertPath, alertTitle, alertPath2, alertType) and then asks.
#pragma once

namespace obrivo::monitor {

enum class AlertKind {
  Startup,   // a new startup program
  Delayed,   // a delayed-start program put itself back into the startup list
  Task,      // a new scheduled task
  Service,   // a new service
  IeHelper,  // an Internet Explorer add-on
  ActiveX,   // an ActiveX control
  Hidden,    // a new hidden file
  FileType,  // a file-type association changed
};

// Shows the alert over the Monitor's main window and returns its result: 6 (Yes), 7 (No) or
// 11 (the same program for the third time in a row: disable it); 0 when it could not be shown.
int ShowAlert(AlertKind kind);

// What a check calls: the category's hide option answers (6 or 7) without a window unless
// ShowAlerts is set; otherwise the category's sound plays and the alert is shown.
int AskAlert(AlertKind kind);

}  // namespace obrivo::monitor
