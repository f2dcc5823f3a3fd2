#include "core/scene_host.h"

#include "core/engine.h"
#include "script/expression.h"

namespace corvid {

bool EngineSceneHost::historyOpen() const { return engine_.playMode() == PlayMode::History; }

int32_t EngineSceneHost::skipLevel() const { return engine_.flags().skipLevel; }

void EngineSceneHost::raiseBusy() { ++engine_.flags().busyCount; }

void EngineSceneHost::lowerBusy() {
  if (engine_.flags().busyCount > 0) --engine_.flags().busyCount;
}

void EngineSceneHost::countSpriteChange() {
  if (GlobalData* data = engine_.globalData()) ++data->displayCounter;
}

bool EngineSceneHost::textWindowShown() const { return engine_.textWindow().windowShown(); }

// Only the shown flag matters here: the next text starts a new page, which clears the grid.
void EngineSceneHost::forgetTextWindowShown() { engine_.textWindow().declareWindowShown(false); }

void EngineSceneHost::composeTextWindow(Surface&) {
  TextWindow& window = engine_.textWindow();
  window.invalidateStrip();
  window.composeTextWindow();
  window.restoreTextWindow();
}

// After the transition: the strip and the page drawn again over the new screen.
void EngineSceneHost::redrawTextWindow(Surface&) { engine_.textWindow().restoreTextWindow(); }

void EngineSceneHost::present(const Surface& display) { engine_.platform().present(display); }

void EngineSceneHost::presentRect(const Surface& display, int x, int y, int w, int h) {
  engine_.platform().presentRect(display, x, y, w, h);
}

uint32_t EngineSceneHost::millis() { return engine_.platform().millis(); }

void EngineSceneHost::sleep(uint32_t ms) { engine_.platform().sleep(ms); }

bool EngineSceneHost::pumpMessages() {
  engine_.pumpMessages();
  return engine_.platform().windowOpen();
}

void EngineSceneHost::setScriptRunning(bool running) { engine_.flags().scriptRunning = running; }

int32_t EngineSceneHost::evaluate(std::string_view expression) {
  return corvid::evaluate(expression, engine_.vars(), engine_.random());
}

void EngineSceneHost::pictureProblem(const std::string& what) {
  engine_.tracePictureProblem(what);
}

}  // namespace corvid
