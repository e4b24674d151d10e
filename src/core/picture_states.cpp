// The corner pictures' looks under the mouse.
#include "core/picture_states.h"

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
      return kHelpHoverImage;
    case PictureLook::Pressed:
      return kHelpPressedImage;
    case PictureLook::Normal:
      break;
  }
  return kHelpNormalImage;
}

int PatrolPictureImage(PictureLook look, bool patrolled, bool realtime) {
  const int onImage = realtime ? kPatrolRealtimeImage : kPatrolOnImage;
  switch (look) {
    case PictureLook::Pressed:
      return kPatrolPressedImage;
    case PictureLook::Hover:
      return patrolled ? kPatrolOffImage : onImage;
    case PictureLook::Normal:
      break;
  }
  return patrolled ? onImage : kPatrolOffImage;
}

}  // namespace obrivo::core
