// The corner pictures of the Explorer's pages under the mouse: which picture shows its normal,
// hover or pressed image after each mouse event, and when a click has happened. Pictures are
// named by their control ids; the window procedure applies the effects.
#pragma once

#include <vector>

namespace obrivo::core {

enum class PictureLook { Normal, Hover, Pressed };

enum class PictureEvent {
  Move,     // the mouse moved
  Press,    // the left button went down (or double-clicked)
  Release,  // the left button came up
  Leave,    // the mouse left the page
};

struct PictureLookChange {
  int picture;
  PictureLook look;
  bool operator==(const PictureLookChange&) const = default;
};

// What the page does after one event, in this order: release the mouse, show the new looks,
// track the mouse's leaving or capture it, and run the clicked picture's command.
struct PictureEffects {
  std::vector<PictureLookChange> looks;
  bool trackLeave = false;  // the mouse entered a picture: the page wants to know when it leaves
  bool capture = false;     // a picture was pressed: its release must reach the page
  bool releaseCapture = false;  // the pressed picture was let go
  int clicked = 0;              // released over the picture it was pressed on; 0: none
};

// The hover and press state of one page's pictures. 0 names no picture.
class PictureStates {
 public:
  // `over` is the picture under the mouse at the event, 0 when there is none.
  PictureEffects On(PictureEvent event, int over);
  // The mouse was over another window meanwhile (a dialog the click opened): the next move over
  // a picture shows its hover image again.
  void ForgetHover() { hover_ = 0; }

  int hover() const { return hover_; }
  int pressed() const { return pressed_; }

 private:
  int hover_ = 0;
  int pressed_ = 0;
};

// The images of the pictures: bitmap ids of icon_ids.h.
int HelpPictureImage(PictureLook look);
// A patrol picture shows whether its category is patrolled (and watched in real time); under the
// mouse it shows what a click would switch to.
int PatrolPictureImage(PictureLook look, bool patrolled, bool realtime);

}  // namespace obrivo::core
