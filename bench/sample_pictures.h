#pragma once
// The pictures the picture benchmarks measure on: an 800x600 photo-like background and an
// 800x600 side-by-side standing picture (400x600 colour, 400x600 mask), made in code.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>

#include "gfx/surface.h"

namespace corvid::bench {

// Smooth shapes with film grain: the kind of picture a background is.
inline Surface photoLikeBackground() {
  Surface s(kScreenWidth, kScreenHeight);
  std::mt19937 rng(42);
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) {
      uint8_t* p = s.at(x, y);
      const double sky = y < 350 ? 1.0 : 0.0;
      const double a = std::sin(x / 57.0) * std::cos(y / 43.0), b = std::sin((x + y) / 91.0);
      const int grain = int(rng() % 7) - 3;
      const int v[3] = {int(sky * (170 + 60 * a) + (1 - sky) * (60 + 40 * b)),
                        int(sky * (120 + 50 * b) + (1 - sky) * (90 + 50 * a)),
                        int(sky * (80 + 30 * a) + (1 - sky) * (50 + 30 * b))};
      for (int c = 0; c < 3; ++c) p[c] = uint8_t(std::clamp(v[c] + grain, 0, 255));
    }
  return s;
}

// A figure of flat-shaded regions inside an ellipse, transparent (black, mask 0) outside, with
// a soft edge in the mask.
inline Surface standingPicture() {
  Surface s(kScreenWidth, kScreenHeight);
  const int half = s.width / 2;
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < half; ++x) {
      const double dx = (x - 200) / 150.0, dy = (y - 330) / 280.0;
      const double r = std::sqrt(dx * dx + dy * dy);
      const int mask = r < 0.97 ? 255 : r < 1.0 ? int((1.0 - r) / 0.03 * 255) : 0;
      uint8_t* colour = s.at(x, y);
      uint8_t* m = s.at(x + half, y);
      const int band = (y / 40 + (x > 200 ? 1 : 0)) % 4;
      const uint8_t shades[4][3] = {{200, 180, 240}, {60, 60, 140}, {230, 230, 230}, {40, 90, 50}};
      for (int c = 0; c < 3; ++c) {
        colour[c] = mask ? uint8_t(shades[band][c] - (y % 40) / 4) : 0;
        m[c] = uint8_t(mask);
      }
    }
  return s;
}

}  // namespace corvid::bench
