// The plain versions of the frames that transition_frames.cpp writes for speed: the arithmetic
// as it is described, one surface pass at a time. The tests hold the fast ones to these bytes.

#include <algorithm>
#include <cstring>

#include "gfx/transition_frames.h"

namespace corvid::plain {

void patternWipeFrame(const Surface& pattern, const Surface& old, const Surface& fresh,
                      Surface& mask, Surface& output, int c, bool firstHalf) {
  if (firstHalf) dimSurface(pattern, mask, c);
  else brightenSurface(pattern, mask, c);
  blendThroughMask(old, fresh, output, mask);
}

void meltFrame(const Surface& fresh, Surface& work, int t) {
  const int first = std::max(t, 0), last = std::min(t + 127, kScreenHeight - 1);
  for (int r = first; r <= last; ++r) {
    const uint8_t* s = fresh.row(r);
    uint8_t* w = work.row(r);
    for (int i = 0; i < fresh.stride(); ++i) {
      if (w[i] < s[i]) w[i] = uint8_t(std::min(w[i] + 16, int(s[i])));
      else w[i] = uint8_t(std::max(w[i] - 16, int(s[i])));
    }
  }
}

void checkerPhase(const Surface& fresh, const Surface& old, Surface& output,
                  const CheckerTable& table, int p) {
  const int pixelParity = (p == 0 || p == 3) ? 0 : 1;
  for (int r = p % 2; r < kScreenHeight; r += 2) {
    const uint8_t* s = fresh.row(r);
    const uint8_t* w = old.row(r);
    uint8_t* o = output.row(r);
    for (int i = 3 * pixelParity; i < fresh.stride(); i += 6)
      for (int c = i; c < i + 3; ++c) o[c] = table[size_t(s[c] * 256 + w[c])];
  }
}

void zoomFadeFrame(const Surface& old, const Surface& fresh, Surface& output, RowWeight& weight,
                   int v) {
  setRowWeight(weight, v);
  std::array<int, kScreenWidth> source;
  for (int x = 0; x < kScreenWidth; ++x) source[size_t(x)] = 3 * (400 + zoomOffset(x - 400, v));
  for (int y = 0; y < kScreenHeight; ++y) {
    const uint8_t* from = old.row(300 + zoomOffset(y - 300, v));
    uint8_t* out = output.row(y);
    for (int x = 0; x < kScreenWidth; ++x) std::memcpy(out + 3 * x, from + source[size_t(x)], 3);
    blendRowPreset(weight, out, fresh.row(y), fresh.stride() / 8, out);
  }
}

void slideFrame(const Surface& old, const Surface& fresh, Surface& output, int v, bool leftward,
                std::vector<uint8_t>& row) {
  const int stride = kScreenWidth * 3;
  row.assign(size_t(2 * stride), 0);
  uint8_t* shiftedOld = row.data();
  uint8_t* shiftedNew = row.data() + stride;
  const int n = 256 - v;  // how far the new picture is shifted
  for (int y = 0; y < kScreenHeight; ++y) {
    std::memset(row.data(), 0, row.size());
    if (leftward) {
      std::memcpy(shiftedOld, old.at(v, y), size_t(3 * (kScreenWidth - v)));
      std::memcpy(shiftedNew + 3 * n, fresh.row(y), size_t(3 * (kScreenWidth - n)));
    } else {
      std::memcpy(shiftedOld + 3 * v, old.row(y), size_t(3 * (kScreenWidth - v)));
      std::memcpy(shiftedNew, fresh.at(n, y), size_t(3 * (kScreenWidth - n)));
    }
    blendRow(shiftedOld, shiftedNew, stride / 8, v, output.row(y));
  }
}

}  // namespace corvid::plain
