// The alert sounds.
#include "monitor/alerts/alert_sound.h"

#include <windows.h>

#include <mmsystem.h>  // after windows.h, which it needs

#include "common/app.h"
#include "common/store.h"
#include "common/win32/wide.h"
#include "core/capacity.h"
#include "monitor_ids.h"

namespace obrivo::monitor {
namespace {

constexpr const char* kEventKeys[] = {
    "Open",      "Startup Alert",  "Cookie Alert",    "Task Alert",
    "IE Helper", "FileType Alert", "SystemFile Alert"};

}  // namespace

AlertSound AlertSoundFor(AlertSoundEvent event) {
  AlertSound sound;
  if (common::App().options.Get(core::OptionId::Sound) <= 0) return sound;
  sound.play = true;
  const auto index = static_cast<std::size_t>(event);
  if (index >= std::size(kEventKeys)) return sound;
  const std::string key =
      std::string("AppEvents\\Schemes\\Apps\\Obrivo\\") + kEventKeys[index] + "\\.current";
  sound.file = common::ReadStoreString(key, HKEY_CURRENT_USER, "", core::kPathCapacity);
  return sound;
}

void PlayAlertSound(AlertSoundEvent event) {
  const AlertSound sound = AlertSoundFor(event);
  if (!sound.play) return;
  // Without SND_ASYNC both calls return when the sound has played; SND_NOWAIT gives up at once
  // when the sound device is busy. A sound file that cannot be played (moved, deleted) falls
  // back to the built-in sound rather than the system's default one.
  if (!sound.file.empty() && ::PlaySoundW(win32::Wide(sound.file).c_str(), nullptr,
                                          SND_FILENAME | SND_NOWAIT | SND_NODEFAULT))
    return;
  ::PlaySoundW(MAKEINTRESOURCEW(IDW_ALERT_SOUND), common::App().instance,
               SND_RESOURCE | SND_NOWAIT);
}

}  // namespace obrivo::monitor
