#pragma once
// The engine's side of the transitions: the platform's clock, message pump and display, the
// engine flags of blocking loops, the player settings that make transitions instant, and the
// play mode of a scroll.

#include "gfx/transitions.h"

namespace corvid {

class Engine;

class EngineTransitionHost final : public TransitionHost {
 public:
  explicit EngineTransitionHost(Engine& engine) : engine_(engine) {}

  uint32_t millis() override;
  void sleep(uint32_t ms) override;
  bool pumpMessages() override;
  void present(const Surface& display) override;
  void presentRect(const Surface& display, int x, int y, int w, int h) override;

  void raiseEffectFlags() override;
  void lowerEffectFlags() override;
  int32_t effectRequest() const override;
  void clearEffectRequest() override;

  bool transitionsInstant() const override;
  bool shakesCut() const override;
  void setScrolling(bool scrolling) override;
  // The gallery's picture list, the menus and the speed indicator arrive with their issues;
  // these are the places they hook into.

 private:
  Engine& engine_;
};

}  // namespace corvid
