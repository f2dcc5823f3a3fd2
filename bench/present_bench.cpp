// The real window (run it under a display, Xvfb is fine): the cost of presenting one 800x600
// frame (texture update and render), whole or a strip of it, and how many frames of
// transition 2 (a cross-fade of 33 frames every 15 ms, 495 ms nominal) reach the window on the
// wall clock. Without a display every benchmark here reports an error and measures nothing.

#include <benchmark/benchmark.h>

#include "gfx/picture_draw.h"
#include "gfx/transitions.h"
#include "platform/sdl/sdl_platform.h"
#include "sample_pictures.h"

namespace corvid::bench {
namespace {

SdlPlatform* window() {
  static SdlPlatform* platform = [] {
    auto* p = new SdlPlatform();
    std::string error;
    if (!p->init(error) || !p->openWindow("present bench")) return static_cast<SdlPlatform*>(nullptr);
    return p;
  }();
  return platform;
}

void BM_PresentFrame(benchmark::State& state) {
  SdlPlatform* platform = window();
  if (!platform) {
    state.SkipWithError("no display");
    return;
  }
  const Surface frame = photoLikeBackground();
  for (auto _ : state) platform->present(frame);
}
BENCHMARK(BM_PresentFrame)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_PresentStrip(benchmark::State& state) {
  SdlPlatform* platform = window();
  if (!platform) {
    state.SkipWithError("no display");
    return;
  }
  const Surface frame = photoLikeBackground();
  for (auto _ : state) platform->presentRect(frame, 0, 0, 16, 600);
}
BENCHMARK(BM_PresentStrip)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The transitions on the window's clock, counting what reaches the window.
class WindowHost final : public TransitionHost {
 public:
  explicit WindowHost(SdlPlatform& p) : p_(p) {}
  int presents = 0;
  uint32_t millis() override { return p_.millis(); }
  void sleep(uint32_t ms) override { p_.sleep(ms); }
  bool pumpMessages() override {
    p_.pumpEvents();
    return p_.windowOpen();
  }
  void present(const Surface& d) override {
    ++presents;
    p_.present(d);
  }
  void presentRect(const Surface& d, int x, int y, int w, int h) override {
    ++presents;
    p_.presentRect(d, x, y, w, h);
  }
  void raiseEffectFlags() override {}
  void lowerEffectFlags() override {}
  int32_t effectRequest() const override { return 0; }
  void clearEffectRequest() override {}
  bool transitionsInstant() const override { return false; }
  bool shakesCut() const override { return false; }
  void setScrolling(bool) override {}

 private:
  SdlPlatform& p_;
};

void BM_Transition2OnTheWindow(benchmark::State& state) {
  SdlPlatform* platform = window();
  if (!platform) {
    state.SkipWithError("no display");
    return;
  }
  Surface screen = photoLikeBackground(), work = standingPicture(), output(800, 600),
          display(800, 600), pattern(800, 600);
  SystemVariables S{};
  RandomGenerator random;
  Archives archives;
  PictureLoader pictures(archives);
  WindowHost host(*platform);
  Transitions transitions(TransitionSurfaces{screen, work, output, display, pattern}, S, random,
                          pictures, host);
  int frames = 0;
  uint32_t ms = 0;
  for (auto _ : state) {
    host.presents = 0;
    const uint32_t start = platform->millis();
    transitions.runTransition(2);
    ms = platform->millis() - start;
    frames = host.presents - 1;  // the last present is the new screen shown at the end
  }
  state.counters["frames"] = frames;  // of 33
  state.counters["ms"] = ms;          // nominal 495
}
BENCHMARK(BM_Transition2OnTheWindow)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace corvid::bench
