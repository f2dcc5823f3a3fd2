// Interpreter throughput: script lines per second in skip mode over a long generated script
// (about 200 KB of scenes: labels, comments, statements, name lines, text with tags and
// expressions, conditions, read marks and page ends), as the idle tick drives it with every
// page end taken by skipping. The text goes through the grid text sink and the message log;
// owners and host do nothing. Reported as items (lines) per second.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "data/game_config.h"
#include "data/sjis.h"
#include "script/interpreter.h"

namespace corvid::bench {
namespace {

std::vector<uint8_t> generatedScript(int32_t& lines) {
  std::string utf8;
  lines = 0;
  auto line = [&](const std::string& text) {
    utf8 += text;
    utf8 += '\n';
    ++lines;
  };
  for (int scene = 0; utf8.size() < 190000; ++scene) {
    const std::string n = std::to_string(scene);
    line(":SCENE" + n);
    line("; scene " + n);
    line("!V001=V001+1;V002=V001*3%7;F010=1");
    line(">春香");
    line("「今日はいい天気だね。[?V001]回目の朝だよ」");
    line("*if (V002=3|V001<10) !V003=V003+1");
    line("ああ、そうだね。[col 2]本当に[col 0]いい天気だ。");
    line("\\");
    line("*mark " + std::to_string(scene % 80000));
    line(">＄０");
    line("窓の外では鳥が鳴いている。");
    line("今日は何をしようか。▼");
  }
  std::vector<uint8_t> bytes;
  size_t start = 0;
  while (start < utf8.size()) {
    const size_t end = utf8.find('\n', start);
    const std::string sjis = utf8ToSjis(utf8.substr(start, end - start));
    bytes.insert(bytes.end(), sjis.begin(), sjis.end());
    bytes.push_back(0);
    start = end + 1;
  }
  return bytes;
}

struct OneScript final : ScriptSource {
  std::vector<uint8_t> bytes;
  EntryRead readScript(std::string_view, uint64_t) const override {
    EntryRead r;
    r.status = EntryReadStatus::Ok;
    r.bytes = bytes;
    return r;
  }
  bool hasScript(std::string_view) const override { return true; }
};

void BM_SkipModeLines(benchmark::State& state) {
  int32_t lines = 0;
  OneScript scripts;
  scripts.bytes = generatedScript(lines);
  VariableSpaces vars;
  RandomGenerator random(0);
  WaitState wait;
  GameConfig config;
  config.mojiMaxX = 32;
  config.spdMax = 5;
  MessageLog log;
  bool running = false, quit = false, device = false;
  int32_t skipLevel = 1, sleep = 0, request = 0;
  DetachedOwners owners;
  DetachedHost host;
  host.scriptSettings.seen = false;  // read marks do not stop skipping
  GridTextSink text(config, vars, log, skipLevel);
  Interpreter interpreter(InterpreterContext{
      vars, random, wait, PlayControl{running, skipLevel, sleep, request, quit, device}, config,
      scripts, log, text, owners, host});
  interpreter.allocateImages();

  int64_t steps = 0;
  for (auto _ : state) {
    state.PauseTiming();
    interpreter.loadScript("main", ScriptTarget::Main);
    state.ResumeTiming();
    const ScriptImage& image = interpreter.images().main;
    while (image.position < image.size() || !interpreter.state().fetch) {
      interpreter.skipClickWait();  // the idle tick while skipping
      wait.waitTicks = 0;
      interpreter.step();
      ++steps;
    }
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * lines);
  state.counters["steps/pass"] = double(steps) / double(state.iterations());
  state.counters["lines/pass"] = lines;
}
BENCHMARK(BM_SkipModeLines)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvid::bench
