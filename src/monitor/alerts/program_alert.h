// The program alerts (new startup program, delayed program back, task, service, IE add-on,
// ActiveX control, hidden file) share one dialog procedure; each is described by a small record
// of what differs: its template, texts, buttons, history record and the hooks of the two alerts
// that do more.
#pragma once

#include <windows.h>

#include <string>

#include "monitor/alerts/alert_window.h"

namespace obrivo::monitor {

inline constexpr int kNoHistory = -1;      // the alert writes no history record when it opens
inline constexpr int kAlertItemType = -1;  // the record carries the alert's own type

// What an alert showed, for its hooks and its history record.
struct ProgramAlertView {
  ShownProgram program;
  std::string name;  // the name field's text
};

struct ProgramAlert {
  int dialogId;
  int titleId;
  int messageId;  // the text of control 1036; 0 when `initialise` writes the message
  int versionLabelId;
  int yesControl, noControl;  // the buttons answering Yes (6) and No (7)
  int yesTextId, noTextId;    // their texts; 0 keeps the template's
  int closeAnswer;            // the close box and Escape
  int historyEvent;           // the record written on opening, or kNoHistory
  int historyType;            // its type code, or kAlertItemType
  bool titleStandsIn;         // the item's title fills the name field when the file has none
  bool largeMessage;          // the message in the alerts' message font (too long for some)
  // Called at the end of the initialisation, before the history record is written.
  void (*initialise)(HWND dialog, ProgramAlertView& view);
  // Turns the button's answer (6 or 7) into the result; null: the answer is the result.
  int (*answer)(int buttonAnswer);
};

// The usual program alert: titled "Obrivo New Program Alert", Yes and No (the close box answers
// Yes), the message in `messageId`, no hooks.
ProgramAlert YesNoAlert(int dialogId, int messageId, int historyEvent, int historyType);

// The program fields of every program alert's template.
extern const ProgramFieldIds kProgramFields;

// Opens the alert over the Monitor's main window; returns its result, or 0 when the dialog
// could not be shown (the check then leaves the item to be asked about again).
int ShowProgramAlert(const ProgramAlert& alert);

// The two alerts with hooks of their own.
extern const ProgramAlert kStartupAlert;
extern const ProgramAlert kServiceAlert;

}  // namespace obrivo::monitor
