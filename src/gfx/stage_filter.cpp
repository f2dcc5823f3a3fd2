#include "gfx/stage_filter.h"

#include <algorithm>

namespace corvid {

namespace {

void darken(Surface& s, int32_t brightness) {
  for (uint8_t& b : s.pixels) b = uint8_t((int64_t(brightness) * b) >> 4);
}

void sepia(Surface& s) {
  for (size_t i = 0; i + 2 < s.pixels.size(); i += 3) {
    uint8_t* p = &s.pixels[i];
    const int g = (p[0] + p[1] + p[2]) / 3;
    p[0] = uint8_t(g >> 2);
    p[1] = uint8_t((3 * g) >> 2);
    p[2] = uint8_t(g);
  }
}

void grey(Surface& s) {
  for (size_t i = 0; i + 2 < s.pixels.size(); i += 3) {
    uint8_t* p = &s.pixels[i];
    const uint8_t g = uint8_t((p[0] + p[1] + p[2]) / 3);
    p[0] = p[1] = p[2] = g;
  }
}

// Turning by 180 degrees reverses the order of the pixels over the whole surface.
void turn(Surface& s) {
  const size_t count = s.pixels.size() / 3;
  for (size_t i = 0, j = count; i + 1 < j; ++i) {
    --j;
    std::swap_ranges(&s.pixels[i * 3], &s.pixels[i * 3] + 3, &s.pixels[j * 3]);
  }
}

}  // namespace

void applyStageFilter(Surface& stage, int32_t filter, int32_t brightness) {
  switch (StageFilter(filter)) {
    case StageFilter::Darken: darken(stage, brightness); break;
    case StageFilter::Sepia: sepia(stage); break;
    case StageFilter::Grey: grey(stage); break;
    case StageFilter::Turn: turn(stage); break;
    case StageFilter::None: break;
  }
}

}  // namespace corvid
