// The corner pictures' looks under the mouse.
#include "core/picture_states.h"

#include "icon_ids.h"

namespace obrivo::core {

PictureEffects PictureStates::On(PictureEvent event, int over) {
  PictureEffects effects;
  switch (event) {
    case PictureEvent::Move:
      if (over == hover_) break;
      if (hover_) effects.looks.push_back({hover_, PictureLook::Normal});
      if (over) {
        effects.looks.push_back(
            {over, over == pressed_ ? PictureLook::Pressed : PictureLook::Hover});
        effects.trackLeave = true;
      }
      hover_ = over;
      break;
    case PictureEvent::Press:
      if (!over) break;
      pressed_ = over;
      effects.looks.push_back({over, PictureLook::Pressed});
      effects.capture = true;
      break;
    case PictureEvent::Release: {
      if (!pressed_) break;
      const int was = pressed_;
      pressed_ = 0;
      effects.releaseCapture = true;
      effects.looks.push_back({was, over == was ? PictureLook::Hover : PictureLook::Normal});
      if (over == was) effects.clicked = was;
      break;
    }
    case PictureEvent::Leave:
      // A pressed picture keeps its look: the mouse is captured and may come back to it.
      if (hover_ && hover_ != pressed_) effects.looks.push_back({hover_, PictureLook::Normal});
      hover_ = 0;
      break;
  }
  return effects;
}

int HelpPictureImage(PictureLook look) {
  switch (look) {
    case PictureLook::Hover:
      return IDB_HELP_HOVER;
    case PictureLook::Pressed:
      return IDB_HELP_PRESSED;
    case PictureLook::Normal:
      break;
  }
  return IDB_HELP_NORMAL;
}

int PatrolPictureImage(PictureLook look, bool patrolled, bool realtime) {
  const int onImage = realtime ? IDB_PATROL_REAL_TIME : IDB_PATROL_ON;
  switch (look) {
    case PictureLook::Pressed:
      return IDB_PATROL_PRESSED;
    case PictureLook::Hover:
      return patrolled ? IDB_PATROL_OFF : onImage;
    case PictureLook::Normal:
      break;
  }
  return patrolled ? onImage : IDB_PATROL_OFF;
}

}  // namespace obrivo::core
