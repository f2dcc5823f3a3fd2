#pragma once
// The whole-stage colour filter a scene change applies after composing the stage (S11), over
// every pixel of the surface.

#include <cstdint>

#include "gfx/surface.h"

namespace corvid {

enum class StageFilter : int32_t {
  None = 0,
  Darken = 1,  // every byte b becomes (brightness * b) >> 4, kept to its low 8 bits
  Sepia = 2,   // g = (blue + green + red) / 3; blue = g >> 2, green = 3g >> 2, red = g
  Grey = 3,    // every channel = (blue + green + red) / 3
  Turn = 4,    // turned by 180 degrees: pixel (x, y) trades places with (w-1-x, h-1-y)
};

// `filter` is S11 (any other value does nothing), `brightness` S13 in sixteenths.
void applyStageFilter(Surface& stage, int32_t filter, int32_t brightness);

}  // namespace corvid
