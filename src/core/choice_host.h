#pragma once
// The engine's side of the choices: the busy guard, the system sounds, the mouse position,
// the text cursor, the blink's wait and the trace of malformed constructs.

#include "script/choice_screen.h"

namespace corvid {

class Engine;

class EngineChoiceHost final : public ChoiceHost {
 public:
  explicit EngineChoiceHost(Engine& engine) : engine_(engine) {}

  void raiseBusy() override;
  void lowerBusy() override;
  bool skipping() const override;
  // The sound engine arrives with its issue; until then the sounds only reach the trace.
  void playSystemSound(std::string_view name) override;
  void playVoiceOrSound(std::string_view name) override;
  void mousePosition(int32_t& x, int32_t& y) const override;
  int32_t textCursorRow() const override;
  void sleep(uint32_t ms) override;
  void problem(std::string_view what, std::string_view text) override;

 private:
  Engine& engine_;
};

}  // namespace corvid
