// The row and surface primitives on top of the byte kernels: group counts, row walks and the
// clipping of the masked draws. The kernels (blend_reference.cpp, blend_fast.cpp) do the
// arithmetic; everything here is shared by all kernel sets.

#include "gfx/blend.h"

#include <algorithm>
#include <cassert>
#include <cstdint>

namespace corvid {

namespace {

// The pixels hold exactly width * height * 3 bytes (a surface being resized by hand may not).
bool wellFormed(const Surface& s) {
  return s.width >= 0 && s.height >= 0 &&
         s.pixels.size() == size_t(s.width) * size_t(s.height) * 3;
}

bool sameSize(const Surface& a, const Surface& b) {
  return wellFormed(a) && wellFormed(b) && a.width == b.width && a.height == b.height;
}

size_t frameBytes(const Surface& s) { return s.pixels.size(); }

// Groups of 8 bytes in a row of `pixels` pixels: floor(3 * pixels / 8).
size_t rowGroups(int pixels) { return pixels > 0 ? size_t(pixels) * 3 / 8 : 0; }

// The last width mod 8 pixels of a masked draw: the exact sum, shifted. The sum never passes
// 255 * 255, so no saturation is needed.
void maskTail(uint8_t* dest, const uint8_t* colour, const uint8_t* mask, size_t bytes) {
  for (size_t i = 0; i < bytes; ++i)
    dest[i] = uint8_t((dest[i] * (255 - mask[i]) + colour[i] * mask[i]) >> 8);
}

// A picture and its mask as row pointers: the colour rows and the mask rows of one picture
// (side by side, stacked) or of two (drawMasked).
struct MaskedPicture {
  const uint8_t* colour;  // pixel (0, 0) of the colour image
  const uint8_t* mask;    // pixel (0, 0) of the mask image
  size_t colourStride;    // bytes from one row to the next
  size_t maskStride;
  int width;  // pixels
  int height;
};

// Draws pixels [sx, sx + w) of rows [sy, sy + h) of the picture at (x, y) of dest; the rectangle
// lies inside both.
void drawMaskedRect(Surface& dest, const MaskedPicture& p, int64_t sx, int64_t sy, int64_t x,
                    int64_t y, int64_t w, int64_t h, const BlendKernels& k) {
  const size_t groups = size_t(w / 8) * 3;
  const size_t tailAt = groups * 8, tailBytes = size_t(w % 8) * 3;
  for (int64_t r = 0; r < h; ++r) {
    uint8_t* d = dest.at(int(x), int(y + r));
    const uint8_t* c = p.colour + size_t(sy + r) * p.colourStride + size_t(sx) * 3;
    const uint8_t* m = p.mask + size_t(sy + r) * p.maskStride + size_t(sx) * 3;
    if (groups) k.maskGroups(d, c, m, groups, d);
    maskTail(d + tailAt, c + tailAt, m + tailAt, tailBytes);
  }
}

// Clips the picture against every side of dest, then draws it.
void drawMaskedClipped(Surface& dest, const MaskedPicture& p, int xIn, int yIn,
                       const BlendKernels& k) {
  int64_t x = xIn, y = yIn, w = p.width, h = p.height, sx = 0, sy = 0;
  if (y < 0) {
    sy = -y;
    h += y;
    y = 0;
  }
  if (x < 0) {
    sx = -x;
    w += x;
    x = 0;
  }
  if (x >= dest.width || y >= dest.height || h < 1 || w < 1) return;
  w = std::min<int64_t>(w, dest.width - x);
  h = std::min<int64_t>(h, dest.height - y);
  drawMaskedRect(dest, p, sx, sy, x, y, w, h, k);
}

}  // namespace

// ---- Row primitives --------------------------------------------------------------------------

void maskRow(const uint8_t* base, const uint8_t* image, int groups, const uint8_t* mask,
             uint8_t* out, const BlendKernels& k) {
  if (groups > 0) k.maskGroups(base, image, mask, size_t(groups), out);
}

void blendRow(const uint8_t* first, const uint8_t* second, int groups, int w, uint8_t* out,
              const BlendKernels& k) {
  // The weight belongs to the second picture here, unlike blendSurfaces.
  if (groups > 0) k.mix(second, first, size_t(groups) * 8, w, out);
}

void setRowWeight(RowWeight& pair, int w) { pair.w = w; }

void blendRowPreset(const RowWeight& pair, const uint8_t* first, const uint8_t* second,
                    int groups, uint8_t* out, const BlendKernels& k) {
  blendRow(first, second, groups, pair.w, out, k);
}

void blendRowPixels(const uint8_t* first, const uint8_t* second, int pixels, int w,
                    uint8_t* out, const BlendKernels& k) {
  const size_t groups = rowGroups(pixels);
  if (groups) k.mix(second, first, groups * 8, w, out);
}

// ---- Whole-surface primitives ----------------------------------------------------------------

void blendSurfaces(const Surface& first, const Surface& second, int w, Surface& out,
                   const BlendKernels& k) {
  const bool fits = sameSize(first, second) && sameSize(first, out);
  assert(fits && "blendSurfaces needs three surfaces of one size");
  if (!fits) return;
  k.mix(first.pixels.data(), second.pixels.data(), frameBytes(first), w, out.pixels.data());
}

void blendTile(const Surface& work, const Surface& screen, Surface& output, int x, int y, int w,
               const BlendKernels& k) {
  const bool fits = sameSize(work, screen) && sameSize(work, output);
  assert(fits && "blendTile needs three surfaces of one size");
  if (!fits) return;
  const int64_t x0 = std::max<int64_t>(x, 0), x1 = std::min<int64_t>(int64_t(x) + kTileWidth, work.width);
  const int64_t y0 = std::max<int64_t>(y, 0), y1 = std::min<int64_t>(int64_t(y) + kTileHeight, work.height);
  if (x0 >= x1) return;
  for (int64_t r = y0; r < y1; ++r)
    k.mix(work.at(int(x0), int(r)), screen.at(int(x0), int(r)), size_t(x1 - x0) * 3, w,
          output.at(int(x0), int(r)));
}

void blendThroughMask(const Surface& first, const Surface& second, Surface& out,
                      const Surface& mask, const BlendKernels& k) {
  const bool fits = sameSize(first, second) && sameSize(first, out) && sameSize(first, mask);
  assert(fits && "blendThroughMask needs four surfaces of one size");
  if (!fits) return;
  k.throughMask(first.pixels.data(), second.pixels.data(), mask.pixels.data(), frameBytes(first),
                out.pixels.data());
}

void darkenSurface(const Surface& source, Surface& out, int w, const BlendKernels& k) {
  const bool fits = sameSize(source, out);
  assert(fits && "darkenSurface needs two surfaces of one size");
  if (!fits) return;
  k.scale(source.pixels.data(), frameBytes(source), w, out.pixels.data());
}

void addSurfaces(const Surface& first, const Surface& second, Surface& out,
                 const BlendKernels& k) {
  const bool fits = sameSize(first, second) && sameSize(first, out);
  assert(fits && "addSurfaces needs three surfaces of one size");
  if (!fits) return;
  const size_t bytes = rowGroups(first.width) * 8;
  for (int r = 0; r < first.height; ++r) k.addSat(first.row(r), second.row(r), bytes, out.row(r));
}

void brightenSurface(const Surface& source, Surface& out, int c, const BlendKernels& k) {
  const bool fits = sameSize(source, out);
  assert(fits && "brightenSurface needs two surfaces of one size");
  if (!fits) return;
  const size_t bytes = rowGroups(source.width) * 8;
  c = std::clamp(c, 0, 255);
  for (int r = 0; r < source.height; ++r) k.addConst(source.row(r), bytes, c, out.row(r));
}

void dimSurface(const Surface& source, Surface& out, int c, const BlendKernels& k) {
  const bool fits = sameSize(source, out);
  assert(fits && "dimSurface needs two surfaces of one size");
  if (!fits) return;
  const size_t bytes = rowGroups(source.width) * 8;
  c = std::clamp(c, 0, 255);
  for (int r = 0; r < source.height; ++r) k.subConst(source.row(r), bytes, c, out.row(r));
}

// ---- Masked drawing --------------------------------------------------------------------------

void drawMasked(Surface& dest, const Surface& colour, const Surface& mask, int x, int y,
                const BlendKernels& k) {
  const bool fits = sameSize(colour, mask) && wellFormed(dest);
  assert(fits && "drawMasked needs a mask of the colour picture's size");
  if (!fits) return;
  const MaskedPicture p{colour.pixels.data(), mask.pixels.data(), size_t(colour.stride()),
                        size_t(mask.stride()), colour.width, colour.height};
  drawMaskedClipped(dest, p, x, y, k);
}

void drawSideBySide(Surface& dest, const Surface& picture, int x, int y, const BlendKernels& k) {
  const bool fits = wellFormed(picture) && wellFormed(dest);
  assert(fits && "drawSideBySide on a surface whose pixels do not match its size");
  if (!fits) return;
  const int half = picture.width / 2;
  const MaskedPicture p{picture.pixels.data(), picture.pixels.data() + size_t(half) * 3,
                        size_t(picture.stride()), size_t(picture.stride()), half, picture.height};
  drawMaskedClipped(dest, p, x, y, k);
}

void drawStacked(Surface& dest, const Surface& picture, int x, int y, const BlendKernels& k) {
  const bool fits = wellFormed(picture) && wellFormed(dest);
  assert(fits && "drawStacked on a surface whose pixels do not match its size");
  if (!fits) return;
  const int w = picture.width, h = picture.height / 2;
  if (x < 0 || y < 0 || w < 1 || h < 1) return;
  if (int64_t(x) + w > dest.width || int64_t(y) + h > dest.height) return;
  const MaskedPicture p{picture.pixels.data(), picture.row(h), size_t(picture.stride()),
                        size_t(picture.stride()), w, h};
  drawMaskedRect(dest, p, 0, 0, x, y, w, h, k);
}

}  // namespace corvid
