#pragma once
// The engine's side of the scene: the play state, the text window, the display and the clock
// that the picture commands and the scene change use.

#include "gfx/scene.h"

namespace corvid {

class Engine;

class EngineSceneHost final : public SceneHost {
 public:
  explicit EngineSceneHost(Engine& engine) : engine_(engine) {}

  bool historyOpen() const override;
  int32_t skipLevel() const override;
  void raiseBusy() override;
  void lowerBusy() override;
  void countSpriteChange() override;
  // The gallery's picture list arrives with the gallery viewer; until then no picture is one.
  void backgroundLoaded(std::string_view) override {}

  bool textWindowShown() const override;
  void forgetTextWindowShown() override;
  // The stage changed under the window: the strip is composed anew and the page restored.
  void composeTextWindow(Surface& screen) override;
  void redrawTextWindow(Surface& screen) override;

  void present(const Surface& display) override;
  void presentRect(const Surface& display, int x, int y, int w, int h) override;
  uint32_t millis() override;
  void sleep(uint32_t ms) override;
  bool pumpMessages() override;
  void setScriptRunning(bool running) override;

  int32_t evaluate(std::string_view expression) override;
  void pictureProblem(const std::string& what) override;

 private:
  Engine& engine_;
};

}  // namespace corvid
