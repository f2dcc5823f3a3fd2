#pragma once
// The frame pacer every animated loop of the engine runs on: frames at a fixed period on the
// platform's clock, with the window's pending messages processed between frames. A loop that
// falls behind is told how many periods passed and skips ahead rather than slowing down.

#include <cstdint>

namespace corvid {

// The clock and message pump a pacer runs on (the platform's, through the engine).
class PacerClock {
 public:
  virtual ~PacerClock() = default;
  virtual uint32_t millis() = 0;  // ms, wrapping
  virtual void sleep(uint32_t ms) = 0;
  // Lets the window process what is pending; false once it has closed.
  virtual bool pumpMessages() = 0;
};

class FramePacer {
 public:
  explicit FramePacer(PacerClock& clock) : clock_(clock) {}

  // The reference becomes now.
  void pacerStart() {
    reference_ = clock_.millis();
    windowOpen_ = true;
  }

  // Processes messages, then sleeps to the end of the current period and returns the number of
  // whole periods that passed since the last wait (1 on time, more when late); the reference
  // moves on by that many periods. Messages that came due while sleeping are processed before
  // it returns. A period below 1 ms counts as 1 ms.
  int pacerWait(int32_t periodMs);

  // Sleeps until the clock reaches `deadline` if it lies ahead, then processes messages.
  void sleepUntil(uint32_t deadline);

  // A plain sleep followed by processing messages.
  void sleepAndPump(uint32_t ms);

  uint32_t now() { return clock_.millis(); }
  // False once the window has closed during one of the waits.
  bool windowOpen() const { return windowOpen_; }

 private:
  void pump() { windowOpen_ = clock_.pumpMessages() && windowOpen_; }

  PacerClock& clock_;
  uint32_t reference_ = 0;  // ms on the clock
  bool windowOpen_ = true;
};

}  // namespace corvid
