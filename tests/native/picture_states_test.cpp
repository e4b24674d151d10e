// The corner pictures under the mouse: sequences of mouse events and the looks, captures and
// clicks they lead to, and the image each look shows.
#include "core/picture_states.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace obrivo::core {
namespace {

constexpr int kHelp = 1077, kMonitor = 1112;
constexpr PictureLook N = PictureLook::Normal, H = PictureLook::Hover, P = PictureLook::Pressed;

struct Step {
  PictureEvent event;
  int over;
  std::vector<PictureLookChange> looks;
  bool trackLeave = false, capture = false, releaseCapture = false;
  int clicked = 0;
};

struct Scenario {
  const char* name;
  std::vector<Step> steps;
};

constexpr PictureEvent Move = PictureEvent::Move, Press = PictureEvent::Press,
                       Release = PictureEvent::Release, Leave = PictureEvent::Leave;

TEST(PictureStates, MouseSequences) {
  // clang-format off
  const Scenario scenarios[] = {
      {"a click on a picture", {
          {Move, kHelp, {{kHelp, H}}, true},
          {Move, kHelp, {}},  // moving within the picture changes nothing
          {Press, kHelp, {{kHelp, P}}, false, true},
          {Release, kHelp, {{kHelp, H}}, false, false, true, kHelp},
          {Leave, 0, {{kHelp, N}}},
      }},
      {"pressed, then let go elsewhere: no click", {
          {Move, kHelp, {{kHelp, H}}, true},
          {Press, kHelp, {{kHelp, P}}, false, true},
          {Move, 0, {{kHelp, N}}},
          {Release, 0, {{kHelp, N}}, false, false, true, 0},
          {Move, kHelp, {{kHelp, H}}, true},  // back over it: hover again
      }},
      {"pressed, out and back in: pressed again, then a click", {
          {Move, kHelp, {{kHelp, H}}, true},
          {Press, kHelp, {{kHelp, P}}, false, true},
          {Move, 0, {{kHelp, N}}},
          {Move, kHelp, {{kHelp, P}}, true},
          {Release, kHelp, {{kHelp, H}}, false, false, true, kHelp},
      }},
      {"pressed on one, let go over the other: no click", {
          {Move, kHelp, {{kHelp, H}}, true},
          {Press, kHelp, {{kHelp, P}}, false, true},
          {Move, kMonitor, {{kHelp, N}, {kMonitor, H}}, true},
          {Release, kMonitor, {{kHelp, N}}, false, false, true, 0},
      }},
      {"from one picture straight to the other", {
          {Move, kMonitor, {{kMonitor, H}}, true},
          {Move, kHelp, {{kMonitor, N}, {kHelp, H}}, true},
          {Leave, 0, {{kHelp, N}}},
          {Leave, 0, {}},
      }},
      {"press and release away from the pictures do nothing", {
          {Press, 0, {}},
          {Release, 0, {}},
          {Move, 0, {}},
      }},
      {"leaving while pressed keeps the pressed look", {
          {Move, kHelp, {{kHelp, H}}, true},
          {Press, kHelp, {{kHelp, P}}, false, true},
          {Leave, 0, {}},
          {Release, kHelp, {{kHelp, H}}, false, false, true, kHelp},
      }},
      {"a double click presses like a press", {
          {Press, kMonitor, {{kMonitor, P}}, false, true},
          {Press, kMonitor, {{kMonitor, P}}, false, true},
          {Release, kMonitor, {{kMonitor, H}}, false, false, true, kMonitor},
      }},
  };
  // clang-format on
  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.name);
    PictureStates states;
    for (std::size_t i = 0; i < s.steps.size(); ++i) {
      SCOPED_TRACE("step " + std::to_string(i));
      const Step& step = s.steps[i];
      const PictureEffects effects = states.On(step.event, step.over);
      EXPECT_EQ(effects.looks, step.looks);
      EXPECT_EQ(effects.trackLeave, step.trackLeave);
      EXPECT_EQ(effects.capture, step.capture);
      EXPECT_EQ(effects.releaseCapture, step.releaseCapture);
      EXPECT_EQ(effects.clicked, step.clicked);
    }
  }
}

TEST(PictureStates, AfterTheClickedDialogTheNextMoveShowsHoverAgain) {
  PictureStates states;
  states.On(PictureEvent::Move, kMonitor);
  states.On(PictureEvent::Press, kMonitor);
  ASSERT_EQ(states.On(PictureEvent::Release, kMonitor).clicked, kMonitor);
  // The click opened a dialog; the page shows the picture's normal look and forgets the hover.
  states.ForgetHover();
  EXPECT_EQ(states.hover(), 0);
  EXPECT_EQ(states.On(PictureEvent::Move, kMonitor).looks,
            (std::vector<PictureLookChange>{{kMonitor, H}}));
}

TEST(PictureStates, ImagesOfEachLook) {
  EXPECT_EQ(HelpPictureImage(N), 133);
  EXPECT_EQ(HelpPictureImage(H), 134);
  EXPECT_EQ(HelpPictureImage(P), 135);
  // clang-format off
  const struct {
    PictureLook look;
    bool patrolled, realtime;
    int image;
  } cases[] = {
      {N, false, false, 154}, {N, false, true, 154},
      {N, true, false, 156},  {N, true, true, 193},
      // Hovering shows what a click would switch to.
      {H, true, false, 154},  {H, true, true, 154},
      {H, false, false, 156}, {H, false, true, 193},
      {P, true, true, 155},   {P, false, false, 155},
  };
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(PatrolPictureImage(c.look, c.patrolled, c.realtime), c.image)
        << static_cast<int>(c.look) << " " << c.patrolled << " " << c.realtime;
  }
}

}  // namespace
}  // namespace obrivo::core
