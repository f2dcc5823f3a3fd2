#pragma once
// Transitions: bringing the display from the old screen (the work surface) to the new one (the
// screen surface) with a numbered transition, the cross-fades, the sepia fade, the shake and
// the scroll of a large picture, and the wipe pattern. Every loop runs on the frame pacer and
// lets the window process its messages between frames; a click or close request recorded
// meanwhile (effectRequest) ends the loop where the mode allows.
//
// Sections: what the transitions ask of the engine (TransitionHost); the surfaces; the
// Transitions object.

#include <cstdint>
#include <string_view>
#include <vector>

#include "gfx/blend.h"
#include "gfx/frame_pacer.h"
#include "gfx/layers.h"
#include "gfx/picture_loader.h"
#include "gfx/surface.h"
#include "gfx/transition_frames.h"
#include "script/random.h"

namespace corvid {

// ---- What the transitions ask of the engine -------------------------------------------------

class TransitionHost : public PacerClock {
 public:
  virtual void present(const Surface& display) = 0;
  virtual void presentRect(const Surface& display, int x, int y, int w, int h) = 0;

  // busyCount raised and effectRunning set for the length of a blocking loop; lowered after.
  virtual void raiseEffectFlags() = 0;
  virtual void lowerEffectFlags() = 0;
  // 0 none, 1 a click, 2 a close request, recorded while a loop runs.
  virtual int32_t effectRequest() const = 0;
  virtual void clearEffectRequest() = 0;

  // "GMode" on, or skipping: every transition is the instant copy.
  virtual bool transitionsInstant() const = 0;
  // Skipping with "EFX_CUT" on: shakes are left out.
  virtual bool shakesCut() const = 0;
  // The play mode is Scrolling while a scroll runs (false: back to Play).
  virtual void setScrolling(bool scrolling) = 0;
  // A picture shown by this upper-cased name (the gallery marks its pictures seen).
  virtual void pictureShown(std::string_view upperName) {}
  // After a transition or scroll: the menus' state, and after a scroll the speed indicator.
  virtual void refreshMenus() {}
  virtual void redrawSpeedIndicator() {}
};

// ---- The surfaces ----------------------------------------------------------------------------

struct TransitionSurfaces {
  Surface& screen;       // the new screen
  Surface& work;         // the old screen (modes 15 and 16 overwrite it)
  Surface& output;       // blended frames
  Surface& display;      // what the player sees; presented through the host
  Surface& wipePattern;  // the grey picture of "wipeset ", 800x600
};

// ---- Transitions -----------------------------------------------------------------------------

class Transitions {
 public:
  Transitions(TransitionSurfaces surfaces, SystemVariables& S, RandomGenerator& random,
              PictureLoader& pictures, TransitionHost& host);

  // Transition n from the work surface to the screen surface (a negative n acts as 1).
  void runTransition(int n);
  // Cross-fade from the work surface to the screen surface: the new picture's weight grows by
  // step every period ms, from 0 while it is at most 256.
  void crossFade(int step, int period);
  // 1: (24, 40); 3: (5, 50); 4: (2, 50); any other: (12, 40).
  void crossFadePreset(int type);
  // From the work surface to the screen surface, weight 48 upwards by 8 every 20 ms.
  void sepiaFade();

  // The commands, with the text after the command word.
  void shake(std::string_view arguments);   // "shake" TYPE[,AMPLITUDE[,DELAY]]
  void scroll(std::string_view arguments);  // "scroll " NAME,DIRECTION,PERIOD,TRANSITION
  void wipeset(std::string_view name);      // "wipeset " NAME

  // The shared row weight of setRowWeight and blendRowPreset.
  RowWeight& rowWeight() { return rowWeight_; }
  // Transitions started so far and the number the last one was asked for (tests, trace).
  int transitionsRun() const { return transitionsRun_; }
  int lastTransition() const { return lastTransition_; }

 private:
  // A frame loop's end: true when a request came in (the loop then stops).
  bool requested() const { return host_.effectRequest() != 0 || !pacer_.windowOpen(); }
  void present(const ChangedRect& changed);
  void presentDisplay() { host_.present(s_.display); }
  void showScreen();  // the whole new screen copied to the display and shown
  void runCrossFade(int step, int period);
  // Mode m; false when a request cut it short (S19 is then 1).
  bool runMode(int m, const TransitionSpeed& speed);
  bool patternWipe(const TransitionSpeed& speed);
  bool fixedFrames(int frames, uint32_t delay, ChangedRect (*frame)(const Surface&, Surface&, int));
  bool iris(const TransitionSpeed& speed);
  bool tiles(const TransitionSpeed& speed);
  bool mosaic(const TransitionSpeed& speed);
  bool softWipe(const TransitionSpeed& speed);
  bool splitRows(const TransitionSpeed& speed);
  bool melt(const TransitionSpeed& speed);
  bool stripes(const TransitionSpeed& speed);
  bool checker(const TransitionSpeed& speed);
  bool doors(const TransitionSpeed& speed);
  bool push(const TransitionSpeed& speed);
  bool zoomFade(const TransitionSpeed& speed);
  bool slide(const TransitionSpeed& speed, bool leftward);
  void drawShifted(int x, int y);
  void copyWindow(const Surface& picture, int x, int y, Surface& to);

  TransitionSurfaces s_;
  SystemVariables& S_;
  RandomGenerator& random_;
  PictureLoader& pictures_;
  TransitionHost& host_;
  FramePacer pacer_;
  RowWeight rowWeight_;
  Surface picture_;              // the picture of "scroll " and "wipeset " as loaded
  int transitionsRun_ = 0;
  int lastTransition_ = 0;
};

}  // namespace corvid
