#pragma once
// Plain copies between surfaces of any sizes, each clipped to both surfaces so that no picture a
// title holds can make a copy reach outside a buffer. (The blends are in blend.h.)

#include <cstdint>

#include "gfx/surface.h"

namespace corvid {

// Gives the surface a new size, keeping its buffer when it is large enough (the pixels are
// then whatever was there).
void resizeSurface(Surface& s, int width, int height);

// `to` keeps its size and takes `from`'s pixels at the same places; what `from` does not cover
// becomes black. Two surfaces of one size make this a plain copy.
void copyFrame(const Surface& from, Surface& to);

// The rectangle (sx, sy, w, h) of `from` drawn opaque at (x, y) of `to`, clipped to both.
void copyRect(const Surface& from, int sx, int sy, int w, int h, Surface& to, int x, int y);

// The same, leaving out every pixel of the colour `key` (0x00BBGGRR).
void copyRectKeyed(const Surface& from, int sx, int sy, int w, int h, Surface& to, int x,
                   int y, uint32_t key);

// A side-by-side picture (colour in the left half, mask in the right) split into two surfaces
// of half its width and its full height.
void splitSideBySide(const Surface& picture, Surface& colour, Surface& mask);

}  // namespace corvid
