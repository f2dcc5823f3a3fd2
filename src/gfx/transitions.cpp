// The transition loops. Sections: construction and presenting; runTransition and the
// cross-fades; the drawn modes.
//
// Every frame loop draws, presents what changed, waits (the window processes its messages
// then), and ends when a click or close request has come in meanwhile.

#include "gfx/transitions.h"

#include <algorithm>
#include <cstring>

#include "gfx/picture_draw.h"

namespace corvid {

// ---- Construction and presenting -------------------------------------------------------------

Transitions::Transitions(TransitionSurfaces surfaces, SystemVariables& S, RandomGenerator& random,
                         PictureLoader& pictures, TransitionHost& host)
    : s_(surfaces), S_(S), random_(random), pictures_(pictures), host_(host), pacer_(host) {}

void Transitions::present(const ChangedRect& changed) {
  if (changed.empty()) return;
  host_.presentRect(s_.display, changed.x0, changed.y0, changed.x1 - changed.x0,
                    changed.y1 - changed.y0);
}

void Transitions::showScreen() {
  copyFrame(s_.screen, s_.display);
  presentDisplay();
}

// ---- runTransition and the cross-fades ---------------------------------------------------------

void Transitions::runTransition(int n) {
  ++transitionsRun_;
  lastTransition_ = n;
  host_.raiseEffectFlags();
  host_.clearEffectRequest();
  S_[19] = 0;
  int m = n < 0 ? 1 : n;
  if (host_.transitionsInstant()) m = 4;
  if (m >= 128) {
    const CrossFadeRate rate = crossFadeRateFor(m);
    runCrossFade(rate.step, rate.period);
  }
  pacer_.pacerStart();
  const TransitionSpeed speed = speedFor(S_[16]);
  if (!runMode(m, speed)) showScreen();  // cut short: the whole new screen at once
  S_[16] = 0;
  if (S_[160] != 0) copyFrame(s_.screen, s_.work);
  host_.refreshMenus();
  host_.lowerEffectFlags();
}

void Transitions::crossFade(int step, int period) {
  host_.raiseEffectFlags();
  host_.clearEffectRequest();
  runCrossFade(step, period);
  host_.lowerEffectFlags();
}

void Transitions::crossFadePreset(int type) {
  switch (type) {
    case 1: crossFade(24, 40); return;
    case 3: crossFade(5, 50); return;
    case 4: crossFade(2, 50); return;
    default: crossFade(12, 40); return;
  }
}

// A click ends the fade with the new screen; S19 is left as it is. The frames are blended
// straight onto the display; the output surface takes the last one, as if each had gone
// through it.
void Transitions::runCrossFade(int step, int period) {
  step = std::max(step, 1);
  pacer_.pacerStart();
  for (int level = 0; level <= 256;) {
    blendSurfaces(s_.screen, s_.work, level, s_.display);
    presentDisplay();
    level += step * pacer_.pacerWait(period);
    if (requested()) break;
  }
  copyFrame(s_.display, s_.output);
  showScreen();
}

void Transitions::sepiaFade() {
  pacer_.pacerStart();
  for (int a = 48; a < 256;) {
    setRowWeight(rowWeight_, a);
    for (int y = 0; y < kScreenHeight; ++y)
      blendRowPreset(rowWeight_, s_.work.row(y), s_.screen.row(y), s_.screen.stride() / 8,
                     s_.output.row(y));
    copyFrame(s_.output, s_.display);
    presentDisplay();
    a += 8 * pacer_.pacerWait(20);
  }
  showScreen();
}

// ---- The drawn modes -------------------------------------------------------------------------
// Each returns false when a request cut it short (runMode has then set S19). Those that end with their last frame
// still show the whole new screen afterwards: on time that changes nothing, and after skipped
// frames (or an iris that stops short of the corners) no piece of the old picture stays.

bool Transitions::runMode(int m, const TransitionSpeed& speed) {
  bool finished = true;
  switch (m) {
    case 0: return true;
    case 1: runCrossFade(16, 10); return true;
    case 2: runCrossFade(8, 15); return true;
    case 3: runCrossFade(speed.step, speed.period); return true;
    case 4: showScreen(); return true;
    case 5: finished = patternWipe(speed); break;
    case 6: finished = fixedFrames(kBlindsFrames, uint32_t(speed.delay), blindsFrame); break;
    case 7: finished = iris(speed); break;
    case 8: finished = tiles(speed); break;
    case 9:
      finished = fixedFrames(kInterlaceRowFrames, uint32_t(speed.delay / 2), interlaceRowsFrame);
      break;
    case 10:
      finished =
          fixedFrames(kInterlaceColumnFrames, uint32_t(speed.delay / 3), interlaceColumnsFrame);
      break;
    case 11: finished = fixedFrames(kSquaresFrames, uint32_t(speed.delay), squaresFrame); break;
    case 12: finished = mosaic(speed); break;
    case 13: finished = softWipe(speed); break;
    case 14: finished = splitRows(speed); break;
    case 15: finished = melt(speed); break;
    case 16: finished = stripes(speed); break;
    case 17:
      if (!checker(speed)) {
        showScreen();  // cut short without telling the script
        return true;
      }
      break;
    case 18: finished = doors(speed); break;
    case 19: finished = push(speed); break;
    case 20: finished = zoomFade(speed); break;
    case 21: finished = slide(speed, true); break;
    case 22: finished = slide(speed, false); break;
    default: return true;  // nothing is drawn: the old picture stays until the next repaint
  }
  // The pattern wipe, the zoom and the slides draw their frames straight onto the display; the
  // output surface takes the last one, as if each had gone through it.
  if (m == 5 || m >= 20) copyFrame(s_.display, s_.output);
  if (!finished) {
    S_[19] = 1;
    return false;
  }
  showScreen();
  return true;
}

bool Transitions::patternWipe(const TransitionSpeed& speed) {
  for (int c = 256 - speed.step; c > 0;) {
    patternWipeFrame(s_.wipePattern, s_.work, s_.screen, s_.display, c, true);
    presentDisplay();
    c -= speed.step * pacer_.pacerWait(speed.period);
    if (requested()) return false;
  }
  for (int c = 0; c < 256;) {
    patternWipeFrame(s_.wipePattern, s_.work, s_.screen, s_.display, c, false);
    presentDisplay();
    c += speed.step * pacer_.pacerWait(speed.period);
    if (requested()) return false;
  }
  return true;
}

bool Transitions::fixedFrames(int frames, uint32_t delay,
                              ChangedRect (*frame)(const Surface&, Surface&, int)) {
  for (int f = 0; f < frames; ++f) {
    const uint32_t start = pacer_.now();
    present(frame(s_.screen, s_.display, f));
    pacer_.sleepUntil(start + delay);
    if (requested()) return false;
  }
  return true;
}

bool Transitions::iris(const TransitionSpeed& speed) {
  const int limit = irisLimit(S_[20], S_[21]);
  for (int r = 5; r < limit; r += 10) {
    const uint32_t start = pacer_.now();
    present(irisFrame(s_.screen, s_.display, r));
    pacer_.sleepUntil(start + uint32_t(speed.delay));
    if (requested()) return false;
  }
  return true;
}

bool Transitions::tiles(const TransitionSpeed& speed) {
  const std::array<uint8_t, kTileCount> order = tileOrder(random_);
  copyFrame(s_.work, s_.output);
  for (int t = 0; t < kTileSteps;) {
    present(tilesFrame(s_.work, s_.screen, s_.output, s_.display, order, t));
    t += pacer_.pacerWait(speed.delay);
    if (requested()) return false;
  }
  return true;
}

bool Transitions::mosaic(const TransitionSpeed& speed) {
  const int period = 3 * speed.delay;
  for (int i = 0; i < 10;) {
    mosaicFrame(s_.work, s_.output, kMosaicSizes[i]);
    copyFrame(s_.output, s_.display);
    presentDisplay();
    i += pacer_.pacerWait(period);
    if (requested()) return false;
  }
  for (int i = 9; i >= 0;) {
    mosaicFrame(s_.screen, s_.output, kMosaicSizes[i]);
    copyFrame(s_.output, s_.display);
    presentDisplay();
    i -= pacer_.pacerWait(period);
    if (requested()) return false;
  }
  return true;
}

bool Transitions::softWipe(const TransitionSpeed& speed) {
  copyFrame(s_.work, s_.output);
  for (int x = -280; x < kScreenWidth;) {
    softWipeFrame(s_.screen, s_.work, s_.output, x);
    copyFrame(s_.output, s_.display);
    presentDisplay();
    x += 8 * pacer_.pacerWait(speed.delay);
    if (requested()) return false;
  }
  return true;
}

bool Transitions::splitRows(const TransitionSpeed& speed) {
  const std::vector<RowPiece> pieces = splitRowPieces(random_);
  for (int f = 0; f < kSplitFrames; ++f) {
    present(splitRowsFrame(s_.screen, s_.display, pieces, f));
    pacer_.sleepAndPump(uint32_t(speed.delay));
    if (requested()) return false;
  }
  return true;
}

// The display shows the work surface: all of it at first, then the rows of each band.
bool Transitions::melt(const TransitionSpeed& speed) {
  copyFrame(s_.work, s_.display);
  for (int t = -124; t < 664; t += 8) {
    const uint32_t start = pacer_.now();
    meltFrame(s_.screen, s_.work, t);
    const int first = std::max(t, 0), rows = std::min(t + 128, kScreenHeight) - first;
    if (rows > 0)
      std::memcpy(s_.display.row(first), s_.work.row(first), size_t(rows) * size_t(s_.work.stride()));
    present(t == -124 ? ChangedRect::whole() : ChangedRect{0, first, kScreenWidth, first + rows});
    pacer_.sleepUntil(start + uint32_t(speed.delay));
    if (requested()) return false;
  }
  return true;
}

// Only odd frames are shown and waited for. The display shows the work surface: all of it at
// first, then what each pair of frames changed.
bool Transitions::stripes(const TransitionSpeed& speed) {
  copyFrame(s_.work, s_.display);
  for (int t = 0; t < kStripesFrames; ++t) {
    const uint32_t start = pacer_.now();
    stripesFrame(s_.screen, s_.work, t);
    if (t % 2 == 1) {
      copyStripesBand(s_.work, s_.display, t);
      presentDisplay();
      pacer_.sleepUntil(start + uint32_t(speed.delay));
    }
    if (requested()) return false;
  }
  return true;
}

// The output starts as the old picture, so the pixels a phase has not reached yet show it.
bool Transitions::checker(const TransitionSpeed& speed) {
  const int levels = checkerLevels(S_[16]);
  copyFrame(s_.work, s_.output);
  copyFrame(s_.output, s_.display);
  for (int level = 1; level <= levels; ++level) {
    const CheckerWeights weights = checkerWeights(level, levels);
    for (int p = 0; p < 4; ++p) {
      const uint32_t start = pacer_.now();
      checkerPhase(s_.screen, s_.work, s_.output, s_.display, weights, p);
      presentDisplay();
      pacer_.sleepUntil(start + uint32_t(2 * speed.delay));
      if (requested()) return false;
    }
  }
  return true;
}

bool Transitions::doors(const TransitionSpeed& speed) {
  for (int v = 32; v <= 400;) {
    present(doorsFrame(s_.screen, s_.display, v));
    v += 32 * pacer_.pacerWait(speed.delay);
    if (requested()) return false;
  }
  return true;
}

bool Transitions::push(const TransitionSpeed& speed) {
  for (int v = 0; v < kScreenWidth;) {
    present(pushFrame(s_.screen, s_.work, s_.display, v));
    v += 20 * pacer_.pacerWait(speed.delay);
    if (requested()) return false;
  }
  return true;
}

bool Transitions::zoomFade(const TransitionSpeed& speed) {
  for (int v = 8; v < 256;) {
    zoomFadeFrame(s_.work, s_.screen, s_.display, rowWeight_, v);
    presentDisplay();
    v += 8 * pacer_.pacerWait(speed.delay);
    if (requested()) return false;
  }
  return true;
}

bool Transitions::slide(const TransitionSpeed& speed, bool leftward) {
  for (int v = 8; v < 256;) {
    slideFrame(s_.work, s_.screen, s_.display, v, leftward);
    presentDisplay();
    v += 8 * pacer_.pacerWait(speed.delay);
    if (requested()) return false;
  }
  return true;
}

}  // namespace corvid
