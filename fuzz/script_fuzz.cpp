// Fuzzes the interpreter and the linter with arbitrary script bytes: the input is "main" (and
// every script it chains to or calls), played for a bounded number of steps with its waits
// ended as a click would, once paced and once skipping, then linted.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/game_config.h"
#include "script/interpreter.h"
#include "script/script_lint.h"

namespace {

using namespace corvid;

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
  interpreter.allocateImages();
  interpreter.startMain();
  for (int i = 0; i < 50; ++i) {
    wait.waitTicks = 0;
    wait.voiceWait = false;
    sleep = 0;
    if (wait.waitKind != 0) interpreter.endClickWait();
    interpreter.step();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  InputScript scripts;
  scripts.bytes.assign(data, data + size);
  play(scripts, 0);
  play(scripts, 1);
  lintScript(scripts.bytes, scripts);
  return 0;
}
