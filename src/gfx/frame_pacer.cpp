#include "gfx/frame_pacer.h"

namespace corvid {

int FramePacer::pacerWait(int32_t periodMs) {
  const uint32_t p = periodMs < 1 ? 1u : uint32_t(periodMs);
  pump();
  const uint32_t e = clock_.millis() - reference_;
  uint32_t n = 1;
  if (e < p) {
    clock_.sleep(p - e);
  } else {
    n = e / p + 1;
    clock_.sleep(n * p - e);
  }
  reference_ += n * p;
  pump();
  return int(n);
}

void FramePacer::sleepUntil(uint32_t deadline) {
  const int32_t ahead = int32_t(deadline - clock_.millis());
  if (ahead > 0) clock_.sleep(uint32_t(ahead));
  pump();
}

void FramePacer::sleepAndPump(uint32_t ms) {
  if (ms > 0) clock_.sleep(ms);
  pump();
}

}  // namespace corvid
