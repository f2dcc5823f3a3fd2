// Fuzzes the choices with arbitrary script bytes: the input is "main" and also the section
// "map", played with the choices drawing onto real surfaces; an open choice gets pointer moves,
// clicks and timer ticks taken from the input, and a recollection replay runs once.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/game_config.h"
#include "gfx/choice_display.h"
#include "script/choices.h"
#include "script/interpreter.h"

namespace {

using namespace corvid;

struct InputScript final : ScriptSource {
  std::vector<uint8_t> bytes;
  EntryRead readScript(std::string_view, uint64_t maxSize) const override {
    EntryRead r;
    if (bytes.size() > maxSize) {
      r.status = EntryReadStatus::TooLarge;
      return r;
    }
    r.status = EntryReadStatus::Ok;
    r.bytes = bytes;
    return r;
  }
  bool hasScript(std::string_view) const override { return true; }
};

struct Owners final : DetachedOwners {
  Choices* target = nullptr;
  int choices(const OwnedCommand& c) override { return target->carryOut(c); }
};


struct Host final : ChoiceHost {
  int32_t x = 0, y = 0;
  void raiseBusy() override {}
  void lowerBusy() override {}
  bool skipping() const override { return false; }
  void playSystemSound(std::string_view) override {}
  void playVoiceOrSound(std::string_view) override {}
  void mousePosition(int32_t& px, int32_t& py) const override {
    px = x;
    py = y;
  }
  int32_t textCursorRow() const override { return 3; }
  void sleep(uint32_t) override {}
};

void play(const InputScript& scripts, bool replay) {
  VariableSpaces vars;
  RandomGenerator random(1);
  WaitState wait;
  GameConfig config;
  config.mojiMaxX = 20;
  config.mojiMax2X = 30;
  config.selectYPos = 300;
  config.selectYPitch = 40;
  config.selectExpand = 8;
  config.tx2PitchY = 30;
  config.fontSize = 20;
  MessageLog log;
  bool running = false, quit = false, device = true;
  int32_t skipLevel = 0, sleep = 0, request = 0;
  Owners owners;
  DetachedHost interpreterHost;
  GridTextSink text(config, vars, log, skipLevel);
  Interpreter interpreter(InterpreterContext{
      vars, random, wait, PlayControl{running, skipLevel, sleep, request, quit, device}, config,
      scripts, log, text, owners, interpreterHost});
  interpreter.allocateImages();
  Surface screen(kScreenWidth, kScreenHeight), display(kScreenWidth, kScreenHeight);
  Surface parts(100, 80), second(kScreenWidth, kScreenHeight);
  QuietSceneHost presenter;
  ChoiceDisplay drawing(ChoiceSurfaces{screen, display, parts, second}, presenter);
  drawing.allocate();
  Surface bar(300, 60);
  drawing.setBar(ChoiceBar::Normal, bar);
  drawing.setBar(ChoiceBar::NormalHighlighted, bar);
  ChoiceRecord record;
  Host host;
  Choices choices(ChoiceContext{interpreter, vars, random, wait, config, text, record, drawing, host});
  owners.target = &choices;
  if (replay) {
    vars.S[161] = 2;
    vars.S[162] = 3;
    for (int i = 0; i < 3; ++i) record.store(i, scripts.bytes.empty() ? 1 : scripts.bytes[0] % 4);
  }
  interpreter.startMain();
  const std::vector<uint8_t>& b = scripts.bytes;
  for (size_t i = 0; i < 60; ++i) {
    wait.waitTicks = 0;
    wait.voiceWait = false;
    sleep = 0;
    if (wait.choiceActive) {
      const uint8_t v = b.empty() ? 0 : b[i % b.size()];
      host.x = (v * 37) % 900 - 50;
      host.y = (v * 53) % 700 - 50;
      choices.hoverChoice(host.x, host.y);
      if (v % 3 == 0) choices.decideChoice(v % 2 == 0);
      for (int t = 0; t < 50; ++t) choices.choiceTick();
      continue;
    }
    if (wait.waitKind != 0) interpreter.endClickWait();
    interpreter.step();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  InputScript scripts;
  scripts.bytes.assign(data, data + size);
  play(scripts, false);
  play(scripts, true);
  return 0;
}
