#pragma once
// The per-byte blend and copy primitives every picture effect is built from: the weighted mix
// of two pictures (cross-fades), the blend through a per-byte mask (sprites, glyphs, window
// pictures), saturating addition and subtraction (fades to white and black) and scaling
// (darkening). Their exact arithmetic is part of how a title looks, so every fast version must
// give the same bytes as the plain one.
//
// Sections: the kernels (plain and vector sets); row primitives; whole-surface primitives;
// masked drawing with clipping.
//
// Conventions shared by all primitives:
// - All formulas work per byte; the three channels of a pixel are treated alike, and a mask has
//   one byte per colour byte (a grey mask has three equal bytes a pixel).
// - Row primitives work in groups of 8 bytes. A group count of 0 processes nothing, and the
//   bytes past the last whole group are never touched.
// - Weighted blends take the pair (w, 256 - w), w normally 0..256; masked blends take
//   (255 - m, m) with m the mask byte. "sat" means limited to 0..255; ">> 8" truncates.
// - An output may be the very same buffer as an input (in-place blending); partly overlapping
//   buffers are not supported.
// - Every primitive takes, last, the kernel set to run on; the default is the fastest set this
//   processor supports. Tests pass referenceBlendKernels() to compare.

#include <cstddef>
#include <cstdint>

#include "gfx/surface.h"

namespace corvid {

// ---- Kernels ---------------------------------------------------------------------------------

// Byte kernels over n bytes (any n, including 0). One set is written plainly, the others with
// vector instructions; all give identical bytes.
struct BlendKernels {
  const char* name;  // "reference", "sse2", "avx2"
  // out = sat((a * w + b * (256 - w)) >> 8)
  void (*mix)(const uint8_t* a, const uint8_t* b, size_t n, int w, uint8_t* out);
  // Per group of 8 bytes: all 8 mask bytes 0 -> out = base (out is not written when it is
  // base); otherwise out = sat(floor(base * (255 - m) / 256) + floor(image * m / 256)).
  void (*maskGroups)(const uint8_t* base, const uint8_t* image, const uint8_t* mask,
                     size_t groups, uint8_t* out);
  // out = sat(floor(a * (255 - m) / 256) + floor(b * m / 256)), no group rule.
  void (*throughMask)(const uint8_t* a, const uint8_t* b, const uint8_t* mask, size_t n,
                      uint8_t* out);
  // out = sat((src * w) >> 8)
  void (*scale)(const uint8_t* src, size_t n, int w, uint8_t* out);
  // out = sat(a + b)
  void (*addSat)(const uint8_t* a, const uint8_t* b, size_t n, uint8_t* out);
  // out = sat(src + c), c in 0..255
  void (*addConst)(const uint8_t* src, size_t n, int c, uint8_t* out);
  // out = max(0, src - c), c in 0..255
  void (*subConst)(const uint8_t* src, size_t n, int c, uint8_t* out);
};

// The plain version of every kernel: the arithmetic as written above, one byte at a time.
const BlendKernels& referenceBlendKernels();
// The SSE2 set (every x86-64 processor has it).
const BlendKernels& sse2BlendKernels();
// The AVX2 set, or nullptr when this processor lacks AVX2.
const BlendKernels* avx2BlendKernels();
// The fastest set this processor supports, chosen once.
const BlendKernels& blendKernels();

// ---- Row primitives --------------------------------------------------------------------------

// The weight pair shared by setRowWeight and blendRowPreset; the engine owns one.
struct RowWeight {
  int w = 0;  // weight of the second picture; the first gets 256 - w
};

// Per group: if all 8 mask bytes are 0, out = base; otherwise
// out = sat(floor(base * (255 - m) / 256) + floor(image * m / 256)).
void maskRow(const uint8_t* base, const uint8_t* image, int groups, const uint8_t* mask,
             uint8_t* out, const BlendKernels& k = blendKernels());

// out = sat((second * w + first * (256 - w)) >> 8) over `groups` groups of 8 bytes.
void blendRow(const uint8_t* first, const uint8_t* second, int groups, int w, uint8_t* out,
              const BlendKernels& k = blendKernels());

// Sets the shared pair to (w, 256 - w).
void setRowWeight(RowWeight& pair, int w);

// blendRow with the weight from setRowWeight.
void blendRowPreset(const RowWeight& pair, const uint8_t* first, const uint8_t* second,
                    int groups, uint8_t* out, const BlendKernels& k = blendKernels());

// blendRow over floor(3 * pixels / 8) groups.
void blendRowPixels(const uint8_t* first, const uint8_t* second, int pixels, int w,
                    uint8_t* out, const BlendKernels& k = blendKernels());

// ---- Whole-surface primitives ----------------------------------------------------------------
// The surfaces of one call have the same size (a mismatch is a programmer's error: it asserts,
// and in a release build the call does nothing rather than run past a buffer).

// Every byte of the frame: out = sat((first * w + second * (256 - w)) >> 8).
void blendSurfaces(const Surface& first, const Surface& second, int w, Surface& out,
                   const BlendKernels& k = blendKernels());

// One 80x60 tile at pixel (x, y): rows y..y+59, bytes 3x..3x+239 of each:
// output = sat((work * w + screen * (256 - w)) >> 8). The part of a tile outside the surfaces
// is skipped.
inline constexpr int kTileWidth = 80;   // pixels
inline constexpr int kTileHeight = 60;  // rows
void blendTile(const Surface& work, const Surface& screen, Surface& output, int x, int y, int w,
               const BlendKernels& k = blendKernels());

// Every byte of the frame: out = sat(floor(first * (255 - m) / 256) + floor(second * m / 256)).
void blendThroughMask(const Surface& first, const Surface& second, Surface& out,
                      const Surface& mask, const BlendKernels& k = blendKernels());

// Every byte of the frame: out = sat((source * w) >> 8).
void darkenSurface(const Surface& source, Surface& out, int w,
                   const BlendKernels& k = blendKernels());

// Per row, floor(3 * width / 8) groups; the last 3 * width mod 8 bytes of each row of `out` are
// left as they were. out = sat(first + second).
void addSurfaces(const Surface& first, const Surface& second, Surface& out,
                 const BlendKernels& k = blendKernels());
// Likewise, out = sat(source + c) with c limited to 0..255.
void brightenSurface(const Surface& source, Surface& out, int c,
                     const BlendKernels& k = blendKernels());
// Likewise, out = max(0, source - c) with c limited to 0..255.
void dimSurface(const Surface& source, Surface& out, int c,
                const BlendKernels& k = blendKernels());

// ---- Masked drawing --------------------------------------------------------------------------
// The first 8 * (width div 8) pixels of each row go through maskRow (group rule included); the
// last width mod 8 pixels take dest = (dest * (255 - m) + colour * m) >> 8 per byte.

// `colour` through `mask` (same size as `colour`) at (x, y) of dest, clipped on every side.
void drawMasked(Surface& dest, const Surface& colour, const Surface& mask, int x, int y,
                const BlendKernels& k = blendKernels());

// A side-by-side picture of width 2W: colour in columns 0..W-1, mask in W..2W-1; drawn at
// (x, y), clipped on every side.
void drawSideBySide(Surface& dest, const Surface& picture, int x, int y,
                    const BlendKernels& k = blendKernels());

// A stacked picture of height 2H: colour in rows 0..H-1, mask in rows H..2H-1; drawn at (x, y)
// only when it lies wholly inside dest (a negative position draws nothing).
void drawStacked(Surface& dest, const Surface& picture, int x, int y,
                 const BlendKernels& k = blendKernels());

}  // namespace corvid
