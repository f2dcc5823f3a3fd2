#include "core/choice_host.h"

#include <string>

#include "core/engine.h"

namespace corvid {

void EngineChoiceHost::raiseBusy() { ++engine_.flags().busyCount; }

void EngineChoiceHost::lowerBusy() {
  if (engine_.flags().busyCount > 0) --engine_.flags().busyCount;
}

bool EngineChoiceHost::skipping() const { return engine_.flags().skipLevel != 0; }

// System sounds go through the voice path, as the decision sound does.
void EngineChoiceHost::playSystemSound(std::string_view name) {
  engine_.sound().playVoiceOrSound(name);
}

void EngineChoiceHost::playVoiceOrSound(std::string_view name) {
  engine_.sound().playVoiceOrSound(name);
}

void EngineChoiceHost::mousePosition(int32_t& x, int32_t& y) const {
  x = engine_.input().mouseX();
  y = engine_.input().mouseY();
}

int32_t EngineChoiceHost::textCursorRow() const { return engine_.textWindow().row(); }

void EngineChoiceHost::sleep(uint32_t ms) { engine_.platform().sleep(ms); }

void EngineChoiceHost::problem(std::string_view what, std::string_view text) {
  engine_.traceScriptProblem(what, text);
}

}  // namespace corvid
