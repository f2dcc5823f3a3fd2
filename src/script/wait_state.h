#pragma once
// What the interpreter waits for between steps. The clocks count it down, input and
// auto-advance end it; the interpreter sets it.

#include <cstdint>

namespace corvid {

struct WaitState {
  int32_t waitKind = 0;        // 0 none; 1 page end, 2 line wait, 3 choice, 4/5 further click waits
  int32_t waitTicks = 0;       // 55 ms timer ticks left before the next step
  int32_t characterDelay = 1;  // set by the "delay" tag
  int32_t autoCountdown = 0;   // timer ticks before auto-advance ends a click wait
  bool voiceWait = false;      // wait_v_end: wait until the voice channel stops
  bool instantPage = false;    // a click during streaming shows the rest of the page at once
  // The open choice's kind: 0 none, 1 window-mode select, 2 full-screen select, 4 click map,
  // 6 selection tree.
  int32_t choiceActive = 0;

  // Start of play and every script change that restarts play.
  void reset() {
    characterDelay = 1;
    instantPage = false;
    waitKind = 0;
    waitTicks = 0;
    choiceActive = 0;
  }
};

}  // namespace corvid
