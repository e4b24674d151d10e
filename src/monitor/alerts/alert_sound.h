// The alert sounds: the user's own sound for the event when one is set, else the built-in one.
#pragma once

#include <string>

namespace obrivo::monitor {

// Sound events, by the index the checks play them with.
enum class AlertSoundEvent {
  Open = 0,
  StartupAlert = 1,  // new startup program, new service
  CookieAlert = 2,
  TaskAlert = 3,
  IeHelper = 4,  // IE add-on, ActiveX control, hidden file
  FileTypeAlert = 5,
  SystemFileAlert = 6,
};

struct AlertSound {
  bool play = false;  // false when the Sound option is off
  std::string file;   // the user's sound file; empty: the built-in wave resource
};

// What PlayAlertSound plays for the event: the default value of
// HKCU\AppEvents\Schemes\Apps\Obrivo\<event>\.current, else the program's own sound.
AlertSound AlertSoundFor(AlertSoundEvent event);

// Plays it to the end before returning, so the alert appears after the sound.
void PlayAlertSound(AlertSoundEvent event);

}  // namespace obrivo::monitor
