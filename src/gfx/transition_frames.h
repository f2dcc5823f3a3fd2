#pragma once
// One frame of each numbered transition, as plain drawing functions: what frame k of a mode
// copies or blends, with no pacing. The transition loops (transitions.cpp) call these between
// their waits; tests and the benchmark call them directly.
//
// Surfaces: `old` is the work surface (the screen before the change), `fresh` the screen
// surface (the new screen); every surface is 800x600. "Copy" means an opaque copy to the same
// place of the destination. Functions that draw onto the display return the rectangle they
// changed, so that only that part needs presenting.
//
// Sections: changed rectangles; the tables (speeds, random orders, the checker table); the
// frames by mode.

#include <array>
#include <cstdint>
#include <vector>

#include "gfx/blend.h"
#include "gfx/surface.h"
#include "script/random.h"

namespace corvid {

// ---- Changed rectangles ----------------------------------------------------------------------

struct ChangedRect {
  int x0 = kScreenWidth, y0 = kScreenHeight, x1 = 0, y1 = 0;  // empty; x1, y1 exclusive

  bool empty() const { return x0 >= x1 || y0 >= y1; }
  // Grows to hold the rectangle, clipped to the 800x600 picture.
  void add(int x, int y, int w, int h);
  static ChangedRect whole() { return {0, 0, kScreenWidth, kScreenHeight}; }
  bool operator==(const ChangedRect&) const = default;
};

// Opaque copy of (x, y, w, h) from `from` to the same place of `to`, clipped; noted in `changed`.
void copySame(const Surface& from, Surface& to, int x, int y, int w, int h, ChangedRect& changed);

// ---- Tables ----------------------------------------------------------------------------------

// The speed a script sets in S16 for one transition.
struct TransitionSpeed {
  int step;    // weight added per period
  int period;  // ms
  int delay;   // ms, the frame delay of the drawn modes
  bool operator==(const TransitionSpeed&) const = default;
};
TransitionSpeed speedFor(int32_t s16);

// A cross-fade of about m ms (m >= 128): the step and period it runs with.
struct CrossFadeRate {
  int step, period;
  bool operator==(const CrossFadeRate&) const = default;
};
CrossFadeRate crossFadeRateFor(int32_t m);

// The tiles' order: the identity, then each position i swapped with position rand() mod 100.
inline constexpr int kTileCount = 100;
std::array<uint8_t, kTileCount> tileOrder(RandomGenerator& random);

// The split rows' pieces: each row cut at rand() mod 600 + 20; listed left, right, row by row;
// then each position i exchanged with position 2 * (rand() mod 600).
struct RowPiece {
  int16_t row, x, width;
  bool operator==(const RowPiece&) const = default;
};
inline constexpr int kRowPieces = 2 * kScreenHeight;
inline constexpr int kPiecesPerFrame = 24;
std::vector<RowPiece> splitRowPieces(RandomGenerator& random);

// The checker dissolve's table for level L of N: T[new * 256 + old] = (old(N - L) + new L) / N.
using CheckerTable = std::array<uint8_t, 65536>;
void fillCheckerTable(CheckerTable& table, int level, int levels);
// N: S16 when it is 1 to 128, else 16.
int checkerLevels(int32_t s16);

// ---- Frames by mode --------------------------------------------------------------------------
inline constexpr int kBlindsFrames = 70;
inline constexpr int kSquaresFrames = 57;
inline constexpr int kTileSteps = 116;
inline constexpr int kSplitFrames = 50;
inline constexpr int kStripesFrames = 95;
inline constexpr int kMosaicSizes[10] = {2, 3, 4, 6, 8, 12, 16, 20, 28, 40};

// 5: mask = the pattern dimmed (first half) or brightened (second half) by c; output = the old
// picture blended through the mask with the new one, the new where the mask is high.
void patternWipeFrame(const Surface& pattern, const Surface& old, const Surface& fresh,
                      Surface& out, int c, bool firstHalf);
// 6: frame f of the blinds.
ChangedRect blindsFrame(const Surface& fresh, Surface& display, int f);
// 7: the disc of radius r around (400, 300).
ChangedRect irisFrame(const Surface& fresh, Surface& display, int r);
// The iris runs while r < this.
int irisLimit(int32_t s20, int32_t s21);
// 8: tile step t: every tile of the order in its fade window blended into the output (which
// starts as a copy of the old picture) and copied to the display.
ChangedRect tilesFrame(const Surface& old, const Surface& fresh, Surface& output,
                       Surface& display, const std::array<uint8_t, kTileCount>& order, int t);
// 9 and 10: frame k of the interlaced rows or columns (5 pairs each).
ChangedRect interlaceRowsFrame(const Surface& fresh, Surface& display, int k);
ChangedRect interlaceColumnsFrame(const Surface& fresh, Surface& display, int k);
inline constexpr int kInterlaceRowFrames = 60, kInterlaceColumnFrames = 80;
// 11: frame t of the diagonal squares.
ChangedRect squaresFrame(const Surface& fresh, Surface& display, int t);
// 12: `source` as blocks of size a into the output.
void mosaicFrame(const Surface& source, Surface& output, int a);
// 13: the soft band at x: output rows = maskRow(new, old, band) where the band lies.
void softWipeFrame(const Surface& fresh, const Surface& old, Surface& output, int x);
inline constexpr int kSoftBandWidth = 288;  // 32 pixels of mask 0, then a ramp 0..255
// 14: frame f copies list positions 24f .. 24f + 23.
ChangedRect splitRowsFrame(const Surface& fresh, Surface& display,
                           const std::vector<RowPiece>& pieces, int f);
// 15: rows t .. t + 127 of the work surface move 16 towards the new picture.
void meltFrame(const Surface& fresh, Surface& work, int t);
// 16: frame t of the stripes, copied from the new picture into the work surface.
void stripesFrame(const Surface& fresh, Surface& work, int t);
// What frames t - 1 and t changed, copied from the work surface to the display (which holds
// the work surface as it was before them): the display then holds the work surface.
void copyStripesBand(const Surface& work, Surface& display, int t);
// 17: phase p of a level: the bytes of the phase's rows and pixels take the level's mix,
// T[new * 256 + old] of fillCheckerTable, in the output and in the display (which holds the
// output). The mix is computed in 16-bit lanes as high16((old * oldWeight + new * newWeight)
// * reciprocal) >> shift, which equals the table's division for every byte pair.
struct CheckerWeights {
  uint16_t oldWeight, newWeight, reciprocal;
  int shift;
};
CheckerWeights checkerWeights(int level, int levels);
void checkerPhase(const Surface& fresh, const Surface& old, Surface& output, Surface& display,
                  const CheckerWeights& weights, int p);
// 18: the new picture's middle columns opened out to both edges by v.
ChangedRect doorsFrame(const Surface& fresh, Surface& display, int v);
// 19: the new picture pushed in from the left by v columns, the old one pushed right.
ChangedRect pushFrame(const Surface& fresh, const Surface& old, Surface& display, int v);
// 20: the old picture zoomed about the centre, blended with weight v on the new.
void zoomFadeFrame(const Surface& old, const Surface& fresh, Surface& out, RowWeight& weight,
                   int v);
// trunc(trunc(d * 76800 / (v + 300)) / 256): the zoom's source offset for an offset d from the
// centre, truncating towards zero at both divisions.
inline int zoomOffset(int d, int v) { return int(int64_t(d) * 76800 / (v + 300)) / 256; }
// 21 (leftward) and 22: the two pictures shifted against each other (black beyond their
// ends) and blended, weight v on the new.
void slideFrame(const Surface& old, const Surface& fresh, Surface& out, int v, bool leftward);

// ---- The plain versions ---------------------------------------------------------------------
// The frames above that are written for speed, as plain surface passes; the fast ones give the
// same bytes (the display aside, which the plain ones leave to the caller's copy).
namespace plain {
void patternWipeFrame(const Surface& pattern, const Surface& old, const Surface& fresh,
                      Surface& mask, Surface& output, int c, bool firstHalf);
void meltFrame(const Surface& fresh, Surface& work, int t);
void checkerPhase(const Surface& fresh, const Surface& old, Surface& output,
                  const CheckerTable& table, int p);
void zoomFadeFrame(const Surface& old, const Surface& fresh, Surface& output, RowWeight& weight,
                   int v);
void slideFrame(const Surface& old, const Surface& fresh, Surface& output, int v, bool leftward,
                std::vector<uint8_t>& row);
}  // namespace plain

}  // namespace corvid
