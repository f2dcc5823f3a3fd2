#include "core/transition_host.h"

#include "core/engine.h"

namespace corvid {

uint32_t EngineTransitionHost::millis() { return engine_.platform().millis(); }

void EngineTransitionHost::sleep(uint32_t ms) { engine_.platform().sleep(ms); }

bool EngineTransitionHost::pumpMessages() {
  engine_.pumpMessages();
  return engine_.platform().windowOpen();
}

void EngineTransitionHost::present(const Surface& display) { engine_.platform().present(display); }

void EngineTransitionHost::presentRect(const Surface& display, int x, int y, int w, int h) {
  engine_.platform().presentRect(display, x, y, w, h);
}

void EngineTransitionHost::raiseEffectFlags() {
  EngineFlags& f = engine_.flags();
  ++f.busyCount;
  f.effectRunning = true;
}

void EngineTransitionHost::lowerEffectFlags() {
  EngineFlags& f = engine_.flags();
  if (f.busyCount > 0) --f.busyCount;
  f.effectRunning = false;
}

int32_t EngineTransitionHost::effectRequest() const { return engine_.flags().effectRequest; }

void EngineTransitionHost::clearEffectRequest() { engine_.flags().effectRequest = 0; }

bool EngineTransitionHost::transitionsInstant() const {
  return engine_.settings().gMode != 0 || engine_.flags().skipLevel != 0;
}

bool EngineTransitionHost::shakesCut() const {
  return engine_.flags().skipLevel != 0 && engine_.settings().efxCut != 0;
}

void EngineTransitionHost::setScrolling(bool scrolling) {
  engine_.setPlayMode(scrolling ? PlayMode::Scrolling : PlayMode::Play);
}

}  // namespace corvid
