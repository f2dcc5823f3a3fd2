// The frames of the numbered transitions. Sections: changed rectangles; tables; frames.

#include "gfx/transition_frames.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "gfx/picture_draw.h"

namespace corvid {

// ---- Changed rectangles ----------------------------------------------------------------------

void ChangedRect::add(int x, int y, int w, int h) {
  const int ax = std::max(x, 0), ay = std::max(y, 0);
  const int bx = std::min(x + w, kScreenWidth), by = std::min(y + h, kScreenHeight);
  if (ax >= bx || ay >= by) return;
  x0 = std::min(x0, ax);
  y0 = std::min(y0, ay);
  x1 = std::max(x1, bx);
  y1 = std::max(y1, by);
}

void copySame(const Surface& from, Surface& to, int x, int y, int w, int h, ChangedRect& changed) {
  copyRect(from, x, y, w, h, to, x, y);
  changed.add(x, y, w, h);
}

// ---- Tables ----------------------------------------------------------------------------------

TransitionSpeed speedFor(int32_t s16) {
  static constexpr TransitionSpeed kTable[17] = {
      {4, 8, 20},  {32, 4, 1},  {32, 8, 2},  {32, 12, 3}, {16, 8, 5},  {16, 12, 8},
      {8, 8, 12},  {8, 12, 16}, {4, 8, 20},  {4, 10, 30}, {4, 12, 40}, {2, 8, 60},
      {2, 12, 70}, {1, 8, 80},  {1, 12, 100}, {1, 16, 120}, {1, 20, 140}};
  return s16 >= 1 && s16 <= 16 ? kTable[s16] : kTable[0];
}

CrossFadeRate crossFadeRateFor(int32_t m) {
  if (m >= 6400) return {1, m >> 8};
  if (m >= 3200) return {2, m >> 7};
  if (m >= 1600) return {4, m >> 6};
  if (m >= 800) return {8, m >> 5};
  return {16, m >> 4};
}

std::array<uint8_t, kTileCount> tileOrder(RandomGenerator& random) {
  std::array<uint8_t, kTileCount> order;
  for (int i = 0; i < kTileCount; ++i) order[size_t(i)] = uint8_t(i);
  for (int i = 0; i < kTileCount; ++i)
    std::swap(order[size_t(i)], order[size_t(random.randomValue() % kTileCount)]);
  return order;
}

std::vector<RowPiece> splitRowPieces(RandomGenerator& random) {
  std::vector<RowPiece> pieces;
  pieces.reserve(kRowPieces);
  for (int r = 0; r < kScreenHeight; ++r) {
    const int split = random.randomValue() % 600 + 20;
    pieces.push_back({int16_t(r), 0, int16_t(split)});
    pieces.push_back({int16_t(r), int16_t(split), int16_t(kScreenWidth - split)});
  }
  for (size_t i = 0; i < pieces.size(); ++i)
    std::swap(pieces[i], pieces[size_t(2 * (random.randomValue() % 600))]);
  return pieces;
}

void fillCheckerTable(CheckerTable& table, int level, int levels) {
  for (int fresh = 0; fresh < 256; ++fresh)
    for (int old = 0; old < 256; ++old)
      table[size_t(fresh * 256 + old)] =
          uint8_t((old * (levels - level) + fresh * level) / levels);
}

int checkerLevels(int32_t s16) { return s16 >= 1 && s16 <= 128 ? s16 : 16; }

// ---- Frames ----------------------------------------------------------------------------------


ChangedRect blindsFrame(const Surface& fresh, Surface& display, int f) {
  ChangedRect changed;
  for (int k = 0; k < 16; ++k) {
    const int s = f + k - 15;
    if (s >= 0 && s < 80) copySame(fresh, display, 16 * s, 0, 16 - k, kScreenHeight, changed);
  }
  return changed;
}

int irisLimit(int32_t s20, int32_t s21) {
  // Positions far off the screen would make the iris run for hours; past 2000 the disc
  // covers the screen many times over.
  const int64_t dx = s20 > 400 ? int64_t(s20) - 400 : 400 - int64_t(s20);
  const int64_t dy = s21 > 300 ? int64_t(s21) - 300 : 300 - int64_t(s21);
  return int(std::min<int64_t>(std::max(dx, dy) + 500, 2000));
}

ChangedRect irisFrame(const Surface& fresh, Surface& display, int r) {
  ChangedRect changed;
  const auto span = [&](int row, int half) {
    copySame(fresh, display, 400 - half, row, 2 * half + 1, 1, changed);
  };
  int x = r, y = 0, d = r;
  while (y <= x) {
    if (y <= 300) {
      span(300 - y, std::min(x, 400));
      span(300 + y, std::min(x, 400));
    }
    if (x <= 300) {
      span(300 - x, std::min(y, 400));
      span(300 + x, std::min(y, 400));
    }
    d -= 2 * y - 1;
    y += 1;
    if (d < 0) {
      d += 2 * (x - 1);
      x -= 1;
    }
  }
  return changed;
}

ChangedRect tilesFrame(const Surface& old, const Surface& fresh, Surface& output,
                       Surface& display, const std::array<uint8_t, kTileCount>& order, int t) {
  ChangedRect changed;
  for (int j = 0; j < kTileCount; ++j) {
    const int k = j - t + 16;
    if (k < -3 || k > 16) continue;
    const int tile = order[size_t(j)];
    const int x = kTileWidth * (tile % 10), y = kTileHeight * (tile / 10);
    blendTile(old, fresh, output, x, y, 16 * std::max(k, 0));
    copySame(output, display, x, y, kTileWidth, kTileHeight, changed);
  }
  return changed;
}

ChangedRect interlaceRowsFrame(const Surface& fresh, Surface& display, int k) {
  ChangedRect changed;
  for (int i = 0; i < 5; ++i) {
    const int r = 10 * k + 2 * i;
    if (r >= kScreenHeight) break;
    copySame(fresh, display, 0, r, kScreenWidth, 1, changed);
    copySame(fresh, display, 0, kScreenHeight - 1 - r, kScreenWidth, 1, changed);
  }
  return changed;
}

ChangedRect interlaceColumnsFrame(const Surface& fresh, Surface& display, int k) {
  ChangedRect changed;
  for (int i = 0; i < 5; ++i) {
    const int c = 10 * k + 2 * i;
    if (c >= kScreenWidth) break;
    copySame(fresh, display, c, 0, 1, kScreenHeight, changed);
    copySame(fresh, display, kScreenWidth - 1 - c, 0, 1, kScreenHeight, changed);
  }
  return changed;
}

ChangedRect squaresFrame(const Surface& fresh, Surface& display, int t) {
  ChangedRect changed;
  for (int k = 0; k < 32; ++k) {
    const int h = 32 - k, diagonal = t + k - 32;
    for (int row = 0; row < 10; ++row) {
      const int col = diagonal - row;
      if (col < 0 || col >= 25) continue;
      copySame(fresh, display, 64 * col + 32 - h, 64 * row + 32 - h, 2 * h, 2 * h, changed);
    }
  }
  return changed;
}

void mosaicFrame(const Surface& source, Surface& output, int a) {
  for (int by = 0; by < kScreenHeight; by += a) {
    const int rows = std::min(a, kScreenHeight - by);
    uint8_t* first = output.row(by);
    for (int bx = 0; bx < kScreenWidth; bx += a) {
      const uint8_t* c = source.at(bx, by);
      const int end = std::min(bx + a, kScreenWidth);
      for (int x = bx; x < end; ++x) std::memcpy(first + 3 * x, c, 3);
    }
    for (int r = 1; r < rows; ++r) std::memcpy(output.row(by + r), first, size_t(output.stride()));
  }
}

namespace {

// The soft wipe's band: 32 pixels of mask 0, then a ramp 0 .. 255, three bytes a pixel.
const std::array<uint8_t, kSoftBandWidth * 3>& softBand() {
  static const std::array<uint8_t, kSoftBandWidth * 3> band = [] {
    std::array<uint8_t, kSoftBandWidth * 3> b{};
    for (int i = 0; i < 256; ++i)
      for (int c = 0; c < 3; ++c) b[size_t(3 * (32 + i) + c)] = uint8_t(i);
    return b;
  }();
  return band;
}

}  // namespace

void softWipeFrame(const Surface& fresh, const Surface& old, Surface& output, int x) {
  const int start = std::max(x, 0), end = std::min(x + kSoftBandWidth, kScreenWidth);
  const uint8_t* mask = softBand().data() + 3 * (start - x);
  for (int r = 0; r < kScreenHeight; ++r) {
    // What the band has passed shows the new picture, also when frames were skipped.
    if (start > 0) std::memcpy(output.row(r), fresh.row(r), size_t(3 * start));
    if (start < end)
      maskRow(fresh.at(start, r), old.at(start, r), 3 * (end - start) / 8, mask,
              output.at(start, r));
  }
}

ChangedRect splitRowsFrame(const Surface& fresh, Surface& display,
                           const std::vector<RowPiece>& pieces, int f) {
  ChangedRect changed;
  for (int i = kPiecesPerFrame * f; i < kPiecesPerFrame * (f + 1) && i < int(pieces.size()); ++i) {
    const RowPiece& p = pieces[size_t(i)];
    copySame(fresh, display, p.x, p.row, p.width, 1, changed);
  }
  return changed;
}


// The stripes of one row never overlap, so each row is done whole before the next.
void stripesFrame(const Surface& fresh, Surface& work, int t) {
  for (int r = 0; r < kScreenHeight; ++r) {
    const uint8_t* from = fresh.row(r);
    uint8_t* to = work.row(r);
    for (int k = 0; k < 20; ++k) {
      const int w = 20 - k, d = t + k - 19;
      const int x = std::max(20 * d - r, 0), end = std::min(20 * d - r + w, kScreenWidth);
      if (x < end) std::memcpy(to + 3 * x, from + 3 * x, size_t(3 * (end - x)));
    }
  }
}

void copyStripesBand(const Surface& work, Surface& display, int t) {
  for (int r = 0; r < kScreenHeight; ++r) {
    const int x = std::max(20 * (t - 20) - r, 0), end = std::min(20 * t - r + 1, kScreenWidth);
    if (x < end) std::memcpy(display.at(x, r), work.at(x, r), size_t(3 * (end - x)));
  }
}


ChangedRect doorsFrame(const Surface& fresh, Surface& display, int v) {
  copyRect(fresh, 400 - v, 0, v, kScreenHeight, display, 0, 0);
  copyRect(fresh, 400, 0, v, kScreenHeight, display, kScreenWidth - v, 0);
  ChangedRect changed;
  changed.add(0, 0, v, kScreenHeight);
  changed.add(kScreenWidth - v, 0, v, kScreenHeight);
  return changed;
}

ChangedRect pushFrame(const Surface& fresh, const Surface& old, Surface& display, int v) {
  copyRect(fresh, kScreenWidth - v, 0, v + 1, kScreenHeight, display, 0, 0);
  copyRect(old, 0, 0, kScreenWidth - v, kScreenHeight, display, v, 0);
  return ChangedRect::whole();
}



// ---- Frames written for speed --------------------------------------------------------------
// Each gives the bytes of its plain version (transition_frames_plain.cpp), row by row while the
// row is in the cache. The loops pass the display as `out` and give the output surface the
// last frame once they end.

void patternWipeFrame(const Surface& pattern, const Surface& old, const Surface& fresh,
                      Surface& out, int c, bool firstHalf) {
  const BlendKernels& k = blendKernels();
  const int level = std::clamp(c, 0, 255);
  const size_t bytes = size_t(fresh.stride());
  std::array<uint8_t, kScreenWidth * 3> mask;
  for (int y = 0; y < kScreenHeight; ++y) {
    if (firstHalf) k.subConst(pattern.row(y), bytes, level, mask.data());
    else k.addConst(pattern.row(y), bytes, level, mask.data());
    k.throughMask(old.row(y), fresh.row(y), mask.data(), bytes, out.row(y));
  }
}

// Towards the new byte by 16, not past it: max(min(w + 16, s), w - 16), saturated at 0 and 255.
void meltFrame(const Surface& fresh, Surface& work, int t) {
  const int first = std::max(t, 0), last = std::min(t + 127, kScreenHeight - 1);
  for (int r = first; r <= last; ++r) {
    const uint8_t* s = fresh.row(r);
    uint8_t* w = work.row(r);
    for (int i = 0; i < kScreenWidth * 3; ++i) {
      const uint8_t up = w[i] > 239 ? uint8_t(255) : uint8_t(w[i] + 16);
      const uint8_t down = w[i] < 16 ? uint8_t(0) : uint8_t(w[i] - 16);
      w[i] = std::max(std::min(up, s[i]), down);
    }
  }
}

// x / D for x up to 255 D by the high half of x * reciprocal, shifted by k: with
// 2^k < D <= 2^(k + 1) and reciprocal = ceil(2^(16 + k) / D) < 2^16 the error stays below 1 / D
// as long as 2^(16 + k) > 255 D^2, which holds up to D = 128. N = 1 is taken as 2 with doubled
// weights, so that k is never negative.
CheckerWeights checkerWeights(int level, int levels) {
  const int scale = levels == 1 ? 2 : 1;
  const uint32_t divisor = uint32_t(levels * scale);
  int k = 0;
  while ((2u << k) < divisor) ++k;
  const uint32_t reciprocal = ((1u << (16 + k)) + divisor - 1) / divisor;
  return {uint16_t((levels - level) * scale), uint16_t(level * scale), uint16_t(reciprocal),
          k};
}

namespace {

// 0xFF on the bytes of the pixels of one parity (even or odd pixels), 0 on the others.
const std::array<uint8_t, kScreenWidth * 3>& parityMask(int parity) {
  static const auto masks = [] {
    std::array<std::array<uint8_t, kScreenWidth * 3>, 2> m{};
    for (int i = 0; i < kScreenWidth * 3; ++i) {
      m[0][size_t(i)] = (i / 3) % 2 == 0 ? 0xFF : 0;
      m[1][size_t(i)] = uint8_t(~m[0][size_t(i)]);
    }
    return m;
  }();
  return masks[size_t(parity)];
}

}  // namespace

// The whole row is computed (in lanes the compiler can vectorise) and the phase's pixels are
// taken from it through a byte mask.
void checkerPhase(const Surface& fresh, const Surface& old, Surface& output, Surface& display,
                  const CheckerWeights& weights, int p) {
  const uint8_t* __restrict take = parityMask((p == 0 || p == 3) ? 0 : 1).data();
  const uint16_t a = weights.oldWeight, b = weights.newWeight, m = weights.reciprocal;
  const int k = weights.shift;
  for (int r = p % 2; r < kScreenHeight; r += 2) {
    const uint8_t* __restrict s = fresh.row(r);
    const uint8_t* __restrict w = old.row(r);
    uint8_t* __restrict o = output.row(r);
    uint8_t* __restrict d = display.row(r);
    for (int i = 0; i < kScreenWidth * 3; ++i) {
      const uint16_t x = uint16_t(w[i] * a + s[i] * b);
      const uint8_t level = uint8_t(uint16_t((uint32_t(x) * m) >> 16) >> k);
      const uint8_t byte = uint8_t((level & take[i]) | (o[i] & ~take[i]));
      o[i] = byte;
      d[i] = byte;
    }
  }
}

// Rows of the zoomed old picture repeat; each is gathered once, four bytes a pixel (the byte
// past a pixel is overwritten by the next one; the last pixel is copied alone).
void zoomFadeFrame(const Surface& old, const Surface& fresh, Surface& out, RowWeight& weight,
                   int v) {
  setRowWeight(weight, v);
  std::array<int, kScreenWidth> source;
  for (int x = 0; x < kScreenWidth; ++x) source[size_t(x)] = 3 * (400 + zoomOffset(x - 400, v));
  std::array<uint8_t, kScreenWidth * 3 + 1> scaled;
  int scaledRow = -1;
  for (int y = 0; y < kScreenHeight; ++y) {
    const int sy = 300 + zoomOffset(y - 300, v);
    if (sy != scaledRow) {
      const uint8_t* from = old.row(sy);
      for (int x = 0; x < kScreenWidth - 1; ++x)
        std::memcpy(scaled.data() + 3 * x, from + source[size_t(x)], 4);
      std::memcpy(scaled.data() + 3 * (kScreenWidth - 1), from + source[kScreenWidth - 1], 3);
      scaledRow = sy;
    }
    blendRowPreset(weight, scaled.data(), fresh.row(y), fresh.stride() / 8, out.row(y));
  }
}

// Where only one of the shifted rows lies, the blend with black is a scaling; in between a mix.
void slideFrame(const Surface& old, const Surface& fresh, Surface& output, int v, bool leftward) {
  const BlendKernels& k = blendKernels();
  const int n = 256 - v;  // how far the new picture is shifted
  for (int y = 0; y < kScreenHeight; ++y) {
    uint8_t* out = output.row(y);
    const uint8_t* o = old.row(y);
    const uint8_t* f = fresh.row(y);
    if (leftward) {  // old(x + v) where x < 800 - v; new(x - n) where x >= n
      k.scale(o + 3 * v, size_t(3 * n), 256 - v, out);
      k.mix(f, o + 3 * (v + n), size_t(3 * (kScreenWidth - v - n)), v, out + 3 * n);
      k.scale(f + 3 * (kScreenWidth - v - n), size_t(3 * v), v, out + 3 * (kScreenWidth - v));
    } else {  // old(x - v) where x >= v; new(x + n) where x < 800 - n
      k.scale(f + 3 * n, size_t(3 * v), v, out);
      k.mix(f + 3 * (n + v), o, size_t(3 * (kScreenWidth - n - v)), v, out + 3 * v);
      k.scale(o + 3 * (kScreenWidth - n - v), size_t(3 * n), 256 - v, out + 3 * (kScreenWidth - n));
    }
  }
}

}  // namespace corvid
