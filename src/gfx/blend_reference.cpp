// The plain version of every blend kernel: the arithmetic one byte at a time, written to be
// read. The vector versions are checked against these byte for byte.

#include <algorithm>
#include <cstdint>

#include "gfx/blend.h"

namespace corvid {

namespace {

uint8_t sat(int64_t v) { return uint8_t(std::clamp<int64_t>(v, 0, 255)); }

// Weights are taken as exact integers, so a weight outside 0..256 extrapolates and saturates
// instead of wrapping.
void mix(const uint8_t* a, const uint8_t* b, size_t n, int w, uint8_t* out) {
  for (size_t i = 0; i < n; ++i)
    out[i] = sat((int64_t(a[i]) * w + int64_t(b[i]) * (256 - int64_t(w))) >> 8);
}

uint8_t maskByte(uint8_t base, uint8_t image, uint8_t m) {
  return sat(base * (255 - m) / 256 + image * m / 256);
}

void maskGroups(const uint8_t* base, const uint8_t* image, const uint8_t* mask, size_t groups,
                uint8_t* out) {
  for (size_t g = 0; g < groups; ++g, base += 8, image += 8, mask += 8, out += 8) {
    bool clear = std::all_of(mask, mask + 8, [](uint8_t m) { return m == 0; });
    if (clear) {
      if (out != base) std::copy(base, base + 8, out);
      continue;
    }
    for (int i = 0; i < 8; ++i) out[i] = maskByte(base[i], image[i], mask[i]);
  }
}

void throughMask(const uint8_t* a, const uint8_t* b, const uint8_t* mask, size_t n,
                 uint8_t* out) {
  for (size_t i = 0; i < n; ++i) out[i] = maskByte(a[i], b[i], mask[i]);
}

void scale(const uint8_t* src, size_t n, int w, uint8_t* out) {
  for (size_t i = 0; i < n; ++i) out[i] = sat((int64_t(src[i]) * w) >> 8);
}

void addSat(const uint8_t* a, const uint8_t* b, size_t n, uint8_t* out) {
  for (size_t i = 0; i < n; ++i) out[i] = sat(a[i] + b[i]);
}

void addConst(const uint8_t* src, size_t n, int c, uint8_t* out) {
  for (size_t i = 0; i < n; ++i) out[i] = sat(src[i] + c);
}

void subConst(const uint8_t* src, size_t n, int c, uint8_t* out) {
  for (size_t i = 0; i < n; ++i) out[i] = sat(src[i] - c);
}

}  // namespace

const BlendKernels& referenceBlendKernels() {
  static const BlendKernels kernels{"reference", mix,    maskGroups, throughMask,
                                    scale,       addSat, addConst,   subConst};
  return kernels;
}

}  // namespace corvid
