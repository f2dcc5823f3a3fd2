#pragma once
// The scene: the layer state and the picture commands that change it, the composition of the
// stage surface (background, overlay, sprites, then the stage filter) and of the screen surface
// (stage plus text window), and the scene change `showScene` that every picture command ends
// with.
//
// Sections: the surfaces; what the scene asks of the engine (SceneHost); the Scene.
//
// Failures never stop a command: a picture that no archive holds leaves its surface as it was
// and the command shows what results; the host's pictureProblem hears why (for the trace).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/game_config.h"
#include "gfx/frame_pacer.h"
#include "gfx/layers.h"
#include "gfx/picture_loader.h"
#include "gfx/surface.h"
#include "gfx/transitions.h"

namespace corvid {

// ---- The surfaces ----------------------------------------------------------------------------

// The engine owns the surfaces (made once at start-up); the scene draws on them.
struct SceneSurfaces {
  Surface& background;     // the background picture alone
  Surface& stage;          // background, overlay and sprites after the stage filter
  Surface& screen;         // the stage plus the text window: what the display shows
  Surface& work;           // during a scene change, the screen as it was before
  Surface& output;         // a transition's frames; the second sheet of "partsload "
  Surface& display;        // what the player sees; the host presents it
  Surface& overlay;        // the picture of "ovr ", side by side (colour left, mask right)
  Surface& parts;          // the picture of "partsload " or "direct "
  Surface& scratchColour;  // parts of sprite sets drawn with offsets
  Surface& scratchMask;
  SpriteCache& sprites;
};

// ---- What the scene asks of the engine -------------------------------------------------------

// The clock and the message pump (millis, sleep, pumpMessages) come from PacerClock, so the
// scene's own animated loops (the text window's fades) run on the frame pacer.
class SceneHost : public PacerClock {
 public:

  // The play state.
  virtual bool historyOpen() const = 0;  // the page history is up: no overlay is drawn
  virtual int32_t skipLevel() const = 0;
  // busyCount: raised for the length of a scene change, so that no interpreter step runs.
  virtual void raiseBusy() = 0;
  virtual void lowerBusy() = 0;
  // A sprite change shown while not skipping (the global data's display counter).
  virtual void countSpriteChange() = 0;
  // A background was loaded by this upper-cased name (the gallery marks its pictures seen).
  virtual void backgroundLoaded(std::string_view upperName) = 0;

  // The text window.
  virtual bool textWindowShown() const = 0;
  virtual void forgetTextWindowShown() = 0;
  // The last step of composing the screen: the text window composed onto the screen surface
  // and restored, and the calendar panel where the title shows one.
  virtual void composeTextWindow(Surface& screen) = 0;
  // After a scene change while the window is shown: the window strip pasted at its origin, the
  // speed indicator and the text drawn again.
  virtual void redrawTextWindow(Surface& screen) = 0;
  // The other presentation parts' steps of composing the screen: the area under the cartoon
  // mark put back; the background animation refreshing its frames' window areas, which then
  // stand for the copy of the stage (true when it did).
  virtual void restoreCartoonMark(Surface& screen) {}
  virtual bool refreshAnimationFrames(Surface& screen) { return false; }

  // The display and the clock.
  virtual void present(const Surface& display) = 0;
  virtual void presentRect(const Surface& display, int x, int y, int w, int h) = 0;
  virtual void setScriptRunning(bool running) = 0;

  // An expression of the scenario language (upper-cased text), for "ptset ".
  virtual int32_t evaluate(std::string_view expression) = 0;
  // A picture that could not be read (UTF-8, naming it); nothing is shown to the player.
  virtual void pictureProblem(const std::string& what) {}
};

// A host with nothing behind it, for drawing scenes, text and choices by themselves
// (benchmarks, fuzzing, tests): it shows nothing, counts nothing, and its clock stands still;
// a test overrides what it watches.
class QuietSceneHost : public SceneHost {
 public:
  bool historyOpen() const override { return false; }
  int32_t skipLevel() const override { return 0; }
  void raiseBusy() override {}
  void lowerBusy() override {}
  void countSpriteChange() override {}
  void backgroundLoaded(std::string_view) override {}
  bool textWindowShown() const override { return false; }
  void forgetTextWindowShown() override {}
  void composeTextWindow(Surface&) override {}
  void redrawTextWindow(Surface&) override {}
  void present(const Surface&) override {}
  void presentRect(const Surface&, int, int, int, int) override {}
  uint32_t millis() override { return 0; }
  void sleep(uint32_t) override {}
  bool pumpMessages() override { return true; }
  void setScriptRunning(bool) override {}
  int32_t evaluate(std::string_view) override { return 0; }
};

// ---- The Scene -------------------------------------------------------------------------------

class Scene {
 public:
  Scene(SceneSurfaces surfaces, SystemVariables& S, const GameConfig& config,
        PictureLoader& pictures, SceneHost& host);

  // The transitions every scene change runs; without them every number shows the new screen
  // at once.
  void setTransitions(Transitions* transitions) { transitions_ = transitions; }

  // "_sprset", read at start-up.
  void setSpriteSets(std::vector<std::string> lines) { spriteSets_ = std::move(lines); }
  const std::vector<std::string>& spriteSets() const { return spriteSets_; }

  LayerState& state() { return state_; }
  const LayerState& state() const { return state_; }
  const SpriteSlots& slots() const { return slots_; }
  bool backgroundChanged() const { return backgroundChanged_; }
  // The transitions run so far and the number the last one was asked for (for the trace and
  // the tests).
  int transitionsRun() const { return transitionsRun_; }
  int lastTransition() const { return lastTransition_; }

  // ---- Picture commands: the text after the command word -----------------------------------
  // "gra ": clears deferredDisplay first, unless it comes from the inline tag "[gra ...]" or
  // "[spr ...]", which keep the layer selection the last "gra " or "grb " left.
  void gra(std::string_view arguments, bool fromTag = false);
  void grb(std::string_view arguments);
  void bg(std::string_view arguments);
  // The tag "[clrb ...]" refreshes the screen afterwards with transition 1 when its own number
  // showed nothing.
  void clrb(std::string_view arguments, bool fromTag = false);
  void spr(std::string_view arguments);  // "spr " and "char "
  void ovr(std::string_view arguments);
  void partsload(std::string_view arguments);
  void ptset(std::string_view arguments);
  void direct(std::string_view arguments);
  // "fix": what is on the display becomes the scene.
  void fix();

  // ---- Operations for other parts ------------------------------------------------------------
  // The slots from a sprite line; returns the transition number the line ends with (1 when it
  // has none, 0 when it empties the stage).
  int setSprites(std::string_view line);
  void composeStage();
  void composeScreen();
  // The scene change: the stage and screen composed anew and shown with transition n
  // (0: nothing happens; -1: the default).
  void showScene(int n);
  void loadBackground(std::string_view name);
  // After a game is loaded: the pictures the layer state names, loaded again.
  void restoreLayers();
  // The scene rebuilt from the layer state and shown (the end of a skip that drew no pictures).
  void redrawScene();

 private:
  void graOperation(std::string_view arguments);
  void standingPicture(std::string_view name, int transition, char side);
  void clearSprites();
  void noteSpriteChange();
  void drawSprite(int slot, int x, int y);
  void drawSpriteSet(std::string_view name, int x, int y);
  void drawOverlay();
  int cacheSprite(std::string_view name);
  void loadCacheEntry(SpriteCacheEntry& entry, std::string_view name);
  bool loadMaskedPicture(std::string_view name, Surface& colour, Surface& mask);
  void drawPart(std::string_view name, int x, int y);
  const std::string& maskName(std::string_view name);
  bool load(std::string_view name, Surface& out, bool resolve);
  void runTransition(int n);

  SceneSurfaces s_;
  SystemVariables& S_;
  const GameConfig& config_;
  PictureLoader& pictures_;
  SceneHost& host_;
  Transitions* transitions_ = nullptr;
  std::vector<std::string> spriteSets_;

  LayerState state_;
  SpriteSlots slots_;
  bool backgroundChanged_ = false;  // since the last two-stage show of full-screen text mode
  int transitionsRun_ = 0;
  int lastTransition_ = 0;
  std::string line_;                // a sprite line being built or upper-cased
  std::string name_;                // a picture name being built (a mask's "M" name)
};

}  // namespace corvid
