// Fuzzes the interpreter with arbitrary script bytes: the input is "main" (and every script it
// chains to or calls), played for a bounded number of steps of a bounded number of lines (a
// script looping without a wait would otherwise run 65536 lines a step) with its waits ended
// as a click would; paced when the input's length is even, skipping when it is odd. The
// linter has its own target (script_lint_fuzz.cpp).

#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/game_config.h"
#include "script/interpreter.h"

namespace {

using namespace corvid;

constexpr int kSteps = 40;
constexpr int32_t kLinesPerFuzzStep = 64;

struct InputScript final : ScriptSource {
  std::vector<uint8_t> bytes;
  EntryRead readScript(std::string_view name, uint64_t maxSize) const override {
    EntryRead r;
    if (name.empty()) return r;  // some names are missing
    if (bytes.size() > maxSize) {
      r.status = EntryReadStatus::TooLarge;
      return r;
    }
    r.status = EntryReadStatus::Ok;
    r.bytes = bytes;
    return r;
  }
  bool hasScript(std::string_view name) const override { return !name.empty(); }
};

// Sounds exist by a rule of their name, addresses open and the quit question answers Yes, so
// both sides of those branches run; the trace paths run too.
struct Host final : DetachedHost {
  bool soundExists(std::string_view name) const override { return name.size() % 2 == 0; }
  bool openAddress(std::string_view) override { return true; }
  bool askQuitQuestion() override { return true; }
  bool tracing() const override { return true; }
};

void play(const InputScript& scripts, int32_t skipLevel) {
  VariableSpaces vars;
  RandomGenerator random(1);
  WaitState wait;
  GameConfig config;
  config.mojiMaxX = 20;
  config.mojiMax2X = 30;
  config.spdMax = 5;
  MessageLog log;
  bool running = false, quit = false, device = true;
  int32_t sleep = 0, request = 0;
  DetachedOwners owners;
  Host host;
  GridTextSink text(config, vars, log, skipLevel);
  Interpreter interpreter(InterpreterContext{
      vars, random, wait, PlayControl{running, skipLevel, sleep, request, quit, device}, config,
      scripts, log, text, owners, host});
  // The two 256 KiB images come from a pool kept across inputs (allocating and clearing them
  // for every input took a fifth of the time); they are emptied first, and nothing reads an
  // image past its size.
  static ScriptImages pool = [] {
    ScriptImages p;
    p.allocate();
    return p;
  }();
  ScriptImages& images = interpreter.images();
  images.main = std::move(pool.main);
  images.aux = std::move(pool.aux);
  images.main.assign({});
  images.aux.assign({});
  interpreter.startMain();
  for (int i = 0; i < kSteps; ++i) {
    wait.waitTicks = 0;
    wait.voiceWait = false;
    sleep = 0;
    if (wait.waitKind != 0) interpreter.endClickWait();
    interpreter.step(kLinesPerFuzzStep);
  }
  pool.main = std::move(images.main);
  pool.aux = std::move(images.aux);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  InputScript scripts;
  scripts.bytes.assign(data, data + size);
  play(scripts, int32_t(size % 2));
  return 0;
}
